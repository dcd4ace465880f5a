// Evaluate with a host whose every answer (values, statuses, types, error reports) comes
// from the fuzz input. Evaluate must never throw; the message box sees every failure.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "nemro/expression.h"
#include "nemro/functions.h"
#include "nemro/message_box.h"

namespace {

class FuzzListener : public nemro::IExpressionListener {
  public:
    explicit FuzzListener(nemro::fuzz::Input& in) : in_(in) {}

    void CheckUserFunction(const std::string&, nemro::CExpElmStack& arguments, std::int32_t& type,
                           std::int32_t& number, std::string& description) override {
        nemro::ExpElement e;
        arguments.Peek(e, static_cast<std::int32_t>(in_.byte() % 4));
        type = answerType();
        if (in_.byte() % 5 == 0) {
            number = static_cast<std::int32_t>(in_.byte()) - 128;
            description = in_.text();
        }
    }
    void CheckVariable(const std::string&, std::int32_t& type, std::int32_t& number,
                       std::string& description) override {
        type = answerType();
        if (in_.byte() % 5 == 0) {
            number = in_.byte();
            description = in_.text();
        }
    }
    void UserFunction(const std::string&, nemro::CExpElmStack& arguments,
                      std::string& value) override {
        nemro::ExpElement e;
        while (in_.byte() % 3 == 0 && arguments.Pop(e)) {
        }
        value = in_.text();
    }
    void UserVariable(const std::string&, std::string& value) override { value = in_.text(); }

  private:
    std::int32_t answerType() {
        static constexpr std::int32_t kTypes[] = {8, 11, 12, 14, 0, -1, 0x10000, 99};
        return kTypes[in_.byte() % 8];
    }
    nemro::fuzz::Input& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        nemro::setMessageBox([](const std::string&, nemro::MsgIcon, const std::string&) {});
        return true;
    }();
    (void)quiet;
    nemro::fuzz::Input in(data, size);
    const std::string formula = in.part();
    FuzzListener listener(in);
    nemro::CGNTExpression engine(&listener);
    // The library on, on a fixed clock: library names compute, others reach the host.
    static const nemro::FunctionSettings library = [] {
        nemro::FunctionSettings f = nemro::FunctionSettings::WithLibrary();
        f.Now = 46364.5;
        return f;
    }();
    engine.setFunctions(library);
    bool ok = true;
    const nemro::ExpElement result = engine.Evaluate(formula, &ok);
    if (!ok && !result.Text.empty()) __builtin_trap();  // a failure yields an empty element
    return 0;
}
