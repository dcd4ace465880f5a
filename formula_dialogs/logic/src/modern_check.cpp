#include "nemro/modern_check.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <string_view>
#include <vector>

#include "catalogue_functions.h"
#include "nemro/declared_fields.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_checks.h"
#include "nemro/search_text.h"
#include "nemro/text.h"

namespace nemro::dialogs {

namespace {

std::u32string codePoints(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t n = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4
                                                      : 1;
        char32_t c = n == 1 ? lead : lead & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += c;
        i += n;
    }
    return out;
}

std::size_t editDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Whether the two names read alike: character by character the same, or Han characters
// sharing a pinyin reading.
bool samePinyin(const std::u32string& a, const std::u32string& b) {
    if (a.size() != b.size() || a == b) return false;
    const auto ra = text::pinyinReadings(a), rb = text::pinyinReadings(b);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        const auto& x = ra[i];
        const auto& y = rb[i];
        if (std::none_of(x.begin(), x.end(), [&](const std::string& r) {
                return std::find(y.begin(), y.end(), r) != y.end();
            }))
            return false;
    }
    return true;
}

bool delimiter(char c) {
    return std::string_view(" (),+-*/&=<>;\"").find(c) != std::string_view::npos;
}

struct Place {
    std::int32_t characters = 0, units = 0;  // 1-based; 0 when not found
    std::int32_t length = 0, unitLength = 0;
};

// Where the name first stands as a token of its own, outside literals.
Place placeOf(const std::string& formula, const std::string& name) {
    Place place;
    std::int32_t characters = 0, units = 0;
    bool literal = false;
    for (std::size_t i = 0; i < formula.size();) {
        const bool starts =
            !literal && !delimiter(formula[i]) && (i == 0 || delimiter(formula[i - 1])) &&
            formula.compare(i, name.size(), name) == 0 &&
            (i + name.size() == formula.size() || delimiter(formula[i + name.size()]));
        if (starts) {
            const std::u32string cs = codePoints(name);
            place.characters = characters + 1;
            place.units = units + 1;
            place.length = static_cast<std::int32_t>(cs.size());
            place.unitLength = static_cast<std::int32_t>(text::toUtf16(name).size());
            return place;
        }
        if (formula[i] == '"') literal = !literal;
        const auto byte = static_cast<unsigned char>(formula[i]);
        if ((byte & 0xC0) != 0x80) {
            ++characters;
            units += byte >= 0xF0 ? 2 : 1;
        }
        ++i;
    }
    return place;
}

std::string today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char written[16];
    std::strftime(written, sizeof written, "%Y-%m-%d", &local);
    return written;
}

std::string typeDefault(FieldType type) {
    switch (type) {
        case FieldType::Text:
            return "\"\"";
        case FieldType::Boolean:
            return "False";
        case FieldType::Date:
            if (const auto date = readFieldValue(FieldType::Date, today()))
                return date->engineText();
            return "0";
        case FieldType::Number:
            break;
    }
    return "0";
}

class CheckListener final : public CatalogueFunctions {
  public:
    CheckListener(const CatalogueRef& catalogue, SampleValueLookup samples)
        : CatalogueFunctions(catalogue), samples_(std::move(samples)) {}

    void UserVariable(const std::string& Name, std::string& Value) override {
        if (const auto sample = samples_(Name)) Value = sampleEngineText(*sample);
    }

  private:
    SampleValueLookup samples_;
};

struct Finding {
    std::string message;
    Place place;
};

// The check's values: a declared name's as the previews have it; any other name counts 0,
// whatever sample the host gave it, as the classic check counts it.
SampleValueLookup checkedSamples(const ModernCheckContext& ctx) {
    return [fields = ctx.fields,
            all = modernSamples(ctx)](const std::string& name) -> std::optional<std::string> {
        if (fields && fields->find(name)) return all(name);
        return std::nullopt;
    };
}

