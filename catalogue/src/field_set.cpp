#include "nemro/field_set.h"

#include <csv.h>

#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

constexpr const char* kSource = "FieldSet";

[[noreturn]] void refuse(const std::string& where, const std::string& problem) {
    throw NemroError(err::FieldFile, kSource, where.empty() ? problem : where + ": " + problem);
}

std::string inQuotes(std::string_view s) {
    return "“" + std::string(s) + "”";
}

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A number as the engine's IsDecimal reads one: a sign, digits with one point, an exponent.
bool decimalSyntax(std::string_view s) {
    std::size_t i = 0, digits = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    for (bool point = false; i < s.size(); ++i) {
        if (text::isDigit(s[i]))
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        if (++i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < s.size() && text::isDigit(s[i])) ++i;
        if (i == start) return false;
    }
    return i == s.size();
}

std::optional<double> readNumber(std::string_view s) {
    if (!decimalSyntax(s)) return std::nullopt;
    // from_chars takes no "+".
    std::string normal(s.substr(!s.empty() && s[0] == '+' ? 1 : 0));
    double value = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Days since 1 January 1970 of a proleptic Gregorian date.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Reads digits at s[i...] into value; false without any, or beyond `most` of them.
bool readDigits(std::string_view s, std::size_t& i, int most, int& value) {
    const std::size_t start = i;
    value = 0;
    while (i < s.size() && text::isDigit(s[i]) && static_cast<int>(i - start) < most)
        value = value * 10 + (s[i++] - '0');
    return i > start && (i == s.size() || !text::isDigit(s[i]));
}

bool skip(std::string_view s, std::size_t& i, std::string_view separator) {
    if (s.substr(i, separator.size()) != separator) return false;
    i += separator.size();
    return true;
}

// 2019-07-01, 2019/7/1 or 2019年7月1日 as a serial day number: day 1 is 1 January 1900
// and, as in spreadsheets, a 29 February 1900 that never was is counted, so dates are
// read from 1 March 1900 on.
std::optional<double> readDate(std::string_view s) {
    std::size_t i = 0;
    int year = 0, month = 0, day = 0;
    if (!readDigits(s, i, 4, year)) return std::nullopt;
    // The marks after the month and after the day follow from the one after the year.
    std::string_view afterMonth, afterDay;
    if (skip(s, i, "-"))
        afterMonth = "-";
    else if (skip(s, i, "/"))
        afterMonth = "/";
    else if (skip(s, i, "年"))
        afterMonth = "月", afterDay = "日";
    else
        return std::nullopt;
    if (!readDigits(s, i, 2, month) || !skip(s, i, afterMonth) || !readDigits(s, i, 2, day) ||
        !skip(s, i, afterDay) || i != s.size() || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leapYear(year)))
        return std::nullopt;
    if (year < 1900 || (year == 1900 && month < 3)) return std::nullopt;
    return static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        daysFromCivil(1899, 12, 30));
}

std::string formatSerial(double serial) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, serial);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// The type a sample reads as when the file gives none.
FieldType typeOfSample(std::string_view sample) {
    for (const FieldType t : {FieldType::Boolean, FieldType::Number, FieldType::Date})
        if (readFieldValue(t, sample)) return t;
    return FieldType::Text;
}

// Checks fields as they are added, naming each by where it came from.
class Builder {
  public:
    // `file` goes before each place in a message: "f.csv, ".
    Builder(std::vector<Field>& fields, std::unordered_map<std::string, std::size_t>& byName,
            const FieldNameRule& rule, std::string file = "")
        : fields_(fields), byName_(byName), rule_(rule), file_(std::move(file)) {}

    void add(Field field, const std::string& place) {
        const std::string where = file_ + place;
        if (field.name.empty()) refuse(where, "a field needs a name");
        if (rule_) {
            if (const std::string problem = rule_(field.name); !problem.empty())
                refuse(where, problem);
        }
        if (field.sample && field.sample->type != field.type)
            refuse(where, "the sample of " + inQuotes(field.name) + " is a " +
                              fieldTypeName(field.sample->type) + ", the field a " +
                              fieldTypeName(field.type));
        auto [it, added] = byName_.emplace(text::upper(field.name), fields_.size());
        if (!added)
            refuse(where, inQuotes(field.name) + " is declared twice, first as " +
                              inQuotes(fields_[it->second].name) + " at " + places_[it->second]);
        fields_.push_back(std::move(field));
        places_.push_back(place);
    }

