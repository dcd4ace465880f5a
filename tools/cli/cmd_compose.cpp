#include "commands.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>&, Io&) { throw UsageError("not available in this build"); }

}  // namespace

const Command kComposeCommand = {"compose", "compose formula text from field texts", "usage: nemro-formula compose ...\n", run};

}  // namespace nemro::cli
