// The modern style's check of a formula, beside the classic one (formula_checks.h), which
// stays as it is. A string may hold any text and a name may be any the engine's tokenizer
// reads (基本工资). With declared names, a name that is neither declared nor a function is
// refused at its place, with the declared name it was likely meant for; each declared
// name takes part in the evaluation with its sample value, or with a value of its type
// (0, "", FALSE, today's date), so that a type error shows as the engine words it.
// Without declared names any name is a variable, counting as its sample value or 0.
// Functions are computed by the library, then the host's registered functions; the
// catalogue's other functions are answered as the classic check answers them ("0").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "nemro/argument_preview.h"
#include "nemro/catalogue.h"
#include "nemro/field_set.h"
#include "nemro/functions.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {

struct ModernCheckContext {
    CatalogueRef catalogue;                  // an exchange's snapshot, or a catalogue file
    std::shared_ptr<const FieldSet> fields;  // the host's declared names; none: any name
    SampleValueLookup samples;               // the host's other sample values
    // What the engine computes: the library, and the host's registered functions.
    FunctionSettings functions = FunctionSettings::WithLibrary();
};

struct ModernCheckResult {
    bool ok = true;
    std::string message;
    // Where the problem lies: 1-based, in characters (code points), and its length; 0
    // when it has no place.
    std::int32_t position = 0, length = 0;
};

// The check. A failure it cannot judge (the catalogue, say) is raised.
ModernCheckResult checkModernFormula(const std::string& formula, const ModernCheckContext& ctx);

// The same as the argument dialog's OK shows it, under that routine's tag; positions in
// UTF-16 code units as Diagnostic has them.
std::optional<Diagnostic> diagnoseModernCheck(const std::string& formula,
                                              const ModernCheckContext& ctx);

// The declared name most likely meant by `name`, which is not declared: one read with
// the same pinyin, else one a small edit away; none when none is close.
const Field* likelyField(const FieldSet& fields, const std::string& name);

// What an argument's help says when a declared name's type does not fit the argument's
// catalogue data type (Single, Integer, Date, Boolean, String, ...); "" when it fits.
std::string typeMismatchNote(const Field& field, const std::string& datatype);

// The names' samples, the fields' first, then the host's; a declared name without a
// sample reads as a value of its type.
SampleValueLookup modernSamples(const ModernCheckContext& ctx);

}  // namespace nemro::dialogs