  private:
    std::vector<Field>& fields_;
    std::unordered_map<std::string, std::size_t>& byName_;
    const FieldNameRule& rule_;
    std::string file_;
    std::vector<std::string> places_;
};

// The records of a CSV text with the line each starts on, read by libcsv as eval --rows
// reads its tables.
struct Record {
    std::size_t line = 0;
    std::vector<std::string> fields;
};

struct CsvReader {
    std::vector<Record> records;
    std::vector<std::string> fields;
    std::size_t line = 0, recordLine = 0;
    bool inRecord = false;

    static void onField(void* data, std::size_t size, void* context) {
        static_cast<CsvReader*>(context)->fields.emplace_back(static_cast<const char*>(data), size);
    }
    static void onRow(int, void* context) {
        auto* r = static_cast<CsvReader*>(context);
        r->records.push_back({r->recordLine, std::move(r->fields)});
        r->fields.clear();
        r->inRecord = false;
    }
};

int keepSpaces(unsigned char) {
    return 0;
}  // blanks belong to their field

std::vector<Record> readCsv(std::string_view csv, const std::string& file) {
    if (csv.starts_with("\xEF\xBB\xBF")) csv.remove_prefix(3);
    CsvReader reader;
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
    csv_set_space_func(&parser, keepSpaces);
    bool malformed = false;
    // Fed a line at a time, so that a record's first line is known.
    for (std::size_t at = 0; at < csv.size() && !malformed;) {
        std::size_t end = csv.find_first_of("\r\n", at);
        end = end == std::string_view::npos ? csv.size()
                                            : end + (csv.substr(end, 2) == "\r\n" ? 2 : 1);
        const std::string_view piece = csv.substr(at, end - at);
        at = end;
        ++reader.line;
        if (!reader.inRecord && piece.find_first_not_of("\r\n") != std::string_view::npos)
            reader.inRecord = true, reader.recordLine = reader.line;
        malformed = csv_parse(&parser, piece.data(), piece.size(), CsvReader::onField,
                              CsvReader::onRow, &reader) != piece.size();
    }
    // A quoted field still open at the end is the fault of the line that opened it.
    std::size_t line = reader.line;
    if (!malformed && csv_fini(&parser, CsvReader::onField, CsvReader::onRow, &reader) != 0)
        malformed = true, line = reader.recordLine;
    csv_free(&parser);
    if (malformed)
        refuse(file + "line " + std::to_string(line),
               "not well-formed CSV: a quote out of place, or a quoted field never closed");
    return std::move(reader.records);
}

enum Column { kName, kType, kGroup, kDescription, kSample, kColumns };
constexpr std::array<const char*, kColumns> kColumnNames = {"name", "type", "group", "description",
                                                            "sample"};

}  // namespace

const char* fieldTypeName(FieldType type) {
    switch (type) {
        case FieldType::Text:
            return "text";
        case FieldType::Boolean:
            return "boolean";
        case FieldType::Date:
            return "date";
        case FieldType::Number:
            break;
    }
    return "number";
}

std::optional<FieldType> fieldTypeNamed(std::string_view name) {
    const std::string lower = asciiLower(name);
    for (const FieldType t :
         {FieldType::Number, FieldType::Text, FieldType::Boolean, FieldType::Date})
        if (lower == fieldTypeName(t)) return t;
    return std::nullopt;
}

std::string FieldValue::engineText() const {
    switch (type) {
        case FieldType::Text: {
            std::string out = "\"";
            for (const char c : text) {
                out += c;
                if (c == '"') out += '"';
            }
            return out + '"';
        }
        case FieldType::Boolean:
            return boolean ? "True" : "False";
        case FieldType::Date:
            return formatSerial(number);
        case FieldType::Number:
            break;
    }
    return text;
}

