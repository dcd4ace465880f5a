// Prepared formulas: the postfix form kept with its own texts, variables numbered.
#include "nemro/prepared.h"

#include <algorithm>
#include <cmath>

#include "converter.h"
#include "function_table.h"
#include "library.h"
#include "messages.h"
#include "nemro/text.h"
#include "values.h"

namespace nemro {

namespace detail {
ExpElement evaluatePrepared(std::span<const Token> postfix, SlotListener& listener,
                            const FunctionSettings* settings);
}  // namespace detail

namespace {

// Pure arithmetic over number literals and variables, as a program over doubles. It
// gives what the evaluator gives, each result rounded to the number its 15-digit text
// reads back as; whatever it does not take on in the same few steps (an error, a
// magnitude beyond the cheap read-back, a variable that is no plain number) sends the
// row to the evaluator, which has no side effects to repeat in such a formula.
struct NumericStep {
    enum Code : std::uint8_t {
        Constant,
        Variable,
        Add,
        Subtract,
        Multiply,
        Divide,
        Power,
        Negate,
        Call  // a library function of numbers over the top `slot` values
    } code;
    std::int32_t slot = 0;
    double value = 0;
    detail::NumericFunction function = nullptr;
};
constexpr std::size_t kNumericDepth = 64;

}  // namespace

struct CPreparedExpression::Form {
    std::string texts;                   // every element's text, one after another
    std::vector<detail::Token> postfix;  // texts are slices of `texts`
    std::vector<std::string> variables, userFunctions;
    std::vector<NumericStep> numeric;  // empty when the formula is not pure arithmetic
    FunctionSettings functions;
};

namespace {

using namespace detail;

// The library function of numbers that a call of that upper-case name computes under
// these settings: not one a host registered over it.
bool numericFunction(const FunctionSettings& functions, const std::string& upper,
                     const LibraryFunction** out) {
    if (!functions.Library || (functions.Functions && functions.Functions->Find(upper)))
        return false;
    const LibraryFunction* f = findLibrary(upper);
    if (out) *out = f;
    return f && (out == nullptr || f->numeric);
}

// Collects the postfix elements; their texts are placed once the conversion is done,
// when `texts` no longer grows.
class FormSink {
  public:
    explicit FormSink(CPreparedExpression::Form& form) : form_(form) {}
    void emit(const Token& t) {
        Token kept = t;
        kept.Text = {};
        offsets_.push_back(form_.texts.size());
        form_.texts.append(t.Text);
        if (t.Kind == ekVariable)
            kept.Slot = slotOf(std::string(t.Text));
        else if (t.Kind == ekFunction)
            noteFunction(t.Text);
        form_.postfix.push_back(kept);
    }
    void finish() {
        const std::string_view all = form_.texts;
        for (std::size_t i = 0; i < form_.postfix.size(); ++i) {
            const std::size_t end = i + 1 < offsets_.size() ? offsets_[i + 1] : all.size();
            form_.postfix[i].Text = all.substr(offsets_[i], end - offsets_[i]);
        }
    }

  private:
    std::int32_t slotOf(const std::string& name) {
        auto& vars = form_.variables;
        const auto it = std::find(vars.begin(), vars.end(), name);
        if (it != vars.end()) return static_cast<std::int32_t>(it - vars.begin());
        vars.push_back(name);
        return static_cast<std::int32_t>(vars.size() - 1);
    }
    void noteFunction(std::string_view name) {
        std::string upper = text::upper(name);
        const FunctionSettings& f = form_.functions;
        if (findBuiltin(upper) || (f.Functions && f.Functions->Find(upper)) ||
            numericFunction(f, upper, nullptr))
            return;
        auto& fns = form_.userFunctions;
        if (std::find(fns.begin(), fns.end(), upper) == fns.end()) fns.push_back(std::move(upper));
    }

