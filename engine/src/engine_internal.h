// Routines shared inside the engine; not installed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "nemro/expression.h"

namespace nemro::detail {

// Priorities of operators and delimiters: the higher binds tighter; operands have
// kOperandPriority.
namespace priority {
inline constexpr std::int32_t Bracket = 30;
inline constexpr std::int32_t Power = 29;
inline constexpr std::int32_t UnaryMinus = 28;  // "-()", the negation the converter makes
inline constexpr std::int32_t Multiply = 27;    // * and /
inline constexpr std::int32_t Add = 24;         // + and -
inline constexpr std::int32_t Concatenate = 23;
inline constexpr std::int32_t Compare = 19;
inline constexpr std::int32_t Comma = 2;
inline constexpr std::int32_t None = 0;
}  // namespace priority

// An element as the tokenizer finds it. Its text is a slice of the formula, a fixed
// word, or the tokenizer's own buffer (a literal with doubled quotes, a percentage),
// which the tokenizer's next element of that sort overwrites.
struct Token {
    std::string_view Text;
    std::int32_t Kind = ekEmpty;
    std::int32_t Priority = 0;
    // For a number whose text reads by the short route of readNumber, the value read.
    bool Valued = false;
    // For a variable of a prepared formula, its place in the formula's list.
    std::int32_t Slot = -1;
    double Value = 0;
};

// Reads the elements of a formula one by one, straight from its UTF-8 text. The text
// must be well-formed UTF-8 (the converter repairs any other text first) and outlive
// the tokenizer. Positions count UTF-16 code units, as the error messages show them.
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view expr) noexcept : expr_(expr) {}
    // The next element; at the end of the text false, with an empty element of kind
    // ekEmpty whose priority is left as it was.
    bool p_GetNextElement(Token& out);
    // Where the tokenizer stands, cheap to keep; pos(mark) turns it into a position when
    // one is shown, so that reading elements never counts code units.
    struct Mark {
        std::size_t next = 0;   // byte offset of the first byte not consumed
        std::int32_t ends = 0;  // reads at the end of the text, each a step past it
    };
    Mark mark() const noexcept { return {next_, ends_}; }
    // 1-based index, in UTF-16 code units, of the last unit consumed at mark.
    std::int32_t pos(Mark at) const noexcept;
    std::int32_t pos() const noexcept { return pos(mark()); }

  private:
    bool quoted(std::size_t i, Token& out);
    bool percentage(std::size_t i, Token& out);

    std::string_view expr_;
    std::size_t next_ = 0;
    std::int32_t ends_ = 0;
    std::string buffer_;
};

void p_SetPriority(Token& element);

// A buffer kept per thread and lent to one user at a time, so that the conversion of
// short formulas allocates nothing once the buffers have grown. A nested user (a
// listener evaluating another formula) gets a buffer of its own. A buffer that grew
// large for a long formula is given back rather than kept.
template <class Buffer, class Purpose>
class Scratch {
  public:
    Scratch() {
        if (!inUse()) {
            inUse() = true;
            buffer_ = &shared();
        } else {
            own_ = Buffer();
            buffer_ = &own_;
        }
    }
    ~Scratch() {
        if (buffer_ != &shared()) return;
        if (buffer_->capacity() > kKeptElements)
            Buffer().swap(*buffer_);
        else
            buffer_->clear();
        inUse() = false;
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    Buffer& operator*() { return *buffer_; }
    Buffer* operator->() { return buffer_; }

  private:
    static constexpr std::size_t kKeptElements = 8192;
    static Buffer& shared() {
        thread_local Buffer b;
        return b;
    }
    static bool& inUse() {
        thread_local bool used = false;
        return used;
    }
    Buffer* buffer_;
    Buffer own_;
};

// Types a plain variable through the listener's CheckVariable.
void p_CheckVariableType(ExpElement& element, IExpressionListener* listener);

// The "(" delimiter that precedes a call's arguments on a stack (a string "(" is not one).
inline bool isArgumentMarker(const ExpElement& el) {
    return el.Kind == ekDelimiter && el.Text == "(";
}

// Pops up to and including the nearest "(" marker; false when there is none.
bool p_PopArguments(CExpElmStack& source, CExpElmStack& arguments);

inline bool p_IsErrorValue(std::string_view text) {
    return !text.empty() && text.front() == '#';
}

// "NAME(a, b, c)" from a name and an argument stack that pops first to last.
std::string p_FormatCall(const std::string& name, CExpElmStack arguments);

// The percent rule: a number text ending in "%" as a percentage, pattern "#0.0000".
std::string formatPercent(std::string_view numberText);

inline bool isFunctionKind(std::int32_t kind) {
    return (kind >> 16) == 2;
}

}  // namespace nemro::detail
