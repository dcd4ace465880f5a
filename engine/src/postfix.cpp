// InfixToPostfix: the conversion collected into an element stack.
#include <string>
#include <vector>

#include "converter.h"

namespace nemro {
namespace {

// Collects the postfix elements and hands them over as a stack that pops them first
// to last.
class StackSink {
  public:
    void emit(const detail::Token& t) {
        elements_.push_back(ExpElement{std::string(t.Text), t.Kind, t.Priority});
    }
    CExpElmStack take() {
        CExpElmStack result;
        result.ReserveStorage(static_cast<std::int32_t>(elements_.size()));
        for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
            result.Push(std::move(*it));
        return result;
    }

  private:
    std::vector<ExpElement> elements_;
};

}  // namespace

CExpElmStack CGNTExpression::InfixToPostfix(const std::string& Expression) const {
    StackSink sink;
    detail::convertInfix(Expression, sink);
    return sink.take();
}

}  // namespace nemro
