// Postfix to infix: prints a postfix stack back as normalised formula text and
// reports its value type. Fragments wait on a work stack; no recursion.
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine_internal.h"
#include "library.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/text.h"
#include "text_tools.h"

namespace nemro {
namespace {

using detail::p_CheckVariableType;

// An error of the printer's own checks: number 35, empty source.
[[noreturn]] void fail(const char* templ, const std::string& name = {}) {
    throw NemroError(err::Syntax, "", TextTools::FormatText(templ, name));
}

std::int32_t expressionKind(std::int32_t type) {
    switch (type) {
        case vtString:
        case vtBoolean:
        case vtNumber:
            return ekExpression | type;
        default:
            return ekExpression | vtAny;
    }
}

// The functions the printer knows; every other name is asked of the listener.
struct PrintedFunction {
    const char* name;
    std::int32_t minArgs, maxArgs;  // maxArgs -1: no upper bound
    std::int32_t optional;          // 1-based index of the optional argument, 0 for none
    std::int32_t resultType;        // 0: IF's rule
};

constexpr std::array<PrintedFunction, 18> kPrinted = {{
    {"ABS", 1, 1, 0, vtNumber},
    {"CODE", 1, 1, 0, vtNumber},
    {"CHAR", 1, 1, 0, vtString},
    {"INT", 1, 1, 0, vtNumber},
    {"LEN", 1, 1, 0, vtNumber},
    {"LENB", 1, 1, 0, vtNumber},
    {"NOT", 1, 1, 0, vtBoolean},
    {"RMBDX", 1, 1, 0, vtString},
    {"SIGN", 1, 1, 0, vtNumber},
    {"AND", 1, -1, 0, vtBoolean},
    {"OR", 1, -1, 0, vtBoolean},
    {"EXACT", 2, 2, 0, vtBoolean},
    {"FIND", 2, 3, 3, vtNumber},
    {"FINDB", 2, 3, 3, vtNumber},
    {"IF", 3, 3, 0, 0},
    {"MOD", 2, 2, 0, vtNumber},
    {"ROUND", 1, 2, 2, vtNumber},
    {"TRUNC", 1, 2, 2, vtNumber},
}};

const PrintedFunction* findPrinted(const std::string& name) {
    for (const auto& f : kPrinted)
        if (name == f.name) return &f;
    return nullptr;
}

// The printed texts as chains of pieces: putting a fragment inside another links its
// chain in and copies nothing, and each text is written out once, at the end, so that
// deep nesting prints in time linear in its length.
class Pieces {
  public:
    struct Chain {
        std::int32_t head = -1, tail = -1;
    };
    void append(Chain& c, std::initializer_list<std::string_view> parts) {
        const std::size_t offset = text_.size();
        for (std::string_view s : parts) text_.append(s);
        pieces_.push_back({offset, text_.size() - offset, -1});
        link(c, Chain{last(), last()});
    }
    void append(Chain& c, std::string_view s) { append(c, {s}); }
    void reserve(std::size_t pieces) {
        pieces_.reserve(pieces);
        text_.reserve(pieces * 4);
    }
    void append(Chain& c, Chain other) {
        if (other.head >= 0) link(c, other);
    }
    std::int32_t lastPiece() const { return last(); }
    void erase(std::int32_t piece) { pieces_[static_cast<std::size_t>(piece)].size = 0; }
    std::string text(Chain c) const {
        std::string out;
        out.reserve(text_.size());
        for (std::int32_t i = c.head; i >= 0; i = pieces_[static_cast<std::size_t>(i)].next) {
            const Piece& p = pieces_[static_cast<std::size_t>(i)];
            out.append(text_, p.offset, p.size);
        }
        return out;
    }

