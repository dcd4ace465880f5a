// The modern style's "编辑公式": a whole formula in a CFormulaEdit, the help of the function
// at the cursor, fx to insert a function at the cursor, OK and Cancel. Enter takes a
// completion while the list is open and is OK otherwise. Resizable, remembers its size.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "nemro/formula_edit.h"
#include "nemro/formula_session.h"

class QPushButton;
class QTextBrowser;
class QToolButton;

namespace nemro::dialogs {

class frmFormulaEditor final : public QDialog {
    Q_OBJECT
  public:
    // The text fx inserts at the cursor (a function's call, chosen and filled in by the
    // user), none when the user cancelled; given the formula and the cursor (characters).
    using InsertFunction =
        std::function<std::optional<std::string>(const std::string& formula, std::size_t cursor)>;

    // `options` gives the settings scope the dialog keeps its size in.
    explicit frmFormulaEditor(std::shared_ptr<const CompletionIndex> index,
                              ExchangeOptions options = {}, QWidget* parent = nullptr);
    ~frmFormulaEditor() override;

    CFormulaEdit& editor() const { return *edit_; }
    void setFormula(const std::string& formula) { edit_->setFormula(formula); }
    std::string formula() const { return edit_->formula(); }
    // Without one, fx is disabled.
    void setInsertFunction(InsertFunction insert);

  protected:
    void done(int result) override;

  private:
    void showHelp();
    void cmdFunction_Click();
    void cmdOK_Click();

    ExchangeOptions options_;
    CFormulaEdit* edit_;
    QToolButton* cmdFunction_;
    QTextBrowser* txtHelp_;
    QPushButton* cmdOK_;
    InsertFunction insert_;
    const CatalogueFunction* helpFunction_ = nullptr;
    std::size_t helpArgument_ = 0;
};

// Opens "编辑公式" on the formula: the formula its OK returns, none on Cancel.
std::optional<std::string> editFormula(std::shared_ptr<const CompletionIndex> index,
                                       const std::string& formula,
                                       frmFormulaEditor::InsertFunction insert = {},
                                       const ExchangeOptions& options = {},
                                       QWidget* parent = nullptr);

}  // namespace nemro::dialogs
