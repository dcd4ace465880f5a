// The functions beyond the built-in ones: the library of the bundled catalogue, the
// clock of TODAY and NOW, and functions a host registers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/export.h"
#include "nemro/expression.h"

namespace nemro {

// A value handed to or returned by a registered function: ekNumber with a number text
// ("12.5"), ekString with the text itself, ekBoolean with "True" or "False". An omitted
// argument is ekEmpty with an empty text.
struct FunctionValue {
    std::int32_t Kind = ekEmpty;
    std::string Text;

    static FunctionValue Number(double value);
    static FunctionValue String(std::string text) { return {ekString, std::move(text)}; }
    static FunctionValue Boolean(bool value) { return {ekBoolean, value ? "True" : "False"}; }
    // The argument read as a number as the engine's "+" reads it; error 13 otherwise.
    double ToNumber() const;

    friend bool operator==(const FunctionValue&, const FunctionValue&) = default;
};

// A registered function's work. An error is reported by throwing NemroError (number,
// source, description); the evaluation fails with it as with any other error.
using FunctionCallback = std::function<FunctionValue(std::span<const FunctionValue> Arguments)>;

inline constexpr std::int32_t kAnyArgumentCount = -1;

struct RegisteredFunction {
    std::string Name;  // upper case
    std::int32_t MinArgs = 0;
    std::int32_t MaxArgs = kAnyArgumentCount;  // kAnyArgumentCount: no upper bound
    std::int32_t ResultType = vtAny;           // the value type the printer reports
    FunctionCallback Callback;
};

// The functions one engine object, prepared formula or formula set computes for its
// host. A registered function overrides the library's function of the same name; the
// built-in functions cannot be replaced.
class NEMRO_API CFunctionRegistry {
  public:
    // Error 5 for a name that is empty, not a name the tokenizer reads as one, or built
    // in, or for an argument rule with MaxArgs below MinArgs; a name registered again is
    // replaced.
    void Register(const std::string& Name, std::int32_t MinArgs, std::int32_t MaxArgs,
                  FunctionCallback Callback, std::int32_t ResultType = vtAny);
    bool Unregister(const std::string& Name);
    // nullptr when the upper-case name is not registered.
    const RegisteredFunction* Find(std::string_view UpperName) const;
    bool Empty() const noexcept { return functions_.empty(); }

  private:
    std::vector<RegisteredFunction> functions_;  // sorted by name
};

// What an evaluation computes beyond the built-in functions. The default is the engine's
// own: no library, no registered functions; calls of other names go to the listener.
struct FunctionSettings {
    bool Library = false;
    // TODAY and NOW as of this serial date and time; the local time when not set.
    std::optional<double> Now;
    // Shared so that copies of a prepared formula share it; not changed while in use.
    std::shared_ptr<const CFunctionRegistry> Functions;

    static FunctionSettings WithLibrary() {
        FunctionSettings s;
        s.Library = true;
        return s;
    }
};

// The names of the library's functions, and of the built-in ones, in byte order.
NEMRO_API std::vector<std::string> LibraryFunctionNames();
NEMRO_API std::vector<std::string> BuiltinFunctionNames();

// Serial numbers of dates: whole days since 30 December 1899 as spreadsheets count them
// from 1 March 1900 on, the time of day the fraction.
NEMRO_API double SerialDate(std::int32_t Year, std::int32_t Month, std::int32_t Day);
// A date text "2026-12-08", "2026/12/8" or "2026年12月8日", optionally followed by a time
// "13:45" or "13:45:30", as a serial number; false for any other text.
NEMRO_API bool ParseDateText(std::string_view Text, double& Serial);
// The local time now as a serial number.
NEMRO_API double LocalNow();

}  // namespace nemro
