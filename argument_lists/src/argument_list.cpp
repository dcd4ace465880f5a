#include <string>
#include <string_view>

#include "nemro/argument_set.h"

namespace nemro {

namespace {

// The next piece of `rest` up to `separator`, which is taken off `rest` with it.
std::string_view nextPiece(std::string_view& rest, char separator) {
    const std::size_t at = rest.find(separator);
    std::string_view piece = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return piece;
}

}  // namespace

ArgumentListReading readArgumentList(std::string_view list) {
    ArgumentListReading reading;
    if (list.empty()) return reading;
    std::string_view rest = list;
    bool more = true;
    while (more) {
        more = rest.find(kEntrySeparator) != std::string_view::npos;
        std::string_view entry = nextPiece(rest, kEntrySeparator);
        const std::size_t first = entry.find(kFieldSeparator);
        const std::size_t second =
            first == std::string_view::npos ? first : entry.find(kFieldSeparator, first + 1);
        if (second == std::string_view::npos) {
            reading.shortEntry = reading.entries.size() + 1;
            break;
        }
        std::string_view description = entry.substr(second + 1);
        description = description.substr(0, description.find(kFieldSeparator));
        reading.entries.push_back({std::string(entry.substr(0, first)),
                                   std::string(entry.substr(first + 1, second - first - 1)),
                                   std::string(description)});
    }
    return reading;
}

std::string writeArgumentList(const std::vector<ArgumentEntry>& entries) {
    std::string list;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ArgumentEntry& e = entries[i];
        if (i > 0) list += kEntrySeparator;
        list += e.name;
        list += kFieldSeparator;
        list += e.value;
        list += kFieldSeparator;
        list += e.description;
    }
    return list;
}

}  // namespace nemro