  private:
    struct Piece {
        std::size_t offset, size;
        std::int32_t next;
    };
    std::int32_t last() const { return static_cast<std::int32_t>(pieces_.size() - 1); }
    void link(Chain& c, Chain other) {
        if (c.head < 0)
            c = other;
        else
            pieces_[static_cast<std::size_t>(c.tail)].next = other.head, c.tail = other.tail;
    }
    std::string text_;
    std::vector<Piece> pieces_;
};

// A printed fragment. A "-" printed right after an operator converts back with the
// priority of binary minus, which takes in every following "*", "/" and "^": a fragment
// records where its text has such a minus, so that printing it again converts back to
// the same form.
struct Fragment {
    std::int32_t Kind = ekEmpty;
    std::int32_t Priority = 0;
    Pieces::Chain text;
    bool minus = false;    // a unary minus itself
    bool open = false;     // ends in a bare minus that a following "*", "/" or "^" would join
    bool lead = false;     // starts with a bare unary minus
    bool leadSafe = true;  // ... which read as binary minus would take in no more than before
    // A minus whose parentheses only keep a following "*" or "/" out, which a minus after
    // an operator does anyway: the pieces "(" and ")", and whether it is open without them.
    std::int32_t softOpen = -1, softClose = -1;
    bool openWithout = false;
};

Fragment fragment(std::int32_t kind, std::int32_t priority) {
    Fragment f;
    f.Kind = kind;
    f.Priority = priority;
    return f;
}

class Printer {
  public:
    Printer(IExpressionListener* listener, const FunctionSettings& functions)
        : listener_(listener), functions_(functions) {}

    ExpElement run(CExpElmStack postfix) {
        pieces_.reserve(static_cast<std::size_t>(postfix.Count()) * 2);
        work_.reserve(16);
        ExpElement el;
        while (postfix.Pop(el)) {
            switch (el.Kind) {
                case ekNumber:
                case ekBoolean:
                case ekVariable:
                case ekEmpty:
                    pushLeaf(el);
                    break;
                case ekString:
                    el.Text = CGNTExpression::StrVal2Exp(el.Text);
                    pushLeaf(el);
                    break;
                case ekDelimiter:
                    if (el.Text != "(") fail(detail::msg::WrongExpression);
                    pushLeaf(el);
                    break;
                case ekOperator:
                    printOperator(el);
                    break;
                case ekFunction:
                    printCall(el);
                    break;
                default:
                    fail("");
            }
        }
        if (work_.size() != 1) fail(detail::msg::OperandCountMismatch);
        ExpElement result = elementOf(work_.back());
        p_CheckVariableType(result, listener_);
        return result;
    }

  private:
    void pushLeaf(const ExpElement& el) {
        Fragment f = fragment(el.Kind, el.Priority);
        pieces_.append(f.text, el.Text);
        work_.push_back(f);
    }
    bool pop(Fragment& out) {
        if (work_.empty()) return false;
        out = work_.back();
        work_.pop_back();
        return true;
    }
    ExpElement elementOf(const Fragment& f) const {
        return ExpElement{pieces_.text(f.text), f.Kind, f.Priority};
    }
    void checkType(Fragment& f) {
        if (f.Kind != ekVariable) return;
        if (!listener_) {  // what p_CheckVariableType makes of it without asking
            f.Kind = ekVariable | vtAny;
            f.Priority = kOperandPriority;
            return;
        }
        ExpElement el = elementOf(f);
        p_CheckVariableType(el, listener_);
        f.Kind = el.Kind;
        f.Priority = el.Priority;
    }
    // Appends f, in parentheses when asked; says whether it went in bare.
    bool append(Fragment& to, const Fragment& f, bool parenthesised) {
        if (parenthesised) pieces_.append(to.text, "(");
        pieces_.append(to.text, f.text);
        if (parenthesised) pieces_.append(to.text, ")");
        return !parenthesised;
    }
    static bool joinsMore(const Fragment& f) { return f.lead && !f.leadSafe; }
    // A minus placed right after an operator: parentheses that only kept a "*" or "/" in
    // are left out, as printing the text again leaves them out.
    void afterOperator(Fragment& f) {
        if (f.softOpen < 0) return;
        pieces_.erase(f.softOpen);
        pieces_.erase(f.softClose);
        f.open = f.openWithout;
    }

