#include "nemro/formula_set.h"

#include "dialog_flow.h"
#include "modern_settings.h"
#include "nemro/formula_state.h"
#include "nemro/functions.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

std::string CFormulaSet::setFormula(const std::string& sFormerFormula) {
    qt::ensureQApplication();
    qt::requireApplicationThread("CFormulaSet.setFormula");

    dialogs::Exchange exchange = gDialogStyle == DialogStyle::Modern ? dialogs::modernExchange()
                                                                     : dialogs::classicExchange();
    if (gDialogStyle == DialogStyle::Modern) {
        FunctionSettings functions = FunctionSettings::WithLibrary();
        functions.Now = now_;
        functions.Functions = functions_;
        exchange.session.setModernFunctions(std::move(functions));
    }
    std::unique_ptr<dialogs::FlowDialog> first;
    exchange.session.start(sFormerFormula,
                           [&](dialogs::Step step) { first = exchange.make(step); });
    dialogs::runDialogs(std::move(first));
    return exchange.session.finish();
}

CFunctionRegistry& CFormulaSet::registeredFunctions() {
    if (!functions_) functions_ = std::make_shared<CFunctionRegistry>();
    return *functions_;
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
