#include "commands.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>&, Io&) { throw UsageError("not available in this build"); }

}  // namespace

const Command kDecomposeCommand = {"decompose", "take formula text apart into name and arguments", "usage: nemro-formula decompose ...\n", run};

}  // namespace nemro::cli
