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
         "usage: nemro-formula postfix [--json] FORMULA\n"
         "\n"
         "Converts FORMULA to postfix form and prints its elements first to last.\n"
         "  --json   one JSON object on one line:\n"
         "           {\"ok\":true,\"elements\":[{\"text\":T,\"kind\":K,\"priority\":P},...]}\n"
         "           or {\"ok\":false,\"number\":N,\"source\":S,\"description\":D}\n"
         "\n"
         "example: nemro-formula postfix --json 'ROUND(A1*2,2)'\n",
         runPostfix},
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
            for (const auto& a : rest)
                if (a == "--help" || a == "-h") {
                    std::cout << c.help;
                    return kOk;
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
