// Postfix evaluation: a value-stack machine over number, string and boolean texts.
#include <string>
#include <vector>

#include "engine_internal.h"
#include "function_table.h"
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

double number(const ExpElement& el) { return readNumber(el.Text); }

void setNumber(ExpElement& el, double value) {
    el.Text = formatNumber(value);
    el.Kind = ekNumber;
}

enum class Relation { Equal, NotEqual, Greater, GreaterEqual, Less, LessEqual, None };

// Operator texts are told apart by their characters rather than by string comparisons.
Relation relationOf(const std::string& op) {
    if (op.size() == 1) {
        switch (op[0]) {
            case '=': return Relation::Equal;
            case '>': return Relation::Greater;
            case '<': return Relation::Less;
            default: return Relation::None;
        }
    }
    if (op.size() == 2 && op[0] == '<' && op[1] == '>') return Relation::NotEqual;
    if (op.size() == 2 && op[1] == '=' && op[0] == '>') return Relation::GreaterEqual;
    if (op.size() == 2 && op[1] == '=' && op[0] == '<') return Relation::LessEqual;
    return Relation::None;
}

bool isOneOf(const std::string& op, std::string_view chars) {
    return op.size() == 1 && chars.find(op[0]) != std::string_view::npos;
}

bool isUnaryMinus(const std::string& op) { return op.size() == 3 && op[0] == '-' && op[1] == '(' && op[2] == ')'; }

template <class T>
bool holds(Relation r, const T& left, const T& right) {
    switch (r) {
        case Relation::Equal: return left == right;
        case Relation::NotEqual: return left != right;
        case Relation::Greater: return left > right;
        case Relation::GreaterEqual: return left >= right;
        case Relation::Less: return left < right;
        case Relation::LessEqual: return left <= right;
        case Relation::None: break;
    }
    return false;
}

// Numbers when either side is a number, else booleans (true is -1), else text
// without regard to case. Variables are resolved right first.
bool compare(Relation r, ExpElement& left, ExpElement& right, IExpressionListener* listener) {
    p_CheckOperand(right, listener);
    p_CheckOperand(left, listener);
    if (left.Kind == ekNumber || right.Kind == ekNumber) {
        p_ToNumber(right, listener);
        p_ToNumber(left, listener);
        return holds(r, number(left), number(right));
    }
    if (left.Kind == ekBoolean || right.Kind == ekBoolean) {
        p_ToBoolean(right, listener);
        p_ToBoolean(left, listener);
        const int l = isTrueText(left.Text) ? -1 : 0, rv = isTrueText(right.Text) ? -1 : 0;
        return holds(r, l, rv);
    }
    p_ToString(right, listener);
    p_ToString(left, listener);
    return holds(r, text::compareNoCase(text::toUtf16(left.Text), text::toUtf16(right.Text)), 0);
}

// unary: "-()" value, worked out in the operand's own record
void applyUnaryMinus(CExpElmStack& values, IExpressionListener* listener) {
    if (values.Empty()) fail(kStructure, "单目运算符“-”缺乏操作数。");
    ExpElement& operand = values.FromTop(0);
    p_ToNumber(operand, listener);
    setNumber(operand, -number(operand));
}

// binary: left right op. The result has the right operand's kind and priority; it is
// written over the left operand's record, and the right one is dropped.
void applyBinary(const ExpElement& op, CExpElmStack& values, IExpressionListener* listener) {
    if (values.Count() < 2) fail(kStructure, "双目运算符“%s”缺少操作数。", op.Text);
    ExpElement& right = values.FromTop(0);
    ExpElement& left = values.FromTop(1);
    const std::string& o = op.Text;
    if (isOneOf(o, "&;")) {
        p_ToString(right, listener);
        p_ToString(left, listener);
        // Appending to the left text keeps long chains of "&" linear.
        left.Text += right.Text;
    } else if (const Relation r = relationOf(o); r != Relation::None) {
        const bool holdsFor = compare(r, left, right, listener);
        left.Text = booleanText(holdsFor);
        right.Kind = ekBoolean;
    } else if (isOneOf(o, "+-*/^")) {
        p_ToNumber(right, listener);
        p_ToNumber(left, listener);
        const double l = number(left), rv = number(right);
        double result = 0;
        switch (o[0]) {
            case '+': result = checkedResult(l + rv); break;
            case '-': result = checkedResult(l - rv); break;
            case '*': result = checkedResult(l * rv); break;
            case '/': result = rv == 0 ? 0.0 : checkedDivide(l, rv); break;  // x/0 is 0 here
            default: result = checkedPower(l, rv); break;
        }
        left.Text = formatNumber(result);
        right.Kind = ekNumber;
    } else {
        fail(err::Syntax, "计算表达式中存在无效的元素。");
    }
    left.Kind = right.Kind;
    left.Priority = right.Priority;
    values.Drop();
}

