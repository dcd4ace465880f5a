// A catalogue written for one test process: ctest runs the cases of one program in
// several processes at once, and one must not rewrite a file that another is reading.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace nemro::testing {

inline std::string scratchFile(const std::string& name, const std::string& text) {
    static struct Files {
        std::vector<std::string> paths;
        ~Files() {
            for (const std::string& p : paths) std::remove(p.c_str());
        }
    } files;
    std::string path = ::testing::TempDir() + name + "-" + std::to_string(getpid()) + ".xml";
    std::ofstream(path, std::ios::binary) << text;
    files.paths.push_back(path);
    return path;
}

}  // namespace nemro::testing
