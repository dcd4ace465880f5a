// Prepared formulas: converted once, then evaluated any number of times with new values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "nemro/expression.h"
#include "nemro/functions.h"

namespace nemro {

// A variable's value for one evaluation. A string (ekString) is its text as it stands;
// any other kind is read as an answer of UserVariable is: "12.5" a number, "True" a
// boolean, "\"abc\"" a string, "#7" error 7, "" zero.
struct VariableValue {
    std::int32_t Kind = ekEmpty;
    std::string Text;
};

// Called with a variable's place in Variables() when the evaluation first needs its
// value, as often as Evaluate would ask UserVariable.
using VariableCallback = std::function<void(std::size_t Index, VariableValue& Value)>;

// A formula converted once. Its result for given values is what CGNTExpression's
// EvaluateOrThrow gives for the same text, with the same function settings and a listener
// that answers UserVariable with those values: the same kind and text, or the same error.
// The library is on unless the settings say otherwise; calls of other functions that are
// neither built in nor registered go to the listener given to Evaluate.
//
// A prepared formula owns all it needs and may be copied cheaply; one may be evaluated
// from several threads at once, each with its own values (and a listener safe for that).
class NEMRO_API CPreparedExpression {
  public:
    // Converts Expression; a syntax error throws what EvaluateOrThrow throws for it.
    explicit CPreparedExpression(
        const std::string& Expression,
        const FunctionSettings& Functions = FunctionSettings::WithLibrary());

    // The variables, each once, in the order they are first written.
    const std::vector<std::string>& Variables() const noexcept;
    // The upper-case names of the functions called that are neither built in, nor in the
    // library when it is on, nor registered, each once.
    const std::vector<std::string>& UserFunctions() const noexcept;

    // Values by place in Variables(); a variable beyond the values given reads as "".
    // Numbers are taken as their 15-digit texts; one that is not finite is an overflow.
    ExpElement Evaluate(std::span<const VariableValue> Values,
                        IExpressionListener* Listener = nullptr) const;
    ExpElement Evaluate(std::span<const double> Values,
                        IExpressionListener* Listener = nullptr) const;
    ExpElement Evaluate(const VariableCallback& Values,
                        IExpressionListener* Listener = nullptr) const;

    // The result as a number, without its text: what Evaluate's result reads as when
    // arithmetic takes it as an operand (a boolean 1 or 0, a text that is a number that
    // number); a result that is no number is error 13, and errors are Evaluate's.
    double EvaluateNumber(std::span<const VariableValue> Values,
                          IExpressionListener* Listener = nullptr) const;
    double EvaluateNumber(std::span<const double> Values,
                          IExpressionListener* Listener = nullptr) const;

    struct Form;

  private:
    std::shared_ptr<const Form> form_;
};

}  // namespace nemro
