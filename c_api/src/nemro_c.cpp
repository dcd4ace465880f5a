// The C interface: each function turns the C++ calls' results and errors into plain C.
#include "nemro/nemro_c.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "nemro/argument_set.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/field_set.h"
#include "nemro/formula_checks.h"
#include "nemro/formula_set.h"
#include "nemro/functions.h"
#include "nemro/message_box.h"
#include "nemro/prepared.h"

struct nemro_formula_set {
    nemro::CFormulaSet set;
};
struct nemro_stack {
    nemro::cStack stack;
};
struct nemro_argument_set {
    nemro::CArgumentSet set;
};
struct nemro_answer {
    std::string text;
    bool given = false;
};
struct nemro_result {
    nemro::FunctionValue value;
    std::optional<nemro::NemroError> failure;
};

namespace {

// Failures that are not the component's own error type (memory, say) reach C callers
// with this number and the exception's text.
constexpr std::int32_t kInternalError = 51;

char* copyOut(const std::string& text) {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (!out) throw std::bad_alloc();
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

void fill(nemro_error* error, std::int32_t number, const std::string& source,
          const std::string& description, std::int32_t position = 0,
          std::int32_t length = 0) noexcept {
    if (!error) return;
    error->number = number;
    error->source = nullptr;
    error->description = nullptr;
    error->position = position;
    error->length = length;
    try {
        error->source = copyOut(source);
        error->description = copyOut(description);
    } catch (...) {
        std::free(error->source);
        error->source = nullptr;
    }
}

// Runs fn, mapping every exception to the error triple and its number.
template <typename Fn>
std::int32_t guarded(nemro_error* error, Fn&& fn) noexcept {
    try {
        fn();
        return 0;
    } catch (const nemro::NemroError& e) {
        // A number 0 would read as success; no error of the component has it.
        const std::int32_t number = e.number() != 0 ? e.number() : kInternalError;
        fill(error, number, e.source(), e.description(), e.position(), e.length());
        return number;
    } catch (const std::exception& e) {
        fill(error, kInternalError, "nemro_c", e.what());
    } catch (...) {
        fill(error, kInternalError, "nemro_c", "unknown failure");
    }
    return kInternalError;
}

// A handle the call needs; a NULL one fails with the function's name and what is missing.
template <typename T>
T& handle(T* given, const char* function, const char* what) {
    if (!given)
        throw nemro::NemroError(nemro::err::InvalidArgument, function,
                                std::string("no ") + what + " handle");
    return *given;
}

std::string in(const char* text) {
    return text ? text : "";
}

void setOut(char** out, const std::string& text) {
    if (out) *out = copyOut(text);
}

template <typename T>
T* create() noexcept {
    return new (std::nothrow) T();
}

// Answers the engine's calls for unknown names through the host's C callbacks.
class CallbackListener : public nemro::IExpressionListener {
  public:
    nemro_name_callback variable = nullptr;
    void* variableContext = nullptr;
    nemro_name_callback function = nullptr;
    void* functionContext = nullptr;

    void UserVariable(const std::string& Name, std::string& Value) override {
        ask(variable, variableContext, Name, Value);
    }
    void UserFunction(const std::string& Name, nemro::CExpElmStack&, std::string& Value) override {
        ask(function, functionContext, Name, Value);
    }

  private:
    static void ask(nemro_name_callback callback, void* context, const std::string& name,
                    std::string& value) {
        if (!callback) return;
        nemro_answer answer;
        callback(context, name.c_str(), &answer);
        if (answer.given) value = std::move(answer.text);
    }
};

}  // namespace

struct nemro_expression {
    CallbackListener listener;
    nemro::CGNTExpression engine{&listener};
    std::shared_ptr<nemro::CFunctionRegistry> registry =
        std::make_shared<nemro::CFunctionRegistry>();
    nemro::FunctionSettings functions = [this] {
        nemro::FunctionSettings s;
        s.Functions = registry;
        return s;
    }();
    void apply() { engine.setFunctions(functions); }
};

struct nemro_prepared {
    nemro::CPreparedExpression formula;
    CallbackListener listener;
};

namespace {

// A time "YYYY-MM-DD[ HH:MM[:SS]]" as a serial number; none for NULL.
std::optional<double> timeOf(const char* time) {
    if (!time) return std::nullopt;
    double serial = 0;
    if (!nemro::ParseDateText(time, serial))
        throw nemro::NemroError(nemro::err::InvalidArgument, "nemro_c",
                                std::string("not a time \"YYYY-MM-DD[ HH:MM[:SS]]\": ") + time);
    return serial;
}

// The C callback as a registered function's work.
void registerCallback(nemro::CFunctionRegistry& registry, const char* name, int32_t minArgs,
                      int32_t maxArgs, int32_t resultType, nemro_function_callback callback,
                      void* context) {
    if (!callback) throw nemro::NemroError(nemro::err::InvalidArgument, "nemro_c", "no callback");
    registry.Register(
        in(name), minArgs, maxArgs,
        [callback, context](std::span<const nemro::FunctionValue> args) {
            std::vector<nemro_value> values;
            for (const auto& a : args) values.push_back({a.Kind, a.Text.c_str()});
            nemro_result result;
            callback(context, values.data(), static_cast<int32_t>(values.size()), &result);
            if (result.failure) throw std::move(*result.failure);
            return std::move(result.value);
        },
        resultType);
}

// `values` makes the row inside the guard, so that its allocation fails as an error too.
template <typename Values>
int32_t evaluatePrepared(const char* function, const nemro_prepared* prepared, Values values,
                         char** text, int32_t* kind, nemro_error* error) {
    return guarded(error, [&] {
        const nemro_prepared& p = handle(prepared, function, "prepared formula");
        // The listener only reads its callbacks, so threads may share it.
        auto* listener = const_cast<CallbackListener*>(&p.listener);
        const nemro::ExpElement result = p.formula.Evaluate(values(), listener);
        setOut(text, result.Text);
        if (kind) *kind = result.Kind;
    });
}

template <typename Values>
int32_t preparedNumber(const char* function, const nemro_prepared* prepared, Values values,
                       double* result, nemro_error* error) {
    return guarded(error, [&] {
        const nemro_prepared& p = handle(prepared, function, "prepared formula");
        auto* listener = const_cast<CallbackListener*>(&p.listener);
        const double number = p.formula.EvaluateNumber(values(), listener);
        if (result) *result = number;
    });
}

std::vector<nemro::VariableValue> textRow(const char* const* values, int32_t count) {
    std::vector<nemro::VariableValue> row;
    for (int32_t i = 0; values && i < count; ++i) row.push_back({nemro::ekEmpty, in(values[i])});
    return row;
}

std::span<const double> numberRow(const double* values, int32_t count) {
    return {values, values && count > 0 ? static_cast<std::size_t>(count) : 0};
}

}  // namespace

extern "C" {

void nemro_free(char* text) {
    std::free(text);
}

void nemro_error_clear(nemro_error* error) {
    if (!error) return;
    std::free(error->source);
    std::free(error->description);
    error->source = nullptr;
    error->description = nullptr;
    error->number = 0;
    error->position = 0;
    error->length = 0;
}

const char* nemro_version(void) {
    return NEMRO_VERSION;
}

nemro_formula_set* nemro_formula_set_new(void) {
    return create<nemro_formula_set>();
}
void nemro_formula_set_free(nemro_formula_set* set) {
    delete set;
}

int32_t nemro_formula_set_set_formula(nemro_formula_set* set, const char* former_formula,
                                      char** result, nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_set_formula", "formula set");
        setOut(result, s.set.setFormula(in(former_formula)));
    });
}

