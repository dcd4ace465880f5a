// The host's declared names (fields): what a formula may refer to besides functions, each
// with a type, a group, a description and a sample value. A set keeps the order the host
// declared its fields in, finds a name regardless of case as the engine does, and does not
// change once made: it is shared read-only.
//
// Whether a name reads as one variable is the engine's to say, so every way of making a
// set takes that rule from its caller; the formula dialogs' logic has the engine's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "nemro/export.h"

namespace nemro {

namespace err {
inline constexpr std::int32_t FieldFile = static_cast<std::int32_t>(0x80040003u);
}  // namespace err

enum class FieldType { Number, Text, Boolean, Date };

// "number", "text", "boolean" or "date".
NEMRO_API const char* fieldTypeName(FieldType type);
// The type of one of those names, in any case; none for another text.
NEMRO_API std::optional<FieldType> fieldTypeNamed(std::string_view name);

// A sample value of a field's type.
struct NEMRO_API FieldValue {
    FieldType type = FieldType::Number;
    // A text's own text; for the other types the value as written, without blanks around.
    std::string text;
    double number = 0;  // a number's value, or a date's serial day number
    bool boolean = false;

    // The value as the engine reads a variable's answer: 8000, "文本" (quoted, inner
    // quotes doubled), True or False, and a date as its serial number.
    std::string engineText() const;
};

// The value a written sample stands for in a type, none when it does not fit: a number
// as formulas write one (12, -1.5, 2e3), TRUE or FALSE in any case, a date 2019-07-01,
// 2019/7/1 or 2019年7月1日 from 1 March 1900 on (counted in days as spreadsheets count
// them: 2019-07-01 is 43647), any text.
NEMRO_API std::optional<FieldValue> readFieldValue(FieldType type, std::string_view written);

struct Field {
    std::string name;
    FieldType type = FieldType::Number;
    std::string group;  // 工资项目, 人员信息, ...; may be empty
    std::string description;
    std::optional<FieldValue> sample;  // of the field's type
};

// Why a name is not one the engine reads as one variable; "" when it is.
using FieldNameRule = std::function<std::string(const std::string& name)>;

class NEMRO_API FieldSet {
  public:
    FieldSet() = default;
    // The host's fields in its order. A name that is empty, refused by the rule or given
    // twice, or a sample of another type than its field's, fails with err::FieldFile.
    FieldSet(std::vector<Field> fields, const FieldNameRule& nameRule);

    // Reads a field file: UTF-8 CSV (a byte-order mark allowed, quotes as RFC 4180 has
    // them) whose header names its columns in any order: name (required), type, group,
    // description, sample. Blanks around a name, a type and a sample do not count. A
    // missing type is the one its sample reads as (boolean, number, date, else text), or
    // number. A malformed file fails with err::FieldFile and the line at fault;
    // `fileName` names the file in the message.
    static FieldSet fromCsv(std::string_view csv, const FieldNameRule& nameRule,
                            const std::string& fileName = "");

    const std::vector<Field>& fields() const { return fields_; }
    std::size_t size() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    // The field of that name in any case, or nullptr.
    const Field* find(std::string_view name) const;

  private:
    std::vector<Field> fields_;
    std::unordered_map<std::string, std::size_t> byName_;  // upper-case name -> index
};

// The field file at path, as FieldSet::fromCsv reads it; a file that cannot be read fails
// with err::FieldFile too.
NEMRO_API std::shared_ptr<const FieldSet> loadFieldSet(const std::string& path,
                                                       const FieldNameRule& nameRule);

}  // namespace nemro
