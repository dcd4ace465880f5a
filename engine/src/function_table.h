// The built-in function library: one table of name, argument-count rule and
// handler. Handlers live in functions_logical.cpp, functions_text.cpp and
// functions_numeric.cpp. Not installed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "nemro/expression.h"
#include "values.h"

namespace nemro::detail {

// One call of a built-in function: its upper-case name, its arguments (first on
// top) and the value stack that receives the result.
class FunctionCall {
public:
    FunctionCall(std::string name, CExpElmStack arguments, std::int32_t count,
                 ValueStack& values, IExpressionListener* listener)
        : name_(std::move(name)), arguments_(std::move(arguments)), count_(count),
          values_(values), listener_(listener) {}

    const std::string& name() const noexcept { return name_; }
    std::int32_t count() const noexcept { return count_; }
    IExpressionListener* listener() const noexcept { return listener_; }

    // The next argument, first to last; an exhausted stack gives an empty element.
    ExpElement next();
    ExpElement nextNumber();
    ExpElement nextBoolean();
    ExpElement nextString();
    // The next optional argument: false when it is missing or omitted (no conversion).
    bool nextOptionalNumber(ExpElement& out);

    // Argument out of the function's range: error 34 naming the function.
    [[noreturn]] void badValue() const;

    void push(ExpElement result) { values_.push_back(Value{std::move(result)}); }
    void pushNumber(double value);
    void pushText(std::string text, std::int32_t kind);

private:
    std::string name_;
    CExpElmStack arguments_;
    std::int32_t count_;
    ValueStack& values_;
    IExpressionListener* listener_;
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
