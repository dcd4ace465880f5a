// Classification and conversion of operand texts.
#include <string>

#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/text.h"

namespace nemro {

std::string CGNTExpression::ICase(const std::string& s) {
    if (s.empty()) return s;
    const std::u16string u = text::toUtf16(s);
    // The first character may be a surrogate pair.
    const size_t first = (u.size() > 1 && u[0] >= 0xD800 && u[0] <= 0xDBFF) ? 2 : 1;
    return text::toUtf8(text::upper(std::u16string_view(u).substr(0, first)) +
                        text::lower(std::u16string_view(u).substr(first)));
}

bool CGNTExpression::IsBoolean(const std::string& Operand) {
    return text::equalsNoCase(Operand, "True") || text::equalsNoCase(Operand, "False");
}

bool CGNTExpression::IsDecimal(const std::string& Operand) {
    size_t i = 0, n = Operand.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const auto digit = text::isDigit;
    while (i < n && blank(Operand[i])) ++i;
    while (n > i && blank(Operand[n - 1])) --n;
    if (i < n && (Operand[i] == '+' || Operand[i] == '-')) ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (digit(Operand[i]))
            ++digits;
        else if (Operand[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (i < n && (Operand[i] == 'e' || Operand[i] == 'E')) {
        ++i;
        if (i < n && (Operand[i] == '+' || Operand[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < n && digit(Operand[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

bool CGNTExpression::IsString(const std::string& Operand) {
    return !Operand.empty() && Operand.front() == '"' && Operand.back() == '"';
}

std::string CGNTExpression::StrExp2Val(const std::string& StrExp) {
    if (StrExp.size() < 2) raisePlatform(err::InvalidArgument, "CGNTExpression.StrExp2Val");
    std::string out;
    out.reserve(StrExp.size() - 2);
    const size_t end = StrExp.size() - 1;
    for (size_t i = 1; i < end; ++i) {
        out.push_back(StrExp[i]);
        if (StrExp[i] == '"' && i + 1 < end && StrExp[i + 1] == '"') ++i;
    }
    return out;
}

std::string CGNTExpression::StrVal2Exp(const std::string& StrVal) {
    std::string out;
    out.reserve(StrVal.size() + 2);
    out.push_back('"');
    for (char c : StrVal) {
        out.push_back(c);
        if (c == '"') out.push_back('"');
    }
    out.push_back('"');
    return out;
}

}  // namespace nemro
