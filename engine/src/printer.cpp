// Postfix to infix: prints a postfix stack back as normalised formula text and
// reports its value type. Fragments wait on a work stack; no recursion.
#include <array>
#include <string>
#include <vector>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"
#include "messages.h"

namespace nemro {
namespace {

using detail::p_CheckVariableType;

// An error of the printer's own checks: number 35, empty source.
[[noreturn]] void fail(const char* templ, const std::string& name = {}) {
    throw NemroError(err::Syntax, "", TextTools::FormatText(templ, name));
}

std::int32_t expressionKind(std::int32_t type) {
    switch (type) {
        case vtString: case vtBoolean: case vtNumber: return ekExpression | type;
        default: return ekExpression | vtAny;
    }
}

std::int32_t valueType(const ExpElement& el) { return el.Kind & 0xFFFF; }

// The functions the printer knows; every other name is asked of the listener.
struct PrintedFunction {
    const char* name;
    std::int32_t minArgs, maxArgs;  // maxArgs -1: no upper bound
    std::int32_t optional;          // 1-based index of the optional argument, 0 for none
    std::int32_t resultType;        // 0: IF's rule
};

constexpr std::array<PrintedFunction, 18> kPrinted = {{
    {"ABS", 1, 1, 0, vtNumber},   {"CODE", 1, 1, 0, vtNumber},  {"CHAR", 1, 1, 0, vtString},
    {"INT", 1, 1, 0, vtNumber},   {"LEN", 1, 1, 0, vtNumber},   {"LENB", 1, 1, 0, vtNumber},
    {"NOT", 1, 1, 0, vtBoolean},  {"RMBDX", 1, 1, 0, vtString}, {"SIGN", 1, 1, 0, vtNumber},
    {"AND", 1, -1, 0, vtBoolean}, {"OR", 1, -1, 0, vtBoolean},  {"EXACT", 2, 2, 0, vtBoolean},
    {"FIND", 2, 3, 3, vtNumber},  {"FINDB", 2, 3, 3, vtNumber}, {"IF", 3, 3, 0, 0},
    {"MOD", 2, 2, 0, vtNumber},   {"ROUND", 1, 2, 2, vtNumber}, {"TRUNC", 1, 2, 2, vtNumber},
}};

const PrintedFunction* findPrinted(const std::string& name) {
    for (const auto& f : kPrinted)
        if (name == f.name) return &f;
    return nullptr;
}

class Printer {
public:
    explicit Printer(IExpressionListener* listener) : listener_(listener) {}

    ExpElement run(CExpElmStack postfix) {
        ExpElement el;
        while (postfix.Pop(el)) {
            switch (el.Kind) {
                case ekNumber: case ekBoolean: case ekVariable: case ekEmpty:
                    work_.Push(std::move(el));
                    break;
                case ekString:
                    el.Text = CGNTExpression::StrVal2Exp(el.Text);
                    work_.Push(std::move(el));
                    break;
                case ekDelimiter:
                    if (el.Text != "(") fail(detail::msg::WrongExpression);
                    work_.Push(std::move(el));
                    break;
                case ekOperator: printOperator(el); break;
                case ekFunction: printCall(el); break;
                default: fail("");
            }
        }
        if (work_.Count() != 1) fail(detail::msg::OperandCountMismatch);
        work_.Pop(el);
        p_CheckVariableType(el, listener_);
        return el;
    }

private:
    // unary: A "-()" prints -A, or -(A) when A binds less tightly
    void printUnaryMinus(ExpElement& op) {
        ExpElement a;
        // An omitted argument is no operand: printed as "" it would leave text that does not convert.
        if (!work_.Pop(a) || a.Kind == ekEmpty) fail(detail::msg::UnaryMinusWithoutOperand);
        p_CheckVariableType(a, listener_);
        op.Text = op.Priority >= a.Priority ? "-(" + a.Text + ")" : "-" + a.Text;
        op.Kind = ekExpression | vtNumber;
        work_.Push(std::move(op));
    }

