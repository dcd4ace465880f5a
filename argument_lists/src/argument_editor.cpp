#include "nemro/argument_editor.h"

#include <algorithm>

#include "nemro/text.h"

namespace nemro {

namespace {

// A separator typed or pasted into a text box would split the entry when the list
// is read again, so it never gets into the list.
std::string withoutSeparators(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != kEntrySeparator && c != kFieldSeparator) out += c;
    return out;
}

ArgumentTexts clean(const ArgumentTexts& t) {
    return {withoutSeparators(t.name), withoutSeparators(t.value),
            withoutSeparators(t.description)};
}

std::string nameKey(std::string_view name) {
    return text::upper(text::trimBlanks(name));
}

}  // namespace

ArgumentEditorFields& argumentEditorFields() {
    thread_local ArgumentEditorFields fields;
    return fields;
}

ArgumentListEditor::ReadFailure ArgumentListEditor::ReadArgument(std::string_view text) {
    ReadFailure failure;
    if (text.empty()) return failure;
    ArgumentListReading reading = readArgumentList(text);
    items_.insert(items_.end(), std::make_move_iterator(reading.entries.begin()),
                  std::make_move_iterator(reading.entries.end()));
    if (reading.shortEntry != 0) {
        failure.position = reading.shortEntry;
        failure.error = NemroError(err::SubscriptOutOfRange, kLibraryName,
                                   platformDescription(err::SubscriptOutOfRange));
        failure.error.prefixSource("frmArgumentSet1.ReadArgument()\\");
    }
    return failure;
}

void ArgumentListEditor::SaveArgument() {
    fields_.m_sArgument = writeArgumentList(items_);
}

ArgumentTexts ArgumentListEditor::Click(int position) {
    if (position < 1 || static_cast<std::size_t>(position) > items_.size()) return {};
    fields_.m_iCurIndex = position;
    const ArgumentEntry& e = items_[static_cast<std::size_t>(position - 1)];
    return {e.name, e.value, e.description};
}

bool ArgumentListEditor::New(const ArgumentTexts& typed) {
    if (typed.name.empty()) return false;
    const ArgumentTexts t = clean(typed);
    if (nameTaken(t.name, 0)) return false;
    items_.push_back({std::string(text::trimBlanks(t.name)), std::string(text::trimBlanks(t.value)),
                      std::string(text::trimBlanks(t.description))});
    return true;
}

bool ArgumentListEditor::Modify(const ArgumentTexts& typed) {
    if (typed.name.empty() || !clickedItemExists()) return false;
    const ArgumentTexts t = clean(typed);
    if (nameTaken(t.name, fields_.m_iCurIndex)) return false;
    items_[static_cast<std::size_t>(fields_.m_iCurIndex - 1)] = {t.name, t.value, t.description};
    return true;
}

bool ArgumentListEditor::Delete() {
    if (!clickedItemExists()) return false;
    items_.erase(items_.begin() + (fields_.m_iCurIndex - 1));
    return true;
}

bool ArgumentListEditor::clickedItemExists() const {
    return fields_.m_iCurIndex >= 1 &&
           static_cast<std::size_t>(fields_.m_iCurIndex) <= items_.size();
}

bool ArgumentListEditor::nameTaken(const std::string& name, int except) const {
    const std::string key = nameKey(name);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (static_cast<int>(i) + 1 != except && nameKey(items_[i].name) == key) return true;
    return false;
}

std::string readFailureMessage(const ArgumentListEditor::ReadFailure& failure) {
    return "参数列表的第" + std::to_string(failure.position) +
           "项少于三个字段（名称、值、描述），这一项及其后的参数没有读入。\n\n" +
           failure.error.description() + "\n" + failure.error.source() + " (" +
           std::to_string(failure.error.number()) + ")";
}

}  // namespace nemro
