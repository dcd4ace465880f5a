// frmArgumentSet, the argument entry dialog: one row per argument of the session's
// function (label, field, formula button) in a scrolling panel, the focused argument's
// description below, OK and Cancel.
#pragma once

#include <memory>
#include <vector>

#include "dialog_flow.h"
#include "nemro/scroll_bars.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace nemro::dialogs {

class QtScrollWindow;

class frmArgumentSet final : public FlowDialog {
    Q_OBJECT
  public:
    // Loads the dialog for the session's function (Form_Load); a failure leaves the constructor.
    explicit frmArgumentSet(Exchange& exchange);
    ~frmArgumentSet() override;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    QLineEdit* txtArgumentValue(int index) const;  // rows from 1
    QLabel* lblArgumentValue(int index) const;
    QPushButton* cmdFormula(int index) const;
    QWidget* fraArgument(int index) const;
    QWidget* picClient() const { return picClient_; }
    QLabel* lblArgumentDesc() const { return lblArgumentDesc_; }
    cScrollBars& scrollBars() const { return *m_cScroll; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Esc and the window frame

  private:
    struct Row {
        QWidget* fra;
        QLabel* lbl;
        QLineEdit* txt;
        QPushButton* cmd;
    };

    void Form_Load();
    void Form_Resize();
    void buildRows();
    void fillFromFormerFormula();
    void attachScrollBars();
    void m_cScroll_Change(std::int32_t eBar);
    void m_cScroll_Scroll(std::int32_t eBar) { m_cScroll_Change(eBar); }
    void txtArgumentValue_GotFocus(int Index);
    void cmdFormula_Click(int Index);
    void cmdOK_Click();
    void cmdCancel_Click();
    std::vector<std::string> fieldTexts() const;
    void focusRow(int Index);

    QWidget* Picture1_;
    QWidget* picClient_;
    QWidget* fraButtons_;
    QLabel* lblArgumentDesc_;
    QFrame* Frame1_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QtScrollWindow* scrollWindow_;
    std::unique_ptr<cScrollBars> m_cScroll;
    std::vector<Row> rows_;
    // The fields and buttons have been moved clear of the vertical bar.
    bool rowsClearOfBar_ = false;
};

}  // namespace nemro::dialogs
