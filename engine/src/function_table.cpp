#include "function_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "messages.h"
#include "nemro/error.h"
#include "text_tools.h"
#include "values.h"

namespace nemro::detail {
namespace {

// Keep in byte order of the names: findBuiltin searches it by halves.
constexpr std::array<BuiltinFunction, 23> kBuiltins = {{
    {"AND", 1, kUnbounded, fnAnd},
    {"CHAR", 1, 1, fnChar},
    {"CODE", 1, 1, fnCode},
    {"EXACT", 2, 2, fnExact},
    {"FIND", 2, 3, fnFind},
    {"FINDB", 2, 3, fnFindB},
    {"IF", 3, 3, fnIf},
    {"INT", 1, 1, fnInt},
    {"LEFT", 1, 2, fnLeft},
    {"LEFTB", 1, 2, fnLeftB},
    {"LEN", 1, 1, fnLen},
    {"LENB", 1, 1, fnLenB},
    {"MID", 3, 3, fnMid},
    {"MIDB", 3, 3, fnMidB},
    {"MOD", 2, 2, fnMod},
    {"NOT", 1, 1, fnNot},
    {"OR", 1, kUnbounded, fnOr},
    {"RIGHT", 1, 2, fnRight},
    {"RIGHTB", 1, 2, fnRightB},
    {"RMBDX", 1, 1, fnRmbdx},
    {"ROUND", 1, 2, fnRound},
    {"SIGN", 1, 1, fnSign},
    {"TRUNC", 1, 2, fnTrunc},
}};

}  // namespace

std::span<const BuiltinFunction> builtinFunctions() {
    return kBuiltins;
}

namespace {

// A name of at most eight bytes as a number, its bytes from the most significant down,
// padded with zeros: the numbers of the table's names sort as the names do. A name with
// a zero byte has no number.
constexpr bool keyOf(std::string_view name, std::uint64_t& key) {
    if (name.size() > 8) return false;
    key = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto c = static_cast<unsigned char>(i < name.size() ? name[i] : '\0');
        if (i < name.size() && c == 0) return false;
        key = key << 8 | c;
    }
    return true;
}

// The same for an ASCII name in any case, its letters a to z upper-cased eight at a time.
bool asciiKeyOf(std::string_view name, std::uint64_t& key) {
    if (name.size() > 8 || std::memchr(name.data(), 0, name.size()) != nullptr) return false;
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    std::uint64_t w = 0;
    std::memcpy(&w, name.data(), name.size());
    // Bytes below 0x80 add without carries: the high bit tells b >= 'a', then b > 'z'.
    const std::uint64_t atLeastA = w + kOnes * (0x80 - 'a');
    const std::uint64_t aboveZ = w + kOnes * (0x80 - 'z' - 1);
    w -= ((atLeastA & ~aboveZ) & kOnes * 0x80) >> 2;  // 0x20 off each lower-case letter
    if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
    key = w;
    return true;
}

constexpr std::array<std::uint64_t, kBuiltins.size()> kKeys = [] {
    std::array<std::uint64_t, kBuiltins.size()> keys{};
    for (std::size_t i = 0; i < kBuiltins.size(); ++i) keyOf(kBuiltins[i].name, keys[i]);
    return keys;
}();

const BuiltinFunction* findKey(std::uint64_t key) {
    const auto it = std::lower_bound(kKeys.begin(), kKeys.end(), key);
    return it != kKeys.end() && *it == key
               ? &kBuiltins[static_cast<std::size_t>(it - kKeys.begin())]
               : nullptr;
}

}  // namespace

const BuiltinFunction* findBuiltin(std::string_view upperName) {
    std::uint64_t key = 0;
    return keyOf(upperName, key) ? findKey(key) : nullptr;
}

const BuiltinFunction* findBuiltinAscii(std::string_view asciiName) {
    std::uint64_t key = 0;
    return asciiKeyOf(asciiName, key) ? findKey(key) : nullptr;
}

ExpElement FunctionCall::next() {
    Value* v = nextArgument();
    if (!v) return {};
    resolveSlot(*v, listener_);
    return std::move(element(*v));
}

ExpElement FunctionCall::nextOperand() {
    Value* v = nextArgument();
    if (!v || v->el.Kind == ekEmpty) return {};
    p_CheckOperand(*v, listener_);
    return std::move(element(*v));
}

ExpElement FunctionCall::nextNumber() {
    ExpElement el = next();
    p_ToNumber(el, listener_);
    return el;
}

ExpElement FunctionCall::nextBoolean() {
    ExpElement el = next();
    p_ToBoolean(el, listener_);
    return el;
}

ExpElement FunctionCall::nextString() {
    ExpElement el = next();
    p_ToString(el, listener_);
    return el;
}

double FunctionCall::nextValue() {
    Value missing;  // an empty element, which fails the conversion
    Value* v = nextArgument();
    if (!v) v = &missing;
    p_ToNumber(*v, listener_);
    return numberOf(*v);
}

bool FunctionCall::nextOptionalValue(double& out) {
    Value* v = nextArgument();
    if (!v || v->el.Kind == ekEmpty) return false;
    p_ToNumber(*v, listener_);
    out = numberOf(*v);
    return true;
}

void FunctionCall::badValue() const {
    throw NemroError(err::Tokenizer, "", TextTools::FormatText(msg::UnsuitableArgument, name_));
}

void FunctionCall::pushNumber(double value) {
    Value v;
    v.el.Priority = kOperandPriority;
    setComputed(v, value);
    values_.push_back(std::move(v));
}

void FunctionCall::pushText(std::string text, std::int32_t kind) {
    values_.push_back(Value{ExpElement{std::move(text), kind, kOperandPriority}});
}

}  // namespace nemro::detail
