// The modal exchange of the formula dialogs. A dialog that opens another one (the
// chooser's OK, a formula button) loads it, hands it over and closes; the driver then
// shows it. So the showings follow each other in one loop instead of nesting modal
// loops, and any depth of nested formulas costs no stack.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "nemro/formula_session.h"

class QPushButton;

namespace nemro::dialogs {

class FlowDialog;

// What the dialogs of one setFormula share: the session, and the dialogs of the style
// that shows its steps.
struct Exchange {
    FormulaSession session;
    std::unique_ptr<FlowDialog> (*makeChooser)(Exchange&);
    std::unique_ptr<FlowDialog> (*makeArguments)(Exchange&);
    // The formula editor; a style without one has none.
    std::unique_ptr<FlowDialog> (*makeEditor)(Exchange&) = nullptr;

    std::unique_ptr<FlowDialog> make(Step step) {
        return step == Step::Arguments ? makeArguments(*this)
               : step == Step::Editor  ? makeEditor(*this)
                                       : makeChooser(*this);
    }
};

// The classic style: frmFormulaSet and frmArgumentSet.
Exchange classicExchange(ExchangeOptions options = {});
// The modern style: frmModernChooser and frmModernArguments, and with `editor`
// frmFormulaEditor for formulas that are not one call.
Exchange modernExchange(ExchangeOptions options = {}, bool editor = true);

class FlowDialog : public QDialog {
    Q_OBJECT
  public:
    std::unique_ptr<FlowDialog> takeNext() { return std::move(next_); }
    // The exchange this dialog shows a step of.
    FormulaSession& session() const { return exchange_.session; }

  protected:
    // A fixed dialog has the classic frame and font; otherwise it is resizable.
    explicit FlowDialog(Exchange& exchange, bool fixed = true);
    Exchange& exchange() const { return exchange_; }
    // Closes this dialog; the driver shows `next` after it.
    void handOver(std::unique_ptr<FlowDialog> next);
    // Closes ("unloads") this dialog.
    void unload() { done(QDialog::Rejected); }

    // What the buttons of either style do through the session. A chooser's OK on a
    // function: hands over to its argument dialog, or shows why not.
    void chooseFunction(const std::string& name);
    // A formula button: parks this level and hands over to the chooser.
    void nestInto(int row, std::vector<std::string> fields, std::size_t cursor = std::string::npos);
    // A chooser's OK on a declared name: hands over to the argument dialog of the row it
    // was opened from, the name inserted at that row's cursor; false when opened first.
    bool chooseName(const std::string& name);
    // The editor button: hands over to the formula editor with the formula so far; the
    // fields of an argument dialog, none from a chooser.
    void openEditor(const std::optional<std::vector<std::string>>& fields);
    // The button "编辑公式" (F2) that opens the editor, when the style has one; nullptr
    // otherwise.
    static QPushButton* addEditorButton(FlowDialog& dialog, std::function<void()> open);
    // An argument dialog's OK: shows a refusal (focusing its row) or closes when the
    // formula is complete; the outer level to rebuild for otherwise.
    std::optional<OuterLevel> confirm(const std::vector<std::string>& fields,
                                      const std::function<void(int)>& focusRow);

  private:
    Exchange& exchange_;
    std::unique_ptr<FlowDialog> next_;
};

// Shows `first` modally, then every dialog handed over, until one closes without a
// successor.
void runDialogs(std::unique_ptr<FlowDialog> first);

}  // namespace nemro::dialogs
