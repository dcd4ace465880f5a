#include "nemro/formula_checks.h"

#include <algorithm>
#include <new>
#include <optional>

#include "catalogue_functions.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/message_box.h"
#include "nemro/text.h"

namespace nemro::dialogs {

namespace {

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// "%s" in any letter case becomes "1".
std::string replacePercentS(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (i + 1 < s.size() && s[i] == '%' && (s[i + 1] == 's' || s[i + 1] == 'S')) {
            out += '1';
            i += 2;
        } else {
            out += s[i++];
        }
    }
    return out;
}

}  // namespace

std::optional<Diagnostic> diagnoseRequired(const std::string& functionName,
                                           const std::vector<std::string>& fields,
                                           const CatalogueRef& catalogue) {
    const std::int16_t n = getArgumentCount(functionName, catalogue);
    for (std::int16_t i = 1; i <= n; ++i) {
        const std::size_t at = static_cast<std::size_t>(i - 1);
        const bool empty = at >= fields.size() || fields[at].empty();
        if (empty && getArgumentPara(functionName, "Required", i, catalogue) == "True")
            return Diagnostic{
                "参数(" + getArgumentPara(functionName, "Value", i, catalogue) + ")没有填写！",
                kApplicationTitle, MsgIcon::Information, i};
    }
    return std::nullopt;
}

int checkRequired(const std::string& functionName, const std::vector<std::string>& fields,
                  const CatalogueRef& catalogue) {
    const auto d = diagnoseRequired(functionName, fields, catalogue);
    if (!d) return 0;
    showDiagnostic(*d);
    return d->row;
}

bool isLegalFormulaCharacter(std::string_view c) {
    if (c.size() != 1) return false;
    const int code = static_cast<unsigned char>(c[0]);
    return code == 32 || code == 34 || code == 37 || code == 38 || (code >= 40 && code <= 57) ||
           (code >= 59 && code <= 62) || (code >= 65 && code <= 90) || code == 92 || code == 94 ||
           code == 95 || (code >= 97 && code <= 122);
}

std::string catalogueFunctionStatus(const std::string& name, const CatalogueRef& catalogue) {
    return isExistFormulaNoCase(name, catalogue) ? "0" : "-1";
}

std::string checkedText(const std::string& formula) {
    return replacePercentS(formula);
}

std::optional<Diagnostic> diagnoseFormula(const std::string& formula,
                                          const CatalogueRef& catalogue) {
    return trapped(
        "Valdren2.frmFormula.FormulaSyntaxCheck()\\", [&]() -> std::optional<Diagnostic> {
            const auto open = std::count(formula.begin(), formula.end(), '(');
            const auto close = std::count(formula.begin(), formula.end(), ')');
            if (open != close) return formulaErrorDiagnostic("左右括号数目不一致!");
            std::int32_t units = 0;  // UTF-16 code units before the character
            for (std::size_t i = 0; i < formula.size();) {
                const std::size_t len = std::min(
                    sequenceLength(static_cast<unsigned char>(formula[i])), formula.size() - i);
                const std::string_view c(formula.data() + i, len);
                const std::int32_t width = len == 4 ? 2 : 1;
                if (!isLegalFormulaCharacter(c)) {
                    Diagnostic d =
                        formulaErrorDiagnostic("不得包含非法字符' " + std::string(c) + " '");
                    d.position = units + 1;
                    d.length = width;
                    return d;
                }
                units += width;
                i += len;
            }
            // A formula error is told as Evaluate tells it; a catalogue failure met on the way
            // is no formula error and is passed on.
            CatalogueFunctions listener(catalogue);
            CGNTExpression objExp(&listener);
            try {
                objExp.EvaluateOrThrow(replacePercentS(formula));
                return std::nullopt;
            } catch (const NemroError& e) {
                if (listener.failed) throw;
                Diagnostic d = formulaErrorDiagnostic(e.description());
                d.position = e.position();
                d.length = e.length();
                return d;
            } catch (const std::bad_alloc&) {
                return formulaErrorDiagnostic("内存不足。");
            }
        });
}

bool FormulaSyntaxCheck(const std::string& formula, const CatalogueRef& catalogue) {
    const auto d = diagnoseFormula(formula, catalogue);
    if (d) showDiagnostic(*d);
    return !d;
}

std::optional<Diagnostic> diagnoseCheckFormula(const std::string& formula,
                                               const CatalogueRef& catalogue) {
    return trapped("frmArgumentSet.CheckFormula()\\",
                   [&] { return diagnoseFormula(formula, catalogue); });
}

bool checkFormula(const std::string& formula, const CatalogueRef& catalogue) {
    const auto d = diagnoseCheckFormula(formula, catalogue);
    if (d) showDiagnostic(*d);
    return !d;
}

std::string composeFormula(const std::string& functionName, const std::vector<std::string>& fields,
                           const CatalogueRef& catalogue) {
    return buildFormula(functionName, fields, catalogue);
}

}  // namespace nemro::dialogs
