// The editor's completion, call hint and colours on any text and cursor: places stay
// inside the text, spans follow one another, a hint marks inside its signature.
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "nemro/formula_completion.h"
#include "nemro/text.h"

namespace {

std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

const nemro::CompletionIndex& index() {
    static const nemro::CompletionIndex i(
        [] {
            const std::string path = "/tmp/nemro-fuzz-completion.xml";
            std::ofstream(path, std::ios::trunc)
                << "<Quorvanta><Formulas><Formula Name=\"ROUND\" Display=\"True\" "
                   "Title=\"四舍五入\""
                   " Value=\"ROUND(数值,小数位数)\"><Argument Value=\"数值\"/></Formula>"
                   "<Formula Name=\"SUM\" Display=\"True\" Value=\"SUM(a,...)\"/></Formulas>"
                   "</Quorvanta>";
            return nemro::loadFunctionIndex(path);
        }(),
        {{"基本工资", "工资项目", "每月"}, {"A1", "", ""}, {"ß", "组", "说明"}});
    return i;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nemro::fuzz::Input in(data, size);
    const std::string text = in.part();
    // Places count the characters of the text as the engine reads it, repaired.
    const std::size_t cursor = in.byte();
    const std::size_t length = characters(nemro::text::toUtf8(nemro::text::toUtf16(text)));
    const std::size_t at = std::min(cursor, length);

    const nemro::Completion c = index().complete(text, cursor, in.byte() % 8);
    if (c.start + c.length > length || c.start > at) __builtin_trap();
    if (c.length > 0 && at > c.start + c.length) __builtin_trap();
    for (const auto& candidate : c.candidates)
        if (c.insertion(candidate).empty()) __builtin_trap();

    if (const auto hint = index().callHint(text, cursor)) {
        if (hint->argument < 1 || hint->open >= at) __builtin_trap();
        if (hint->markStart + hint->markLength > characters(hint->signature)) __builtin_trap();
        (void)hint->text();
    }

    const nemro::Colouring colours = index().colour(text, cursor);
    std::size_t end = 0;
    for (const nemro::ColourSpan& s : colours.spans) {
        if (s.start < end || s.length == 0 || s.start + s.length > length) __builtin_trap();
        end = s.start + s.length;
    }
    if (colours.brackets && colours.brackets->first >= colours.brackets->second) __builtin_trap();
    (void)index().search(text);
    return 0;
}
