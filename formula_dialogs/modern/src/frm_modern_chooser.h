// The modern function chooser: a search field over the whole catalogue (names, titles,
// descriptions, keywords, pinyin), the recently used functions, the categories, and the
// full help of the selected function. Resizable, remembers its size.
#pragma once

#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "dialog_flow.h"

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace nemro {
struct CatalogueFunction;
class CompletionIndex;
class FunctionIndex;
}  // namespace nemro

namespace nemro::dialogs {

class FunctionHitModel;

class frmModernChooser final : public FlowDialog {
    Q_OBJECT
  public:
    // Loads the catalogue; a catalogue failure leaves the constructor.
    explicit frmModernChooser(Exchange& exchange);
    ~frmModernChooser() override;

    // The name of the selected function, "" when none.
    std::string selectedFunction() const;
    // The name of the selected declared name, "" when none.
    std::string selectedName() const;
    // Shows the selected function's help now rather than after the pause.
    void showDetails();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Esc: clears the search first
    void done(int result) override;

  private:
    void showCategory(int row);
    void search(const QString& query);
    void moveSelection(int step);
    void cmdOK_Click();

    std::shared_ptr<const FunctionIndex> index_;  // and the catalogue it was built from
    QLineEdit* txtSearch_;
    QListWidget* lstCategory_;
    QListView* lstFunctions_;
    QTextBrowser* txtHelp_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    FunctionHitModel* hits_;
    // Opened from an argument row with declared names: functions and names searched
    // together, and the names' groups, listed from firstGroupRow_ on.
    std::shared_ptr<const CompletionIndex> names_;
    std::vector<std::string> groups_;
    int firstGroupRow_ = -1;
    QTimer details_;  // shows the selected function's help after a pause
};

}  // namespace nemro::dialogs
