// Unicode helpers over ICU. Every interface string is UTF-8; invalid sequences
// become U+FFFD on conversion.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nemro::text {

std::u16string toUtf16(std::string_view utf8);
// The same into out, reusing its storage.
void toUtf16(std::string_view utf8, std::u16string& out);
std::string toUtf8(std::u16string_view utf16);
// Whether the text is well-formed UTF-8, which converts without replacement characters.
bool isValidUtf8(std::string_view utf8) noexcept;
// Appends the character at s[i] (a surrogate pair moves i to its second unit) to out as
// UTF-8; false for a lone surrogate, which the caller converts in its own way.
bool appendUtf8(std::string& out, std::u16string_view s, std::size_t& i);

// An ASCII decimal digit: formula text has no other digits.
constexpr bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// Without leading and trailing blanks (U+0020 only, as formula and catalogue texts mean).
std::string_view trimBlanks(std::string_view s) noexcept;

// Locale-independent full case mapping.
std::string upper(std::string_view utf8);
std::string lower(std::string_view utf8);
std::u16string upper(std::u16string_view s);
std::u16string lower(std::u16string_view s);

// Case-insensitive equality by default case folding.
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
// Case-insensitive three-way comparison (<0, 0, >0) by default case folding.
int compareNoCase(std::u16string_view a, std::u16string_view b);
int compareNoCase(std::string_view a, std::string_view b);

// Whether a text is all ASCII, where UTF-8 bytes, UTF-16 units and characters agree.
bool isAscii(std::string_view utf8) noexcept;

}  // namespace nemro::text
