// The printer on whatever the converter accepts, with fuzzed variable and function types.
// Printed text must convert again: the printer never writes what the engine cannot read.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "nemro/error.h"
#include "nemro/expression.h"

namespace {

class TypeListener : public nemro::IExpressionListener {
  public:
    explicit TypeListener(nemro::fuzz::Input& in) : in_(in) {}
    void CheckUserFunction(const std::string&, nemro::CExpElmStack&, std::int32_t& type,
                           std::int32_t& number, std::string&) override {
        type = pick();
        if (in_.byte() % 7 == 0) number = 1;
    }
    void CheckVariable(const std::string&, std::int32_t& type, std::int32_t& number,
                       std::string&) override {
        type = pick();
        if (in_.byte() % 7 == 0) number = 1;
    }

  private:
    std::int32_t pick() {
        static constexpr std::int32_t kTypes[] = {8, 11, 12, 14};
        return kTypes[in_.byte() % 4];
    }
    nemro::fuzz::Input& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nemro::fuzz::Input in(data, size);
    const std::string formula = in.part();
    TypeListener listener(in);
    nemro::CGNTExpression engine(&listener);
    std::string printed;
    try {
        const nemro::CExpElmStack postfix = engine.InfixToPostfix(formula);
        std::int32_t type = 0;
        printed = engine.PostfixToInfix(postfix, type);
    } catch (const nemro::NemroError&) {
        return 0;
    }
    // A "%" number keeps the digits written after it in its text, which need not read
    // as a number again; everything else must.
    if (formula.find('%') != std::string::npos) return 0;
    try {
        (void)engine.InfixToPostfix(printed);
    } catch (const nemro::NemroError&) {
        __builtin_trap();
    }
    return 0;
}
