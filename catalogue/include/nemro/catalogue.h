// The classic queries on the formula catalogue FormulaSet.xml, answered from its model
// (catalogue_model.h). A query reads the snapshot it is given, or the file at a path,
// whose model is kept per file identity (device, inode, size and modification time), so
// that an edited file is read again. An empty path means FormulaSet.xml in GetAppPath().
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "nemro/catalogue_model.h"
#include "nemro/export.h"

namespace nemro {

// The catalogue a query reads: a snapshot the caller holds, so that a whole exchange sees
// one catalogue, or without one the file at path as it is at each query.
class NEMRO_API CatalogueRef {
  public:
    CatalogueRef(std::string path = "") : path_(std::move(path)) {}
    CatalogueRef(const char* path) : path_(path) {}
    CatalogueRef(std::shared_ptr<const Catalogue> snapshot, std::string path = "")
        : path_(std::move(path)), snapshot_(std::move(snapshot)) {}

    const std::string& path() const noexcept { return path_; }
    const std::shared_ptr<const Catalogue>& snapshot() const noexcept { return snapshot_; }
    // The snapshot, or the file read as loadCatalogue reads it; a failure has the source
    // `operation`, as the query that asked names itself.
    std::shared_ptr<const Catalogue> load(const char* operation) const;

  private:
    std::string path_;
    std::shared_ptr<const Catalogue> snapshot_;
};

NEMRO_API std::int16_t getArgumentCount(const std::string& functionName,
                                        const CatalogueRef& catalogue = {});
NEMRO_API std::string getArgumentPara(const std::string& functionName,
                                      const std::string& attributeName, std::int16_t argumentNumber,
                                      const CatalogueRef& catalogue = {});
NEMRO_API bool CheckArgNum(const std::string& functionName, const CatalogueRef& catalogue = {});
NEMRO_API std::string getArgDatatypeDesc(const std::string& functionName,
                                         const std::string& argumentName,
                                         const CatalogueRef& catalogue = {});
NEMRO_API bool isExistFormula(const std::string& functionName, const CatalogueRef& catalogue = {});
// The same search with the letters of both names in any case: the engine hands its
// callers function names upper-cased.
NEMRO_API bool isExistFormulaNoCase(const std::string& functionName,
                                    const CatalogueRef& catalogue = {});
// Directory of the component's own module file, ending in "/".
NEMRO_API std::string GetAppPath();

}  // namespace nemro
