// The modern style's "编辑公式": a whole formula in a CFormulaEdit, the help of the function
// at the cursor, fx to insert a function at the cursor, OK and Cancel. Enter takes a
// completion while the list is open and is OK otherwise. Resizable, remembers its size.
// A step of the exchange: its OK completes the exchange with the text, its Cancel ends it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dialog_flow.h"
#include "nemro/formula_edit.h"

class QPushButton;
class QTextBrowser;
class QToolButton;

namespace nemro::dialogs {

class frmFormulaEditor final : public FlowDialog {
    Q_OBJECT
  public:
    // The text fx inserts at the cursor (a function's call, chosen and filled in by the
    // user), none when the user cancelled; given the formula and the cursor (characters).
    using InsertFunction =
        std::function<std::optional<std::string>(const std::string& formula, std::size_t cursor)>;

    // The session's options give the settings scope the dialog keeps its size in.
    frmFormulaEditor(Exchange& exchange, std::shared_ptr<const CompletionIndex> index);
    ~frmFormulaEditor() override;

    CFormulaEdit& editor() const { return *edit_; }
    void setFormula(const std::string& formula) { edit_->setFormula(formula); }
    std::string formula() const { return edit_->formula(); }
    // Without one, fx is disabled.
    void setInsertFunction(InsertFunction insert);

  protected:
    void reject() override;
    void done(int result) override;

  private:
    void showHelp();
    void cmdFunction_Click();
    void cmdOK_Click();

    CFormulaEdit* edit_;
    QToolButton* cmdFunction_;
    QTextBrowser* txtHelp_;
    QPushButton* cmdOK_;
    InsertFunction insert_;
    const CatalogueFunction* helpFunction_ = nullptr;
    std::size_t helpArgument_ = 0;
};

// The modern exchange's editor: over the session's catalogue snapshot and the host's
// declared names, checked as the exchange checks, opened on the session's editor text,
// its fx running the modern chooser and argument dialog. A failure leaves it.
std::unique_ptr<FlowDialog> makeExchangeEditor(Exchange& exchange);

// Opens "编辑公式" on the formula, outside any exchange: the formula its OK returns, none
// on Cancel.
std::optional<std::string> editFormula(std::shared_ptr<const CompletionIndex> index,
                                       const std::string& formula,
                                       frmFormulaEditor::InsertFunction insert = {},
                                       const ExchangeOptions& options = {},
                                       QWidget* parent = nullptr);

}  // namespace nemro::dialogs
