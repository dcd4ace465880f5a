#include "catalogue_document.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/error.h"

namespace nemro {
namespace {

// A catalogue stays read while its file keeps the same identity, so that a dialog's
// many queries do not read it again; any change of the file is seen by the next query.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

bool identify(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    identity = {
        info.st_dev, info.st_ino, info.st_size,
        static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec};
    return true;
}

struct CachedCatalogue {
    std::string path;
    FileIdentity identity;
    std::shared_ptr<const Catalogue> catalogue;
};

constexpr std::size_t kCachedCatalogues = 4;
// File times advance in coarse ticks (up to seconds on some file systems), so an edit soon
// after a read can keep the old time and size. A file changed this recently is therefore
// read again on every query until its time is safely in the past.
constexpr long long kSettledNs = 2'000'000'000LL;

bool settled(const FileIdentity& identity) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long nowNs = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    return nowNs - identity.modifiedNs >= kSettledNs;
}
// Shared by every thread: a model is immutable once read, and files are read and parsed
// outside the lock.
std::mutex gCacheMutex;
std::vector<CachedCatalogue> gCache;

}  // namespace

std::string readCatalogueFile(const std::string& path, const char* operation) {
    auto fail = [&](pugi::xml_parse_status status) {
        pugi::xml_parse_result result;
        result.status = status;
        throw NemroError(static_cast<std::int32_t>(status), operation, result.description());
    };
    // A directory, a device or a pipe is no catalogue: the parser would take the size
    // such a file reports for its length.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) fail(pugi::status_file_not_found);
    if (!S_ISREG(info.st_mode)) fail(pugi::status_io_error);
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(pugi::status_file_not_found);
    std::string text;
    text.resize(static_cast<std::size_t>(info.st_size));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    // A file that grew since stat is read to its end.
    std::ostringstream rest;
    if (in && in.peek() != std::char_traits<char>::eof()) {
        rest << in.rdbuf();
        text += std::move(rest).str();
    }
    if (in.bad()) fail(pugi::status_io_error);
    return text;
}

std::shared_ptr<const Catalogue> loadCatalogue(const std::string& given, const char* operation) {
    const std::string path = given.empty() ? GetAppPath() + "FormulaSet.xml" : given;
    FileIdentity identity;
    const bool identified = identify(path, identity);
    if (identified) {
        const std::lock_guard lock(gCacheMutex);
        for (const CachedCatalogue& entry : gCache)
            if (entry.path == path && entry.identity == identity) return entry.catalogue;
    }
    const std::string text = readCatalogueFile(path, operation);
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(text.data(), text.size(), kCatalogueParseOptions);
    if (!result)
        throw NemroError(static_cast<std::int32_t>(result.status), operation, result.description());
    std::shared_ptr<const Catalogue> catalogue = readCatalogue(document);
    const std::lock_guard lock(gCacheMutex);
    std::erase_if(gCache, [&](const CachedCatalogue& e) { return e.path == path; });
    if (identified && settled(identity)) {
        if (gCache.size() >= kCachedCatalogues) gCache.erase(gCache.begin());
        gCache.push_back({path, identity, catalogue});
    }
    return catalogue;
}

std::shared_ptr<const Catalogue> loadCatalogue(const std::string& path) {
    return loadCatalogue(path, "loadCatalogue");
}

}  // namespace nemro
