// Routines shared inside the engine; not installed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "nemro/expression.h"

namespace nemro::detail {

// Tokenizer over UTF-16 text; pos is the 1-based index of the last code unit consumed.
bool p_GetNextElement(std::u16string_view expr, std::int32_t& pos, ExpElement& out);

void p_SetPriority(ExpElement& element);

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
        if (buffer_->capacity() > kKeptElements) Buffer().swap(*buffer_);
        else buffer_->clear();
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

// Receives the postfix elements of a conversion, first to last.
class PostfixSink {
public:
    virtual ~PostfixSink() = default;
    virtual void emit(ExpElement&& element) = 0;
};

// The conversion of InfixToPostfix, with the output handed to sink as it is made.
// Every syntax error is found before the conversion ends, as InfixToPostfix finds it.
void convertInfix(const std::string& expression, PostfixSink& sink);

// Types a plain variable through the listener's CheckVariable.
void p_CheckVariableType(ExpElement& element, IExpressionListener* listener);

// Pops up to and including the nearest "(" marker; false when there is none.
bool p_PopArguments(CExpElmStack& source, CExpElmStack& arguments);

inline bool p_IsErrorValue(std::string_view text) { return !text.empty() && text.front() == '#'; }

// "NAME(a, b, c)" from a name and an argument stack that pops first to last.
std::string p_FormatCall(const std::string& name, CExpElmStack arguments);

// The percent rule: a number text ending in "%" as a percentage, pattern "#0.0000".
std::u16string formatPercent(std::u16string_view numberText);

inline bool isFunctionKind(std::int32_t kind) { return (kind >> 16) == 2; }

}  // namespace nemro::detail
