#include "nemro/formula_session.h"

#include <algorithm>
#include <utility>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/formula_checks.h"
#include "nemro/formula_text.h"
#include "nemro/text.h"

namespace nemro::dialogs {

namespace {
// Whether the text is one call of a catalogue function (or its bare name): the name
// before the first "(" is the catalogue's and that bracket closes at the text's end.
// Without a catalogue, the argument dialog is left to report what it always has.
bool isOneCall(const std::string& formula, const CatalogueRef& catalogue) {
    const std::size_t open = formula.find('(');
    const std::string head = formula.substr(0, open);
    const std::string_view name = text::trimBlanks(head);
    if (!catalogue.snapshot()) return true;
    if (name.empty() || !catalogue.snapshot()->function(name)) return false;
    if (open == std::string::npos) return true;
    int depth = 0;
    bool literal = false;
    for (std::size_t i = open; i < formula.size(); ++i) {
        const char c = formula[i];
        if (c == '"') literal = !literal;  // a doubled quote closes and opens again
        if (literal) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return i + 1 == formula.size();
    }
    return false;
}

std::size_t characters(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}
}  // namespace

FormulaSession::FormulaSession(ExchangeOptions options, Composition composition)
    : options_(std::move(options)), composition_(composition), catalogue_(options_.catalogue) {}

Step FormulaSession::start(const std::string& formerFormula, const std::function<void(Step)>& load,
                           bool editor) {
    try {
        catalogue_ = CatalogueRef(loadCatalogue(options_.catalogue), options_.catalogue);
    } catch (const NemroError&) {
        // Left to the dialogs' queries, which report it as they always have.
    }
    formerFormula_ = formerFormula;
    Step first = Step::Chooser;
    try {
        if (editor && !formerFormula_.empty() && !isOneCall(formerFormula_, catalogue_)) {
            editorText_ = EditorText{std::exchange(formerFormula_, {}), 0};
            editorText_->cursor = characters(editorText_->text);
            first = Step::Editor;
        } else if (!formerFormula_.empty()) {
            functionName_ = formulaName(formerFormula_);
            first = Step::Arguments;
        }
        load(first);
    } catch (...) {
        formerFormula_.clear();
        editorText_.reset();
        throw;
    }
    return first;
}

std::vector<std::string> FormulaSession::takeFormerFields(int rowCount) {
    if (formerFormula_.empty()) return {};
    // A bare function name has no argument part: there is nothing to fill. The pieces
    // are taken as the scan cuts them, so that a "|" inside an argument stays there.
    std::vector<std::string> pieces;
    if (formerFormula_.find('(') != std::string::npos)
        pieces = decomposeArguments(splitFormulaText(formerFormula_).argumentPart);
    if (pieces.size() > static_cast<std::size_t>(std::max(rowCount, 0)))
        throw NemroError(
            err::NoSuchControl, "frmArgumentSet",
            "控件数组元素 '" + std::to_string(std::max(rowCount, 0) + 1) + "' 不存在。");
    formerFormula_.clear();
    return pieces;
}

std::optional<Diagnostic> FormulaSession::choose(const std::string& functionName,
                                                 const Load& loadArguments) {
    functionName_ = functionName;
    if (!CheckArgNum(functionName_, catalogue_))
        return Diagnostic{"公式(" + std::string(text::trimBlanks(functionName_)) +
                              ")定义的参数个数和实际的参数个数不一致！",
                          kApplicationTitle, MsgIcon::Information};
    loadArguments();
    return std::nullopt;
}

void FormulaSession::nest(int row, std::vector<std::string> fields, const Load& loadChooser,
                          std::size_t cursor) {
    const std::int16_t n = getArgumentCount(functionName_, catalogue_);
    fields.resize(static_cast<std::size_t>(std::max<int>(n, 0)));
    // Parked while the chooser loads, which lists the declared names for the row; should
    // it not load, nothing stays parked.
    parked_.push_back({functionName_, std::move(fields), row, cursor});
    try {
        loadChooser();
    } catch (...) {
        parked_.pop_back();
        throw;
    }
}

bool FormulaSession::insertName(const std::string& name, const Load& loadArguments) {
    if (parked_.empty()) return false;
    OuterLevel outer = parked_.back();
    if (outer.row >= 1) {
        if (outer.fields.size() < static_cast<std::size_t>(outer.row))
            outer.fields.resize(static_cast<std::size_t>(outer.row));
        std::string& text = outer.fields[static_cast<std::size_t>(outer.row - 1)];
        std::size_t at = std::min(outer.cursor, text.size());
        // Never inside a UTF-8 sequence.
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
        text.insert(at, name);
        outer.cursor = at + name.size();
    }
    const std::string inner = std::exchange(functionName_, outer.functionName);
    resumed_ = std::move(outer);
    try {
        loadArguments();
    } catch (...) {
        // The chooser stays open over the same parked level.
        functionName_ = inner;
        resumed_.reset();
        throw;
    }
    parked_.pop_back();
    return true;
}

OkOutcome FormulaSession::ok(const std::vector<std::string>& fields) {
    OkOutcome outcome;
    if ((outcome.refusal = diagnoseRequired(functionName_, fields, catalogue_))) return outcome;
    std::string f;
    if (composition_ == Composition::Modern) {
        std::vector<bool> required;
        const std::int16_t n = getArgumentCount(functionName_, catalogue_);
        for (std::int16_t i = 1; i <= n; ++i)
            required.push_back(getArgumentPara(functionName_, "Required", i, catalogue_) == "True");
        f = buildModernFormula(functionName_, fields, required);
        if ((outcome.refusal = diagnoseModernCheck(f, modernContext()))) return outcome;
    } else {
        // Functions set for the modern style bring its check with them.
        f = composeFormula(functionName_, fields, catalogue_);
        outcome.refusal =
            modern_ ? diagnoseModernCheck(f, modernContext()) : diagnoseCheckFormula(f, catalogue_);
        if (outcome.refusal) return outcome;
    }

    if (parked_.empty()) {
        result_ = f;
        completed_ = true;
        outcome.next = Step::Done;
        return outcome;
    }
    OuterLevel outer = std::move(parked_.back());
    parked_.pop_back();
    functionName_ = outer.functionName;
    if (outer.row >= 1) {
        if (outer.fields.size() < static_cast<std::size_t>(outer.row))
            outer.fields.resize(static_cast<std::size_t>(outer.row));
        outer.fields[static_cast<std::size_t>(outer.row - 1)] += f;
    }
    outcome.outer = std::move(outer);
    return outcome;
}

void FormulaSession::cancel() {
    parked_.clear();
}

void FormulaSession::edit(const std::optional<std::vector<std::string>>& fields,
                          const Load& loadEditor) {
    // A mark where the cursor goes, carried outward through the levels' compositions.
    static constexpr char kMark[] = "\x01";
    std::string inner = fields ? composeFormula(functionName_, *fields, catalogue_) : "";
    inner += kMark;
    for (auto level = parked_.rbegin(); level != parked_.rend(); ++level) {
        std::vector<std::string> outer = level->fields;
        if (level->row >= 1) {
            outer.resize(std::max(outer.size(), static_cast<std::size_t>(level->row)));
            outer[static_cast<std::size_t>(level->row - 1)] += inner;
        }
        inner = composeFormula(level->functionName, outer, catalogue_);
    }
    const std::size_t mark = std::min(inner.find(kMark), inner.size());
    editorText_ = EditorText{inner.substr(0, mark) + inner.substr(std::min(mark + 1, inner.size())),
                             characters(std::string_view(inner).substr(0, mark))};
    try {
        loadEditor();
    } catch (...) {
        editorText_.reset();
        throw;
    }
}

std::optional<EditorText> FormulaSession::takeEditorText() {
    return std::exchange(editorText_, std::nullopt);
}

void FormulaSession::complete(const std::string& formula) {
    parked_.clear();
    result_ = formula;
    completed_ = true;
}

std::vector<std::string> FormulaSession::nestingPath() const {
    std::vector<std::string> path;
    for (const OuterLevel& level : parked_) path.push_back(level.functionName);
    path.push_back(functionName_);
    return path;
}

}  // namespace nemro::dialogs
