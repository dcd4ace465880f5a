#include "function_table.h"

#include <algorithm>
#include <array>

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

std::span<const BuiltinFunction> builtinFunctions() { return kBuiltins; }

const BuiltinFunction* findBuiltin(std::string_view upperName) {
    const auto it = std::lower_bound(
        kBuiltins.begin(), kBuiltins.end(), upperName,
        [](const BuiltinFunction& f, std::string_view name) { return f.name < name; });
    return (it != kBuiltins.end() && it->name == upperName) ? &*it : nullptr;
}

ExpElement FunctionCall::next() {
    ExpElement el;
    arguments_.Pop(el);
    return el;
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

bool FunctionCall::nextOptionalNumber(ExpElement& out) {
    if (!arguments_.Pop(out) || out.Kind == ekEmpty) return false;
    p_ToNumber(out, listener_);
    return true;
}

void FunctionCall::badValue() const {
    throw NemroError(err::Tokenizer, "", TextTools::FormatText("函数“%s”的参数值不合要求。", name_));
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
