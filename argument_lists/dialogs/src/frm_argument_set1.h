// frmArgumentSet1, the argument list editor: the entries in a three-column report list
// above three text boxes and the New, Modify, Delete and Exit buttons.
#pragma once

#include <QDialog>
#include <string>

#include "nemro/argument_editor.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace nemro::dialogs {

class frmArgumentSet1 final : public QDialog {
    Q_OBJECT
  public:
    // Loads the dialog over the editor's lasting fields: the list shows their
    // m_sArgument. Closing through the window frame or Esc leaves the fields as they
    // are; Exit saves the list into m_sArgument first.
    explicit frmArgumentSet1(ArgumentEditorFields& fields);
    ~frmArgumentSet1() override;

    std::string Argument() const { return fields_.m_sArgument; }
    void setArgument(const std::string& sNewValue) { fields_.m_sArgument = sNewValue; }

  private:
    void Form_Load();
    void lvArgument_Click();
    void cmdNew_Click();
    void cmdModify_Click();
    void cmdDelete_Click();
    void cmdExit_Click();

    ArgumentTexts boxTexts() const;
    void setBoxTexts(const ArgumentTexts& t);
    static void showEntry(QTreeWidgetItem& item, const ArgumentEntry& entry);

    QFrame* Frame1;
    QLabel* Label1;
    QLineEdit* txtArgName;
    QLabel* Label2;
    QLineEdit* txtArgValue;
    QLabel* Label3;
    QPlainTextEdit* txtArgDesc;
    QPushButton* cmdNew;
    QPushButton* cmdModify;
    QPushButton* cmdDelete;
    QPushButton* cmdExit;
    QTreeWidget* lvArgument;

    ArgumentEditorFields& fields_;
    ArgumentListEditor editor_;
};

}  // namespace nemro::dialogs