    // binary: L R op prints "L op R"; equal priorities associate to the left
    void printOperator(ExpElement& op) {
        if (op.Text == "-()") return printUnaryMinus(op);
        std::int32_t type = 0;
        const std::string& o = op.Text;
        if (o == "+" || o == "-" || o == "*" || o == "/" || o == "^") type = vtNumber;
        else if (o == "&" || o == ";") type = vtString;
        else if (o == "=" || o == "<>" || o == ">" || o == ">=" || o == "<" || o == "<=") type = vtBoolean;
        else fail("");
        ExpElement right, left;
        const bool haveRight = work_.Pop(right);
        const bool haveLeft = work_.Pop(left);
        if (!haveRight || !haveLeft || right.Kind == ekEmpty || left.Kind == ekEmpty)
            fail(detail::msg::BinaryWithoutOperand, op.Text);
        p_CheckVariableType(right, listener_);
        p_CheckVariableType(left, listener_);
        // Built on the left text so that long chains of one operator stay linear.
        std::string text = std::move(left.Text);
        if (op.Priority > left.Priority) text = "(" + text + ")";
        text += " " + o + " ";
        if (op.Priority >= right.Priority) text += "(" + right.Text + ")";
        else text += right.Text;
        op.Text = std::move(text);
        op.Kind = ekExpression | type;
        work_.Push(std::move(op));
    }

    // call: "(" args... NAME prints NAME(a, b, c)
    void printCall(const ExpElement& marker) {
        CExpElmStack arguments;
        if (!detail::p_PopArguments(work_, arguments)) fail(detail::msg::UnpairedBracket);
        std::string name = text::upper(marker.Text);
        const std::int32_t n = arguments.StackSize();
        std::int32_t type = vtAny;
        if (const PrintedFunction* f = findPrinted(name)) {
            if (n < f->minArgs || (f->maxArgs >= 0 && n > f->maxArgs))
                fail(detail::msg::WrongArgumentCount, name);
            if (f->maxArgs < 0) typeInPlace(arguments);
            else checkArguments(*f, name, arguments);
            type = f->resultType != 0 ? f->resultType : ifType(arguments);
        } else {
            std::int32_t errNum = 0;
            std::string errDes;
            if (listener_) listener_->CheckUserFunction(name, arguments, type, errNum, errDes);
            if (errNum != 0) throw NemroError(errNum, "", errDes);
        }
        work_.Push(ExpElement{detail::p_FormatCall(name, std::move(arguments)), expressionKind(type),
                              kOperandPriority});
    }

    // AND and OR: variables are typed where they lie, first argument first.
    void typeInPlace(CExpElmStack& arguments) {
        ExpElement el;
        for (std::int32_t slot = arguments.Count(); slot >= 1; --slot) {
            arguments.Peek(el, slot);
            p_CheckVariableType(el, listener_);
            arguments.SetAt(el, slot);
        }
    }

    // Types each argument, rejects an omitted required one, drops an omitted optional one.
    void checkArguments(const PrintedFunction& f, const std::string& name, CExpElmStack& arguments) {
        std::vector<ExpElement> kept;
        ExpElement el;
        for (std::int32_t index = 1; arguments.Pop(el); ++index) {
            p_CheckVariableType(el, listener_);
            if (el.Kind == ekEmpty) {
                if (index == f.optional) continue;
                fail(detail::msg::RequiredArgumentEmpty, name);
            }
            kept.push_back(std::move(el));
        }
        for (auto it = kept.rbegin(); it != kept.rend(); ++it) arguments.Push(std::move(*it));
    }

    // IF: the type of y when it equals that of z, else any value.
    static std::int32_t ifType(const CExpElmStack& arguments) {
        ExpElement y, z;
        arguments.Peek(y, arguments.Count() - 1);
        arguments.Peek(z, arguments.Count() - 2);
        return valueType(y) == valueType(z) ? valueType(y) : vtAny;
    }

    IExpressionListener* listener_;
    CExpElmStack work_;
};

}  // namespace

std::string CGNTExpression::PostfixToInfix(const CExpElmStack& Postfix, std::int32_t& ReturnType) {
    try {
        const ExpElement result = Printer(listener_).run(Postfix);
        ReturnType = static_cast<std::int16_t>(result.Kind & 0xFFFF);
        return result.Text;
    } catch (NemroError& e) {
        if (!e.source().empty()) e.prefixSource("CGNTExpression.PostfixToInfix()\\");
        throw;
    }
}

}  // namespace nemro
