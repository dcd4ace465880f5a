#include "nemro/formula_set.h"
#include "nemro/formula_state.h"
#include "nemro/text.h"

namespace nemro {

thread_local SampleValues gSampleValues;

void CFormulaSet::setSampleValues(const std::map<std::string, std::string>& values) {
    SampleValues next;
    for (const auto& [name, value] : values) next.values[text::upper(name)] = value;
    gSampleValues = std::move(next);
}

void CFormulaSet::setSampleValues(SampleValueLookup lookup) {
    gSampleValues = SampleValues{std::move(lookup), {}};
}

std::optional<std::string> CFormulaSet::sampleValue(const std::string& name) const {
    if (gSampleValues.lookup) return gSampleValues.lookup(name);
    const auto it = gSampleValues.values.find(text::upper(name));
    if (it == gSampleValues.values.end()) return std::nullopt;
    return it->second;
}

}  // namespace nemro
