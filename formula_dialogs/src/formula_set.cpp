#include "nemro/formula_set.h"

#include "dialog_flow.h"
#include "modern_settings.h"
#include "nemro/declared_fields.h"
#include "nemro/field_set.h"
#include "nemro/functions.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

namespace {
// isCancel answers for the thread's last setFormula, whichever object made it.
thread_local bool tIsCancel = false;

dialogs::ExchangeOptions exchangeOptions(const std::string& organization,
                                         const std::string& application,
                                         const CFormulaSet::SampleValueLookup& samples) {
    dialogs::ExchangeOptions options;
    options.settingsOrganization = organization;
    options.settingsApplication = application;
    options.samples = samples;
    return options;
}
}  // namespace

std::string CFormulaSet::setFormula(const std::string& sFormerFormula) {
    qt::ensureQApplication();
    qt::requireApplicationThread("CFormulaSet.setFormula");

    dialogs::ExchangeOptions options =
        exchangeOptions(settingsOrganization_, settingsApplication_, samples_);
    options.fields = fields_;
    dialogs::Exchange exchange = style_ == DialogStyle::Modern
                                     ? dialogs::modernExchange(std::move(options))
                                     : dialogs::classicExchange(std::move(options));
    tIsCancel = false;
    if (style_ == DialogStyle::Modern) {
        FunctionSettings functions = FunctionSettings::WithLibrary();
        functions.Now = now_;
        functions.Functions = functions_;
        exchange.session.setModernFunctions(std::move(functions));
    }
    std::unique_ptr<dialogs::FlowDialog> first;
    try {
        exchange.session.start(
            sFormerFormula, [&](dialogs::Step step) { first = exchange.make(step); },
            exchange.makeEditor != nullptr);
    } catch (...) {
        tIsCancel = true;
        throw;
    }
    dialogs::runDialogs(std::move(first));
    tIsCancel = !exchange.session.completed();
    return exchange.session.finish();
}

void CFormulaSet::setFields(std::vector<Field> fields) {
    fields_ = std::make_shared<const FieldSet>(std::move(fields), dialogs::variableNameProblem);
}

void CFormulaSet::setFieldFile(const std::string& path) {
    fields_ = dialogs::loadFieldFile(path);
}

void CFormulaSet::setFieldsCsv(std::string_view csv) {
    fields_ = std::make_shared<const FieldSet>(
        FieldSet::fromCsv(csv, dialogs::variableNameProblem, "fields"));
}

void CFormulaSet::addField(Field field) {
    std::vector<Field> all = fields_ ? fields_->fields() : std::vector<Field>();
    all.push_back(std::move(field));
    setFields(std::move(all));
}

CFunctionRegistry& CFormulaSet::registeredFunctions() {
    if (!functions_) functions_ = std::make_shared<CFunctionRegistry>();
    return *functions_;
}

bool CFormulaSet::isCancel() const {
    return tIsCancel;
}

void CFormulaSet::clearRecentFunctions() {
    dialogs::clearRecentFunctionList(
        exchangeOptions(settingsOrganization_, settingsApplication_, {}));
}

}  // namespace nemro
