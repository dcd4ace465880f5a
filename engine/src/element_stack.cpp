#include <utility>

#include "nemro/error.h"
#include "nemro/expression.h"

namespace nemro {

void CExpElmStack::Push(const ExpElement& element) { Push(ExpElement(element)); }

void CExpElmStack::Push(ExpElement&& element) {
    ++count_;
    if (count_ > Capacity()) slots_.resize(slots_.size() + kStep);
    slots_[count_ - 1] = std::move(element);
}

bool CExpElmStack::Pop(ExpElement& out) {
    if (count_ == 0) {
        out = ExpElement{};
        return false;
    }
    out = std::move(slots_[count_ - 1]);
    slots_[count_ - 1] = ExpElement{};
    --count_;
    // Shrinking only when more than 32 slots are free keeps a push/pop pair at a
    // boundary from reallocating every time.
    if (count_ + 2 * kStep < Capacity()) {
        slots_.resize(slots_.size() - kStep);
        slots_.shrink_to_fit();
    }
    return true;
}

bool CExpElmStack::Peek(ExpElement& out, std::int32_t index) const {
    if (count_ > 0 && index >= 0 && index <= count_) {
        out = slots_[(index == 0 ? count_ : index) - 1];
        return true;
    }
    out = ExpElement{};
    return false;
}

bool CExpElmStack::SetAt(const ExpElement& element, std::int32_t index) {
    if (count_ > 0 && index >= 0 && index <= count_) {
        slots_[(index == 0 ? count_ : index) - 1] = element;
        return true;
    }
    return false;
}

CExpElmStack CExpElmStack::Clone() const {
    CExpElmStack copy;
    for (std::int32_t i = 0; i < count_; ++i) copy.Push(slots_[i]);
    return copy;
}

std::int16_t CExpElmStack::StackSize() const {
    if (count_ > 32767) raisePlatform(err::Overflow, "CExpElmStack.StackSize");
    return static_cast<std::int16_t>(count_);
}

}  // namespace nemro
