// The modal exchange of the formula dialogs. A dialog that opens another one (the
// chooser's OK, a formula button) loads it, hands it over and closes; the driver then
// shows it. So the showings follow each other in one loop instead of nesting modal
// loops, and any depth of nested formulas costs no stack.
#pragma once

#include <QDialog>
#include <memory>

namespace nemro::dialogs {

class FlowDialog : public QDialog {
    Q_OBJECT
public:
    std::unique_ptr<FlowDialog> takeNext() { return std::move(next_); }

protected:
    FlowDialog();
    // Closes this dialog; the driver shows `next` after it.
    void handOver(std::unique_ptr<FlowDialog> next);
    // Closes ("unloads") this dialog.
    void unload() { done(QDialog::Rejected); }

private:
    std::unique_ptr<FlowDialog> next_;
};

// Shows `first` modally, then every dialog handed over, until one closes without a
// successor.
void runDialogs(std::unique_ptr<FlowDialog> first);

}  // namespace nemro::dialogs