    CPreparedExpression::Form& form_;
    std::vector<std::size_t> offsets_;
};

// The numeric program of a postfix form that ends in an operator or call and holds nothing
// but number literals with their values, variables, the arithmetic operators and calls of
// the library's functions of numbers.
std::vector<NumericStep> numericProgram(const std::vector<Token>& postfix,
                                        const FunctionSettings& functions) {
    std::vector<NumericStep> steps;
    std::vector<std::size_t> calls;  // the depth at each open call's "("
    std::size_t depth = 0;
    for (const Token& t : postfix) {
        NumericStep s{NumericStep::Constant};
        if (t.Kind == ekDelimiter && t.Text == "(") {
            calls.push_back(depth);
            continue;
        }
        if (t.Kind == ekFunction) {
            const LibraryFunction* f = nullptr;
            if (calls.empty() || !numericFunction(functions, text::upper(t.Text), &f)) return {};
            const std::size_t n = depth - calls.back();
            calls.pop_back();
            if (static_cast<std::int32_t>(n) < f->minArgs ||
                (f->maxArgs != kUnbounded && static_cast<std::int32_t>(n) > f->maxArgs))
                return {};
            s.code = NumericStep::Call;
            s.slot = static_cast<std::int32_t>(n);
            s.function = f->numeric;
            depth -= n;
            if (++depth > kNumericDepth) return {};
            steps.push_back(s);
            continue;
        }
        if (t.Kind == ekNumber && t.Valued) {
            s.value = t.Value;
        } else if (t.Kind == ekVariable) {
            s.code = NumericStep::Variable;
            s.slot = t.Slot;
        } else if (t.Kind == ekOperator && t.Text == "-()" && depth >= 1) {
            s.code = NumericStep::Negate;
        } else if (t.Kind == ekOperator && t.Text.size() == 1 && depth >= 2) {
            switch (t.Text[0]) {
                case '+':
                    s.code = NumericStep::Add;
                    break;
                case '-':
                    s.code = NumericStep::Subtract;
                    break;
                case '*':
                    s.code = NumericStep::Multiply;
                    break;
                case '/':
                    s.code = NumericStep::Divide;
                    break;
                case '^':
                    s.code = NumericStep::Power;
                    break;
                default:
                    return {};
            }
            --depth;
        } else {
            return {};
        }
        if (s.code <= NumericStep::Variable && ++depth > kNumericDepth) return {};
        steps.push_back(s);
    }
    if (depth != 1 || !calls.empty() || steps.empty() || steps.back().code <= NumericStep::Variable)
        return {};
    return steps;
}

// A computed number as the evaluator keeps it; false where it would take the text route.
bool rounded(double value, double& out) {
    return std::isfinite(value) && readBackNumber(value, out);
}

// A variable's number: from a double, or from a text that is a plain decimal number.
bool numberOf(double d, double& out) {
    return rounded(d, out);
}
bool numberOf(const VariableValue& v, double& out) {
    const std::string& t = v.Text;
    if (t.empty() || t.front() == ' ' || t.back() == ' ' || t.front() == '\t' || t.back() == '\t' ||
        !CGNTExpression::IsDecimal(t))
        return false;
    try {
        out = readNumber(t);
        return true;
    } catch (const NemroError&) {
        return false;
    }
}

template <class Values>
bool runNumeric(const std::vector<NumericStep>& steps, std::span<const Values> values,
                double& result) {
    double stack[kNumericDepth];
    std::size_t n = 0;
    for (const NumericStep& s : steps) {
        if (s.code == NumericStep::Constant) {
            stack[n++] = s.value;
            continue;
        }
        if (s.code == NumericStep::Variable) {
            const auto slot = static_cast<std::size_t>(s.slot);
            double v = 0;  // no value reads as "", which is 0
            if (slot < values.size() && !numberOf(values[slot], v)) return false;
            stack[n++] = v;
            continue;
        }
        if (s.code == NumericStep::Negate) {
            if (!rounded(-stack[n - 1], stack[n - 1])) return false;
            continue;
        }
        if (s.code == NumericStep::Call) {
            const auto count = static_cast<std::size_t>(s.slot);
            double v = 0;
            try {
                v = s.function(stack + n - count, count);
            } catch (const NemroError&) {
                return false;  // the evaluator raises it again, with its source
            }
            n -= count;
            if (!rounded(v, stack[n++])) return false;
            continue;
        }
        const double r = stack[--n], l = stack[n - 1];
        double v = 0;
        switch (s.code) {
            case NumericStep::Add:
                v = l + r;
                break;
            case NumericStep::Subtract:
                v = l - r;
                break;
            case NumericStep::Multiply:
                v = l * r;
                break;
            case NumericStep::Divide:
                v = r == 0 ? 0.0 : l / r;
                break;  // x/0 is 0 here
            default:
                if (l == 0 && r < 0) return false;
                v = std::pow(l, r);
                break;
        }
        if (!rounded(v, stack[n - 1])) return false;
    }
    result = stack[0];
    return true;
}

// Answers the variables of one evaluation and hands the host's callbacks on.
class RowListener : public SlotListener {
  public:
    RowListener(const CPreparedExpression::Form& form, IExpressionListener* host)
        : form_(form), host_(host) {}

