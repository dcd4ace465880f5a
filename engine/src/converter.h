// The infix to postfix conversion: an operator-precedence pass driven by four states,
// handing each postfix element to a sink as it is made. Not installed.
//
// A sink has `void emit(const Token&)`, called with the postfix elements first to last.
// An element's text may be the tokenizer's buffer, which the next element can
// overwrite: a sink that keeps the text copies it.
#pragma once

#include <string>
#include <vector>

#include "engine_internal.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro::detail {
namespace conversion {

enum State { Start = 0, AfterOperand = 1, AfterUnary = 2, AfterBinary = 3 };

inline bool afterOperator(int state) {
    return state == AfterUnary || state == AfterBinary;
}

inline bool beginsWith(std::string_view s, char c) {
    return !s.empty() && s.front() == c;
}

// The pending operators, groups and calls, whose texts are slices of the formula or
// fixed words; only the converter sees this stack, so it need not follow the element
// stack's growth rule.
struct Operators {
    Scratch<std::vector<Token>, Operators> items;
    bool Empty() { return items->empty(); }
    const Token& Top() { return items->back(); }
    void Push(const Token& el) { items->push_back(el); }
    bool Pop(Token& out) {
        if (items->empty()) return false;
        out = items->back();
        items->pop_back();
        return true;
    }
};

template <class Sink>
class Converter {
  public:
    // Ill-formed UTF-8 is read as its replacement characters, as every text conversion
    // of the component reads it.
    Converter(const std::string& expression, Sink& sink)
        : expression_(expression),
          repaired_(text::isValidUtf8(expression) ? std::string()
                                                  : text::toUtf8(text::toUtf16(expression))),
          tokens_(repaired_.empty() ? std::string_view(expression) : std::string_view(repaired_)),
          out_{sink} {}

    void run() {
        Token el;
        while (nextElement(el)) {
            entry_ = state_;
            switch (el.Kind) {
                case ekString:
                case ekBoolean:
                case ekNumber:
                    operand(el);
                    break;
                case ekVariable:
                    name(el);
                    break;
                case ekOperator:
                    op(el);
                    break;
                default:
                    if (el.Text == "(")
                        openParen(el);
                    else if (el.Text == ",")
                        comma(el);
                    else
                        closeParen();
            }
        }
        finish();
    }

  private:
    // The element after a name was read ahead already when it is not a "(".
    bool nextElement(Token& el) {
        bool found = aheadFound_;
        if (aheadKept_) {
            aheadKept_ = false;
            el = ahead_;
        } else {
            found = next(el);
        }
        pos_ = tokens_.mark();
        return found;
    }

    bool next(Token& el) {
        try {
            return tokens_.p_GetNextElement(el);
        } catch (NemroError& e) {
            throw e.prefixSource("CGNTExpression.InfixToPostfix()\\");
        }
    }

    [[noreturn]] void fail(const char* description) const {
        const std::int32_t position = tokens_.pos(pos_);
        NemroError error(err::Syntax,
                         "位置：" + std::to_string(position) + " 公式:\r\n" + expression_,
                         description);
        throw error.setPlace(position, 0);
    }

    // operand: an operand may not follow an operand
    void operand(const Token& el) {
        if (state_ == AfterOperand) fail(msg::MissingOperator);
        out_.Push(el);
        state_ = AfterOperand;
    }

    // name "(" starts a call; a name without "(" is a variable
    void name(const Token& el) {
        if (state_ == AfterOperand) fail(msg::MissingOperator);
        aheadFound_ = next(ahead_);
        if (aheadFound_ && ahead_.Kind == ekDelimiter && ahead_.Text == "(") {
            out_.Push(ahead_);
            ops_.Push(Token{el.Text, ekFunction, kOperandPriority});
            pos_ = tokens_.mark();
            state_ = Start;
        } else {
            aheadKept_ = true;
            out_.Push(el);
            state_ = AfterOperand;
        }
    }

    // "(" opens a plain group
    void openParen(const Token& el) {
        if (state_ == AfterOperand) fail(msg::MissingOperator);
        ops_.Push(el);
        state_ = Start;
    }

    // "," closes an argument: flush operators down to the call's marker or last comma
    void comma(const Token& el) {
        if (afterOperator(state_)) fail(msg::CommaAfterOperator);
        Token top;
        for (;;) {
            if (ops_.Empty()) fail(msg::CommaOutsideFunction);
            const Token& peeked = ops_.Top();
            if (peeked.Kind == ekFunction || beginsWith(peeked.Text, ',')) {
                if (entry_ == Start) out_.Push(Token{{}, ekEmpty, kOperandPriority});
                ops_.Push(el);
                state_ = Start;
                return;
            }
            if (beginsWith(peeked.Text, '(')) fail(msg::CommaOutsideFunction);
            ops_.Pop(top);
            out_.Push(top);
        }
    }

    // ")" closes a group or a call; a call's marker follows its arguments
    void closeParen() {
        if (afterOperator(state_)) fail(msg::BracketAfterOperator);
        Token top;
        bool firstComma = true;
        for (;;) {
            if (!ops_.Pop(top)) fail(msg::UnpairedBracket);
            if (top.Kind == ekFunction) {
                out_.Push(top);
                break;
            }
            if (beginsWith(top.Text, '(')) break;
            if (top.Text == ",") {
                if (firstComma && entry_ == Start) out_.Push(Token{{}, ekEmpty, kOperandPriority});
                firstComma = false;
                continue;
            }
            out_.Push(top);
        }
        state_ = AfterOperand;
    }

    // operator: unary at the start, binary after an operand, only "-" after an operator
    void op(Token& el) {
        if (state_ == Start) {
            if (el.Text == "-") {
                el.Text = "-()";
                p_SetPriority(el);
                ops_.Push(el);
            } else if (el.Text != "+") {
                fail(msg::InvalidUnary);
            }
            state_ = AfterUnary;
        } else if (state_ == AfterOperand) {
            Token top;
            while (!ops_.Empty() && ops_.Top().Kind == ekOperator &&
                   ops_.Top().Priority >= el.Priority) {
                ops_.Pop(top);
                out_.Push(top);
            }
            ops_.Push(el);
            state_ = AfterBinary;
        } else {
            if (el.Text != "-") fail(msg::RepeatedOperator);
            el.Text = "-()";  // keeps the binary priority it was read with
            ops_.Push(el);
        }
    }

    // end of text: every open group or call is unmatched
    void finish() {
        Token top;
        while (ops_.Pop(top)) {
            if (beginsWith(top.Text, '(') || isFunctionKind(top.Kind)) fail(msg::UnpairedBracket);
            out_.Push(top);
        }
    }

    // The output only receives elements, in postfix order.
    struct Output {
        Sink& sink;
        void Push(const Token& t) { sink.emit(t); }
    };

    const std::string& expression_;
    const std::string repaired_;  // empty for well-formed text
    Tokenizer tokens_;
    Tokenizer::Mark pos_;
    int state_ = Start;
    int entry_ = Start;
    Operators ops_;
    Output out_;
    Token ahead_;
    bool aheadFound_ = false, aheadKept_ = false;
};

}  // namespace conversion

// The conversion of InfixToPostfix, with the output handed to sink as it is made.
// Every syntax error is found before the conversion ends, as InfixToPostfix finds it.
template <class Sink>
void convertInfix(const std::string& expression, Sink& sink) {
    conversion::Converter<Sink>(expression, sink).run();
}

}  // namespace nemro::detail
