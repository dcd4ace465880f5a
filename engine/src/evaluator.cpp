// Postfix evaluation: a value-stack machine over number, string and boolean texts.
#include <algorithm>
#include <functional>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "converter.h"
#include "engine_internal.h"
#include "function_table.h"
#include "library.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"
#include "values.h"

namespace nemro {
namespace {

using namespace detail;

constexpr std::int32_t kStructure = 34;  // malformed operand and operator structure
constexpr const char* kTag = "CGNTExpression.DoEvaluate()";

// An error of the evaluator's own checks; its source is filled in by DoEvaluate.
[[noreturn]] void fail(std::int32_t number, const char* templ, const std::string& name = {}) {
    throw NemroError(number, "", TextTools::FormatText(templ, name));
}

enum class Relation { Equal, NotEqual, Greater, GreaterEqual, Less, LessEqual, None };

// Operator texts are told apart by their characters rather than by string comparisons.
Relation relationOf(std::string_view op) {
    if (op.size() == 1) {
        switch (op[0]) {
            case '=':
                return Relation::Equal;
            case '>':
                return Relation::Greater;
            case '<':
                return Relation::Less;
            default:
                return Relation::None;
        }
    }
    if (op.size() == 2 && op[0] == '<' && op[1] == '>') return Relation::NotEqual;
    if (op.size() == 2 && op[1] == '=' && op[0] == '>') return Relation::GreaterEqual;
    if (op.size() == 2 && op[1] == '=' && op[0] == '<') return Relation::LessEqual;
    return Relation::None;
}

bool isUnaryMinus(std::string_view op) {
    return op == "-()";
}

template <class T>
bool holds(Relation r, const T& left, const T& right) {
    switch (r) {
        case Relation::Equal:
            return left == right;
        case Relation::NotEqual:
            return left != right;
        case Relation::Greater:
            return left > right;
        case Relation::GreaterEqual:
            return left >= right;
        case Relation::Less:
            return left < right;
        case Relation::LessEqual:
            return left <= right;
        case Relation::None:
            break;
    }
    return false;
}

// Numbers when either side is a number, else booleans (true is -1), else text
// without regard to case. Variables are resolved right first.
bool compare(Relation r, Value& left, Value& right, IExpressionListener* listener) {
    p_CheckOperand(right, listener);
    p_CheckOperand(left, listener);
    if (left.el.Kind == ekNumber || right.el.Kind == ekNumber) {
        p_ToNumber(right, listener);
        p_ToNumber(left, listener);
        const double l = numberOf(left);
        return holds(r, l, numberOf(right));
    }
    if (left.el.Kind == ekBoolean || right.el.Kind == ekBoolean) {
        p_ToBoolean(right, listener);
        p_ToBoolean(left, listener);
        const int l = isTrueText(left.el.Text) ? -1 : 0, rv = isTrueText(right.el.Text) ? -1 : 0;
        return holds(r, l, rv);
    }
    p_ToString(right, listener);
    p_ToString(left, listener);
    return holds(r, text::compareNoCase(left.el.Text, right.el.Text), 0);
}

// unary: "-()" value, worked out in the operand's own record
void applyUnaryMinus(ValueStack& values, IExpressionListener* listener) {
    if (values.empty()) fail(kStructure, msg::UnaryMinusWithoutOperand);
    Value& operand = values.back();
    p_ToNumber(operand, listener);
    setComputed(operand, -numberOf(operand));
}

// binary: left right op. The result has the right operand's kind and priority; it is
// written over the left operand's record, and the right one is dropped.
void applyBinary(const Token& op, ValueStack& values, IExpressionListener* listener) {
    if (values.size() < 2) fail(kStructure, msg::BinaryWithoutOperand, std::string(op.Text));
    Value& right = values.back();
    Value& left = values[values.size() - 2];
    const std::string_view o = op.Text;
    const char symbol = o.size() == 1 ? o[0] : '\0';
    if (symbol == '&' || symbol == ';') {
        p_ToString(right, listener);
        p_ToString(left, listener);
        // Appending to the left text keeps long chains of "&" linear.
        left.el.Text += right.el.Text;
    } else if (const Relation r = relationOf(o); r != Relation::None) {
        const bool holdsFor = compare(r, left, right, listener);
        left.el.Text = booleanText(holdsFor);
        left.known = left.textLater = false;
        right.el.Kind = ekBoolean;
    } else if (symbol == '+' || symbol == '-' || symbol == '*' || symbol == '/' || symbol == '^') {
        p_ToNumber(right, listener);
        p_ToNumber(left, listener);
        const double l = numberOf(left), rv = numberOf(right);
        double result = 0;
        switch (symbol) {
            case '+':
                result = checkedResult(l + rv);
                break;
            case '-':
                result = checkedResult(l - rv);
                break;
            case '*':
                result = checkedResult(l * rv);
                break;
            case '/':
                result = rv == 0 ? 0.0 : checkedDivide(l, rv);
                break;  // x/0 is 0 here
            default:
                result = checkedPower(l, rv);
                break;
        }
        setComputed(left, result);
    } else {
        fail(err::Syntax, msg::InvalidElement);
    }
    left.el.Kind = right.el.Kind;
    left.el.Priority = right.el.Priority;
    values.pop_back();
}

// A name that is not built in: the listener answers with a status.
void callUserFunction(const std::string& name, CExpElmStack& arguments, ValueStack& values,
                      IExpressionListener* listener) {
    std::string value = "-1";
    if (listener) listener->UserFunction(name, arguments, value);
    const std::string_view status = text::trimBlanks(value);
    if (status == "-1") fail(err::Syntax, msg::UnknownFunction, name);
    if (status == "1") fail(err::Syntax, msg::WrongArgumentCount, name);
    if (status == "2") fail(err::Syntax, msg::RequiredArgumentEmpty, name);
    if (status == "0") values.push_back(Value{ExpElement{value, ekString, kOperandPriority}});
    // any other status: the call yields no value
}

// The call of a handler on the arguments where they lie: its result then takes the place
// of the "(" marker.
void runHandler(std::string_view name, std::int32_t minArgs, std::int32_t maxArgs,
                void (*handler)(FunctionCall&), ValueStack& values, std::size_t first,
                IExpressionListener* listener, const FunctionSettings* settings) {
    // The count is a 16-bit number, as the element stack gives it.
    if (values.size() - first > 32767) raisePlatform(err::Overflow, "CExpElmStack.StackSize");
    const auto n = static_cast<std::int32_t>(values.size() - first);
    if (n < minArgs || (maxArgs != kUnbounded && n > maxArgs))
        fail(kStructure, msg::WrongArgumentCount, std::string(name));
    const std::size_t end = values.size();
    FunctionCall call(name, values, first, listener, settings);
    handler(call);
    // Whatever the call yielded moves down over the marker and the arguments.
    std::size_t to = first - 1;
    for (std::size_t from = end; from < values.size(); ++from, ++to)
        values[to] = std::move(values[from]);
    values.resize(to);
}

// A registered function: its arguments as typed values, its answer checked.
void callRegistered(const RegisteredFunction& f, ValueStack& values, std::size_t first,
                    IExpressionListener* listener) {
    const auto n = static_cast<std::int32_t>(std::min<std::size_t>(values.size() - first, 32768));
    if (n < f.MinArgs || (f.MaxArgs != kAnyArgumentCount && n > f.MaxArgs))
        fail(kStructure, msg::WrongArgumentCount, f.Name);
    std::vector<FunctionValue> args;
    args.reserve(values.size() - first);
    for (std::size_t i = first; i < values.size(); ++i) {
        Value& v = values[i];
        if (v.el.Kind == ekEmpty) {
            args.emplace_back();
            continue;
        }
        p_CheckOperand(v, listener);
        const ExpElement& el = element(v);
        args.push_back({el.Kind, el.Text});
    }
    FunctionValue r;
    try {
        r = f.Callback(args);
    } catch (const NemroError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // A host's failure of another kind is still the one error type.
        throw NemroError(err::InvalidArgument, "", e.what());
    }
    values.resize(first - 1);
    Value& out = values.emplace_back(ExpElement{std::move(r.Text), r.Kind, kOperandPriority});
    const bool fits = r.Kind == ekString ||
                      (r.Kind == ekNumber && CGNTExpression::IsDecimal(out.el.Text)) ||
                      (r.Kind == ekBoolean && CGNTExpression::IsBoolean(out.el.Text));
    if (!fits) fail(err::TypeMismatch, msg::BadFunctionResult, f.Name);
    if (r.Kind == ekNumber) setComputed(out, readNumber(out.el.Text));
    if (r.Kind == ekBoolean) out.el.Text = CGNTExpression::ICase(out.el.Text);
}

// A registered or library function of that name; false when there is none.
bool callExtension(const std::string& name, ValueStack& values, std::size_t first,
                   IExpressionListener* listener, const FunctionSettings& settings) {
    if (settings.Functions) {
        if (const RegisteredFunction* r = settings.Functions->Find(name)) {
            callRegistered(*r, values, first, listener);
            return true;
        }
    }
    if (!settings.Library) return false;
    const LibraryFunction* f = findLibrary(name);
    if (!f) return false;
    runHandler(f->name, f->minArgs, f->maxArgs, f->handler, values, first, listener, &settings);
    return true;
}

// call: "(" arguments... NAME. A built-in function reads its arguments where they lie
// on the value stack; its result then takes the place of the "(" marker.
void callFunction(const Token& marker, ValueStack& values, IExpressionListener* listener,
                  const FunctionSettings* settings) {
    std::size_t first = values.size();
    while (first > 0 && !isArgumentMarker(values[first - 1].el)) --first;
    if (first == 0) fail(kStructure, msg::UnpairedBracket);
    // Built-in names are ASCII; the case mapping of other text can still make one.
    const bool ascii = text::isAscii(marker.Text);
    std::string upperName = ascii ? std::string() : text::upper(marker.Text);
    const BuiltinFunction* f = ascii ? findBuiltinAscii(marker.Text) : findBuiltin(upperName);
    if (!f) {
        const std::string name = ascii ? text::upper(marker.Text) : std::move(upperName);
        if (settings && callExtension(name, values, first, listener, *settings)) return;
        // The listener is handed the arguments as an element stack, the first on top.
        CExpElmStack arguments;
        arguments.ReserveStorage(
            static_cast<std::int32_t>(std::min<std::size_t>(values.size() - first, 1024)));
        for (std::size_t i = values.size(); i > first; --i) {
            Value& v = values[i - 1];
            // A prepared formula's variable is handed on by its name, as it was written.
            if (v.slot >= 0) v.el.Text = static_cast<SlotListener*>(listener)->variableName(v.slot);
            arguments.Push(std::move(element(v)));
        }
        values.resize(first - 1);
        return callUserFunction(name, arguments, values, listener);
    }
    runHandler(f->name, f->minArgs, f->maxArgs, f->handler, values, first, listener, settings);
}

// The place of an element whose text is a slice of `formula`; none for any other (a
// literal the tokenizer rewrote, the converter's own words).
[[gnu::cold, gnu::noinline]] void placeElement(NemroError& e, std::string_view formula,
                                               std::string_view element) {
    const std::less_equal<const char*> notAfter;  // a total order on any pointers
    if (element.empty() || formula.empty() || !notAfter(formula.data(), element.data()) ||
        !notAfter(element.data() + element.size(), formula.data() + formula.size()))
        return;
    const auto units = [](std::string_view s) {
        return static_cast<std::int32_t>(text::toUtf16(s).size());
    };
    const auto at = static_cast<std::size_t>(element.data() - formula.data());
    e.setPlace(units(formula.substr(0, at)) + 1, units(element));
}

// Finds the postfix element `index` of a formula again, by converting it once more.
class LocateSink {
  public:
    LocateSink(const std::string& formula, std::size_t index, NemroError& e)
        : formula_(formula), index_(index), e_(e) {}
    void emit(const Token& t) {
        if (seen_++ == index_) placeElement(e_, formula_, t.Text);
    }

