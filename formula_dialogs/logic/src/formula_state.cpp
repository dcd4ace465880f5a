#include "nemro/formula_state.h"

#include "nemro/error.h"

namespace nemro {

thread_local std::string gsFunctionName;
thread_local std::string gsResultFormula;
thread_local cStack gFormulaStack;
thread_local std::string gsFormerFormula;
thread_local bool gbIsCancel = false;
thread_local bool gbFormulaCompleted = false;
thread_local DialogStyle gDialogStyle = DialogStyle::Classic;
thread_local std::string gsSettingsOrganization;
thread_local std::string gsSettingsApplication;

std::int16_t cStack::Count() const {
    return static_cast<std::int16_t>(entries_.size());
}

void cStack::Push(const std::string& sFormula) {
    if (entries_.size() >= 32767) raisePlatform(err::Overflow, "cStack.Push");
    const auto key = static_cast<std::int16_t>(entries_.size() + 1);
    entries_[key] = sFormula;
}

std::string cStack::Pop() {
    const auto it = entries_.find(Count());
    if (it == entries_.end()) return {};
    std::string top = std::move(it->second);
    entries_.erase(it);
    return top;
}

void cStack::RemoveAll() {
    entries_.clear();
}

}  // namespace nemro
