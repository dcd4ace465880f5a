#include "nemro/formula_session.h"

#include <algorithm>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/formula_checks.h"
#include "nemro/formula_state.h"
#include "nemro/formula_text.h"
#include "nemro/text.h"

namespace nemro::dialogs {

Step FormulaSession::start(const std::string& formerFormula,
                           const std::function<void(Step)>& load) {
    gbIsCancel = false;
    gbFormulaCompleted = false;
    if (!formerFormula.empty()) gsFormerFormula = formerFormula;
    gFormulaStack = cStack();
    Step first = Step::Chooser;
    try {
        if (!gsFormerFormula.empty()) {
            gsFunctionName = formulaName(gsFormerFormula);
            first = Step::Arguments;
        }
        load(first);
    } catch (...) {
        gsFormerFormula.clear();
        gbIsCancel = true;
        throw;
    }
    return first;
}

std::vector<std::string> FormulaSession::takeFormerFields(int rowCount) {
    if (gsFormerFormula.empty()) return {};
    // A bare function name has no argument part: there is nothing to fill. The pieces
    // are taken as the scan cuts them, so that a "|" inside an argument stays there.
    std::vector<std::string> pieces;
    if (gsFormerFormula.find('(') != std::string::npos)
        pieces = decomposeArguments(splitFormulaText(gsFormerFormula).argumentPart);
    if (pieces.size() > static_cast<std::size_t>(std::max(rowCount, 0)))
        throw NemroError(
            err::NoSuchControl, "frmArgumentSet",
            "控件数组元素 '" + std::to_string(std::max(rowCount, 0) + 1) + "' 不存在。");
    gsFormerFormula.clear();
    return pieces;
}

std::optional<Diagnostic> FormulaSession::choose(const std::string& functionName,
                                                 const Load& loadArguments) {
    gsFunctionName = functionName;
    if (!CheckArgNum(gsFunctionName, catalogue_))
        return Diagnostic{"公式(" + std::string(text::trimBlanks(gsFunctionName)) +
                              ")定义的参数个数和实际的参数个数不一致！",
                          kApplicationTitle, MsgIcon::Information};
    loadArguments();
    return std::nullopt;
}

void FormulaSession::nest(int row, std::vector<std::string> fields, const Load& loadChooser) {
    const std::int16_t n = getArgumentCount(gsFunctionName, catalogue_);
    fields.resize(static_cast<std::size_t>(std::max<int>(n, 0)));
    const std::string entry = encodeParked({row, gsFunctionName, std::move(fields)});
    // Should the chooser not load, nothing is parked.
    loadChooser();
    gFormulaStack.Push(entry);
}

OkOutcome FormulaSession::ok(const std::vector<std::string>& fields) {
    OkOutcome outcome;
    if ((outcome.refusal = diagnoseRequired(gsFunctionName, fields, catalogue_))) return outcome;
    const std::string f = composeFormula(gsFunctionName, fields, catalogue_);
    outcome.refusal = modern_ ? diagnoseModernFormula(f, catalogue_, *modern_)
                              : diagnoseCheckFormula(f, catalogue_);
    if (outcome.refusal) return outcome;

    gFormulaStack.Push(completionMarker(f));
    if (gFormulaStack.Count() == 1) {
        gsResultFormula = f;
        gbFormulaCompleted = true;
        gbIsCancel = true;
        outcome.next = Step::Done;
        return outcome;
    }
    gFormulaStack.Pop();
    ParkedEntry parked = decodeParked(gFormulaStack.Pop());
    gsFunctionName = parked.functionName;
    OuterLevel outer{std::move(parked.functionName), std::move(parked.fields), parked.row};
    if (outer.row >= 1) {
        if (outer.fields.size() < static_cast<std::size_t>(outer.row))
            outer.fields.resize(outer.row);
        outer.fields[outer.row - 1] += f;
    }
    outcome.outer = std::move(outer);
    gbIsCancel = true;
    return outcome;
}

void FormulaSession::cancel() {
    gbIsCancel = true;
}

std::vector<std::string> FormulaSession::nestingPath() const {
    std::vector<std::string> path{gsFunctionName};
    cStack parked = gFormulaStack;
    while (parked.Count() > 0) path.insert(path.begin(), decodeParked(parked.Pop()).functionName);
    return path;
}

std::string FormulaSession::finish() {
    gbIsCancel = !gbFormulaCompleted;
    return gbFormulaCompleted ? gsResultFormula : std::string();
}

}  // namespace nemro::dialogs
