// Named argument lists: reading and writing the list string, the lookup by name, and
// the editor's buttons played in any order.
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_input.h"
#include "nemro/argument_editor.h"
#include "nemro/argument_set.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace {

std::string key(const std::string& name) {
    return nemro::text::upper(nemro::text::trimBlanks(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nemro::fuzz::Input in(data, size);
    const std::string list = in.part();
    const std::string name = in.part();

    // What is read writes back to a list that reads the same.
    const nemro::ArgumentListReading read = nemro::readArgumentList(list);
    const std::string written = nemro::writeArgumentList(read.entries);
    const nemro::ArgumentListReading again = nemro::readArgumentList(written);
    if (again.entries != read.entries || again.shortEntry != 0) __builtin_trap();
    if (read.shortEntry == 0 && !list.empty() && written.size() > list.size()) __builtin_trap();

    try {
        const std::string value = nemro::CArgumentSet().GetValueByName(list, name);
        if (value.size() > list.size()) __builtin_trap();
    } catch (const nemro::NemroError& e) {
        if (e.number() != nemro::err::ArgumentNotFound && e.number() != nemro::err::ArgumentList &&
            e.number() != nemro::err::SubscriptOutOfRange)
            __builtin_trap();
        if (e.source().rfind("CArgumentSet.GetValueByName()\\", 0) != 0) __builtin_trap();
    }

    // The buttons: whatever is clicked, New and Modify never add a name already taken.
    nemro::ArgumentEditorFields fields;
    fields.m_iCurIndex = in.byte() % 8;
    nemro::ArgumentListEditor editor(fields);
    editor.ReadArgument(list);
    std::set<std::string> before;
    bool unique = true;
    for (const auto& e : editor.items()) unique = before.insert(key(e.name)).second && unique;
    while (!in.empty()) {
        const nemro::ArgumentTexts t{in.text(), in.text(), in.text()};
        switch (in.byte() % 4) {
            case 0:
                editor.Click(in.byte() % 10);
                break;
            case 1:
                editor.New(t);
                break;
            case 2:
                editor.Modify(t);
                break;
            default:
                editor.Delete();
                break;
        }
    }
    std::set<std::string> names;
    for (const auto& e : editor.items())
        if (!names.insert(key(e.name)).second && unique) __builtin_trap();
    editor.SaveArgument();
    if (nemro::readArgumentList(fields.m_sArgument).entries != editor.items()) __builtin_trap();
    return 0;
}
