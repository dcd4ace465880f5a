#include "dialog_flow.h"
#include "frm_formula_editor.h"
#include "frm_modern_arguments.h"
#include "frm_modern_chooser.h"
#include "modern_settings.h"

namespace nemro::dialogs {

Exchange modernExchange(ExchangeOptions options, bool editor) {
    Exchange exchange{FormulaSession(std::move(options), Composition::Modern),
                      [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                          return std::make_unique<frmModernChooser>(e);
                      },
                      [](Exchange& e) -> std::unique_ptr<FlowDialog> {
                          auto dialog = std::make_unique<frmModernArguments>(e);
                          // Chosen with OK or re-edited: either way the function was used.
                          rememberRecentFunction(e.session.options(), e.session.functionName());
                          return dialog;
                      }};
    if (editor) exchange.makeEditor = makeExchangeEditor;
    return exchange;
}

}  // namespace nemro::dialogs
