#include "commands.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>&, Io&) { throw UsageError("not available in this build"); }

}  // namespace

const Command kArglistCommand = {"arglist", "read a named argument list", "usage: nemro-formula arglist ...\n", run};

}  // namespace nemro::cli
