// Option parsing and batch running shared by the formula commands.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands.h"
#include "nemro/expression.h"
#include "nemro/functions.h"

namespace nemro::cli {

struct FormulaOptions {
    CommonOptions common;
    bool trace = false;
    bool batch = false;
    // Values of the options that take one, in the order given: "--var" -> {"x=1", ...}.
    std::map<std::string, std::vector<std::string>> values;
};

// Takes out the listed flags and value options ("--var X" or "--var=X"), then
// the common ones; an unknown option is a usage error.
FormulaOptions parseFormulaOptions(const std::vector<std::string>& args,
                                   const std::vector<std::string>& valueOptions,
                                   const std::vector<std::string>& flags);

// "NAME=VALUE" split at the first "="; a usage error without one or without a name.
std::pair<std::string, std::string> splitAssignment(const std::string& option,
                                                    const std::string& text);
std::int32_t parseCode(const std::string& option, const std::string& text);

// The host side of the engine's callbacks as the command line sets it up; the
// callbacks raised are recorded when tracing.
class CliListener : public IExpressionListener {
  public:
    std::map<std::string, std::string> variables;       // upper-case name -> value
    std::map<std::string, std::string> functions;       // upper-case name -> status
    std::map<std::string, std::int32_t> variableTypes;  // upper-case name -> type
    std::map<std::string, std::int32_t> functionTypes;
    std::string catalogue;  // FormulaSet.xml answering UserFunction, when set
    bool tracing = false;
    nlohmann::ordered_json trace = nlohmann::ordered_json::array();

    void UserVariable(const std::string& Name, std::string& Value) override;
    void UserFunction(const std::string& Name, CExpElmStack& Arguments,
                      std::string& Value) override;
    void CheckVariable(const std::string& Name, std::int32_t& ReturnType, std::int32_t& ErrNum,
                       std::string& ErrDes) override;
    void CheckUserFunction(const std::string& Name, CExpElmStack& Arguments,
                           std::int32_t& ReturnType, std::int32_t& ErrNum,
                           std::string& ErrDes) override;

  private:
    void record(const char* callback, const std::string& name);
};

// One line of JSON, invalid UTF-8 replaced.
std::string dumpLine(const nlohmann::ordered_json& j);
nlohmann::ordered_json errorJson(const NemroError& e);

// Writes the outcome of one formula: one JSON line (with the callbacks when
// tracing), or the text line; a failure outside a batch goes to reportError.
// Returns whether the formula succeeded.
bool reportSuccess(const FormulaOptions& o, const CliListener& l, nlohmann::ordered_json j,
                   const std::string& textLine, Io& io);
bool reportFailure(const FormulaOptions& o, const CliListener& l, const NemroError& e, Io& io);

// Runs one formula, or with batch every line of standard input; each run returns
// false when the formula failed. Exit status 1 when any failed.
int runFormulas(const FormulaOptions& o, Io& io,
                const std::function<bool(const std::string&)>& one);

// The library on, with the clock of "--now" when it is given.
FunctionSettings cliFunctions(const FormulaOptions& o);

// eval --rows: the formula over every row of the CSV table in file ("-" standard input).
int runRows(const std::string& file, const std::string& formula, const CliListener& listener,
            const FunctionSettings& functions, bool json, Io& io);

}  // namespace nemro::cli
