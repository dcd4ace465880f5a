// Heap allocations made through operator new since the program started, and the
// heap bytes they hold.
#pragma once

#include <cstdint>

namespace nemro::bench {

std::uint64_t allocationCount() noexcept;

// Heap bytes in use now, and the most in use since the last resetPeak().
std::uint64_t liveBytes() noexcept;
std::uint64_t peakBytes() noexcept;
void resetPeak() noexcept;

}  // namespace nemro::bench
