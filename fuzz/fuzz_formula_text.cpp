// Formula text apart and together: the argument scan, its "|" form, both styles'
// compositions, and fields that re-open as they were composed.
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "nemro/error.h"
#include "nemro/formula_text.h"
#include "nemro/text.h"

namespace {

// Whether a text can be one argument of a call: its quotes pair up, its brackets outside
// them balance, and no comma stands outside both.
bool oneArgument(const std::string& text) {
    long long depth = 0;
    bool literal = false;
    for (const char c : text) {
        if (c == '"') literal = !literal;
        if (literal) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) return false;
        if (c == ',' && depth == 0) return false;
    }
    return !literal && depth == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string catalogue = [] {
        const std::string path = "/tmp/nemro-fuzz-formula-text.xml";
        std::ofstream(path, std::ios::trunc)
            << "<Quorvanta><Formulas><Formula Name=\"F\" MaxArgNum=\"3\"/>"
               "<Formula Name=\"NOW\" MaxArgNum=\"0\"/></Formulas></Quorvanta>";
        return path;
    }();
    nemro::fuzz::Input in(data, size);
    const std::string formula = in.part();

    const std::vector<std::string> pieces = nemro::decomposeArguments(formula);
    std::string joined;
    if (!nemro::DecomposeArgument(formula, joined)) __builtin_trap();
    std::string rejoined;
    for (std::size_t i = 0; i < pieces.size(); ++i) rejoined += (i ? "|" : "") + pieces[i];
    if (rejoined != joined) __builtin_trap();
    // Joining the pieces with commas gives the text back, less a dropped trailing comma.
    std::string commas;
    for (std::size_t i = 0; i < pieces.size(); ++i) commas += (i ? "," : "") + pieces[i];
    if (commas != formula && commas + "," != formula) __builtin_trap();

    if (nemro::formulaName(formula).size() > formula.size()) __builtin_trap();
    try {
        const nemro::FormulaTextParts parts = nemro::splitFormulaText(formula);
        if (parts.name.size() + parts.argumentPart.size() + 2 > formula.size()) __builtin_trap();
    } catch (const nemro::NemroError& e) {
        if (e.number() != 5) __builtin_trap();
    }
    for (const char* name : {"F", "NOW"}) {
        const std::string built = nemro::buildFormula(name, pieces, catalogue);
        if (built.back() != ')') __builtin_trap();
    }

    // Pieces that can stand as one argument re-open as they were composed, in either style.
    std::vector<std::string> fields;
    for (const std::string& piece : pieces)
        if (oneArgument(piece) && fields.size() < 3)
            fields.emplace_back(nemro::text::trimBlanks(piece));
    fields.resize(3);
    const std::uint8_t flags = in.byte();
    const std::vector<bool> required{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0};
    for (const std::string& built : {nemro::buildFormula("F", fields, catalogue),
                                     nemro::buildModernFormula("F", fields, required)}) {
        std::vector<std::string> reopened =
            nemro::decomposeArguments(nemro::splitFormulaText(built).argumentPart);
        if (reopened.size() > fields.size()) __builtin_trap();
        reopened.resize(fields.size());
        if (reopened != fields) __builtin_trap();
    }
    return 0;
}
