#include "corpus.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

namespace nemro::bench {

const std::vector<std::string>& corpus(const char* name) {
    static std::map<std::string, std::vector<std::string>> loaded;
    auto [it, fresh] = loaded.try_emplace(name);
    if (!fresh) return it->second;
    const char* dir = std::getenv("NEMRO_BENCH_CORPUS");
    const std::string path = std::string(dir && *dir ? dir : "corpus") + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s (run bench/gen_corpus.py first)\n", path.c_str());
        std::exit(2);
    }
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) it->second.push_back(line);
    return it->second;
}

std::size_t totalBytes(const std::vector<std::string>& formulas) {
    std::size_t n = 0;
    for (const auto& f : formulas) n += f.size();
    return n;
}

}  // namespace nemro::bench
