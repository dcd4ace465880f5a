// Formula text apart and together: the argument scan, its "|" form and buildFormula.
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "nemro/error.h"
#include "nemro/formula_text.h"

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
    return 0;
}
