// The host's declared names as the formula engine reads them: the engine's rule for a
// name, field files read with it, and the fields' samples in place of the host's others.
#pragma once

#include <memory>
#include <string>

#include "nemro/argument_preview.h"
#include "nemro/field_set.h"

namespace nemro::dialogs {

// Why the engine's tokenizer would not read `name` as one variable; "" when it would.
// A FieldNameRule.
std::string variableNameProblem(const std::string& name);

// The field file at path, its names checked by the engine's rule.
std::shared_ptr<const FieldSet> loadFieldFile(const std::string& path);

// The samples of the declared names, as the engine reads them; for any other name, or a
// declared one without a sample, what `others` answers.
SampleValueLookup withFieldSamples(std::shared_ptr<const FieldSet> fields,
                                   SampleValueLookup others);

}  // namespace nemro::dialogs
