// frmFormulaSet, the function chooser: categories on the left, their functions on the
// right, the selected function's value line, title and description below.
#pragma once

#include <memory>

#include "dialog_flow.h"
#include "nemro/qt_toolkit.h"

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace nemro::dialogs {

class frmFormulaSet final : public FlowDialog {
    Q_OBJECT
  public:
    // Loads the dialog from the catalogue; a catalogue failure leaves the constructor.
    explicit frmFormulaSet(Exchange& exchange);
    ~frmFormulaSet() override;

  protected:
    void reject() override;  // Esc and the window frame

  private:
    void Form_Load();
    void lstFormulaCategory_Click();
    void lstFormulaName_Click();
    void lstFormulaName_DblClick();
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* Label1;
    QListWidget* lstFormulaCategory;
    QListWidget* lstFormulaName;
    QLabel* Label2;
    QLabel* lblFormulaValue;
    QLabel* lblFormulaTitleAnsDesc;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QFrame* Frame1;

    std::unique_ptr<qt::QtListBox> categoryList_;
    std::unique_ptr<qt::QtListBox> nameList_;
    qt::QtLabel valueLabel_;
    qt::QtLabel titleLabel_;
    qt::QtTextMetrics metrics_;
};

}  // namespace nemro::dialogs
