// A lexical scan of formula text that never fails: the elements the engine's tokenizer
// reads, with their places in bytes and in characters, and what the tokenizer would refuse
// marked rather than raised. Private to the catalogue library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nemro::scan {

enum class TokenKind { Name, Number, String, Operator, Open, Close, Comma };

struct Token {
    TokenKind kind = TokenKind::Name;
    std::size_t begin = 0, end = 0;          // bytes
    std::size_t charBegin = 0, charEnd = 0;  // characters
    // A number the tokenizer refuses (two points, a lone "."), or a literal without its
    // closing quote.
    bool faulty = false;
};

// Characters of UTF-8 text: the bytes that do not continue a sequence.
constexpr bool startsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    // The next element; false at the end.
    bool next(Token& token);

  private:
    void advanceTo(std::size_t byte);  // counts the characters up to byte

    std::string_view text_;
    std::size_t at_ = 0;     // the byte where the scan goes on
    std::size_t chars_ = 0;  // characters before at_
};

// The byte offset of the character position (the text's end beyond it).
std::size_t byteOffset(std::string_view text, std::size_t characters);

}  // namespace nemro::scan