std::optional<FieldValue> readFieldValue(FieldType type, std::string_view written) {
    FieldValue v;
    v.type = type;
    if (type == FieldType::Text) {
        v.text = written;
        return v;
    }
    const std::string_view s = text::trimBlanks(written);
    v.text = s;
    if (type == FieldType::Boolean) {
        const std::string lower = asciiLower(s);
        if (lower != "true" && lower != "false") return std::nullopt;
        v.boolean = lower == "true";
        return v;
    }
    const std::optional<double> number = type == FieldType::Date ? readDate(s) : readNumber(s);
    if (!number) return std::nullopt;
    v.number = *number;
    return v;
}

FieldSet::FieldSet(std::vector<Field> fields, const FieldNameRule& nameRule) {
    Builder builder(fields_, byName_, nameRule);
    for (std::size_t i = 0; i < fields.size(); ++i)
        builder.add(std::move(fields[i]), "field " + std::to_string(i + 1));
}

FieldSet FieldSet::fromCsv(std::string_view csv, const FieldNameRule& nameRule,
                           const std::string& fileName) {
    const std::string file = fileName.empty() ? "" : fileName + ", ";
    const std::vector<Record> records = readCsv(csv, file);
    if (records.empty())
        refuse(file + "line 1",
               "the file is empty; it starts with the header name,type,group,description,sample");
    const auto line = [](const Record& r) { return "line " + std::to_string(r.line); };
    const auto where = [&](const Record& r) { return file + line(r); };

    const Record& header = records.front();
    std::array<std::ptrdiff_t, kColumns> at;
    at.fill(-1);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = asciiLower(text::trimBlanks(header.fields[i]));
        std::size_t c = 0;
        while (c < kColumns && name != kColumnNames[c]) ++c;
        if (c == kColumns)
            refuse(where(header), "unknown column " + inQuotes(header.fields[i]) +
                                      "; the columns are name, type, group, description, sample");
        if (at[c] >= 0) refuse(where(header), "the column " + inQuotes(name) + " comes twice");
        at[c] = static_cast<std::ptrdiff_t>(i);
    }
    if (at[kName] < 0) refuse(where(header), "the header has no column “name”");

    FieldSet set;
    Builder builder(set.fields_, set.byName_, nameRule, file);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        const auto& f = record.fields;
        // A line of blanks alone is an empty line.
        if (f.size() == 1 && text::trimBlanks(f[0]).empty()) continue;
        if (f.size() != header.fields.size())
            refuse(where(record), std::to_string(f.size()) + " fields where the header has " +
                                      std::to_string(header.fields.size()));
        for (const std::string& value : f)
            if (!text::isValidUtf8(value)) refuse(where(record), "the text is not UTF-8");
        const auto column = [&](Column c) -> std::string_view {
            return at[c] < 0 ? std::string_view() : f[static_cast<std::size_t>(at[c])];
        };
        Field field;
        field.name = text::trimBlanks(column(kName));
        field.group = column(kGroup);
        field.description = column(kDescription);
        const std::string_view typeName = text::trimBlanks(column(kType));
        const std::string_view sample = column(kSample);
        const bool hasSample = !text::trimBlanks(sample).empty();
        if (typeName.empty()) {
            field.type = hasSample ? typeOfSample(sample) : FieldType::Number;
        } else if (const std::optional<FieldType> type = fieldTypeNamed(typeName)) {
            field.type = *type;
        } else {
            refuse(where(record), "unknown type " + inQuotes(typeName) +
                                      "; the types are number, text, boolean, date");
        }
        if (hasSample) {
            field.sample = readFieldValue(field.type, sample);
            if (!field.sample)
                refuse(where(record), "the sample " + inQuotes(sample) + " of " +
                                          inQuotes(field.name) + " is no " +
                                          fieldTypeName(field.type));
        }
        builder.add(std::move(field), line(record));
    }
    return set;
}

const Field* FieldSet::find(std::string_view name) const {
    const auto it = byName_.find(text::upper(name));
    return it == byName_.end() ? nullptr : &fields_[it->second];
}

std::shared_ptr<const FieldSet> loadFieldSet(const std::string& path,
                                             const FieldNameRule& nameRule) {
    std::error_code error;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, error)) in.open(path, std::ios::binary);
    std::ostringstream content;
    if (in) content << in.rdbuf();
    if (!in.is_open() || in.bad()) refuse("", "cannot read the field file " + inQuotes(path));
    return std::make_shared<const FieldSet>(FieldSet::fromCsv(content.str(), nameRule, path));
}

}  // namespace nemro