    std::span<const double> numbers;
    std::span<const VariableValue> texts;
    const VariableCallback* callback = nullptr;

    void resolve(Value& v) override {
        const auto slot = static_cast<std::size_t>(v.slot);
        v.slot = -1;
        v.el.Priority = kOperandPriority;
        if (callback) {
            answer_ = VariableValue{};
            (*callback)(slot, answer_);
            return answer(v, slot, answer_);
        }
        if (slot < numbers.size()) {
            const double d = numbers[slot];
            if (!std::isfinite(d)) raisePlatform(err::Overflow, "");
            return setComputed(v, d);
        }
        if (slot < texts.size()) return answer(v, slot, texts[slot]);
        v.el.Text = "0";  // no answer, as from a listener that leaves the value empty
        v.el.Kind = ekNumber;
    }
    const std::string& variableName(std::int32_t slot) const override {
        return form_.variables[static_cast<std::size_t>(slot)];
    }

    void UserVariable(const std::string& Name, std::string& Value) override {
        if (host_) host_->UserVariable(Name, Value);
    }
    void UserFunction(const std::string& Name, CExpElmStack& Arguments,
                      std::string& Value) override {
        if (host_) host_->UserFunction(Name, Arguments, Value);
    }
    void CheckVariable(const std::string& Name, std::int32_t& ReturnType, std::int32_t& ErrNum,
                       std::string& ErrDes) override {
        if (host_) host_->CheckVariable(Name, ReturnType, ErrNum, ErrDes);
    }
    void CheckUserFunction(const std::string& Name, CExpElmStack& Arguments,
                           std::int32_t& ReturnType, std::int32_t& ErrNum,
                           std::string& ErrDes) override {
        if (host_) host_->CheckUserFunction(Name, Arguments, ReturnType, ErrNum, ErrDes);
    }

  private:
    void answer(Value& v, std::size_t slot, const VariableValue& value) {
        if (value.Kind == ekString) {
            v.el.Text = value.Text;
            v.el.Kind = ekString;
            return;
        }
        v.el.Text = form_.variables[slot];  // the name, for the message of a bad answer
        p_AnswerVariable(v.el, value.Text);
    }

    const CPreparedExpression::Form& form_;
    IExpressionListener* host_;
    VariableValue answer_;
};

}  // namespace

CPreparedExpression::CPreparedExpression(const std::string& Expression,
                                         const FunctionSettings& Functions) {
    if (Expression.find_first_not_of(' ') == std::string::npos)
        throw NemroError(err::Syntax, "CGNTExpression.Evaluate()", msg::EmptyExpression);
    auto form = std::make_shared<Form>();
    form->functions = Functions;
    FormSink sink(*form);
    try {
        convertInfix(Expression, sink);
    } catch (NemroError& e) {
        e.prefixSource("CGNTExpression.Evaluate()\\");
        throw;
    }
    sink.finish();
    form->numeric = numericProgram(form->postfix, form->functions);
    form_ = std::move(form);
}

const std::vector<std::string>& CPreparedExpression::Variables() const noexcept {
    return form_->variables;
}

const std::vector<std::string>& CPreparedExpression::UserFunctions() const noexcept {
    return form_->userFunctions;
}

ExpElement CPreparedExpression::Evaluate(std::span<const VariableValue> Values,
                                         IExpressionListener* Listener) const {
    if (double r = 0; !form_->numeric.empty() && runNumeric(form_->numeric, Values, r))
        return ExpElement{formatNumber(r), ekNumber, kOperandPriority};
    RowListener row(*form_, Listener);
    row.texts = Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions);
}

ExpElement CPreparedExpression::Evaluate(std::span<const double> Values,
                                         IExpressionListener* Listener) const {
    if (double r = 0; !form_->numeric.empty() && runNumeric(form_->numeric, Values, r))
        return ExpElement{formatNumber(r), ekNumber, kOperandPriority};
    RowListener row(*form_, Listener);
    row.numbers = Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions);
}

ExpElement CPreparedExpression::Evaluate(const VariableCallback& Values,
                                         IExpressionListener* Listener) const {
    RowListener row(*form_, Listener);
    row.callback = &Values;
    return evaluatePrepared(form_->postfix, row, &form_->functions);
}

}  // namespace nemro
