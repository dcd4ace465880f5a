#include "formula_scan.h"

#include <array>

namespace nemro::scan {
namespace {

// What ends a name, as the tokenizer has it: a blank or control character, a bracket, the
// comma, an operator but "^", or a quote.
constexpr std::array<bool, 128> kNameTerminators = [] {
    std::array<bool, 128> t{};
    for (int c = 0; c <= 0x20; ++c) t[static_cast<std::size_t>(c)] = true;
    for (char c : std::string_view("(),+-*/&=<>;\"")) t[static_cast<unsigned char>(c)] = true;
    return t;
}();

bool endsName(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 128 && kNameTerminators[b];
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void Scanner::advanceTo(std::size_t byte) {
    for (; at_ < byte; ++at_) chars_ += startsCharacter(text_[at_]);
}

bool Scanner::next(Token& token) {
    const std::size_t n = text_.size();
    std::size_t i = at_;
    while (i < n && static_cast<unsigned char>(text_[i]) <= 0x20) ++i;
    advanceTo(i);
    if (i >= n) return false;
    token = Token{TokenKind::Operator, i, i + 1, chars_, chars_, false};
    std::size_t& j = token.end;
    const char c = text_[i];
    switch (c) {
        case '(':
            token.kind = TokenKind::Open;
            break;
        case ')':
            token.kind = TokenKind::Close;
            break;
        case ',':
            token.kind = TokenKind::Comma;
            break;
        case '<':
        case '>':
            if (j < n && (text_[j] == '=' || (c == '<' && text_[j] == '>'))) ++j;
            break;
        case '+':
        case '-':
        case '*':
        case '/':
        case '&':
        case ';':
        case '=':
        case '^':
            break;
        case '"':
            token.kind = TokenKind::String;
            for (;;) {
                const std::size_t quote = text_.find('"', j);
                if (quote == std::string_view::npos) {
                    j = n;
                    token.faulty = true;
                    break;
                }
                j = quote + 1;
                if (j >= n || text_[j] != '"') break;
                ++j;  // a doubled quote stands for one
            }
            break;
        default:
            if (isDigit(c) || c == '.') {
                // Digits and points, and after a "%" more of them and of "%".
                token.kind = TokenKind::Number;
                std::size_t points = c == '.';
                auto run = [&](bool percent) {
                    while (j < n &&
                           (isDigit(text_[j]) || text_[j] == '.' || (percent && text_[j] == '%')))
                        points += text_[j++] == '.';
                };
                run(false);
                if (j < n && text_[j] == '%') run(true);
                token.faulty = points > 1 || (j == i + 1 && c == '.');
            } else {
                token.kind = TokenKind::Name;
                while (j < n && !endsName(text_[j])) ++j;
            }
    }
    advanceTo(j);
    token.charEnd = chars_;
    return true;
}

std::size_t byteOffset(std::string_view text, std::size_t characters) {
    std::size_t i = 0;
    for (std::size_t seen = 0; i < text.size(); ++i) {
        if (!startsCharacter(text[i])) continue;
        if (seen++ == characters) return i;
    }
    return text.size();
}

}  // namespace nemro::scan
