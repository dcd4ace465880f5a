// Character-wise and byte-wise text functions. Character counts are UTF-16 code
// units; byte-wise work goes through the text tools.
#include "function_table.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"
#include "values.h"

namespace nemro::detail {
namespace {

// The count of LEFT, RIGHT and their byte-wise twins: floor of y, 1 when absent.
std::int32_t countArgument(FunctionCall& call) {
    double y = 0;
    const std::int32_t count = call.count() >= 2 && call.nextOptionalValue(y) ? floorToInt32(y) : 1;
    if (count < 0) call.badValue();
    return count;
}

// Byte-wise functions pass the count on as a 16-bit integer.
std::int16_t toInt16(std::int32_t value) {
    if (value > 32767 || value < -32768) raisePlatform(err::Overflow, "");
    return static_cast<std::int16_t>(value);
}

std::string utf16Bytes(const std::u16string& s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (char16_t c : s) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

// FIND and FINDB: the start of z (truncated, 1 when absent) and the texts x, y.
struct FindArguments {
    std::u16string sought, searched;
    std::int32_t start = 1;
};

FindArguments findArguments(FunctionCall& call) {
    FindArguments a;
    a.sought = text::toUtf16(call.nextString().Text);
    a.searched = text::toUtf16(call.nextString().Text);
    double z = 0;
    if (call.count() >= 3 && call.nextOptionalValue(z)) a.start = truncToInt32(z);
    if (a.start <= 0) call.badValue();
    return a;
}

template <class Text>
std::int64_t findFrom(const Text& searched, const Text& sought, std::int32_t start) {
    const auto from = static_cast<size_t>(start - 1);
    if (from > searched.size()) return 0;
    const auto at = searched.find(sought, from);
    return at == Text::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

}  // namespace

void fnChar(FunctionCall& call) {
    const std::int32_t code = floorToInt32(call.nextValue());
    if (code <= 0) call.badValue();
    // The code page keeps ASCII as it is.
    call.pushText(
        code < 0x80 ? std::string(1, static_cast<char>(code)) : TextTools::CharOfCode(code),
        ekString);
}

void fnCode(FunctionCall& call) {
    const ExpElement x = call.nextString();
    if (x.Text.empty()) call.badValue();
    const std::int32_t code = TextTools::CharCode(TextTools::SignedCodeOf(x.Text), 0);
    call.pushText(std::to_string(code), ekNumber);
}

void fnExact(FunctionCall& call) {
    const ExpElement x = call.nextString();
    const ExpElement y = call.nextString();
    call.pushText(booleanText(x.Text == y.Text), ekBoolean);
}

void fnFind(FunctionCall& call) {
    const FindArguments a = findArguments(call);
    call.pushText(std::to_string(findFrom(a.searched, a.sought, a.start)), ekNumber);
}

void fnFindB(FunctionCall& call) {
    const FindArguments a = findArguments(call);
    call.pushText(std::to_string(findFrom(utf16Bytes(a.searched), utf16Bytes(a.sought), a.start)),
                  ekNumber);
}

// The character-wise functions count UTF-16 units; an ASCII text is cut as it is.
void fnLeft(FunctionCall& call) {
    std::string s = call.nextString().Text;
    const auto count = static_cast<size_t>(countArgument(call));
    if (text::isAscii(s)) {
        if (count < s.size()) s.resize(count);
        return call.pushText(std::move(s), ekString);
    }
    const std::u16string x = text::toUtf16(s);
    call.pushText(text::toUtf8(std::u16string_view(x).substr(0, count)), ekString);
}

void fnLeftB(FunctionCall& call) {
    const std::string x = call.nextString().Text;
    const std::int16_t count = toInt16(countArgument(call));
    call.pushText(TextTools::LeftBytes(x, count), ekString);
}

void fnRight(FunctionCall& call) {
    std::string s = call.nextString().Text;
    const auto wanted = static_cast<size_t>(countArgument(call));
    if (text::isAscii(s)) {
        if (wanted < s.size()) s.erase(0, s.size() - wanted);
        return call.pushText(std::move(s), ekString);
    }
    const std::u16string x = text::toUtf16(s);
    const auto count = std::min(wanted, x.size());
    call.pushText(text::toUtf8(std::u16string_view(x).substr(x.size() - count)), ekString);
}

void fnRightB(FunctionCall& call) {
    const std::string x = call.nextString().Text;
    const std::int16_t count = toInt16(countArgument(call));
    call.pushText(TextTools::RightBytes(x, count), ekString);
}

void fnLen(FunctionCall& call) {
    const std::string s = call.nextString().Text;
    call.pushText(std::to_string(text::isAscii(s) ? s.size() : text::toUtf16(s).size()), ekNumber);
}

void fnLenB(FunctionCall& call) {
    call.pushText(std::to_string(TextTools::LenBytes(call.nextString().Text)), ekNumber);
}

// Only the length is tested; a start below 1 is the substring operation's error.
void fnMid(FunctionCall& call) {
    std::string s = call.nextString().Text;
    const std::int32_t start = floorToInt32(call.nextValue());
    const std::int32_t length = floorToInt32(call.nextValue());
    if (length < 1) call.badValue();
    if (start < 1) raisePlatform(err::InvalidArgument, "");
    const auto from = static_cast<size_t>(start - 1);
    if (text::isAscii(s)) {
        return call.pushText(
            from >= s.size() ? std::string() : s.substr(from, static_cast<size_t>(length)),
            ekString);
    }
    const std::u16string x = text::toUtf16(s);
    const std::u16string_view part =
        from >= x.size() ? std::u16string_view()
                         : std::u16string_view(x).substr(from, static_cast<size_t>(length));
    call.pushText(text::toUtf8(part), ekString);
}

void fnMidB(FunctionCall& call) {
    const std::string x = call.nextString().Text;
    const std::int32_t start = floorToInt32(call.nextValue());
    const std::int32_t length = floorToInt32(call.nextValue());
    if (length < 1) call.badValue();
    call.pushText(TextTools::MidBytes(x, start, length), ekString);
}

}  // namespace nemro::detail
