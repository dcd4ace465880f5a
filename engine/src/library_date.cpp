// DATE, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND, WEEKDAY, TODAY and NOW over serial
// numbers: days since 30 December 1899 as spreadsheets count them from 1 March 1900 on,
// the time of day the fraction.
#include <chrono>
#include <cmath>
#include <ctime>

#include "library.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"

namespace nemro::detail {
namespace {

constexpr double kSecondsPerDay = 86400;
constexpr std::int64_t kFirstMarch1900 = 61;
constexpr std::int64_t kYear10000 = 2958466;  // the serial number of 1 January 10000

// Days since 1 January 1970 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, std::int32_t& y, std::int32_t& m, std::int32_t& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<std::int32_t>(yoe + era * 400 + (m <= 2));
}

const std::int64_t kEpoch = daysFromCivil(1899, 12, 30);

// Before 1 March 1900 spreadsheets count one day less, as if 1900 had a 29 February.
std::int64_t serialOf(std::int64_t y, std::int64_t m, std::int64_t d) {
    const std::int64_t s = daysFromCivil(y, m, d) - kEpoch;
    return s < kFirstMarch1900 ? s - 1 : s;
}

std::int32_t daysInMonth(std::int32_t y, std::int32_t m) {
    static constexpr std::int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads digits at s[i...]; false when there are none or more than `most`.
bool digitsAt(std::string_view s, std::size_t& i, std::size_t most, std::int32_t& out) {
    const std::size_t from = i;
    out = 0;
    while (i < s.size() && text::isDigit(s[i]) && i - from < most) out = out * 10 + (s[i++] - '0');
    return i > from && (i == s.size() || !text::isDigit(s[i]));
}

bool literalAt(std::string_view s, std::size_t& i, std::string_view what) {
    if (s.substr(i).starts_with(what)) return i += what.size(), true;
    return false;
}

void pushPart(FunctionCall& call, std::int32_t DateParts::*part) {
    const double serial = dateOrNumber(call.next(), call.listener());
    call.pushNumber(dateParts(serial, call.name()).*part);
}

}  // namespace

double dateOrNumber(ExpElement v, IExpressionListener* listener) {
    p_CheckOperand(v, listener);
    double serial = 0;
    if (v.Kind == ekString && !CGNTExpression::IsDecimal(v.Text) &&
        !CGNTExpression::IsBoolean(v.Text) && ParseDateText(text::trimBlanks(v.Text), serial))
        return serial;
    p_ToNumber(v, listener);
    return readNumber(v.Text);
}

DateParts dateParts(double serial, std::string_view function) {
    const double seconds = std::round(serial * kSecondsPerDay);
    if (!(seconds >= 0 && seconds < static_cast<double>(kYear10000) * kSecondsPerDay))
        outsideDomain(function);
    const auto total = static_cast<std::int64_t>(seconds);
    const std::int64_t day = total / 86400, second = total % 86400;
    DateParts p{};
    if (day == 0) {
        p.year = 1900, p.month = 1, p.day = 0;  // the day before 1 January 1900
    } else if (day == 60) {
        p.year = 1900, p.month = 2, p.day = 29;
    } else {
        civilFromDays(kEpoch + (day < kFirstMarch1900 ? day + 1 : day), p.year, p.month, p.day);
    }
    p.hour = static_cast<std::int32_t>(second / 3600);
    p.minute = static_cast<std::int32_t>(second / 60 % 60);
    p.second = static_cast<std::int32_t>(second % 60);
    return p;
}

double clockNow(const FunctionSettings* settings) {
    return settings && settings->Now ? *settings->Now : LocalNow();
}

// Months and days roll over into the years and months around them.
void fnDate(FunctionCall& call) {
    const double y = std::floor(call.nextValue()), m = std::floor(call.nextValue()),
                 d = std::floor(call.nextValue());
    if (y < 1900 || y > 9999 || std::fabs(m) > 1e6 || std::fabs(d) > 1e8) outsideDomain("DATE");
    const double months = y * 12 + (m - 1);
    const auto year = static_cast<std::int64_t>(std::floor(months / 12));
    const auto month = static_cast<std::int64_t>(months - static_cast<double>(year) * 12) + 1;
    const double serial = static_cast<double>(serialOf(year, month, 1)) + d - 1;
    if (serial < 0 || serial >= static_cast<double>(kYear10000)) outsideDomain("DATE");
    call.pushNumber(serial);
}

void fnYear(FunctionCall& call) {
    pushPart(call, &DateParts::year);
}
void fnMonth(FunctionCall& call) {
    pushPart(call, &DateParts::month);
}
void fnDay(FunctionCall& call) {
    pushPart(call, &DateParts::day);
}
void fnHour(FunctionCall& call) {
    pushPart(call, &DateParts::hour);
}
void fnMinute(FunctionCall& call) {
    pushPart(call, &DateParts::minute);
}
void fnSecond(FunctionCall& call) {
    pushPart(call, &DateParts::second);
}

// Type 1: Sunday 1 to Saturday 7; 2: Monday 1 to Sunday 7; 3: Monday 0 to Sunday 6.
void fnWeekday(FunctionCall& call) {
    const double serial = dateOrNumber(call.next(), call.listener());
    std::int32_t type = 1;
    if (double t = 0; call.nextOptionalValue(t)) type = truncToInt32(t);
    if (type < 1 || type > 3) outsideDomain("WEEKDAY");
    dateParts(serial, "WEEKDAY");  // the domain check
    const auto sunday0 = static_cast<std::int32_t>((static_cast<std::int64_t>(serial) + 6) % 7);
    const std::int32_t monday0 = (sunday0 + 6) % 7;
    call.pushNumber(type == 1 ? sunday0 + 1 : type == 2 ? monday0 + 1 : monday0);
}

void fnToday(FunctionCall& call) {
    call.pushNumber(std::floor(clockNow(call.settings())));
}

void fnNow(FunctionCall& call) {
    call.pushNumber(clockNow(call.settings()));
}

}  // namespace nemro::detail

