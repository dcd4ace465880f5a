// What the argument dialog's buttons decide, over the field texts: the checks and the
// formula text. Plain C++, without Qt, so
// that the command-line tool and the tests run the checks as OK does; the dialog
// only shows what these return.
//
// `catalogue` is what the queries read: an exchange's snapshot, or a catalogue file ("" is
// FormulaSet.xml beside the component).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/message_box.h"

namespace nemro::dialogs {

// The message that names the first required argument whose field is empty, with its
// row; none when every required field has text. Fields beyond `fields` count as empty.
std::optional<Diagnostic> diagnoseRequired(const std::string& functionName,
                                           const std::vector<std::string>& fields,
                                           const CatalogueRef& catalogue = {});
// The same, shown; the row (from 1) at fault, 0 when none.
int checkRequired(const std::string& functionName, const std::vector<std::string>& fields,
                  const CatalogueRef& catalogue = {});

// Brackets, characters and the engine's evaluation: the message of the first check that
// fails, none when the formula passes. A failure the check cannot judge (the catalogue,
// say) is raised, whatever its number, so that the user always learns of it.
std::optional<Diagnostic> diagnoseFormula(const std::string& formula,
                                          const CatalogueRef& catalogue = {});
// diagnoseFormula as the argument dialog's OK runs it, under that routine's tag.
std::optional<Diagnostic> diagnoseCheckFormula(const std::string& formula,
                                               const CatalogueRef& catalogue = {});
// The same, shown; false when a check failed.
bool checkFormula(const std::string& formula, const CatalogueRef& catalogue = {});
bool FormulaSyntaxCheck(const std::string& formula, const CatalogueRef& catalogue = {});

// The text the check hands the engine: "%s" in any letter case becomes "1".
std::string checkedText(const std::string& formula);

// Whether the character (one UTF-8 sequence) may appear in formula text.
bool isLegalFormulaCharacter(std::string_view character);

// The answer to the engine's call of a function it does not know: "0" when the
// catalogue has the function (its name in any letter case), "-1" otherwise.
std::string catalogueFunctionStatus(const std::string& name, const CatalogueRef& catalogue = {});

// The formula text of the function with the given field texts.
std::string composeFormula(const std::string& functionName, const std::vector<std::string>& fields,
                           const CatalogueRef& catalogue = {});

}  // namespace nemro::dialogs
