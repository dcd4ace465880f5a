// Checks a catalogue file for everything that would make the dialogs fail on it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nemro {

struct LintProblem {
    std::size_t line = 0;  // line of the element at fault, from 1
    std::string message;
};

// Works out an Example's formula for the function `name`: the result text, or none when
// the function is not one the evaluator computes; a failure is thrown as NemroError.
// The catalogue does not depend on the engine: its user hands the engine in.
using ExampleEvaluator =
    std::function<std::optional<std::string>(const std::string& name, const std::string& formula)>;

// The problems in document order; throws NemroError when the file cannot be parsed. With
// an evaluator, each Example "FORMULA 的结果为 VALUE" of a computed function is checked
// against what the evaluator gives for FORMULA.
std::vector<LintProblem> lintCatalogue(const std::string& path,
                                       const ExampleEvaluator& evaluate = {});

}  // namespace nemro