  private:
    const std::string& formula_;
    std::size_t index_;
    NemroError& e_;
    std::size_t seen_ = 0;
};

// Places an error of the evaluation of element `index` of formula's postfix form. Only a
// failure pays for it: the evaluation itself keeps no places.
[[gnu::cold, gnu::noinline]] void placeEvaluationError(NemroError& e, const std::string& formula,
                                                       std::size_t index) {
    LocateSink locate(formula, index, e);
    try {
        convertInfix(formula, locate);
    } catch (const NemroError&) {
        // A formula that converted once converts again; nothing to place otherwise.
    }
}

// The value-stack machine: each postfix element in turn, then the one result. Errors
// leave with the evaluator's tag in front of their source. A machine that defers its
// errors keeps the first one for finish() and ignores what follows, so that it can be
// fed while the conversion is still looking for syntax errors, which come first.
class EvalMachine {
  public:
    // Number texts that lie in `formula` are read from there when they are needed.
    EvalMachine(IExpressionListener* listener, const FunctionSettings* settings, bool deferErrors,
                std::string_view formula = {})
        : listener_(listener), settings_(settings), defer_(deferErrors), formula_(formula) {}
    // The elements of a prepared formula, whose texts outlive the machine.
    struct Prepared {};
    EvalMachine(SlotListener* listener, const FunctionSettings* settings, Prepared)
        : listener_(listener), settings_(settings), defer_(false), textsKept_(true) {}

