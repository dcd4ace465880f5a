#include "commands.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>&, Io&) { throw UsageError("not available in this build"); }

}  // namespace

const Command kCheckCommand = {"check", "run the argument dialog's formula check", "usage: nemro-formula check ...\n", run};

}  // namespace nemro::cli
