#include "dialog_flow.h"

#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

FlowDialog::FlowDialog(Exchange& exchange, bool fixed) : exchange_(exchange) {
    if (fixed) qt::makeFixedDialog(*this);
    else setModal(true);
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
