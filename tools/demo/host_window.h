// The demo host: a formula field with an "fx" button that calls the component, and a
// named argument list kept as the host's own string.
#pragma once

#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "nemro/field_set.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace nemro::demo {

class HostWindow final : public QWidget {
    Q_OBJECT
  public:
    HostWindow();

    // The dialog style the fx button uses: 0 classic, 1 modern.
    void setDialogStyle(int style);

    QLineEdit* formulaField() const { return formula_; }
    QPushButton* formulaButton() const { return fx_; }
    QPushButton* argumentsButton() const { return arguments_; }

    // Calls setFormula with the field's text; the result goes into the field when the
    // user completed a formula. Writes one line to standard output.
    void editFormula();
    void editArguments();

    // The variables and values the host hands the dialogs as samples.
    static const std::map<std::string, std::string>& sampleValues();

    // The names the host declares: a small payroll, and the variables above.
    static const std::vector<Field>& declaredFields();

    // The argument list string with its separators made visible.
    static QString readableArgumentList(const std::string& list);

  private:
    QLineEdit* formula_;
    QPushButton* fx_;
    QComboBox* style_;
    QLabel* samples_;
    QListWidget* names_;
    QLabel* status_;
    QPushButton* arguments_;
    QLabel* argumentText_;
    std::string argumentList_;
};

}  // namespace nemro::demo
