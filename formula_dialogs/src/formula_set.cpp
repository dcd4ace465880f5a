#include "nemro/formula_set.h"

#include "dialog_flow.h"
#include "modern_settings.h"
#include "nemro/formula_state.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

std::string CFormulaSet::setFormula(const std::string& sFormerFormula) {
    qt::ensureQApplication();
    qt::requireApplicationThread("CFormulaSet.setFormula");

    dialogs::Exchange exchange = gDialogStyle == DialogStyle::Modern ? dialogs::modernExchange()
                                                                     : dialogs::classicExchange();
    std::unique_ptr<dialogs::FlowDialog> first;
    exchange.session.start(sFormerFormula,
                           [&](dialogs::Step step) { first = exchange.make(step); });
    dialogs::runDialogs(std::move(first));
    return exchange.session.finish();
}

bool CFormulaSet::isCancel() const {
    return gbIsCancel;
}

void CFormulaSet::setDialogStyle(DialogStyle style) {
    gDialogStyle = style;
}
DialogStyle CFormulaSet::dialogStyle() const {
    return gDialogStyle;
}

void CFormulaSet::setSettingsScope(const std::string& organization,
                                   const std::string& application) {
    gsSettingsOrganization = organization;
    gsSettingsApplication = application;
}

void CFormulaSet::clearRecentFunctions() {
    dialogs::clearRecentFunctionList();
}

}  // namespace nemro
