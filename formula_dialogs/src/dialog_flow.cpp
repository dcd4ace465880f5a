#include "dialog_flow.h"

#include <QFont>

namespace nemro::dialogs {

FlowDialog::FlowDialog() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    // The geometry is fixed in twips; a fixed small font keeps the texts inside it
    // whatever font the host application uses.
    QFont f = font();
    f.setPointSizeF(9.0);
    setFont(f);
}

void FlowDialog::handOver(std::unique_ptr<FlowDialog> next) {
    next_ = std::move(next);
    unload();
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