    // unary: A "-()" prints -A, or -(A) when A binds less tightly
    void printUnaryMinus(const ExpElement& op) {
        Fragment a;
        // An omitted argument is no operand: printed as "" it would leave text that does not
        // convert.
        if (!pop(a) || a.Kind == ekEmpty) fail(detail::msg::UnaryMinusWithoutOperand);
        checkType(a);
        Fragment r = fragment(ekExpression | vtNumber, op.Priority);
        r.minus = r.lead = true;
        pieces_.append(r.text, "-");
        // A minus after a minus converts back as it was without parentheses, as on the
        // right of an operator.
        const bool parenthesised = (op.Priority >= a.Priority && !a.minus) || joinsMore(a);
        if (a.minus && !parenthesised) afterOperator(a);
        if (parenthesised) {
            pieces_.append(r.text, "(");
            r.softOpen = pieces_.lastPiece();
        }
        append(r, a, false);
        if (parenthesised) {
            pieces_.append(r.text, ")");
            r.softClose = pieces_.lastPiece();
            if (a.Priority > detail::priority::Add && a.Priority < detail::priority::UnaryMinus &&
                !joinsMore(a))
                r.openWithout = a.open;
            else
                r.softOpen = r.softClose = -1;
        } else {
            r.open = a.minus || a.open;
        }
        work_.push_back(r);
    }

    // binary: L R op prints "L op R"; equal priorities associate to the left
    void printOperator(const ExpElement& op) {
        if (op.Text == "-()") return printUnaryMinus(op);
        std::int32_t type = 0;
        const std::string& o = op.Text;
        if (o == "+" || o == "-" || o == "*" || o == "/" || o == "^")
            type = vtNumber;
        else if (o == "&" || o == ";")
            type = vtString;
        else if (o == "=" || o == "<>" || o == ">" || o == ">=" || o == "<" || o == "<=")
            type = vtBoolean;
        else
            fail("");
        Fragment right, left;
        const bool haveRight = pop(right);
        const bool haveLeft = pop(left);
        if (!haveRight || !haveLeft || right.Kind == ekEmpty || left.Kind == ekEmpty)
            fail(detail::msg::BinaryWithoutOperand, op.Text);
        checkType(right);
        checkType(left);
        Fragment r = fragment(ekExpression | type, op.Priority);
        const bool takesMore = op.Priority > detail::priority::Add;
        if (append(r, left, op.Priority > left.Priority || (left.open && takesMore))) {
            r.lead = left.lead;
            r.leadSafe = left.leadSafe && !takesMore;
        }
        pieces_.append(r.text, {" ", o, " "});
        // A unary minus on the right converts back as it was without parentheses.
        const bool parenthesised =
            (op.Priority >= right.Priority && !right.minus) || joinsMore(right);
        if (right.minus && !parenthesised) afterOperator(right);
        if (append(r, right, parenthesised)) r.open = right.minus || right.open;
        work_.push_back(r);
    }

