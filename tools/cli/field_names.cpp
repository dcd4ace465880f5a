// A stand-in reader of the columns completion needs, until the catalogue's reader of the
// host's declared fields takes its place (with its checks of types, duplicates and names).
#include "field_names.h"

#include <fstream>
#include <iterator>

#include "commands.h"

namespace nemro::cli {
namespace {

// The records of CSV text; false at a quote that is never closed.
bool parseCsv(const std::string& text, std::vector<std::vector<std::string>>& records) {
    std::vector<std::string> record(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                record.back() += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                record.back() += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.emplace_back();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (record.size() > 1 || !record[0].empty()) records.push_back(std::move(record));
            record.assign(1, "");
        } else {
            record.back() += c;
        }
    }
    if (record.size() > 1 || !record[0].empty()) records.push_back(std::move(record));
    return !quoted;
}

}  // namespace

std::vector<IndexedName> loadFieldNames(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError("cannot read '" + path + "'");
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    std::vector<std::vector<std::string>> records;
    if (!parseCsv(text, records)) throw UsageError("'" + path + "' has a quote never closed");
    if (records.empty()) return {};
    auto column = [&](const std::string& name) {
        for (std::size_t i = 0; i < records[0].size(); ++i)
            if (records[0][i] == name) return i;
        return records[0].size();
    };
    const std::size_t name = column("name"), group = column("group"),
                      description = column("description");
    if (name == records[0].size()) throw UsageError("'" + path + "' has no name column");
    auto field = [](const std::vector<std::string>& r, std::size_t i) {
        return i < r.size() ? r[i] : std::string();
    };
    std::vector<IndexedName> names;
    for (std::size_t r = 1; r < records.size(); ++r)
        names.push_back(
            {field(records[r], name), field(records[r], group), field(records[r], description)});
    return names;
}

}  // namespace nemro::cli
