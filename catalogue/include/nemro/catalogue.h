// The classic queries on the formula catalogue FormulaSet.xml, answered from its model
// (catalogue_model.h), which is read once per file identity (device, inode, size and
// modification time), so an edited file is read again. An empty path means
// FormulaSet.xml in GetAppPath().
#pragma once

#include <cstdint>
#include <string>

#include "nemro/export.h"
#include "nemro/toolkit.h"

namespace nemro {

NEMRO_API void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                                    const std::string& path = "");
NEMRO_API void FillFunctionName(const ITextMetrics& dialog, IListBox& lstName,
                                const std::string& categoryTitle, const std::string& path = "");
NEMRO_API void GetFunctionInfo(ILabel& lblValue, ILabel& lblTitleDescription,
                               const std::string& functionName, const std::string& path = "");
NEMRO_API std::int16_t getArgumentCount(const std::string& functionName,
                                        const std::string& path = "");
NEMRO_API std::string getArgumentPara(const std::string& functionName,
                                      const std::string& attributeName, std::int16_t argumentNumber,
                                      const std::string& path = "");
NEMRO_API bool CheckArgNum(const std::string& functionName, const std::string& path = "");
NEMRO_API std::string getArgDatatypeDesc(const std::string& functionName,
                                         const std::string& argumentName,
                                         const std::string& path = "");
NEMRO_API bool isExistFormula(const std::string& functionName, const std::string& path = "");
// The same search with the letters of both names in any case: the engine hands its
// callers function names upper-cased.
NEMRO_API bool isExistFormulaNoCase(const std::string& functionName, const std::string& path = "");
// Directory of the component's own module file, ending in "/".
NEMRO_API std::string GetAppPath();

}  // namespace nemro
