#include "nemro/formula_text.h"

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

// Byte length of the text without its last character (a whole UTF-8 sequence).
std::size_t withoutLastCharacter(const std::string& s) {
    std::size_t end = s.size() - 1;
    for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    return end;
}

}  // namespace

std::string buildFormula(const std::string& functionName, const std::vector<std::string>& fields,
                         const CatalogueRef& path) {
    try {
        const int count = getArgumentCount(functionName, path);
        std::string formula = functionName + "(";
        for (int i = 0; i < count; ++i) {
            if (i > 0) formula += ',';
            if (static_cast<std::size_t>(i) < fields.size())
                formula += text::trimBlanks(fields[static_cast<std::size_t>(i)]);
        }
        formula += ')';
        return formula;
    } catch (NemroError& e) {
        e.prefixSource("modCommonFunction.buildFormula()\\");
        throw;
    }
}

std::string buildModernFormula(const std::string& functionName,
                               const std::vector<std::string>& fields,
                               const std::vector<bool>& required) {
    const auto text = [&](std::size_t i) {
        return i < fields.size() ? text::trimBlanks(fields[i]) : std::string_view();
    };
    std::size_t count = 0;
    for (std::size_t i = 0; i < required.size(); ++i)
        if (required[i] || !text(i).empty()) count = i + 1;
    std::string formula = functionName + "(";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) formula += ',';
        formula += text(i);
    }
    return formula + ')';
}

std::string buildModernFormula(const std::string& functionName,
                               const std::vector<std::string>& fields, const std::string& path) {
    return trapped("buildModernFormula()\\", [&] {
        std::vector<bool> required;
        const std::int16_t count = getArgumentCount(functionName, path);
        for (std::int16_t i = 1; i <= count; ++i)
            required.push_back(getArgumentPara(functionName, "Required", i, path) == "True");
        return buildModernFormula(functionName, fields, required);
    });
}

std::vector<std::string> decomposeArguments(const std::string& argumentPart) {
    std::vector<std::string> items;
    if (argumentPart.empty()) return items;
    // Wider than the 16 bits the format was written for, so that deep nesting cannot overflow.
    long long depth = 0;
    // Inside a "..." literal commas and brackets are text; a doubled quote there ends the
    // literal and opens it again at once, which keeps it a literal.
    bool literal = false;
    std::string current;
    for (const char c : argumentPart) {
        if (c == '"') literal = !literal;
        if (!literal) {
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                --depth;
            } else if (c == ',' && depth == 0) {
                items.push_back(std::move(current));
                current.clear();
                continue;
            }
        }
        current += c;
    }
    if (!current.empty()) items.push_back(std::move(current));
    return items;
}

bool DecomposeArgument(std::string argumentPart, std::string& result) {
    const std::vector<std::string> items = decomposeArguments(argumentPart);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) result += '|';
        result += items[i];
    }
    return true;
}

std::string formulaName(const std::string& formula) {
    return formula.substr(0, formula.find('('));
}

FormulaTextParts splitFormulaText(const std::string& formula) {
    const std::size_t open = formula.find('(');
    // The argument part runs from after "(" to before the last character, which must
    // therefore lie beyond the "(".
    if (open == std::string::npos || open + 1 >= formula.size())
        raisePlatform(err::InvalidArgument, "splitFormulaText");
    const std::size_t end = withoutLastCharacter(formula);
    if (end <= open) raisePlatform(err::InvalidArgument, "splitFormulaText");
    return {formula.substr(0, open), formula.substr(open + 1, end - open - 1)};
}

}  // namespace nemro
