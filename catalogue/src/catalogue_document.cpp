#include "catalogue_document.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

// A catalogue stays parsed while its file keeps the same identity, so that a dialog's
// many queries do not parse it again; any change of the file is seen by the next query.
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
    identity = {info.st_dev, info.st_ino, info.st_size,
                static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL +
                    info.st_mtim.tv_nsec};
    return true;
}

struct CachedDocument {
    std::string path;
    FileIdentity identity;
    std::shared_ptr<const pugi::xml_document> document;
};

constexpr std::size_t kCachedDocuments = 4;
// File times advance in coarse ticks (up to seconds on some file systems), so an edit soon
// after a parse can keep the old time and size. A file changed this recently is therefore
// parsed again on every query until its time is safely in the past.
constexpr long long kSettledNs = 2'000'000'000LL;

bool settled(const FileIdentity& identity) {
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long nowNs = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
    return nowNs - identity.modifiedNs >= kSettledNs;
}
thread_local std::vector<CachedDocument> tCache;

std::shared_ptr<const pugi::xml_document> load(const std::string& path, const char* operation) {
    FileIdentity identity;
    const bool identified = identify(path, identity);
    if (identified) {
        for (const CachedDocument& entry : tCache)
            if (entry.path == path && entry.identity == identity) return entry.document;
    }
    const std::string text = readCatalogueFile(path, operation);
    auto document = std::make_shared<pugi::xml_document>();
    const pugi::xml_parse_result result =
        document->load_buffer(text.data(), text.size(), kCatalogueParseOptions);
    if (!result) throw NemroError(static_cast<std::int32_t>(result.status), operation,
                                  result.description());
    std::erase_if(tCache, [&](const CachedDocument& e) { return e.path == path; });
    if (identified && settled(identity)) {
        if (tCache.size() >= kCachedDocuments) tCache.erase(tCache.begin());
        tCache.push_back({path, identity, document});
    }
    return document;
}

// Location paths are compiled once per thread, each with its own $value variable.
struct CompiledPath {
    pugi::xpath_variable_set variables;
    pugi::xpath_query query;
    explicit CompiledPath(const char* xpath) {
        variables.add("value", pugi::xpath_type_string);
        query = pugi::xpath_query(xpath, &variables);
    }
};

CompiledPath& compiled(const char* xpath) {
    thread_local std::unordered_map<std::string, std::unique_ptr<CompiledPath>> tPaths;
    auto& slot = tPaths[xpath];
    if (!slot) slot = std::make_unique<CompiledPath>(xpath);
    return *slot;
}

CompiledPath& bound(const char* xpath, const std::string& value) {
    CompiledPath& path = compiled(xpath);
    path.variables.set("value", value.c_str());
    return path;
}

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

CatalogueQuery::CatalogueQuery(const std::string& path, const char* operation)
    : document_(load(path.empty() ? GetAppPath() + "FormulaSet.xml" : path, operation)) {}

pugi::xpath_node_set CatalogueQuery::select(const char* xpath) const {
    return compiled(xpath).query.evaluate_node_set(*document_);
}

pugi::xpath_node_set CatalogueQuery::select(const char* xpath, const std::string& value) const {
    if (value.find('\0') != std::string::npos) return {};  // no attribute holds a NUL
    return bound(xpath, value).query.evaluate_node_set(*document_);
}

pugi::xml_node CatalogueQuery::selectFrom(const pugi::xml_node& context, const char* xpath,
                                          const std::string& value) const {
    if (!context || value.find('\0') != std::string::npos) return {};
    return bound(xpath, value).query.evaluate_node(context).node();
}

pugi::xml_node CatalogueQuery::function(const std::string& name) const {
    return selectFrom(*document_, "Quorvanta/Formulas/Formula[@Name=$value]",
                      std::string(text::trimBlanks(name)));
}

}  // namespace nemro
