// Queries on the formula catalogue FormulaSet.xml. Each query parses the file afresh.
// An empty path means FormulaSet.xml in GetAppPath().
#pragma once

#include <cstdint>
#include <string>

#include "nemro/toolkit.h"

namespace nemro {

void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                          const std::string& path = "");
void FillFunctionName(const ITextMetrics& dialog, IListBox& lstName,
                      const std::string& categoryTitle, const std::string& path = "");
void GetFunctionInfo(ILabel& lblValue, ILabel& lblTitleDescription,
                     const std::string& functionName, const std::string& path = "");
std::int16_t getArgumentCount(const std::string& functionName, const std::string& path = "");
std::string getArgumentPara(const std::string& functionName, const std::string& attributeName,
                            std::int16_t argumentNumber, const std::string& path = "");
bool CheckArgNum(const std::string& functionName, const std::string& path = "");
std::string getArgDatatypeDesc(const std::string& functionName, const std::string& argumentName,
                               const std::string& path = "");
bool isExistFormula(const std::string& functionName, const std::string& path = "");
// The same search with the letters of both names in any case: the engine hands its
// callers function names upper-cased.
bool isExistFormulaNoCase(const std::string& functionName, const std::string& path = "");
// Directory of the component's own module file, ending in "/".
std::string GetAppPath();

}  // namespace nemro
