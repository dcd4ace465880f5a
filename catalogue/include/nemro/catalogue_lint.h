// Checks a catalogue file for everything that would make the dialogs fail on it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nemro {

struct LintProblem {
    std::size_t line = 0;  // line of the element at fault, from 1
    std::string message;
};

// The problems in document order; throws NemroError when the file cannot be parsed.
std::vector<LintProblem> lintCatalogue(const std::string& path);

}  // namespace nemro
