// Formula text: NAME(arg1,arg2,...), composed from the argument fields and taken apart
// again for re-editing.
#pragma once

#include <string>
#include <vector>

#include "nemro/catalogue.h"

namespace nemro {

// NAME(field1,...,fieldN) for the function's catalogue argument count N. Fields are
// trimmed; fields not given are empty. A function without arguments gives NAME().
std::string buildFormula(const std::string& functionName, const std::vector<std::string>& fields,
                         const CatalogueRef& catalogue = {});

// The modern style's composition: as buildFormula, but the empty optional arguments after
// the last one that has text or is required are left out: AVERAGE(SALARY), ROUND(3.14159).
// `required` has one flag per argument of the function; a function whose arguments are
// all optional and empty gives NAME().
std::string buildModernFormula(const std::string& functionName,
                               const std::vector<std::string>& fields,
                               const std::vector<bool>& required);
// The same with the argument count and flags read from the catalogue at path.
std::string buildModernFormula(const std::string& functionName,
                               const std::vector<std::string>& fields,
                               const std::string& path = "");

// Splits an argument part at the commas of parenthesis depth 0 outside "..." literals
// and appends the pieces, joined by "|", to result. An empty argument part gives no
// arguments, and a last piece that is empty is left out. Always true.
bool DecomposeArgument(std::string argumentPart, std::string& result);

// The same scan, giving the pieces themselves, so that a "|" inside an argument survives.
std::vector<std::string> decomposeArguments(const std::string& argumentPart);

struct FormulaTextParts {
    std::string name;          // the text before the first "(", untrimmed
    std::string argumentPart;  // after that "(", up to the last character but one
};

// Takes formula text apart; a text too short to hold an argument part (no "(", or
// nothing after it) fails with the platform's invalid-argument error.
FormulaTextParts splitFormulaText(const std::string& formula);

// The name part alone: the text before the first "(", or the whole text.
std::string formulaName(const std::string& formula);

}  // namespace nemro
