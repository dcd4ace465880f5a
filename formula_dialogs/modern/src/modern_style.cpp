#include "dialog_flow.h"
#include "frm_modern_arguments.h"
#include "frm_modern_chooser.h"
#include "modern_settings.h"
#include "nemro/formula_state.h"

namespace nemro::dialogs {

Exchange modernExchange(std::string catalogue) {
    return Exchange{FormulaSession(std::move(catalogue)),
                    [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                        return std::make_unique<frmModernChooser>(e);
                    },
                    [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                        auto dialog = std::make_unique<frmModernArguments>(e);
                        // Chosen with OK or re-edited: either way the function was used.
                        rememberRecentFunction(gsFunctionName);
                        return dialog;
                    }};
}

}  // namespace nemro::dialogs
