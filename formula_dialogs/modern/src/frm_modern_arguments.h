// The modern argument dialog: one row per argument with the value of its text as the user
// types, the formula OK would return with its result or the message OK would show, where
// the user is in the nesting, and the focused argument's full help. Resizable.
#pragma once

#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "dialog_flow.h"

class QLabel;
class QLineEdit;
class QGridLayout;
class QToolButton;
class QTextBrowser;

namespace nemro {
struct Catalogue;
class CompletionIndex;
}  // namespace nemro

namespace nemro::dialogs {

class ArgumentPreviewer;

class frmModernArguments final : public FlowDialog {
    Q_OBJECT
  public:
    // Loads the dialog for the session's function; a failure leaves the constructor.
    explicit frmModernArguments(Exchange& exchange);
    ~frmModernArguments() override;

    int rowCount() const { return static_cast<int>(rows_.size()); }
    QLineEdit* field(int row) const;  // rows from 1
    // Runs the preview now rather than after the pause in typing.
    void refreshNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    void done(int result) override;

  private:
    struct Row {
        QLabel* name;
        QLineEdit* text;
        QToolButton* formula;
        QLabel* value;
    };

    // Rows for the session's function holding `fields`, or with `former` the former formula's.
    void load(const std::vector<std::string>& fields, int focusRow, bool former = false);
    void clearRows();
    void showRows();
    void showHelp(int row);
    void fieldEdited(int row);
    void refresh();
    std::vector<std::string> fieldTexts() const;
    void focusRow(int row);
    void cmdFormula_Click(int row);
    void cmdOK_Click();

    std::shared_ptr<const Catalogue> catalogue_;
    std::shared_ptr<const CompletionIndex> completion_;  // the rows complete as the editor does
    std::unique_ptr<ArgumentPreviewer> previewer_;
    QLabel* lblPath_;
    QWidget* rowsPanel_;
    QGridLayout* rowsGrid_;
    QTextBrowser* txtHelp_;
    QLabel* lblFormula_;
    QLabel* lblResult_;
    std::vector<Row> rows_;
    QTimer pause_;  // the preview waits for a pause in typing
};

}  // namespace nemro::dialogs