int nemro_formula_set_is_cancel(const nemro_formula_set* set) {
    if (!set) return -1;
    return set->set.isCancel() ? 1 : 0;
}

int32_t nemro_formula_set_set_dialog_style(nemro_formula_set* set, int style, nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_set_dialog_style", "formula set");
        if (style != NEMRO_STYLE_CLASSIC && style != NEMRO_STYLE_MODERN)
            throw nemro::NemroError(nemro::err::InvalidArgument,
                                    "nemro_formula_set_set_dialog_style", "no such style");
        s.set.setDialogStyle(style == NEMRO_STYLE_MODERN ? nemro::DialogStyle::Modern
                                                         : nemro::DialogStyle::Classic);
    });
}

int32_t nemro_formula_set_set_settings_scope(nemro_formula_set* set, const char* organization,
                                             const char* application, nemro_error* error) {
    return guarded(error, [&] {
        handle(set, "nemro_formula_set_set_settings_scope", "formula set")
            .set.setSettingsScope(in(organization), in(application));
    });
}

int32_t nemro_formula_set_clear_recent(nemro_formula_set* set, nemro_error* error) {
    return guarded(error, [&] {
        handle(set, "nemro_formula_set_clear_recent", "formula set").set.clearRecentFunctions();
    });
}

int32_t nemro_formula_set_set_sample_values(nemro_formula_set* set, const char* const* names,
                                            const char* const* values, int32_t count,
                                            nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_set_sample_values", "formula set");
        if (count > 0 && (!names || !values))
            throw nemro::NemroError(nemro::err::InvalidArgument,
                                    "nemro_formula_set_set_sample_values", "no names or values");
        std::map<std::string, std::string> samples;
        for (int32_t i = 0; i < count; ++i) samples[in(names[i])] = in(values[i]);
        s.set.setSampleValues(samples);
    });
}

