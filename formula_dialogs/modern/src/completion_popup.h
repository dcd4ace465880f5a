// The list of completions under the text being typed: the functions and declared names
// that complete the name at the cursor, each with its kind and its title or group. It
// never takes the focus: the editor keeps the keys and hands it those the list answers.
#pragma once

#include <QListView>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "nemro/formula_completion.h"

class QKeyEvent;
class QLineEdit;

namespace nemro::dialogs {

class CandidateModel;

// Between the completion's characters (code points) and QString's UTF-16 units.
class CharMap {
  public:
    explicit CharMap(const QString& text);
    int unit(std::size_t character) const;
    std::size_t character(int unit) const;

  private:
    std::vector<int> units_;  // where each character starts; empty: one unit each
};

class CompletionPopup final : public QListView {
  public:
    // Lies over `owner`'s window, which keeps the keyboard.
    explicit CompletionPopup(QWidget& owner);
    ~CompletionPopup() override;

    // Shows the completion's candidates below `anchor` (global coordinates), the first
    // selected; closes when there are none.
    void offer(Completion completion, const QRect& anchor);
    void close();
    bool isOpen() const { return isVisible(); }
    const Completion& completion() const;

    // Up, Down, Page Up and Page Down move; Enter, Return and Tab take the selection;
    // Esc closes. True when the key was one of these and the list was open.
    bool handleKey(const QKeyEvent& event);

    // Called with the candidate taken, the list already closed.
    std::function<void(const Completion&, const CompletionCandidate&)> taken;

  private:
    void take(int row);
    void moveBy(int rows);

    CandidateModel* model_;
};

// Completes what is typed into a line edit (an argument's field) as the formula editor
// does, over the same list; owned by the line edit.
class LineCompleter final : public QObject {
  public:
    LineCompleter(QLineEdit& edit, std::shared_ptr<const CompletionIndex> index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void offer();

    QLineEdit& edit_;
    std::shared_ptr<const CompletionIndex> index_;
    CompletionPopup* popup_;
    bool taking_ = false;
};

}  // namespace nemro::dialogs