namespace nemro {

double SerialDate(std::int32_t Year, std::int32_t Month, std::int32_t Day) {
    return static_cast<double>(detail::serialOf(Year, Month, Day));
}

bool ParseDateText(std::string_view s, double& Serial) {
    using detail::digitsAt, detail::literalAt;
    std::size_t i = 0;
    std::int32_t y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
    if (!digitsAt(s, i, 4, y) || i != 4) return false;
    const bool chinese = literalAt(s, i, "年");
    if (!chinese && !literalAt(s, i, "-") && !literalAt(s, i, "/")) return false;
    const char separator = chinese ? 0 : s[i - 1];
    if (!digitsAt(s, i, 2, m)) return false;
    if (chinese ? !literalAt(s, i, "月") : (i >= s.size() || s[i++] != separator)) return false;
    if (!digitsAt(s, i, 2, d)) return false;
    if (chinese && !literalAt(s, i, "日")) return false;
    if (y < 1900 || m < 1 || m > 12 || d < 1 || d > detail::daysInMonth(y, m)) return false;
    if (i < s.size()) {
        if (!literalAt(s, i, " ") && !chinese) return false;
        if (!digitsAt(s, i, 2, hh) || !literalAt(s, i, ":") || !digitsAt(s, i, 2, mm)) return false;
        if (literalAt(s, i, ":") && !digitsAt(s, i, 2, ss)) return false;
        if (i != s.size() || hh > 23 || mm > 59 || ss > 59) return false;
    }
    Serial = static_cast<double>(detail::serialOf(y, m, d)) + (hh * 3600 + mm * 60 + ss) / 86400.0;
    return true;
}

double LocalNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return SerialDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

}  // namespace nemro
