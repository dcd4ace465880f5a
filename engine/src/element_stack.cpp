#include <utility>

#include "nemro/error.h"
#include "nemro/expression.h"

namespace nemro {

void CExpElmStack::Push(const ExpElement& element) {
    Push(ExpElement(element));
}

void CExpElmStack::Push(ExpElement&& element) {
    ++count_;
    if (count_ > capacity_) capacity_ += kStep;
    slots_.push_back(std::move(element));
}

bool CExpElmStack::Pop(ExpElement& out) {
    if (count_ == 0) {
        out = ExpElement{};
        return false;
    }
    out = std::move(slots_.back());
    return Drop();
}

bool CExpElmStack::Drop() {
    if (count_ == 0) return false;
    slots_.pop_back();
    --count_;
    // Shrinking only when more than 32 slots are free keeps a push/pop pair at a
    // boundary from reallocating every time.
    if (count_ + 2 * kStep < capacity_) {
        capacity_ -= kStep;
        // Give memory back only when the storage is far larger than the slots in use.
        if (slots_.capacity() > 4 * static_cast<size_t>(capacity_) + 64) slots_.shrink_to_fit();
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
    copy.slots_ = slots_;
    copy.count_ = count_;
    copy.capacity_ = (count_ + kStep - 1) / kStep * kStep;
    return copy;
}

std::int16_t CExpElmStack::StackSize() const {
    if (count_ > 32767) raisePlatform(err::Overflow, "CExpElmStack.StackSize");
    return static_cast<std::int16_t>(count_);
}

}  // namespace nemro
