#include "nemro/catalogue_lint.h"

namespace nemro {

std::vector<LintProblem> lintCatalogue(const std::string&) { return {}; }

}  // namespace nemro
