// The exchange of setFormula as plain C++: what the chooser's and the argument dialog's
// buttons do, and what is to be shown next. The session owns the whole exchange: the
// function being edited, the outer levels parked while the user nests calls, the former
// formula, the catalogue snapshot every dialog of the exchange reads and the host's
// options. The dialogs of either style are views: they report what the user did and
// show the step the session names, so nesting, Cancel and the result rules are the same
// in both.
//
// A step that opens another dialog takes a function that loads it (the view's factory
// of its style). It is called where the exchange has always loaded that dialog, so that
// one that cannot be loaded leaves the exchange as it was and its error is the same.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "nemro/argument_preview.h"
#include "nemro/catalogue.h"
#include "nemro/field_set.h"
#include "nemro/functions.h"
#include "nemro/message_box.h"
#include "nemro/modern_check.h"

namespace nemro::dialogs {

enum class Step { Chooser, Arguments, Editor, Done };

// A level of the exchange: a function, its field texts and the row whose formula button
// nested (to focus when the level is shown again).
struct OuterLevel {
    std::string functionName;
    std::vector<std::string>
        fields;  // back from a nested call: its formula added to fields[row - 1]
    int row = 0;
    // Where in fields[row - 1] a declared name chosen for it goes (a byte offset); the end
    // when beyond it.
    std::size_t cursor = std::string::npos;
};

// What the argument dialog's OK led to.
struct OkOutcome {
    Step next = Step::Arguments;        // Arguments: refused, or back at the outer level
    std::optional<Diagnostic> refusal;  // the check that refused, its row where it has one
    std::optional<OuterLevel> outer;    // set when back at the outer level
};

// What the formula editor opens with: the text and the cursor in it (characters before it).
struct EditorText {
    std::string text;
    std::size_t cursor = 0;
};

// What the host set on its CFormulaSet for the exchange.
struct ExchangeOptions {
    std::string catalogue;  // the catalogue file; "" is the component's own
    // Where the modern dialogs keep what they remember (QSettings); "" is the host's name.
    std::string settingsOrganization, settingsApplication;
    SampleValueLookup samples;  // the host's sample values, none when not set
    // The host's declared names; their samples take the place of `samples` for them.
    std::shared_ptr<const FieldSet> fields;
};

// How OK composes and checks: the classic composition and check, or the modern ones
// (trailing empty optional arguments left out, checkModernFormula).
enum class Composition { Classic, Modern };

class FormulaSession {
  public:
    explicit FormulaSession(ExchangeOptions options = {},
                            Composition composition = Composition::Classic);

    using Load = std::function<void()>;

    // Starts setFormula: takes the catalogue snapshot and loads the first dialog, the
    // argument dialog of the former formula's function when one is given (re-editing),
    // the chooser otherwise. With `editor`, a former formula that is not one call of a
    // catalogue function (ROUND(A1,2)*1.1) opens the formula editor on its text instead.
    // A failed load drops the former formula and is passed on.
    Step start(const std::string& formerFormula, const std::function<void(Step)>& load,
               bool editor = false);
    // The former formula's argument texts for a dialog of rowCount rows, consumed once;
    // empty when there is none. More texts than rows is an error, as when loading fails.
    std::vector<std::string> takeFormerFields(int rowCount);

    // The chooser's OK on a function: loads its argument dialog, or gives the message why
    // the function cannot be used.
    std::optional<Diagnostic> choose(const std::string& functionName, const Load& loadArguments);
    // A formula button: parks the current level (the button's row and the fields) and
    // loads the chooser for the inner call.
    void nest(int row, std::vector<std::string> fields, const Load& loadChooser,
              std::size_t cursor = std::string::npos);
    // The chooser's OK on a declared name, opened from a row: the name goes into that row
    // at its cursor, and the outer level is resumed in the argument dialog that
    // loadArguments loads (which takes it with takeResumed). False, with nothing done, when
    // no row is waiting (the chooser opened first).
    bool insertName(const std::string& name, const Load& loadArguments);
    // The level insertName resumed, with the cursor after the name; consumed once.
    std::optional<OuterLevel> takeResumed() { return std::exchange(resumed_, std::nullopt); }
    // OK with the current fields.
    OkOutcome ok(const std::vector<std::string>& fields);
    // Cancel or Esc in either dialog, at any level: the exchange ends without a formula.
    void cancel();

    // The editor button of the chooser (no fields) or of the argument dialog (its fields):
    // the formula so far, each level's formula put into the row of the level outside it,
    // for the editor that `loadEditor` loads; the cursor stays after the current level's
    // part. The levels stay parked should the editor not load.
    void edit(const std::optional<std::vector<std::string>>& fields, const Load& loadEditor);
    // What the editor opens with, taken once; none when the editor was not asked for.
    std::optional<EditorText> takeEditorText();
    // The editor's OK on its (checked) text: the whole exchange ends with it, whatever
    // the levels parked.
    void complete(const std::string& formula);

    // The function whose arguments are being set.
    const std::string& functionName() const { return functionName_; }
    // The levels parked for nested calls.
    std::size_t depth() const { return parked_.size(); }
    // Their functions, outermost first, and the current one last: IF, ROUND, ABS.
    std::vector<std::string> nestingPath() const;

    // Whether the outermost OK completed a formula.
    bool completed() const { return completed_; }
    // What setFormula returns once no dialog is left: the formula, or "" without one.
    std::string finish() const { return completed_ ? result_ : std::string(); }

    // The snapshot taken at the start, or the file when it could not be read then (each
    // query then fails as it reads the file, under its own tag).
    const CatalogueRef& catalogue() const { return catalogue_; }
    const ExchangeOptions& options() const { return options_; }
    Composition composition() const { return composition_; }
    // What the modern check reads in this exchange.
    ModernCheckContext modernContext() const {
        return {catalogue_, options_.fields, options_.samples,
                modern_.value_or(FunctionSettings::WithLibrary())};
    }

    // The modern style's exchange: its previews and OK's check compute the library and
    // the host's registered functions as `functions` say. The classic check computes none.
    void setModernFunctions(FunctionSettings functions) { modern_ = std::move(functions); }
    const std::optional<FunctionSettings>& modernFunctions() const { return modern_; }

  private:
    ExchangeOptions options_;
    Composition composition_;
    CatalogueRef catalogue_;
    std::string functionName_;
    std::vector<OuterLevel> parked_;  // outermost first
    std::optional<OuterLevel> resumed_;
    std::string formerFormula_;
    std::optional<EditorText> editorText_;
    std::string result_;
    bool completed_ = false;
    std::optional<FunctionSettings> modern_;
};

}  // namespace nemro::dialogs
