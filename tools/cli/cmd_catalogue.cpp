#include "commands.h"

namespace nemro::cli {
namespace {

int run(const std::vector<std::string>&, Io&) { throw UsageError("not available in this build"); }

}  // namespace

const Command kCatalogueCommand = {"catalogue", "query or lint a formula catalogue", "usage: nemro-formula catalogue ...\n", run};

}  // namespace nemro::cli