std::optional<Finding> find(const std::string& formula, const ModernCheckContext& ctx) {
    const std::string checked = checkedText(formula);
    CheckListener listener(ctx.catalogue, checkedSamples(ctx));
    CGNTExpression engine(&listener);
    engine.setFunctions(ctx.functions);
    const auto engineError = [&](const NemroError& e) {
        if (listener.failed) throw;
        Finding f{e.description(), {}};
        f.place.units = e.position();
        f.place.unitLength = e.length();
        // The engine counts UTF-16 units; characters differ only beyond the BMP.
        const std::u16string u = text::toUtf16(formula);
        if (e.position() > 0) {
            const auto before = std::min<std::size_t>(u.size(), e.position() - 1);
            const auto count = [&](std::size_t from, std::size_t to) {
                std::int32_t n = 0;
                for (std::size_t i = from; i < to && i < u.size(); ++i)
                    n += (u[i] & 0xFC00) != 0xDC00;
                return n;
            };
            f.place.characters = count(0, before) + 1;
            f.place.length = count(before, before + static_cast<std::size_t>(e.length()));
        }
        return f;
    };
    try {
        if (ctx.fields && !ctx.fields->empty()) {
            const CExpElmStack postfix = engine.InfixToPostfix(checked);
            std::optional<Finding> first;
            for (std::int32_t i = 1; i <= postfix.Count(); ++i) {
                ExpElement e;
                if (!postfix.Peek(e, i) || e.Kind != ekVariable) continue;
                if (ctx.fields->find(e.Text) || isExistFormulaNoCase(e.Text, ctx.catalogue))
                    continue;
                Finding f{"未定义的名称“" + e.Text + "”", placeOf(formula, e.Text)};
                if (const Field* likely = likelyField(*ctx.fields, e.Text))
                    f.message += "，是否应为“" + likely->name + "”？";
                else
                    f.message += "。";
                if (!first ||
                    (f.place.characters &&
                     (!first->place.characters || f.place.characters < first->place.characters)))
                    first = std::move(f);
            }
            if (first) return first;
        }
        engine.EvaluateOrThrow(checked);
        return std::nullopt;
    } catch (const NemroError& e) {
        return engineError(e);
    } catch (const std::bad_alloc&) {
        return Finding{"内存不足。", {}};
    }
}

}  // namespace

const Field* likelyField(const FieldSet& fields, const std::string& name) {
    const std::u32string wanted = codePoints(text::upper(name));
    const Field* best = nullptr;
    std::size_t bestDistance = 0;
    for (const Field& field : fields.fields()) {
        const std::u32string candidate = codePoints(text::upper(field.name));
        if (samePinyin(wanted, candidate)) return &field;
        const std::size_t distance = editDistance(wanted, candidate);
        const std::size_t allowed = std::max(wanted.size(), candidate.size()) <= 4 ? 1 : 2;
        if (distance <= allowed && (!best || distance < bestDistance))
            best = &field, bestDistance = distance;
    }
    return best;
}

SampleValueLookup modernSamples(const ModernCheckContext& ctx) {
    return [fields = ctx.fields, others = withFieldSamples(ctx.fields, ctx.samples)](
               const std::string& name) -> std::optional<std::string> {
        if (auto sample = others(name)) return sample;
        if (const Field* field = fields ? fields->find(name) : nullptr)
            return typeDefault(field->type);
        return std::nullopt;
    };
}

std::string typeMismatchNote(const Field& field, const std::string& datatype) {
    static constexpr const char* kTitles[] = {"数值", "文本", "逻辑值", "日期"};
    const FieldType t = field.type;
    // A date is a day number, so it fits where numbers do; text fits only text, and any
    // value reads as text where text is wanted.
    bool fits = true;
    if (datatype == "Single" || datatype == "Integer" || datatype == "Double" || datatype == "Long")
        fits = t == FieldType::Number || t == FieldType::Date;
    else if (datatype == "Date")
        fits = t == FieldType::Date || t == FieldType::Number;
    else if (datatype == "Boolean")
        fits = t == FieldType::Boolean || t == FieldType::Number;
    if (fits) return {};
    return "“" + field.name + "”是" + kTitles[static_cast<int>(t)] + "，与参数的数据类型（" +
           datatype + "）不符";
}

ModernCheckResult checkModernFormula(const std::string& formula, const ModernCheckContext& ctx) {
    const auto f = find(formula, ctx);
    if (!f) return {};
    return {false, f->message, f->place.characters, f->place.length};
}

std::optional<Diagnostic> diagnoseModernCheck(const std::string& formula,
                                              const ModernCheckContext& ctx) {
    return trapped("frmArgumentSet.CheckFormula()\\", [&]() -> std::optional<Diagnostic> {
        const auto f = find(formula, ctx);
        if (!f) return std::nullopt;
        Diagnostic d = formulaErrorDiagnostic(f->message);
        d.position = f->place.units;
        d.length = f->place.unitLength;
        return d;
    });
}

}  // namespace nemro::dialogs
