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
        while (postfix.Pop(e)) {
        }
    } catch (const nemro::NemroError& e) {
        if (e.number() != 34 && e.number() != 35) __builtin_trap();
    }
    // The tokenizer reads well-formed text; its positions stay within the UTF-16 text.
    if (!nemro::text::isValidUtf8(input)) return 0;
    const auto units = static_cast<std::int32_t>(nemro::text::toUtf16(input).size());
    nemro::detail::Tokenizer tokenizer(input);
    nemro::detail::Token e;
    try {
        while (tokenizer.p_GetNextElement(e)) {
            if (tokenizer.pos() < 1 || tokenizer.pos() > units) __builtin_trap();
        }
        if (tokenizer.pos() != units + 1) __builtin_trap();
    } catch (const nemro::NemroError&) {
    }
    return 0;
}
