// Text as a search compares it: folded for width and case, and Chinese characters read
// as toneless pinyin. Plain C++ over ICU.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nemro::text {

// Full-width letters and digits (as a Chinese input method types them) and the
// ideographic space become ASCII; then every character is case folded. origins, when
// given, receives for each byte of the result the offset of the input character it comes
// from, and one more entry for the end of the input.
std::string foldForSearch(std::string_view utf8, std::vector<std::uint32_t>* origins = nullptr);

// Whether c is a Chinese (Han) character.
bool isHan(char32_t c);

// The toneless pinyin readings of each character, in lower case: ICU's Han-Latin reading
// first, then the other common readings of a polyphone; "ü" is given both as "u" and as
// "v". A character that is not Han has none. The readings of a character are computed once
// per process; the first call loads ICU's rules, which takes a while.
std::vector<std::vector<std::string>> pinyinReadings(std::u32string_view characters);

}  // namespace nemro::text
