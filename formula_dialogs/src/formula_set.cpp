#include "nemro/formula_set.h"

#include "dialog_flow.h"
#include "frm_argument_set.h"
#include "frm_formula_set.h"
#include "nemro/formula_state.h"
#include "nemro/formula_text.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

std::string CFormulaSet::setFormula(const std::string& sFormerFormula) {
    qt::ensureQApplication();
    qt::requireApplicationThread("CFormulaSet.setFormula");

    gbIsCancel = false;
    gbFormulaCompleted = false;
    if (!sFormerFormula.empty()) gsFormerFormula = sFormerFormula;
    gFormulaStack = cStack();

    std::unique_ptr<dialogs::FlowDialog> first;
    try {
        if (!gsFormerFormula.empty()) {
            gsFunctionName = formulaName(gsFormerFormula);
            first = std::make_unique<dialogs::frmArgumentSet>();
        } else {
            first = std::make_unique<dialogs::frmFormulaSet>();
        }
    } catch (...) {
        // A former formula that cannot be loaded must not come back in the next call.
        gsFormerFormula.clear();
        gbIsCancel = true;
        throw;
    }
    dialogs::runDialogs(std::move(first));

    gbIsCancel = !gbFormulaCompleted;
    return gbFormulaCompleted ? gsResultFormula : std::string();
}

bool CFormulaSet::isCancel() const { return gbIsCancel; }

}  // namespace nemro
