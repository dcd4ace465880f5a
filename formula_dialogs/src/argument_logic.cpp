#include "argument_logic.h"

#include <cstdio>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_text.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kFormulaErrorTitle = "公式输入有误!";

// Answers the engine's calls of functions it does not know from the catalogue.
class CatalogueFunctions final : public IExpressionListener {
public:
    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        Value = isExistFormula(Name) ? "0" : "-1";
    }
};

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

std::string replaceNoCase(const std::string& s, const std::string& from, const std::string& to) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (i + 1 < s.size() && s[i] == '%' && (s[i + 1] == 's' || s[i + 1] == 'S')) {
            out += to;
            i += from.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}
}  // namespace

int checkRequired(const std::string& functionName, const std::vector<std::string>& fields) {
    const std::int16_t n = getArgumentCount(functionName);
    for (std::int16_t i = 1; i <= n; ++i) {
        const std::size_t at = static_cast<std::size_t>(i - 1);
        const bool empty = at >= fields.size() || fields[at].empty();
        if (empty && getArgumentPara(functionName, "Required", i) == "True") {
            showMessage("参数(" + getArgumentPara(functionName, "Value", i) + ")没有填写！",
                        MsgIcon::Information, kApplicationTitle);
            return i;
        }
    }
    return 0;
}

bool isLegalFormulaCharacter(std::string_view c) {
    if (c.size() != 1) return false;
    const int code = static_cast<unsigned char>(c[0]);
    return code == 32 || code == 34 || code == 37 || code == 38 || (code >= 40 && code <= 57) ||
           (code >= 59 && code <= 62) || (code >= 65 && code <= 90) || code == 92 || code == 94 ||
           code == 95 || (code >= 97 && code <= 122);
}

bool FormulaSyntaxCheck(const std::string& formula) {
    try {
        std::size_t open = 0, close = 0;
        for (char c : formula) {
            if (c == '(') ++open;
            else if (c == ')') ++close;
        }
        if (open != close) {
            showMessage("左右括号数目不一致!", MsgIcon::Critical, kFormulaErrorTitle);
            return false;
        }
        for (std::size_t i = 0; i < formula.size();) {
            const std::size_t len =
                std::min(sequenceLength(static_cast<unsigned char>(formula[i])), formula.size() - i);
            const std::string_view c(formula.data() + i, len);
            if (!isLegalFormulaCharacter(c)) {
                showMessage("不得包含非法字符' " + std::string(c) + " '", MsgIcon::Critical,
                            kFormulaErrorTitle);
                return false;
            }
            i += len;
        }
        CatalogueFunctions listener;
        CGNTExpression objExp(&listener);
        bool success = false;
        objExp.Evaluate(replaceNoCase(formula, "%s", "1"), &success);
        return success;
    } catch (NemroError& e) {
        e.prefixSource("Valdren2.frmFormula.FormulaSyntaxCheck()\\");
        throw;
    }
}

bool checkFormula(const std::string& formula) {
    try {
        return FormulaSyntaxCheck(formula);
    } catch (NemroError& e) {
        e.prefixSource("frmArgumentSet.CheckFormula()\\");
        throw;
    }
}

std::string composeFormula(const std::string& functionName, const std::vector<std::string>& fields) {
    return buildFormula(functionName, fields);
}

std::string encodeParked(const ParkedEntry& entry) {
    char row[16];
    std::snprintf(row, sizeof row, "%02d", entry.row);
    std::string text = row;
    const auto append = [&text](const std::string& piece) {
        for (char c : piece) {
            if (c == '|' || c == '\\') text += '\\';
            text += c;
        }
    };
    append(entry.functionName);
    for (const std::string& field : entry.fields) {
        text += '|';
        append(field);
    }
    return text;
}

ParkedEntry decodeParked(const std::string& text) {
    ParkedEntry entry;
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i < 9) {
        entry.row = entry.row * 10 + (text[i] - '0');
        ++i;
    }
    std::string* piece = &entry.functionName;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            *piece += text[++i];
        } else if (c == '|') {
            entry.fields.emplace_back();
            piece = &entry.fields.back();
        } else {
            *piece += c;
        }
    }
    return entry;
}

std::string completionMarker(const std::string& formula) { return "00" + formula; }

}  // namespace nemro::dialogs
