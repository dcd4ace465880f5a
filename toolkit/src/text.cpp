#include "nemro/text.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace nemro::text {
namespace {

icu::UnicodeString fromU16(std::u16string_view s) {
    return icu::UnicodeString(s.data(), static_cast<int32_t>(s.size()));
}

std::u16string toStd(const icu::UnicodeString& u) {
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

}  // namespace

std::u16string toUtf16(std::string_view utf8) {
    return toStd(icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size()))));
}

std::string toUtf8(std::u16string_view utf16) {
    std::string out;
    fromU16(utf16).toUTF8String(out);
    return out;
}

std::u16string upper(std::u16string_view s) {
    return toStd(fromU16(s).toUpper(icu::Locale::getRoot()));
}

std::u16string lower(std::u16string_view s) {
    return toStd(fromU16(s).toLower(icu::Locale::getRoot()));
}

std::string_view trimBlanks(std::string_view s) noexcept {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string upper(std::string_view utf8) { return toUtf8(upper(toUtf16(utf8))); }
std::string lower(std::string_view utf8) { return toUtf8(lower(toUtf16(utf8))); }

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    return fromU16(a).caseCompare(fromU16(b), U_FOLD_CASE_DEFAULT);
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    return compareNoCase(a, b) == 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a == b) return true;
    return equalsNoCase(toUtf16(a), toUtf16(b));
}

}  // namespace nemro::text
