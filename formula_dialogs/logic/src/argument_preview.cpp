#include "nemro/argument_preview.h"

#include <algorithm>
#include <new>
#include <unordered_set>
#include <utility>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_checks.h"
#include "nemro/formula_text.h"
#include "nemro/modern_check.h"
#include "nemro/text.h"

namespace nemro::dialogs {

std::string sampleEngineText(const std::string& sample) {
    const std::string v(text::trimBlanks(sample));
    if (v.empty() || CGNTExpression::IsString(v) || CGNTExpression::IsDecimal(v) ||
        CGNTExpression::IsBoolean(v) || v.front() == '#')
        return v;
    return CGNTExpression::StrVal2Exp(sample);
}

namespace {

// Answers functions as the check does and variables from the samples, and notes what the
// value then depends on.
class PreviewListener final : public IExpressionListener {
  public:
    PreviewListener(const CatalogueRef& catalogue, const SampleValueLookup& samples)
        : catalogue_(catalogue), samples_(samples) {}

    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        try {
            Value = catalogueFunctionStatus(Name, catalogue_);
        } catch (const NemroError&) {
            catalogueFailed = true;
            throw;
        }
        // The call yields the check's stand-in "0"; a value computed from it is no value.
        if (Value == "0") hostCalls = true;
    }

    void UserVariable(const std::string& Name, std::string& Value) override {
        if (samples_) {
            if (const std::optional<std::string> sample = samples_(Name)) {
                Value = sampleEngineText(*sample);
                return;
            }
        }
        if (seen_.insert(Name).second) unset.push_back(Name);
    }

    bool catalogueFailed = false;
    bool hostCalls = false;
    std::vector<std::string> unset;

  private:
    const CatalogueRef& catalogue_;
    const SampleValueLookup& samples_;
    std::unordered_set<std::string> seen_;
};

PreviewValue evaluate(const std::string& formula, const SampleValueLookup& samples,
                      const CatalogueRef& catalogue, const FunctionSettings& functions) {
    PreviewValue v;
    PreviewListener listener(catalogue, samples);
    CGNTExpression engine(&listener);
    engine.setFunctions(functions);
    try {
        const ExpElement r = engine.EvaluateOrThrow(checkedText(formula));
        if (listener.hostCalls) {
            v.state = PreviewState::HostComputed;
        } else {
            v.state = PreviewState::Value;
            v.kind = r.Kind;
            v.text = r.Text;
        }
    } catch (const NemroError& e) {
        if (listener.catalogueFailed) throw;
        v.state = PreviewState::Error;
        v.text = e.description();
    } catch (const std::bad_alloc&) {
        v.state = PreviewState::Error;
        v.text = "内存不足。";
    }
    v.unsetVariables = std::move(listener.unset);
    return v;
}

bool blank(const std::string& s) {
    return text::trimBlanks(s).empty();
}

}  // namespace

std::string PreviewValue::display() const {
    switch (state) {
        case PreviewState::Empty:
            return {};
        case PreviewState::HostComputed:
            return kHostComputedText;
        case PreviewState::Error:
            return text;
        case PreviewState::Value:
            break;
    }
    if (kind == ekString) return "= " + CGNTExpression::StrVal2Exp(text);
    if (kind == ekBoolean) return "= " + text::upper(text);
    return "= " + text;
}

std::string PreviewValue::variableNote() const {
    if (unsetVariables.empty()) return {};
    std::string names;
    for (const std::string& name : unsetVariables) names += (names.empty() ? "" : "、") + name;
    return "变量 " + names + " 没有示例值，按 0 计算";
}

const char* PreviewValue::kindName() const {
    switch (state) {
        case PreviewState::Empty:
            return "empty";
        case PreviewState::HostComputed:
            return "host";
        case PreviewState::Error:
            return "error";
        case PreviewState::Value:
            break;
    }
    return kind == ekString ? "text" : kind == ekBoolean ? "boolean" : "number";
}

std::string ArgumentPreview::resultLine() const {
    if (message) return message->text;
    if (result.state == PreviewState::Value) return "计算结果 " + result.display();
    return "计算结果：" + result.display();
}

PreviewValue previewValue(const std::string& text, const SampleValueLookup& samples,
                          const CatalogueRef& catalogue, const FunctionSettings& functions) {
    // The formula holds the field trimmed: a blank field is an empty argument there.
    if (blank(text)) return {};
    return evaluate(text, samples, catalogue, functions);
}

std::size_t shownRowCount(const std::vector<bool>& required,
                          const std::vector<std::string>& fields) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < required.size(); ++i)
        if (required[i] || (i < fields.size() && !fields[i].empty())) last = i + 1;
    return std::min(required.size(), last + 1);
}