int32_t nemro_formula_set_set_sample_callback(nemro_formula_set* set, nemro_name_callback callback,
                                              void* context, nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_set_sample_callback", "formula set");
        nemro::CFormulaSet::SampleValueLookup lookup;
        if (callback)
            lookup = [callback, context](const std::string& name) -> std::optional<std::string> {
                nemro_answer answer;
                callback(context, name.c_str(), &answer);
                if (!answer.given) return std::nullopt;
                return std::move(answer.text);
            };
        s.set.setSampleValues(std::move(lookup));
    });
}

int32_t nemro_formula_set_sample_value(const nemro_formula_set* set, const char* name, char** value,
                                       int* found, nemro_error* error) {
    return guarded(error, [&] {
        const auto& s = handle(set, "nemro_formula_set_sample_value", "formula set");
        const std::optional<std::string> sample = s.set.sampleValue(in(name));
        setOut(value, sample.value_or(""));
        if (found) *found = sample ? 1 : 0;
    });
}

int32_t nemro_formula_set_set_fields_csv(nemro_formula_set* set, const char* csv,
                                         nemro_error* error) {
    return guarded(error, [&] {
        handle(set, "nemro_formula_set_set_fields_csv", "formula set").set.setFieldsCsv(in(csv));
    });
}

int32_t nemro_formula_set_add_field(nemro_formula_set* set, const char* name, const char* type,
                                    const char* group, const char* description, const char* sample,
                                    nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_add_field", "formula set");
        nemro::Field field{in(name), nemro::FieldType::Number, in(group), in(description), {}};
        if (type && *type) {
            const auto named = nemro::fieldTypeNamed(type);
            if (!named)
                throw nemro::NemroError(nemro::err::FieldFile, "nemro_formula_set_add_field",
                                        "unknown type “" + std::string(type) + "”");
            field.type = *named;
        }
        if (sample && !(type && *type))
            // Without a type the sample tells it, as a field file's sample does.
            for (const auto t : {nemro::FieldType::Boolean, nemro::FieldType::Number,
                                 nemro::FieldType::Date, nemro::FieldType::Text})
                if (nemro::readFieldValue(t, sample)) {
                    field.type = t;
                    break;
                }
        if (sample) {
            field.sample = nemro::readFieldValue(field.type, sample);
            if (!field.sample)
                throw nemro::NemroError(nemro::err::FieldFile, "nemro_formula_set_add_field",
                                        "the sample “" + std::string(sample) + "” is no " +
                                            nemro::fieldTypeName(field.type));
        }
        s.set.addField(std::move(field));
    });
}

int32_t nemro_formula_set_clear_fields(nemro_formula_set* set, nemro_error* error) {
    return guarded(error, [&] {
        handle(set, "nemro_formula_set_clear_fields", "formula set").set.setFields({});
    });
}

int32_t nemro_formula_set_field_count(const nemro_formula_set* set) {
    if (!set) return -1;
    const auto fields = set->set.fields();
    return fields ? static_cast<int32_t>(fields->size()) : 0;
}

nemro_stack* nemro_stack_new(void) {
    return create<nemro_stack>();
}
void nemro_stack_free(nemro_stack* stack) {
    delete stack;
}
int16_t nemro_stack_count(const nemro_stack* stack) {
    return stack ? stack->stack.Count() : -1;
}

int32_t nemro_stack_push(nemro_stack* stack, const char* formula, nemro_error* error) {
    return guarded(error,
                   [&] { handle(stack, "nemro_stack_push", "stack").stack.Push(in(formula)); });
}

int32_t nemro_stack_pop(nemro_stack* stack, char** formula, nemro_error* error) {
    return guarded(error,
                   [&] { setOut(formula, handle(stack, "nemro_stack_pop", "stack").stack.Pop()); });
}

int32_t nemro_stack_remove_all(nemro_stack* stack, nemro_error* error) {
    return guarded(error,
                   [&] { handle(stack, "nemro_stack_remove_all", "stack").stack.RemoveAll(); });
}

