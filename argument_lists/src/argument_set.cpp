#include "nemro/argument_set.h"

#include <mutex>

#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {

namespace {

std::mutex gEditorMutex;

ArgumentEditorFunction& installedEditor() {
    static ArgumentEditorFunction fn;
    return fn;
}

}  // namespace

ArgumentEditorFunction setArgumentEditor(ArgumentEditorFunction fn) {
    std::lock_guard lock(gEditorMutex);
    std::swap(installedEditor(), fn);
    return fn;
}

std::string CArgumentSet::SetArgument(const std::string& sCurArgument) {
    ArgumentEditorFunction editor;
    {
        std::lock_guard lock(gEditorMutex);
        editor = installedEditor();
    }
    if (!editor)
        throw NemroError(err::InvalidArgument, "CArgumentSet.SetArgument",
                         "No argument list editor is installed: load the NemroFormulaSet "
                         "library, or install one with setArgumentEditor.");
    // Called outside the lock: the editor runs for as long as the user likes.
    return editor(sCurArgument);
}

std::string CArgumentSet::GetValueByName(const std::string& sArgument,
                                         const std::string& sName) const {
    try {
        if (sArgument.empty())
            throw NemroError(err::ArgumentNotFound, kLibraryName, "参数没有给定！");
        if (sName.empty()) throw NemroError(err::ArgumentList, kLibraryName, "参数名称没有给定！");
        const std::string wanted = text::upper(sName);
        std::string_view rest = sArgument;
        for (bool more = true; more;) {
            const std::size_t end = rest.find(kEntrySeparator);
            more = end != std::string_view::npos;
            const std::string_view entry = rest.substr(0, end);
            rest = more ? rest.substr(end + 1) : std::string_view();
            // An empty entry has no fields at all, not even an empty name.
            if (entry.empty()) raisePlatform(err::SubscriptOutOfRange, kLibraryName);
            const std::size_t first = entry.find(kFieldSeparator);
            if (text::upper(entry.substr(0, first)) != wanted) continue;
            if (first == std::string_view::npos)
                raisePlatform(err::SubscriptOutOfRange, kLibraryName);
            const std::string_view value = entry.substr(first + 1);
            return std::string(value.substr(0, value.find(kFieldSeparator)));
        }
        return {};
    } catch (NemroError& e) {
        e.prefixSource("CArgumentSet.GetValueByName()\\");
        throw;
    }
}

}  // namespace nemro
