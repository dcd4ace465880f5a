// Tokenizer and converter on arbitrary bytes: each either converts or raises NemroError.
#include <cstdint>
#include <string>

#include "engine_internal.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    try {
        nemro::CExpElmStack postfix = nemro::CGNTExpression().InfixToPostfix(input);
        nemro::ExpElement e;
        while (postfix.Pop(e)) {}
    } catch (const nemro::NemroError& e) {
        if (e.number() != 34 && e.number() != 35) __builtin_trap();
    }
    const std::u16string u = nemro::text::toUtf16(input);
    std::int32_t pos = 0;
    nemro::ExpElement e;
    try {
        while (nemro::detail::p_GetNextElement(u, pos, e)) {
            if (pos < 1 || pos > static_cast<std::int32_t>(u.size())) __builtin_trap();
        }
    } catch (const nemro::NemroError&) {
    }
    return 0;
}