nemro_argument_set* nemro_argument_set_new(void) {
    return create<nemro_argument_set>();
}
void nemro_argument_set_free(nemro_argument_set* set) {
    delete set;
}

int32_t nemro_argument_set_set_argument(nemro_argument_set* set, const char* list, char** result,
                                        nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_argument_set_set_argument", "argument set");
        setOut(result, s.set.SetArgument(in(list)));
    });
}

int32_t nemro_argument_set_get_value_by_name(const nemro_argument_set* set, const char* list,
                                             const char* name, char** value, nemro_error* error) {
    return guarded(error, [&] {
        const auto& s = handle(set, "nemro_argument_set_get_value_by_name", "argument set");
        setOut(value, s.set.GetValueByName(in(list), in(name)));
    });
}

void nemro_answer_set(nemro_answer* answer, const char* text) {
    if (!answer) return;
    try {
        answer->text = in(text);
        answer->given = true;
    } catch (...) {
        answer->given = false;
    }
}

nemro_expression* nemro_expression_new(void) {
    return create<nemro_expression>();
}
void nemro_expression_free(nemro_expression* expression) {
    delete expression;
}

int32_t nemro_expression_set_variable_callback(nemro_expression* expression,
                                               nemro_name_callback callback, void* context,
                                               nemro_error* error) {
    return guarded(error, [&] {
        auto& e = handle(expression, "nemro_expression_set_variable_callback", "expression");
        e.listener.variable = callback;
        e.listener.variableContext = context;
    });
}

int32_t nemro_expression_set_function_callback(nemro_expression* expression,
                                               nemro_name_callback callback, void* context,
                                               nemro_error* error) {
    return guarded(error, [&] {
        auto& e = handle(expression, "nemro_expression_set_function_callback", "expression");
        e.listener.function = callback;
        e.listener.functionContext = context;
    });
}

int32_t nemro_expression_evaluate(nemro_expression* expression, const char* formula, char** text,
                                  int32_t* kind, nemro_error* error) {
    return guarded(error, [&] {
        const nemro::ExpElement result =
            handle(expression, "nemro_expression_evaluate", "expression")
                .engine.EvaluateOrThrow(in(formula));
        setOut(text, result.Text);
        if (kind) *kind = result.Kind;
    });
}

int32_t nemro_expression_print(nemro_expression* expression, const char* formula, char** text,
                               int32_t* return_type, nemro_error* error) {
    return guarded(error, [&] {
        nemro::CGNTExpression& engine =
            handle(expression, "nemro_expression_print", "expression").engine;
        std::int32_t type = 0;
        const std::string printed = engine.PostfixToInfix(engine.InfixToPostfix(in(formula)), type);
        setOut(text, printed);
        if (return_type) *return_type = type;
    });
}

int32_t nemro_check_formula(const char* formula, const char* catalogue_path, int* passed,
                            char** message, char** title, int32_t* icon, nemro_error* error) {
    return guarded(error, [&] {
        const auto d = nemro::dialogs::diagnoseFormula(in(formula), in(catalogue_path));
        if (passed) *passed = d ? 0 : 1;
        setOut(message, d ? d->text : std::string());
        setOut(title, d ? d->title : std::string());
        if (icon) *icon = d ? static_cast<std::int32_t>(d->icon) : 0;
    });
}

int32_t nemro_prepared_new(const char* formula, nemro_prepared** prepared, nemro_error* error) {
    if (prepared) *prepared = nullptr;
    return guarded(error, [&] {
        auto* made = new nemro_prepared{nemro::CPreparedExpression(in(formula)), {}};
        if (prepared)
            *prepared = made;
        else
            delete made;
    });
}

void nemro_prepared_free(nemro_prepared* prepared) {
    delete prepared;
}

int32_t nemro_prepared_variable_count(const nemro_prepared* prepared) {
    return prepared ? static_cast<int32_t>(prepared->formula.Variables().size()) : -1;
}

const char* nemro_prepared_variable(const nemro_prepared* prepared, int32_t index) {
    if (!prepared || index < 0 || index >= nemro_prepared_variable_count(prepared)) return nullptr;
    return prepared->formula.Variables()[static_cast<std::size_t>(index)].c_str();
}

