#include "argument_logic.h"

#include "nemro/error.h"

namespace nemro::dialogs {

namespace {
[[noreturn]] void notYet() { throw NemroError(err::InvalidArgument, "argument_logic", "not built yet"); }
}  // namespace

int checkRequired(const std::string&, const std::vector<std::string>&) { notYet(); }
bool checkFormula(const std::string&) { notYet(); }
std::string composeFormula(const std::string&, const std::vector<std::string>&) { notYet(); }
std::vector<std::string> formerArguments(const std::string&) { notYet(); }
std::string encodeParked(const ParkedEntry&) { notYet(); }
ParkedEntry decodeParked(const std::string&) { notYet(); }
std::string completionMarker(const std::string&) { notYet(); }

}  // namespace nemro::dialogs
