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

// Splits an argument part at the commas of parenthesis depth 0 and appends the pieces,
// joined by "|", to result. An empty argument part gives no arguments. Always true.
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