    void emit(const Token& el) {
        if (error_) return;
        try {
            if (el.Kind == ekFunction)
                callFunction(el, *values_, listener_, settings_);
            else if (el.Kind == ekOperator && isUnaryMinus(el.Text))
                applyUnaryMinus(*values_, listener_);
            else if (el.Kind == ekOperator)
                applyBinary(el, *values_, listener_);
            else
                push(el);
        } catch (NemroError& e) {
            tag(e);
            placeElement(e, placeIn_, el.Text);
            if (!defer_) throw;
            error_.emplace(std::move(e));
        }
    }

    // Errors of elements whose texts are slices of `formula` are placed there.
    void placeIn(std::string_view formula) { placeIn_ = formula; }

    ExpElement finish() {
        if (error_) throw std::move(*error_);
        try {
            if (values_->size() != 1) fail(kStructure, msg::OperandCountMismatch);
            resolveSlot(values_->back(), listener_);
            ExpElement el = std::move(element(values_->back()));
            values_->pop_back();
            p_CheckOperand(el, listener_);
            return el;
        } catch (NemroError& e) {
            tag(e);
            throw;
        }
    }

  private:
    void push(const Token& el) {
        Value& v = values_->emplace_back();
        v.el.Kind = el.Kind;
        v.el.Priority = el.Priority;
        if (el.Slot >= 0) {
            v.slot = el.Slot;  // answered when it is first needed, as UserVariable is asked
            return;
        }
        if (el.Valued) {
            v.number = el.Value;
            v.known = true;
        }
        const std::less_equal<const char*> notAfter;  // a total order on any pointers
        const bool inFormula =
            textsKept_ ||
            (!formula_.empty() && notAfter(formula_.data(), el.Text.data()) &&
             notAfter(el.Text.data() + el.Text.size(), formula_.data() + formula_.size()));
        if (el.Valued && inFormula) {
            v.literal = el.Text;
            v.textLater = true;
        } else {
            v.el.Text.assign(el.Text);
        }
    }

