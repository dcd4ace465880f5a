#include "dialog_flow.h"

#include <QPushButton>

#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

FlowDialog::FlowDialog(Exchange& exchange, bool fixed) : exchange_(exchange) {
    if (fixed)
        qt::makeFixedDialog(*this);
    else
        setModal(true);
}

void FlowDialog::handOver(std::unique_ptr<FlowDialog> next) {
    next_ = std::move(next);
    unload();
}

void FlowDialog::chooseFunction(const std::string& name) {
    // The argument dialog is loaded before this one closes: should its load fail, the
    // failure is shown and the user can still choose another function.
    std::unique_ptr<FlowDialog> next;
    const auto refusal = session().choose(name, [&] { next = exchange_.makeArguments(exchange_); });
    if (refusal) return showDiagnostic(*refusal);
    handOver(std::move(next));
}

void FlowDialog::nestInto(int row, std::vector<std::string> fields, std::size_t cursor) {
    std::unique_ptr<FlowDialog> chooser;
    session().nest(
        row, std::move(fields), [&] { chooser = exchange_.makeChooser(exchange_); }, cursor);
    handOver(std::move(chooser));
}

void FlowDialog::openEditor(const std::optional<std::vector<std::string>>& fields) {
    if (!exchange_.makeEditor) return;
    std::unique_ptr<FlowDialog> editor;
    session().edit(fields, [&] { editor = exchange_.makeEditor(exchange_); });
    handOver(std::move(editor));
}

QPushButton* FlowDialog::addEditorButton(FlowDialog& dialog, std::function<void()> open) {
    if (!dialog.exchange_.makeEditor) return nullptr;
    auto* button = new QPushButton(tr("编辑公式"), &dialog);
    button->setObjectName("cmdEditFormula");
    button->setAccessibleName(tr("编辑公式"));
    button->setAccessibleDescription(tr("把到此为止的公式放到公式编辑器中，直接编写整个公式"));
    // F2 edits, as in spreadsheets; Ctrl+E is a line edit's end of line on X11.
    button->setToolTip(tr("在公式编辑器中编写整个公式 (F2)"));
    button->setShortcut(QKeySequence(Qt::Key_F2));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, &dialog,
            [open = std::move(open)] { qt::runGuarded(open); });
    return button;
}

bool FlowDialog::chooseName(const std::string& name) {
    std::unique_ptr<FlowDialog> next;
    if (!session().insertName(name, [&] { next = exchange_.makeArguments(exchange_); }))
        return false;
    handOver(std::move(next));
    return true;
}

std::optional<OuterLevel> FlowDialog::confirm(const std::vector<std::string>& fields,
                                              const std::function<void(int)>& focusRow) {
    OkOutcome outcome = session().ok(fields);
    if (outcome.refusal) {
        showDiagnostic(*outcome.refusal);
        if (outcome.refusal->row > 0) focusRow(outcome.refusal->row);
        return std::nullopt;
    }
    if (outcome.next == Step::Done) unload();
    return std::move(outcome.outer);
}

void runDialogs(std::unique_ptr<FlowDialog> first) {
    std::unique_ptr<FlowDialog> current = std::move(first);
    while (current) {
        current->exec();
        std::unique_ptr<FlowDialog> next = current->takeNext();
        current.reset();
        current = std::move(next);
    }
}

}  // namespace nemro::dialogs