// A name that is not built in: the listener answers with a status.
void callUserFunction(const std::string& name, CExpElmStack& arguments, CExpElmStack& values,
                      IExpressionListener* listener) {
    std::string value = "-1";
    if (listener) listener->UserFunction(name, arguments, value);
    const auto first = value.find_first_not_of(' ');
    const std::string status =
        first == std::string::npos ? std::string() : value.substr(first, value.find_last_not_of(' ') - first + 1);
    if (status == "-1") fail(err::Syntax, "错误的自定义函数“%s”。", name);
    if (status == "1") fail(err::Syntax, "函数“%s”的参数个数不正确。", name);
    if (status == "2") fail(err::Syntax, "函数“%s”的必选参数不可以为空。", name);
    if (status == "0") values.Push(ExpElement{value, ekString, kOperandPriority});
    // any other status: the call yields no value
}

// call: "(" arguments... NAME
void callFunction(const ExpElement& marker, CExpElmStack& values, IExpressionListener* listener) {
    CExpElmStack arguments;
    if (!p_PopArguments(values, arguments)) fail(kStructure, "期望配对的右括号。");
    const std::string name = text::upper(marker.Text);
    const BuiltinFunction* f = findBuiltin(name);
    if (!f) return callUserFunction(name, arguments, values, listener);
    const std::int32_t n = arguments.StackSize();
    if (n < f->minArgs || (f->maxArgs != kUnbounded && n > f->maxArgs))
        fail(kStructure, "函数“%s”的参数个数不正确。", name);
    FunctionCall call(name, std::move(arguments), n, values, listener);
    f->handler(call);
}

// The value-stack machine: each postfix element in turn, then the one result. Errors
// leave with the evaluator's tag in front of their source.
class EvalMachine final : public PostfixSink {
public:
    explicit EvalMachine(IExpressionListener* listener) : listener_(listener) { values_.ReserveStorage(16); }

    void emit(ExpElement&& el) override {
        try {
            if (el.Kind == ekFunction) callFunction(el, values_, listener_);
            else if (el.Kind == ekOperator && isUnaryMinus(el.Text)) applyUnaryMinus(values_, listener_);
            else if (el.Kind == ekOperator) applyBinary(el, values_, listener_);
            else values_.Push(std::move(el));
        } catch (NemroError& e) {
            tag(e);
            throw;
        }
    }

    ExpElement finish() {
        try {
            if (values_.Count() != 1) fail(kStructure, "操作数与运算符数目不匹配。");
            ExpElement el;
            values_.Pop(el);
            p_CheckOperand(el, listener_);
            return el;
        } catch (NemroError& e) {
            tag(e);
            throw;
        }
    }

private:
    static void tag(NemroError& e) {
        if (e.source().empty()) e.prefixSource(kTag);
        else e.prefixSource(std::string(kTag) + "\\");
    }

    IExpressionListener* listener_;
    CExpElmStack values_;
};

// The syntax check of a conversion whose output is not kept.
class DiscardSink final : public PostfixSink {
public:
    void emit(ExpElement&&) override {}
};

// Up to this length a formula's postfix form is kept whole before it is evaluated; a
// longer one is converted twice, first only for its syntax errors and then straight into
// the evaluator, so that its postfix form never exists as a whole.
constexpr std::size_t kWholePostfixBytes = 4096;

class CollectSink final : public PostfixSink {
public:
    void emit(ExpElement&& el) override { elements->push_back(std::move(el)); }
    Scratch<std::vector<ExpElement>, CollectSink> elements;
};

}  // namespace

ExpElement CGNTExpression::DoEvaluate(const CExpElmStack& Postfix) {
    EvalMachine machine(listener_);
    ExpElement el;
    // Slots from the top down are the postfix elements first to last.
    for (std::int32_t slot = Postfix.Count(); slot >= 1; --slot) {
        Postfix.Peek(el, slot);
        machine.emit(std::move(el));
    }
    return machine.finish();
}

ExpElement CGNTExpression::EvaluateOrThrow(const std::string& Expression) {
    if (Expression.find_first_not_of(' ') == std::string::npos)
        throw NemroError(err::Syntax, "CGNTExpression.Evaluate()", "空的表达式。");
    try {
        EvalMachine machine(listener_);
        if (Expression.size() <= kWholePostfixBytes) {
            CollectSink postfix;
            convertInfix(Expression, postfix);
            for (ExpElement& el : *postfix.elements) machine.emit(std::move(el));
        } else {
            DiscardSink check;
            convertInfix(Expression, check);
            convertInfix(Expression, machine);
        }
        return machine.finish();
    } catch (NemroError& e) {
        e.prefixSource("CGNTExpression.Evaluate()\\");
        throw;
    }
}

}  // namespace nemro
