// The Qt-free members of the public classes: CFormulaSet's options and cStack.
#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/text.h"

namespace nemro {

void CFormulaSet::setDialogStyle(DialogStyle style) {
    style_ = style;
}

DialogStyle CFormulaSet::dialogStyle() const {
    return style_;
}

void CFormulaSet::setSettingsScope(const std::string& organization,
                                   const std::string& application) {
    settingsOrganization_ = organization;
    settingsApplication_ = application;
}

void CFormulaSet::setSampleValues(const std::map<std::string, std::string>& values) {
    std::map<std::string, std::string> byName;
    for (const auto& [name, value] : values) byName[text::upper(name)] = value;
    samples_ = [byName = std::move(byName)](const std::string& name) -> std::optional<std::string> {
        const auto it = byName.find(text::upper(name));
        if (it == byName.end()) return std::nullopt;
        return it->second;
    };
}

void CFormulaSet::setSampleValues(SampleValueLookup lookup) {
    samples_ = std::move(lookup);
}

std::optional<std::string> CFormulaSet::sampleValue(const std::string& name) const {
    if (!samples_) return std::nullopt;
    return samples_(name);
}

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
