// Replaces the global operator new to count allocations and the bytes they hold. The
// count is per thread so that one benchmark's figure is not disturbed by another
// thread; the bytes are for the whole program (the scaling run has one thread).
#include "alloc_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local std::uint64_t tAllocations = 0;
std::atomic<std::uint64_t> gLive{0};
std::atomic<std::uint64_t> gPeak{0};

void* allocate(std::size_t size) noexcept {
    ++tAllocations;
    void* p = std::malloc(size ? size : 1);
    if (p) {
        const std::uint64_t live =
            gLive.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) +
            malloc_usable_size(p);
        std::uint64_t peak = gPeak.load(std::memory_order_relaxed);
        while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
        }
    }
    return p;
}

void release(void* p) noexcept {
    if (!p) return;
    gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}
}  // namespace

namespace nemro::bench {
std::uint64_t allocationCount() noexcept {
    return tAllocations;
}
std::uint64_t liveBytes() noexcept {
    return gLive.load(std::memory_order_relaxed);
}
std::uint64_t peakBytes() noexcept {
    return gPeak.load(std::memory_order_relaxed);
}
void resetPeak() noexcept {
    gPeak.store(gLive.load(std::memory_order_relaxed), std::memory_order_relaxed);
}
}  // namespace nemro::bench

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
