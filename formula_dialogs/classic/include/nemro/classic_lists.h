// The classic chooser's lists and labels, filled from the catalogue through the dialog
// toolkit's controls (toolkit.h), so that the command-line tool and the tests fill them
// as the dialog does. Failures carry the chooser's routine tags.
#pragma once

#include <string>

#include "nemro/catalogue.h"
#include "nemro/toolkit.h"

namespace nemro {

// The displayed categories; the first is selected.
void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                          const CatalogueRef& catalogue = {});
// The displayed functions of the category of that title (every function for the
// all-functions category); the first is selected.
void FillFunctionName(const ITextMetrics& dialog, IListBox& lstName,
                      const std::string& categoryTitle, const CatalogueRef& catalogue = {});
// The function's value line, and its title and description.
void GetFunctionInfo(ILabel& lblValue, ILabel& lblTitleDescription, const std::string& functionName,
                     const CatalogueRef& catalogue = {});

}  // namespace nemro
