// The exchange of setFormula as plain C++: what the chooser's and the argument dialog's
// buttons do to the module state and gFormulaStack, and what is to be shown next. The
// dialogs of either style are views: they report what the user did and show the step
// the session names, so nesting, Cancel and the result rules are the same in both.
//
// A step that opens another dialog takes a function that loads it (the view's factory
// of its style). It is called where the exchange has always loaded that dialog, so that
// one that cannot be loaded leaves the exchange as it was and its error is the same.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "nemro/functions.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {

enum class Step { Chooser, Arguments, Done };

// The argument level to show when the inner call of a nested formula is done.
struct OuterLevel {
    std::string functionName;
    std::vector<std::string> fields;  // the inner formula already added to fields[row - 1]
    int row = 0;                      // the row whose formula button nested, to focus
};

// What the argument dialog's OK led to.
struct OkOutcome {
    Step next = Step::Arguments;        // Arguments: refused, or back at the outer level
    std::optional<Diagnostic> refusal;  // the check that refused, its row where it has one
    std::optional<OuterLevel> outer;    // set when back at the outer level
};

class FormulaSession {
  public:
    // `catalogue` is the file the queries and checks read; "" is the component's own.
    explicit FormulaSession(std::string catalogue = "") : catalogue_(std::move(catalogue)) {}

    using Load = std::function<void()>;

    // Starts setFormula and loads its first dialog: the argument dialog of the former
    // formula's function when one is given or kept from an earlier call (re-editing),
    // the chooser otherwise. A failed load drops the former formula, so that it does not
    // come back in the next call, and is passed on.
    Step start(const std::string& formerFormula, const std::function<void(Step)>& load);
    // The former formula's argument texts for a dialog of rowCount rows, consumed once;
    // empty when there is none. More texts than rows is an error, as when loading fails.
    std::vector<std::string> takeFormerFields(int rowCount);

    // The chooser's OK on a function: loads its argument dialog, or gives the message why
    // the function cannot be used.
    std::optional<Diagnostic> choose(const std::string& functionName, const Load& loadArguments);
    // A formula button: parks the current level (the button's row and the fields) and
    // loads the chooser for the inner call.
    void nest(int row, std::vector<std::string> fields, const Load& loadChooser);
    // OK with the current fields.
    OkOutcome ok(const std::vector<std::string>& fields);
    // Cancel or Esc in either dialog, at any level: the exchange ends without a formula.
    void cancel();

    // The functions of the levels parked for nested calls, outermost first, and the
    // current one last: IF, ROUND, ABS.
    std::vector<std::string> nestingPath() const;

    // What setFormula returns once no dialog is left; also sets isCancel.
    std::string finish();

    const std::string& catalogue() const { return catalogue_; }

    // The modern style's exchange: its previews and OK's check compute the library and
    // the host's registered functions as `functions` say. The classic check computes none.
    void setModernFunctions(FunctionSettings functions) { modern_ = std::move(functions); }
    const std::optional<FunctionSettings>& modernFunctions() const { return modern_; }

  private:
    std::string catalogue_;
    std::optional<FunctionSettings> modern_;
};

}  // namespace nemro::dialogs
