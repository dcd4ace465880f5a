#include "dialog_flow.h"
#include "frm_argument_set.h"
#include "frm_formula_set.h"

namespace nemro::dialogs {

Exchange classicExchange(ExchangeOptions options) {
    return Exchange{FormulaSession(std::move(options)),
                    [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                        return std::make_unique<frmFormulaSet>(e);
                    },
                    [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                        return std::make_unique<frmArgumentSet>(e);
                    }};
}

}  // namespace nemro::dialogs
