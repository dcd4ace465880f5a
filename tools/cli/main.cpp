// nemro-formula: command-line access to the formula engine and catalogue.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "nemro/message_box.h"

namespace nemro::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"postfix", "print the postfix elements of a formula",
         "usage: nemro-formula postfix [--json] [--batch] FORMULA\n"
         "\n"
         "Converts FORMULA to postfix form and prints its elements first to last.\n"
         "  --json   one JSON object on one line:\n"
         "           {\"ok\":true,\"elements\":[{\"text\":T,\"kind\":K,\"priority\":P},...]}\n"
         "           or {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
         "  --batch  read the formulas from standard input, one a line; one output line\n"
         "           each (the element texts separated by blanks, or its JSON object)\n"
         "\n"
         "example: nemro-formula postfix --json 'ROUND(A1*2,2)'\n",
         runPostfix},
        {"eval", "check and evaluate a formula",
         "usage: nemro-formula eval [--json] [--trace] [--batch] [--var NAME=VALUE]...\n"
         "                          [--function NAME=STATUS]... [--catalogue FILE] [--now T]\n"
         "                          FORMULA\n"
         "       nemro-formula eval --rows FILE [--json] [--var NAME=VALUE]... [--now T] FORMULA\n"
         "\n"
         "Converts and evaluates FORMULA as the formula check does, and prints the result's\n"
         "kind and text, or the error instead of showing it in a message box. The functions\n"
         "of the bundled catalogue compute (SUM, TEXT, DATE and the rest).\n"
         "  --var NAME=VALUE        answer UserVariable for NAME with VALUE as given:\n"
         "                          x=12 a number, 'x=\"abc\"' a string, x=#7 error 7\n"
         "  --function NAME=STATUS  answer UserFunction for NAME: 0 accepted, -1 unknown,\n"
         "                          1 wrong argument count, 2 required argument empty\n"
         "  --catalogue FILE        answer other functions from FILE as the argument dialog does\n"
         "  --now \"YYYY-MM-DD[ HH:MM[:SS]]\"  the clock of TODAY() and NOW() (default: now)\n"
         "  --trace                 list the callbacks raised, in order\n"
         "  --batch                 read the formulas from standard input, one a line\n"
         "  --rows FILE             evaluate FORMULA once per row of the CSV table FILE ('-'\n"
         "                          standard input), whose header names the variables; a field\n"
         "                          that reads as a number is one, any other a string. Writes\n"
         "                          the table with a result column (or with --json one object\n"
         "                          a line); a failed row holds its error, and the exit status\n"
         "                          is then 1. A header that names a column twice or is not\n"
         "                          UTF-8 stops the run before the first row\n"
         "  --json   {\"ok\":true,\"kind\":K,\"text\":T} or\n"
         "           {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}, with\n"
         "           \"position\" and \"length\" of the element at fault where known;\n"
         "           with --trace also \"callbacks\":[{\"callback\":C,\"name\":N},...]\n"
         "\n"
         "example: nemro-formula eval --json --var x=4 'ROUND(x/3,2)&\"元\"'\n",
         runEval},
        {"print", "print a formula in normalised form with its value type",
         "usage: nemro-formula print [--json] [--trace] [--batch] [--type NAME=CODE]...\n"
         "                           [--function-type NAME=CODE]... FORMULA\n"
         "\n"
         "Converts FORMULA to postfix form and prints it back as normalised text, with the\n"
         "value type of the whole formula (8 string, 11 boolean, 14 number, 12 any).\n"
         "  --type NAME=CODE           answer CheckVariable for the variable NAME\n"
         "  --function-type NAME=CODE  answer CheckUserFunction for the function NAME\n"
         "  --trace                    list the callbacks raised, in order\n"
         "  --batch                    read the formulas from standard input, one a line\n"
         "  --json   {\"ok\":true,\"text\":T,\"returnType\":R} or the error object\n"
         "\n"
         "example: nemro-formula print --json --type A1=14 'round(a1*2,)'\n",
         runPrint},
        kCatalogueCommand,
        kComposeCommand,
        kDecomposeCommand,
        kCheckCommand,
        kArglistCommand,
        kPreviewCommand,
        kCompleteCommand,
    };
    return table;
}

namespace {

void printUsage(std::ostream& os) {
    os << "usage: nemro-formula COMMAND [OPTIONS] ...\n\ncommands:\n";
    for (const auto& c : commands()) os << "  " << c.name << "\t" << c.summary << '\n';
    os << "\nexit status: 0 success, 1 formula error, 2 usage error.\n"
          "`nemro-formula COMMAND --help` describes a command.\n";
}

}  // namespace
}  // namespace nemro::cli

int main(int argc, char** argv) {
    using namespace nemro::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    // The streams are used alone, so they need not keep in step with C's stdio and read a
    // batch in blocks. A batch writes each answer out before a read of standard input
    // can wait (see runFormulas).
    std::ios::sync_with_stdio(false);
    Io io{std::cin, std::cout, std::cerr};
    nemro::setMessageBox([](const std::string& text, nemro::MsgIcon, const std::string& title) {
        std::cerr << title << ": " << text << '\n';
    });
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? kUsageError : kOk;
    }
    for (const auto& c : commands()) {
        if (args[0] != c.name) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        try {
            // "--" ends the options: what follows is an operand, "-h" a formula.
            for (const auto& a : rest) {
                if (a == "--") break;
                if (a == "--help" || a == "-h") {
                    std::cout << c.help;
                    return kOk;
                }
            }
            return c.run(rest, io);
        } catch (const UsageError& e) {
            std::cerr << "nemro-formula " << c.name << ": " << e.what() << "\n\n" << c.help;
            return kUsageError;
        }
    }
    std::cerr << "nemro-formula: unknown command '" << args[0] << "'\n\n";
    printUsage(std::cerr);
    return kUsageError;
}