    // call: "(" args... NAME prints NAME(a, b, c)
    void printCall(const ExpElement& marker) {
        std::vector<Fragment> args;  // last first
        Fragment a;
        for (;;) {
            if (!pop(a)) fail(detail::msg::UnpairedBracket);
            if (a.Kind == ekDelimiter) break;
            args.push_back(a);
        }
        if (args.size() > 32767) raisePlatform(err::Overflow, "CExpElmStack.StackSize");
        std::string name = text::upper(marker.Text);
        const auto n = static_cast<std::int32_t>(args.size());
        std::int32_t type = vtAny;
        Fragment r = fragment(ekExpression, kOperandPriority);
        // A host's registered function is typed as it says, whatever the name.
        const bool registered = functions_.Functions && functions_.Functions->Find(name);
        if (const PrintedFunction* f = registered ? nullptr : findPrinted(name)) {
            if (n < f->minArgs || (f->maxArgs >= 0 && n > f->maxArgs))
                fail(detail::msg::WrongArgumentCount, name);
            if (f->maxArgs < 0)
                typeInPlace(args);
            else
                checkArguments(*f, name, args);
            type = f->resultType != 0 ? f->resultType : ifType(args);
            pieces_.append(r.text, {name, "("});
            for (auto it = args.rbegin(); it != args.rend(); ++it) {
                if (it != args.rbegin()) pieces_.append(r.text, ", ");
                pieces_.append(r.text, it->text);
            }
            pieces_.append(r.text, ")");
        } else if (extensionType(name, n, type)) {
            typeInPlace(args);
            pieces_.append(r.text, {name, "("});
            for (auto it = args.rbegin(); it != args.rend(); ++it) {
                if (it != args.rbegin()) pieces_.append(r.text, ", ");
                pieces_.append(r.text, it->text);
            }
            pieces_.append(r.text, ")");
        } else {
            // The listener sees, and may change, the arguments as an element stack.
            CExpElmStack arguments;
            for (const Fragment& arg : args) arguments.Push(elementOf(arg));
            std::int32_t errNum = 0;
            std::string errDes;
            if (listener_) listener_->CheckUserFunction(name, arguments, type, errNum, errDes);
            if (errNum != 0) throw NemroError(errNum, "", errDes);
            pieces_.append(r.text, detail::p_FormatCall(name, std::move(arguments)));
        }
        r.Kind = expressionKind(type);
        work_.push_back(r);
    }

    // A registered or library function's result type; false when the name is neither.
    bool extensionType(const std::string& name, std::int32_t n, std::int32_t& type) const {
        std::int32_t least = 0, most = 0;
        if (const RegisteredFunction* r =
                functions_.Functions ? functions_.Functions->Find(name) : nullptr) {
            least = r->MinArgs, most = r->MaxArgs, type = r->ResultType;
        } else if (const detail::LibraryFunction* f =
                       functions_.Library ? detail::findLibrary(name) : nullptr) {
            least = f->minArgs, most = f->maxArgs, type = f->resultType;
        } else {
            return false;
        }
        if (n < least || (most >= 0 && n > most)) fail(detail::msg::WrongArgumentCount, name);
        return true;
    }

    // AND and OR: variables are typed where they lie, first argument first.
    void typeInPlace(std::vector<Fragment>& args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it) checkType(*it);
    }

    // Types each argument, rejects an omitted required one, drops an omitted optional one.
    void checkArguments(const PrintedFunction& f, const std::string& name,
                        std::vector<Fragment>& args) {
        std::vector<Fragment> kept;
        std::int32_t index = 1;
        for (auto it = args.rbegin(); it != args.rend(); ++it, ++index) {
            checkType(*it);
            if (it->Kind == ekEmpty) {
                if (index == f.optional) continue;
                fail(detail::msg::RequiredArgumentEmpty, name);
            }
            kept.push_back(*it);
        }
        args.assign(kept.rbegin(), kept.rend());
    }

    // IF: the type of y when it equals that of z, else any value.
    static std::int32_t ifType(const std::vector<Fragment>& args) {
        const std::int32_t y = args[1].Kind & 0xFFFF, z = args[0].Kind & 0xFFFF;
        return y == z ? y : vtAny;
    }

    IExpressionListener* listener_;
    const FunctionSettings& functions_;
    Pieces pieces_;
    std::vector<Fragment> work_;
};

}  // namespace

std::string CGNTExpression::PostfixToInfix(const CExpElmStack& Postfix, std::int32_t& ReturnType) {
    try {
        const ExpElement result = Printer(listener_, functions()).run(Postfix);
        ReturnType = static_cast<std::int16_t>(result.Kind & 0xFFFF);
        return result.Text;
    } catch (NemroError& e) {
        if (!e.source().empty()) e.prefixSource("CGNTExpression.PostfixToInfix()\\");
        throw;
    }
}

}  // namespace nemro