ArgumentPreviewer::ArgumentPreviewer(std::string functionName, CatalogueRef catalogue,
                                     SampleValueLookup samples, FunctionSettings functions,
                                     std::shared_ptr<const FieldSet> fields)
    : functionName_(std::move(functionName)),
      catalogue_(std::move(catalogue)),
      samples_(modernSamples({catalogue_, fields, std::move(samples), functions})),
      functions_(std::move(functions)),
      fields_(std::move(fields)) {
    const std::int16_t n = getArgumentCount(functionName_, catalogue_);
    for (std::int16_t i = 1; i <= n; ++i) {
        names_.push_back(getArgumentPara(functionName_, "Value", i, catalogue_));
        required_.push_back(getArgumentPara(functionName_, "Required", i, catalogue_) == "True");
    }
    reset();
}

void ArgumentPreviewer::reset() {
    texts_.assign(names_.size(), std::string());
    evaluated_.assign(names_.size(), false);
    preview_ = ArgumentPreview{};
    preview_.rows.resize(names_.size());
    haveResult_ = false;
}

const ArgumentPreview& ArgumentPreviewer::update(const std::vector<std::string>& fields) {
    std::vector<std::string> f(
        fields.begin(),
        fields.begin() + static_cast<std::ptrdiff_t>(std::min(fields.size(), names_.size())));
    f.resize(names_.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (evaluated_[i] && texts_[i] == f[i]) continue;
        preview_.rows[i] = previewValue(f[i], samples_, catalogue_, functions_);
        texts_[i] = f[i];
        evaluated_[i] = true;
    }
    if (haveResult_ && resultFields_ == f) return preview_;
    // What OK does, in its order: the required fields, the composition, the check.
    preview_.formula = buildModernFormula(functionName_, f, required_);
    // The check reads the catalogue for every argument; the flags read once tell whether
    // it would find an empty required field, so that it runs only to word the message.
    bool requiredEmpty = false;
    for (std::size_t i = 0; i < f.size(); ++i)
        requiredEmpty = requiredEmpty || (required_[i] && f[i].empty());
    preview_.message =
        requiredEmpty ? diagnoseRequired(functionName_, f, catalogue_) : std::nullopt;
    if (!preview_.message)
        preview_.message =
            diagnoseModernCheck(preview_.formula, {catalogue_, fields_, samples_, functions_});
    preview_.result = preview_.message
                          ? PreviewValue{}
                          : evaluate(preview_.formula, samples_, catalogue_, functions_);
    resultFields_ = std::move(f);
    haveResult_ = true;
    return preview_;
}

ArgumentPreview previewArguments(const std::string& functionName,
                                 const std::vector<std::string>& fields,
                                 const SampleValueLookup& samples, const CatalogueRef& catalogue,
                                 const FunctionSettings& functions,
                                 std::shared_ptr<const FieldSet> declared) {
    ArgumentPreviewer previewer(functionName, catalogue, samples, functions, std::move(declared));
    return previewer.update(fields);
}

FoldedInput foldFullWidth(std::string_view text, std::size_t cursor) {
    static constexpr std::string_view kPunctuation = ",()\"<>=+-*/&%";
    FoldedInput out;
    out.text.reserve(text.size());
    bool literal = false, placed = false;
    for (std::size_t i = 0; i < text.size();) {
        if (!placed && cursor <= i) out.cursor = out.text.size(), placed = true;
        char c = text[i];
        std::size_t length = 1;
        // U+FF01 to U+FF5E are EF BC 81..BF and EF BD 80..9E; each stands for an ASCII one.
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        // In a literal only a full-width quote folds: it is the one that ends it, as an
        // input method types both quotes alike.
        const bool quote = c == '\xEF' && i + 2 < text.size() && byte(1) == 0xBC && byte(2) == 0x82;
        if ((!literal || quote) && c == '\xEF' && i + 2 < text.size() &&
            (byte(1) == 0xBC || byte(1) == 0xBD) && (byte(2) & 0xC0) == 0x80) {
            const unsigned code = 0xF000u | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu);
            const unsigned ascii = code - 0xFEE0u;
            const char a = static_cast<char>(ascii);
            const bool folds =
                ascii >= 0x21 && ascii <= 0x7E &&
                (kPunctuation.find(a) != std::string_view::npos || (a >= '0' && a <= '9') ||
                 (a >= 'A' && a <= 'Z') || (a >= 'a' && a <= 'z'));
            if (folds) c = a, length = 3, out.changed = true;
        }
        if (c == '"') literal = !literal;
        if (length == 3)
            out.text += c;
        else
            out.text += text[i];
        i += length;
    }
    if (!placed) out.cursor = out.text.size();
    return out;
}

}  // namespace nemro::dialogs
