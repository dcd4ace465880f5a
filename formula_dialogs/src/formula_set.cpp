#include "nemro/formula_set.h"

#include "dialog_flow.h"
#include "nemro/formula_state.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

std::string CFormulaSet::setFormula(const std::string& sFormerFormula) {
    qt::ensureQApplication();
    qt::requireApplicationThread("CFormulaSet.setFormula");

    dialogs::Exchange exchange = dialogs::classicExchange();
    std::unique_ptr<dialogs::FlowDialog> first;
    exchange.session.start(sFormerFormula, [&](dialogs::Step step) { first = exchange.make(step); });
    dialogs::runDialogs(std::move(first));
    return exchange.session.finish();
}

bool CFormulaSet::isCancel() const { return gbIsCancel; }

}  // namespace nemro
