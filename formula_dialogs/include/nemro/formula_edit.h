// CFormulaEdit: a formula editor a host can place in its own forms. While the user types
// it completes function and declared names (by name, pinyin, initials and meaning), shows
// the call the cursor is in with the argument marked, colours the text, and after a pause
// checks the formula: the problem is underlined where it is with its message beside the
// text, or the result is shown. A formula is one line; a pasted line break becomes a blank.
// Must be used on the thread of the Qt application; a host that places it links Qt 6
// Widgets itself.
#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "nemro/export.h"
#include "nemro/formula_completion.h"

class QLabel;
class QListView;
class QPlainTextEdit;

namespace nemro {

// What a check of the whole text found.
struct FormulaCheckOutcome {
    bool ok = true;
    std::string message;       // the problem, when not ok
    std::size_t position = 0;  // of the problem in characters, from 1; 0 when it has no place
    std::size_t length = 0;    // characters marked from there; 0 marks the one character
    std::string resultText;    // when ok: "计算结果 = 3.14", or "" to show nothing
};

// Checks a formula text; it may raise NemroError, which the editor shows as the problem.
using FormulaChecker = std::function<FormulaCheckOutcome(const std::string& text)>;

class NEMRO_API CFormulaEdit : public QWidget {
    Q_OBJECT
  public:
    // Texts longer than this (in UTF-8 bytes) are neither coloured, completed, hinted nor
    // checked while the user types: a pasted megabyte must not hold up every keystroke.
    static constexpr std::size_t kLiveLimit = 64 * 1024;
    static constexpr int kCheckPauseMs = 300;  // typing that stops this long is checked

    // Over the functions of the catalogue at `catalogue` ("" is FormulaSet.xml beside the
    // component) and the host's declared names, checked by engineChecker(catalogue); a
    // catalogue failure leaves the constructor.
    explicit CFormulaEdit(QWidget* parent = nullptr, const std::string& catalogue = "",
                          std::vector<IndexedName> names = {});
    // Over a given index, checked by engineChecker("").
    explicit CFormulaEdit(std::shared_ptr<const CompletionIndex> index, QWidget* parent = nullptr);
    ~CFormulaEdit() override;

    void setIndex(std::shared_ptr<const CompletionIndex> index);
    const std::shared_ptr<const CompletionIndex>& index() const;

    std::string formula() const;
    // Replaces the text without completing or folding it; the cursor goes to the end.
    void setFormula(const std::string& formula);
    // The cursor as the characters (code points) before it, and placing it there.
    std::size_t cursorPosition() const;
    void setCursorPosition(std::size_t characters);
    // Writes text over the selection, as typing would but without completing it.
    void insertText(const std::string& text);

    // The check run after a pause in typing; an empty checker checks nothing.
    void setChecker(FormulaChecker checker);
    // The engine's evaluation, with unknown functions answered from the catalogue and
    // variables from CFormulaSet's sample values; an unmatched bracket is placed.
    static FormulaChecker engineChecker(const std::string& catalogue = "",
                                        std::shared_ptr<const CompletionIndex> index = nullptr);
    // Checks now rather than after the pause, whatever the text's length, and shows it.
    const FormulaCheckOutcome& checkNow();
    // What the last check found, while the text is unchanged since; none otherwise.
    const std::optional<FormulaCheckOutcome>& lastCheck() const;

    // The catalogue function whose name is at the cursor, or else the one whose call holds
    // the cursor, with the argument at the cursor (from 1, 0 on its name); nullptr when none.
    const CatalogueFunction* functionAtCursor(std::size_t* argument = nullptr) const;

    bool completionVisible() const;
    QPlainTextEdit* textEdit() const;
    QListView* completionList() const;
    QLabel* hintLabel() const;
    QLabel* resultLabel() const;

  signals:
    void formulaChanged();
    // The cursor or the text moved: the function at the cursor may be another.
    void cursorContextChanged();
    void checked();

  public:
    class Impl;  // the editor's parts, private to it

  private:
    std::unique_ptr<Impl> d_;
};

}  // namespace nemro
