#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "nemro/catalogue.h"

namespace nemro {
namespace {

struct ModuleSearch {
    const void* address;
    std::string file;
    bool found = false;
};

// The loaded object whose segments hold `address`; the main program has an empty name.
int findModule(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<ModuleSearch*>(data);
    const auto address = reinterpret_cast<ElfW(Addr)>(search->address);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        const ElfW(Addr) start = info->dlpi_addr + segment.p_vaddr;
        if (address >= start && address < start + segment.p_memsz) {
            search->file = info->dlpi_name ? info->dlpi_name : "";
            search->found = true;
            return 1;
        }
    }
    return 0;
}

std::string executablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace

std::string GetAppPath() {
    ModuleSearch search{reinterpret_cast<const void*>(&GetAppPath), {}};
    dl_iterate_phdr(findModule, &search);
    std::string file = search.found && !search.file.empty() ? search.file : executablePath();
    if (char* resolved = ::realpath(file.c_str(), nullptr)) {
        file = resolved;
        std::free(resolved);
    }
    const auto slash = file.rfind('/');
    std::string directory = slash == std::string::npos ? std::string(".") : file.substr(0, slash);
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace nemro
