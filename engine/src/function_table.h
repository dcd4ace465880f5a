// The built-in function library: one table of name, argument-count rule and
// handler. Handlers live in functions_logical.cpp, functions_text.cpp and
// functions_numeric.cpp. Not installed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "nemro/expression.h"
#include "nemro/functions.h"
#include "values.h"

namespace nemro::detail {

// One call of a built-in function: its upper-case name, its arguments (the values from
// index first to the top of the value stack, first to last) and the value stack that
// receives the result above them.
class FunctionCall {
  public:
    FunctionCall(std::string_view name, ValueStack& values, std::size_t first,
                 IExpressionListener* listener, const FunctionSettings* settings = nullptr)
        : name_(name),
          values_(values),
          next_(first),
          end_(values.size()),
          count_(static_cast<std::int32_t>(end_ - first)),
          listener_(listener),
          settings_(settings) {}

    std::string_view name() const noexcept { return name_; }
    std::int32_t count() const noexcept { return count_; }
    IExpressionListener* listener() const noexcept { return listener_; }
    // The evaluation's library, clock and registered functions; nullptr for the defaults.
    const FunctionSettings* settings() const noexcept { return settings_; }

    // The next argument, first to last; an exhausted list gives an empty element.
    ExpElement next();
    ExpElement nextNumber();
    ExpElement nextBoolean();
    ExpElement nextString();
    // The next argument converted to a number, as a double.
    double nextValue();
    // The next optional number: false when it is missing or omitted (no conversion).
    bool nextOptionalValue(double& out);
    // The next argument converted to a value of its own kind; an omitted one is empty.
    ExpElement nextOperand();
    bool atEnd() const noexcept { return next_ >= end_; }

    // Argument out of the function's range: error 34 naming the function.
    [[noreturn]] void badValue() const;

    void push(ExpElement result) { values_.push_back(Value{std::move(result)}); }
    void pushNumber(double value);
    void pushText(std::string text, std::int32_t kind);

  private:
    Value* nextArgument() { return next_ < end_ ? &values_[next_++] : nullptr; }

    std::string_view name_;
    ValueStack& values_;
    std::size_t next_, end_;
    std::int32_t count_;
    IExpressionListener* listener_;
    const FunctionSettings* settings_;
};

struct BuiltinFunction {
    std::string_view name;  // upper case
    std::int32_t minArgs;
    std::int32_t maxArgs;  // kUnbounded for "1 or more"
    void (*handler)(FunctionCall&);
};

inline constexpr std::int32_t kUnbounded = -1;

// Sorted by name in byte order, without duplicates: the lookup is a binary search.
std::span<const BuiltinFunction> builtinFunctions();
// nullptr when the upper-case name is not built in.
const BuiltinFunction* findBuiltin(std::string_view upperName);
// The same for a name of ASCII characters as written, in any case.
const BuiltinFunction* findBuiltinAscii(std::string_view asciiName);

// Logical
void fnAnd(FunctionCall&);
void fnOr(FunctionCall&);
void fnNot(FunctionCall&);
void fnIf(FunctionCall&);
// Text
void fnChar(FunctionCall&);
void fnCode(FunctionCall&);
void fnExact(FunctionCall&);
void fnFind(FunctionCall&);
void fnFindB(FunctionCall&);
void fnLeft(FunctionCall&);
void fnLeftB(FunctionCall&);
void fnRight(FunctionCall&);
void fnRightB(FunctionCall&);
void fnLen(FunctionCall&);
void fnLenB(FunctionCall&);
void fnMid(FunctionCall&);
void fnMidB(FunctionCall&);
// Numeric
void fnInt(FunctionCall&);
void fnMod(FunctionCall&);
void fnRound(FunctionCall&);
void fnTrunc(FunctionCall&);
void fnSign(FunctionCall&);
void fnRmbdx(FunctionCall&);

}  // namespace nemro::detail
