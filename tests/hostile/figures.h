// Time and peak memory of one hostile case, printed for the reliability report.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace nemro::testing {

class Figures {
public:
    explicit Figures(std::string name) : name_(std::move(name)) {
        // Resets the peak resident size to the current one, so that the peak read at
        // the end belongs to this case.
        std::ofstream("/proc/self/clear_refs") << "5";
        startKb_ = readKb("VmRSS:");
    }
    ~Figures() {
        const auto ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        const long peak = readKb("VmHWM:") - startKb_;
        std::printf("[figures] %s: %.1f ms, peak +%.1f MB\n", name_.c_str(), ms,
                    static_cast<double>(peak) / 1024.0);
    }

private:
    using Clock = std::chrono::steady_clock;
    static long readKb(const char* key) {
        std::ifstream status("/proc/self/status");
        std::string word;
        while (status >> word)
            if (word == key) {
                long kb = 0;
                status >> kb;
                return kb;
            }
        return 0;
    }
    std::string name_;
    long startKb_ = 0;
    Clock::time_point start_ = Clock::now();
};

}  // namespace nemro::testing
