// Functions a host registers, and the settings an engine object evaluates with.
#include <algorithm>
#include <cctype>

#include "function_table.h"
#include "messages.h"
#include "nemro/error.h"
#include "nemro/functions.h"
#include "nemro/text.h"
#include "text_tools.h"
#include "values.h"

namespace nemro {
namespace {

// Letters of any script, digits, "_" and ".", a letter or "_" first: a name formula
// text can call.
bool isFunctionName(std::string_view name) {
    if (name.empty() || text::isDigit(name[0]) || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || std::isalnum(u) || c == '_' || c == '.';
    });
}

}  // namespace

FunctionValue FunctionValue::Number(double value) {
    return {ekNumber, detail::formatNumber(value)};
}

double FunctionValue::ToNumber() const {
    ExpElement el{Text, Kind, kOperandPriority};
    detail::p_ToNumber(el, nullptr);
    return detail::readNumber(el.Text);
}

void CFunctionRegistry::Register(const std::string& Name, std::int32_t MinArgs,
                                 std::int32_t MaxArgs, FunctionCallback Callback,
                                 std::int32_t ResultType) {
    std::string upper = text::upper(Name);
    const bool badRule =
        MinArgs < 0 || (MaxArgs != kAnyArgumentCount && (MaxArgs < MinArgs || MaxArgs < 0));
    if (!isFunctionName(upper) || detail::findBuiltin(upper) || badRule || !Callback)
        throw NemroError(err::InvalidArgument, "CFunctionRegistry.Register()",
                         TextTools::FormatText(detail::msg::UnsuitableArgument, Name));
    const auto it = std::lower_bound(
        functions_.begin(), functions_.end(), upper,
        [](const RegisteredFunction& f, const std::string& n) { return f.Name < n; });
    RegisteredFunction f{upper, MinArgs, MaxArgs, ResultType, std::move(Callback)};
    if (it != functions_.end() && it->Name == upper)
        *it = std::move(f);
    else
        functions_.insert(it, std::move(f));
}

bool CFunctionRegistry::Unregister(const std::string& Name) {
    const std::string upper = text::upper(Name);
    const auto it = std::find_if(functions_.begin(), functions_.end(),
                                 [&](const RegisteredFunction& f) { return f.Name == upper; });
    if (it == functions_.end()) return false;
    functions_.erase(it);
    return true;
}

const RegisteredFunction* CFunctionRegistry::Find(std::string_view UpperName) const {
    const auto it = std::lower_bound(
        functions_.begin(), functions_.end(), UpperName,
        [](const RegisteredFunction& f, std::string_view n) { return f.Name < n; });
    return it != functions_.end() && it->Name == UpperName ? &*it : nullptr;
}

void CGNTExpression::setFunctions(const FunctionSettings& Functions) {
    functions_ = std::make_shared<const FunctionSettings>(Functions);
}

const FunctionSettings& CGNTExpression::functions() const noexcept {
    static const FunctionSettings kNone;
    return functions_ ? *functions_ : kNone;
}

}  // namespace nemro