    static void tag(NemroError& e) {
        if (e.source().empty())
            e.prefixSource(kTag);
        else
            e.prefixSource(std::string(kTag) + "\\");
    }

    IExpressionListener* listener_;
    const FunctionSettings* settings_;
    bool defer_;
    std::string_view formula_;
    std::string_view placeIn_;
    bool textsKept_ = false;
    std::optional<NemroError> error_;
    Scratch<ValueStack, EvalMachine> values_;
};

// The syntax check of a conversion whose output is not kept.
class DiscardSink {
  public:
    void emit(const Token&) {}
};

// With a listener, a formula's postfix form is complete before its evaluation calls the
// listener: up to this length it is kept whole; a longer one is converted twice, first
// only for its syntax errors and then straight into the evaluator, so that its postfix
// form never exists as a whole.
constexpr std::size_t kWholePostfixBytes = 4096;

class CollectSink {
  public:
    void emit(const Token& t) {
        elements->push_back(ExpElement{std::string(t.Text), t.Kind, t.Priority});
    }
    Scratch<std::vector<ExpElement>, CollectSink> elements;
};

}  // namespace

namespace detail {

ExpElement evaluatePrepared(std::span<const Token> postfix, SlotListener& listener,
                            const FunctionSettings* settings, const std::string& formula) {
    std::size_t i = 0;
    try {
        EvalMachine machine(&listener, settings, EvalMachine::Prepared{});
        for (; i < postfix.size(); ++i) machine.emit(postfix[i]);
        return machine.finish();
    } catch (NemroError& e) {
        if (i < postfix.size()) placeEvaluationError(e, formula, i);
        e.prefixSource("CGNTExpression.Evaluate()\\");
        throw;
    }
}

}  // namespace detail

ExpElement CGNTExpression::DoEvaluate(const CExpElmStack& Postfix) {
    EvalMachine machine(listener_, functions_.get(), false);
    ExpElement el;
    // Slots from the top down are the postfix elements first to last.
    for (std::int32_t slot = Postfix.Count(); slot >= 1; --slot) {
        Postfix.Peek(el, slot);
        machine.emit(Token{el.Text, el.Kind, el.Priority});
    }
    return machine.finish();
}

ExpElement CGNTExpression::EvaluateOrThrow(const std::string& Expression) {
    if (Expression.find_first_not_of(' ') == std::string::npos)
        throw NemroError(err::Syntax, "CGNTExpression.Evaluate()", msg::EmptyExpression);
    try {
        if (!listener_) {
            // Nothing outside sees the evaluation: it runs while the formula converts.
            EvalMachine machine(nullptr, functions_.get(), true, Expression);
            machine.placeIn(Expression);
            convertInfix(Expression, machine);
            return machine.finish();
        }
        EvalMachine machine(listener_, functions_.get(), false);
        if (Expression.size() <= kWholePostfixBytes) {
            CollectSink postfix;
            convertInfix(Expression, postfix);
            std::size_t i = 0;
            try {
                for (; i < postfix.elements->size(); ++i) {
                    const ExpElement& el = (*postfix.elements)[i];
                    machine.emit(Token{el.Text, el.Kind, el.Priority});
                }
            } catch (NemroError& e) {
                placeEvaluationError(e, Expression, i);
                throw;
            }
        } else {
            DiscardSink check;
            convertInfix(Expression, check);
            machine.placeIn(Expression);
            convertInfix(Expression, machine);
        }
        return machine.finish();
    } catch (NemroError& e) {
        e.prefixSource("CGNTExpression.Evaluate()\\");
        throw;
    }
}

}  // namespace nemro
