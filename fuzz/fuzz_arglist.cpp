// Named argument list strings: the lookup answers or raises NemroError, and what the
// editor reads is written back as a list that reads the same.
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "nemro/argument_set.h"
#include "nemro/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nemro::fuzz::Input in(data, size);
    const std::string list = in.part();
    const std::string name = in.part();
    try {
        (void)nemro::CArgumentSet().GetValueByName(list, name);
    } catch (const nemro::NemroError&) {
    }
    const nemro::ArgumentListReading reading = nemro::readArgumentList(list);
    const std::string written = nemro::writeArgumentList(reading.entries);
    const nemro::ArgumentListReading again = nemro::readArgumentList(written);
    if (again.entries != reading.entries || again.shortEntry != 0) __builtin_trap();
    if (nemro::writeArgumentList(again.entries) != written) __builtin_trap();
    return 0;
}
