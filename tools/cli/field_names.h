// The declared names of a fields file (--fields FILE) as completion searches them.
#pragma once

#include <string>
#include <vector>

#include "nemro/formula_completion.h"

namespace nemro::cli {

// The names of the UTF-8 CSV file at path, header "name,type,group,description,sample"
// (only name required, in any order; quotes as RFC 4180 has them). A file that cannot be
// read or has no name column is a usage error.
std::vector<IndexedName> loadFieldNames(const std::string& path);

}  // namespace nemro::cli
