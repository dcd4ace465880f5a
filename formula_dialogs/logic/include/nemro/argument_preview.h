// What an argument dialog shows while the user types, without Qt: the value of each
// field's own text, the formula OK would return and its result or the message OK would
// show now, which rows to show, and the folding of full-width input to ASCII.
//
// Values come from the component's engine as the modern check evaluates, the library and
// the host's registered functions computing (`functions`): other functions are answered
// from the catalogue, variables from the host's sample
// values; a variable without one counts as 0. A call the catalogue accepts but the engine
// cannot compute has no value here: a value whose evaluation makes such a call is
// `HostComputed` (the engine evaluates every argument, an IF branch not taken included).
//
// `catalogue` is an exchange's snapshot or a catalogue file ("" is FormulaSet.xml beside
// the component). A catalogue failure is raised as the checks raise it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/field_set.h"
#include "nemro/functions.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {

// The host's sample value of a variable, written as the engine reads a variable's value
// ("8000", "\"文本\"", "True", "#7"); other text is taken as a string. None: no sample.
using SampleValueLookup = std::function<std::optional<std::string>(const std::string& name)>;

// A sample value as the engine reads a variable's answer; plain text is a string.
std::string sampleEngineText(const std::string& sample);

enum class PreviewState {
    Empty,         // nothing to show: an empty field
    Value,         // kind and text hold the value
    HostComputed,  // depends on a function only the host computes
    Error,         // text holds the engine's message
};

struct PreviewValue {
    PreviewState state = PreviewState::Empty;
    std::int32_t kind = 0;  // ekNumber, ekString or ekBoolean for a value
    std::string text;       // the value's text (a string without quotes), or the message
    // Variables met without a sample value, counted as 0; in the order met, once each.
    std::vector<std::string> unsetVariables;

    // "= 2.5", "= \"文本\"", "= TRUE", the message, kHostComputedText; "" when empty.
    std::string display() const;
    // What a row adds about unset variables, "" when there are none.
    std::string variableNote() const;
    // "number", "text", "boolean", "host", "error" or "empty".
    const char* kindName() const;
};

inline constexpr const char* kHostComputedText = "由宿主程序计算";

struct ArgumentPreview {
    std::vector<PreviewValue> rows;  // one per argument of the function
    std::string formula;             // exactly as OK would return it
    // What OK would show if pressed now; when set, result is empty.
    std::optional<Diagnostic> message;
    PreviewValue result;  // the formula's value

    // "计算结果 = 3.14", the message OK would show, or the host or engine note.
    std::string resultLine() const;
};

// The value of one field's text; an empty or blank text gives nothing.
PreviewValue previewValue(const std::string& text, const SampleValueLookup& samples = {},
                          const CatalogueRef& catalogue = {},
                          const FunctionSettings& functions = FunctionSettings::WithLibrary());

// How many rows to show of a function whose arguments are `required` or not: every row
// up to the last that has text or is required, and one empty optional row after it, up
// to the argument count (MaxArgNum).
std::size_t shownRowCount(const std::vector<bool>& required,
                          const std::vector<std::string>& fields);

// Previews of one function's dialog. The function's arguments are read once; a row whose
// text is unchanged since the last update keeps its value, so that a keystroke costs
// the evaluation of one field and of the formula.
class ArgumentPreviewer {
  public:
    // The formula is the modern composition, checked by checkModernFormula over the
    // declared `fields`, whose samples (or values of their types) the values read.
    ArgumentPreviewer(std::string functionName, CatalogueRef catalogue = {},
                      SampleValueLookup samples = {},
                      FunctionSettings functions = FunctionSettings::WithLibrary(),
                      std::shared_ptr<const FieldSet> fields = {});

    const std::string& functionName() const { return functionName_; }
    // The arguments' names and whether each is required, in catalogue order.
    const std::vector<std::string>& argumentNames() const { return names_; }
    const std::vector<bool>& required() const { return required_; }
    std::size_t shownRows(const std::vector<std::string>& fields) const {
        return shownRowCount(required_, fields);
    }

    // Fields beyond the given ones count as empty; extra ones are left out.
    const ArgumentPreview& update(const std::vector<std::string>& fields);
    // Forgets the kept values, for sample values that have changed.
    void reset();

  private:
    std::string functionName_;
    CatalogueRef catalogue_;
    SampleValueLookup samples_;  // the declared names' first
    FunctionSettings functions_;
    std::shared_ptr<const FieldSet> fields_;
    std::vector<std::string> names_;
    std::vector<bool> required_;
    std::vector<std::string> texts_;  // the texts the kept rows were evaluated for
    std::vector<bool> evaluated_;
    ArgumentPreview preview_;
    bool haveResult_ = false;
    std::vector<std::string> resultFields_;  // the fields the kept result was made for
};

// The same at once, for a caller without a dialog.
ArgumentPreview previewArguments(
    const std::string& functionName, const std::vector<std::string>& fields,
    const SampleValueLookup& samples = {}, const CatalogueRef& catalogue = {},
    const FunctionSettings& functions = FunctionSettings::WithLibrary(),
    std::shared_ptr<const FieldSet> declared = {});

// Typed text with full-width punctuation, letters and digits outside "..." literals
// turned into ASCII; `cursor` is a byte offset into the text and moves with it.
struct FoldedInput {
    std::string text;
    std::size_t cursor = 0;
    bool changed = false;
};
FoldedInput foldFullWidth(std::string_view text, std::size_t cursor);

}  // namespace nemro::dialogs
