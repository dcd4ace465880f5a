// Module state through which the formula dialogs hand data to each other; one set
// per thread, kept between calls.
#pragma once

#include <string>

#include "nemro/formula_set.h"

namespace nemro {

extern thread_local std::string gsFunctionName;
extern thread_local std::string gsResultFormula;
extern thread_local cStack gFormulaStack;
extern thread_local std::string gsFormerFormula;
extern thread_local bool gbIsCancel;

// Set by the outermost OK: the exchange produced a formula. setFormula derives its
// result and isCancel from it, so that an earlier call's formula is never returned.
extern thread_local bool gbFormulaCompleted;

// The dialog style and the settings scope of the modern dialogs, set through CFormulaSet.
extern thread_local DialogStyle gDialogStyle;
extern thread_local std::string gsSettingsOrganization;
extern thread_local std::string gsSettingsApplication;

// The host's sample values (CFormulaSet::setSampleValues): a lookup, or the values by
// upper-case name.
struct SampleValues {
    CFormulaSet::SampleValueLookup lookup;
    std::map<std::string, std::string> values;
};
extern thread_local SampleValues gSampleValues;

}  // namespace nemro