int32_t nemro_prepared_set_function_callback(nemro_prepared* prepared, nemro_name_callback callback,
                                             void* context, nemro_error* error) {
    return guarded(error, [&] {
        auto& p = handle(prepared, "nemro_prepared_set_function_callback", "prepared formula");
        p.listener.function = callback;
        p.listener.functionContext = context;
    });
}

int32_t nemro_prepared_evaluate(const nemro_prepared* prepared, const char* const* values,
                                int32_t count, char** text, int32_t* kind, nemro_error* error) {
    std::vector<nemro::VariableValue> row;
    const auto makeRow = [&] {
        row = textRow(values, count);
        return std::span<const nemro::VariableValue>(row);
    };
    return evaluatePrepared("nemro_prepared_evaluate", prepared, makeRow, text, kind, error);
}

int32_t nemro_prepared_evaluate_numbers(const nemro_prepared* prepared, const double* values,
                                        int32_t count, char** text, int32_t* kind,
                                        nemro_error* error) {
    return evaluatePrepared(
        "nemro_prepared_evaluate_numbers", prepared, [&] { return numberRow(values, count); }, text,
        kind, error);
}

int32_t nemro_prepared_evaluate_to_number(const nemro_prepared* prepared, const char* const* values,
                                          int32_t count, double* result, nemro_error* error) {
    std::vector<nemro::VariableValue> row;
    const auto makeRow = [&] {
        row = textRow(values, count);
        return std::span<const nemro::VariableValue>(row);
    };
    return preparedNumber("nemro_prepared_evaluate_to_number", prepared, makeRow, result, error);
}

int32_t nemro_prepared_evaluate_numbers_to_number(const nemro_prepared* prepared,
                                                  const double* values, int32_t count,
                                                  double* result, nemro_error* error) {
    return preparedNumber(
        "nemro_prepared_evaluate_numbers_to_number", prepared,
        [&] { return numberRow(values, count); }, result, error);
}

void nemro_result_set(nemro_result* result, int32_t kind, const char* text) {
    if (result) result->value = {kind, in(text)};
}

void nemro_result_fail(nemro_result* result, int32_t number, const char* description) {
    if (result) result->failure.emplace(number, "", in(description));
}

int32_t nemro_expression_set_library(nemro_expression* expression, int on, nemro_error* error) {
    return guarded(error, [&] {
        auto& e = handle(expression, "nemro_expression_set_library", "expression");
        e.functions.Library = on != 0;
        e.apply();
    });
}

int32_t nemro_expression_set_now(nemro_expression* expression, const char* time,
                                 nemro_error* error) {
    return guarded(error, [&] {
        auto& e = handle(expression, "nemro_expression_set_now", "expression");
        e.functions.Now = timeOf(time);
        e.apply();
    });
}

int32_t nemro_expression_register_function(nemro_expression* expression, const char* name,
                                           int32_t min_args, int32_t max_args, int32_t result_type,
                                           nemro_function_callback callback, void* context,
                                           nemro_error* error) {
    return guarded(error, [&] {
        auto& e = handle(expression, "nemro_expression_register_function", "expression");
        registerCallback(*e.registry, name, min_args, max_args, result_type, callback, context);
        e.apply();
    });
}

int32_t nemro_prepared_new_for(const char* formula, const nemro_expression* expression,
                               nemro_prepared** prepared, nemro_error* error) {
    if (prepared) *prepared = nullptr;
    return guarded(error, [&] {
        nemro::FunctionSettings functions = nemro::FunctionSettings::WithLibrary();
        if (expression) {
            functions = expression->functions;
            // A snapshot: later registrations with the expression do not reach it.
            functions.Functions = std::make_shared<nemro::CFunctionRegistry>(*expression->registry);
        }
        auto* made = new nemro_prepared{nemro::CPreparedExpression(in(formula), functions), {}};
        if (prepared)
            *prepared = made;
        else
            delete made;
    });
}

int32_t nemro_formula_set_set_now(nemro_formula_set* set, const char* time, nemro_error* error) {
    return guarded(error, [&] {
        handle(set, "nemro_formula_set_set_now", "formula set").set.setNow(timeOf(time));
    });
}

int32_t nemro_formula_set_register_function(nemro_formula_set* set, const char* name,
                                            int32_t min_args, int32_t max_args, int32_t result_type,
                                            nemro_function_callback callback, void* context,
                                            nemro_error* error) {
    return guarded(error, [&] {
        auto& s = handle(set, "nemro_formula_set_register_function", "formula set");
        registerCallback(s.set.registeredFunctions(), name, min_args, max_args, result_type,
                         callback, context);
    });
}

}  // extern "C"
