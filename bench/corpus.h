// The generated formula corpus, read once per benchmark program.
#pragma once

#include <string>
#include <vector>

namespace nemro::bench {

// Lines of DIR/NAME, where DIR is $NEMRO_BENCH_CORPUS (default "corpus" in the working
// directory). A missing file ends the program with a message.
const std::vector<std::string>& corpus(const char* name);

// Sum of the formulas' UTF-8 byte lengths.
std::size_t totalBytes(const std::vector<std::string>& formulas);

}  // namespace nemro::bench
