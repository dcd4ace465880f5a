// Commands of nemro-formula. Each is a small function over the libraries.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "nemro/error.h"

namespace nemro::cli {

enum ExitCode : int { kOk = 0, kFormulaError = 1, kUsageError = 2 };

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    const char* name;
    const char* summary;
    const char* help;  // full --help text, with an example
    int (*run)(const std::vector<std::string>& args, Io& io);
};

// Options common to the commands: "--json" and "--help" are taken out of args.
struct CommonOptions {
    bool json = false;
    bool help = false;
    std::vector<std::string> positional;
};
CommonOptions parseCommon(const std::vector<std::string>& args,
                          const std::vector<std::string>& extraFlags = {});

// Writes a failure in the chosen format and returns kFormulaError.
int reportError(const NemroError& e, bool json, Io& io);

int runPostfix(const std::vector<std::string>& args, Io& io);
int runEval(const std::vector<std::string>& args, Io& io);
int runPrint(const std::vector<std::string>& args, Io& io);

// Commands defined beside their code, one file each.
extern const Command kCatalogueCommand;
extern const Command kComposeCommand;
extern const Command kDecomposeCommand;
extern const Command kCheckCommand;
extern const Command kArglistCommand;
extern const Command kPreviewCommand;
extern const Command kCompleteCommand;

const std::vector<Command>& commands();

}  // namespace nemro::cli
