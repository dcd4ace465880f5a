// The text tools the engine relies on: message templates, byte-wise text work in
// the Chinese multi-byte code page GBK (code page 936), character codes and the
// Chinese financial money text. Not installed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nemro::TextTools {

// The template with its "%s" replaced by the argument.
std::string FormatText(std::string_view templ, std::string_view argument);

// Byte-wise operations over the GBK bytes of a text. A character belongs to the
// result only when all of its bytes lie inside the asked range; none is split.
// A character that GBK cannot encode counts as one byte, as its substitute "?" would.
std::string LeftBytes(std::string_view text, std::int16_t count);
std::string RightBytes(std::string_view text, std::int16_t count);
// start is 1-based; a start below 1 is error 5.
std::string MidBytes(std::string_view text, std::int32_t start, std::int32_t length);
// Error 6 when the length does not fit 16 bits.
std::int16_t LenBytes(std::string_view text);

// The GBK code of a text's first character as a signed 16-bit number, as the
// platform reports it; error 5 when the text is empty or GBK cannot encode it.
std::int16_t SignedCodeOf(std::string_view text);
// With flag 0 a signed 16-bit code becomes 0 to 65535.
std::int32_t CharCode(std::int16_t code, std::int32_t flag);
// The one character whose GBK code is code (1 to 65535); error 5 otherwise.
std::string CharOfCode(std::int32_t code);

// Amount rounded to hundredths, absolute value below 10^12.
std::string MoneyText(double amount);

}  // namespace nemro::TextTools
