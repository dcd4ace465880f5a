// Parked nesting levels: any row, name and field texts come back exactly, and any text
// at all decodes without harm.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "nemro/error.h"
#include "nemro/formula_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nemro::fuzz::Input in(data, size);
    const std::string raw = in.part();
    try {
        (void)nemro::dialogs::decodeParked(raw);
    } catch (const nemro::NemroError&) {
    }
    nemro::dialogs::ParkedEntry entry;
    entry.row = 1 + in.byte() % 200;
    entry.functionName = in.part();
    while (!in.empty()) entry.fields.push_back(in.part());
    const std::string text = nemro::dialogs::encodeParked(entry);
    const nemro::dialogs::ParkedEntry back = nemro::dialogs::decodeParked(text);
    if (back.row != entry.row || back.functionName != entry.functionName ||
        back.fields != entry.fields)
        __builtin_trap();
    return 0;
}
