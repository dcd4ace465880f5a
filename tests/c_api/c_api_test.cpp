// The C interface as a C host sees it: results, errors, ownership and null handles.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "nemro/nemro_c.h"

namespace {

// Takes a string handed out by the library.
std::string take(char* text) {
    std::string out = text ? text : "<null>";
    nemro_free(text);
    return out;
}

struct Error : nemro_error {
    Error() : nemro_error{0, nullptr, nullptr, 0, 0} {}
    ~Error() { nemro_error_clear(this); }
};

void answerCells(void* context, const char* name, nemro_answer* answer) {
    ++*static_cast<int*>(context);
    if (std::string(name) == "A1") nemro_answer_set(answer, "4");
    if (std::string(name) == "S") nemro_answer_set(answer, "\"中文\"");
}

TEST(CInterface, EvaluatesWithTheHostsVariablesOrFailsWithTheTriple) {
    nemro_expression* expression = nemro_expression_new();
    int asked = 0;
    ASSERT_EQ(nemro_expression_set_variable_callback(expression, answerCells, &asked, nullptr), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"A1*2", "8 14"},         {"S&\"!\"", "中文! 8"}, {"A1>3", "True 11"},  {"B+1", "1 14"},
        {"MOD(1,0)", "error 11"}, {"1+", "error 34"},     {"LEN(", "error 35"},
    };
    for (const auto& [formula, expected] : cases) {
        char* text = nullptr;
        int32_t kind = 0;
        Error error;
        const int32_t number = nemro_expression_evaluate(expression, formula, &text, &kind, &error);
        const std::string got = take(text);
        if (number == 0) {
            EXPECT_EQ(got + " " + std::to_string(kind), expected);
        } else {  // the triple, and no string
            EXPECT_EQ("error " + std::to_string(error.number) + got,
                      std::string(expected) + "<null>");
            EXPECT_EQ(error.number, number);
            EXPECT_EQ(std::string(error.source).rfind("CGNTExpression.Evaluate()\\", 0), 0u);
            EXPECT_STRNE(error.description, "");
        }
    }
    EXPECT_GE(asked, 4);
    // Without an error record the number alone tells; with one, the place where known.
    EXPECT_EQ(nemro_expression_evaluate(expression, "MOD(1,0)", nullptr, nullptr, nullptr), 11);
    for (const auto& [formula, place] : {std::pair{"基本工资+", "5 1"}, {"LEN(", "5 0"}}) {
        Error error;
        EXPECT_NE(nemro_expression_evaluate(expression, formula, nullptr, nullptr, &error), 0);
        EXPECT_EQ(std::to_string(error.position) + " " + std::to_string(error.length), place);
    }
    nemro_expression_free(expression);
}

TEST(CInterface, PreparedFormulaOverRows) {
    nemro_prepared* prepared = nullptr;
    Error error;
    ASSERT_EQ(nemro_prepared_new("ROUND(x/y,2)&u", &prepared, &error), 0);
    ASSERT_EQ(nemro_prepared_variable_count(prepared), 3);
    EXPECT_STREQ(nemro_prepared_variable(prepared, 2), "u");
    EXPECT_EQ(nemro_prepared_variable(prepared, 3), nullptr);
    const char* row[] = {"10", "4", "\"元\""};
    char* text = nullptr;
    int32_t kind = 0;
    EXPECT_EQ(nemro_prepared_evaluate(prepared, row, 3, &text, &kind, nullptr), 0);
    EXPECT_EQ(take(text) + " " + std::to_string(kind), "2.5元 8");
    const double numbers[] = {1, 3};  // u is missing and reads as 0
    EXPECT_EQ(nemro_prepared_evaluate_numbers(prepared, numbers, 2, &text, &kind, nullptr), 0);
    EXPECT_EQ(take(text), "0.330");
    const double infinite[] = {1, 1e308 * 10};  // no 15-digit text: an overflow
    EXPECT_EQ(nemro_prepared_evaluate_numbers(prepared, infinite, 2, &text, &kind, &error), 6);
    double number = 0;  // the result as a double: a text that is a number reads as one
    EXPECT_EQ(nemro_prepared_evaluate_numbers_to_number(prepared, numbers, 2, &number, nullptr), 0);
    EXPECT_EQ(number, 0.33);
    EXPECT_EQ(nemro_prepared_evaluate_to_number(prepared, row, 3, &number, nullptr), 13);
    nemro_prepared_free(prepared);
    ASSERT_EQ(nemro_prepared_new("x*y-0.1", &prepared, nullptr), 0);
    EXPECT_EQ(nemro_prepared_evaluate_to_number(prepared, row, 2, &number, nullptr), 0);
    EXPECT_EQ(number, 39.9);
    nemro_prepared_free(prepared);
    Error syntax;
    EXPECT_EQ(nemro_prepared_new("(1", &prepared, &syntax), 35);
    EXPECT_EQ(prepared, nullptr);
}

TEST(CInterface, PrintsAndChecks) {
    char *text = nullptr, *message = nullptr, *title = nullptr;
    int32_t type = 0, icon = 0;
    int passed = -1;
    nemro_expression* expression = nemro_expression_new();
    ASSERT_EQ(nemro_expression_print(expression, "round( 1 , 2 )", &text, &type, nullptr), 0);
    EXPECT_EQ(take(text) + " " + std::to_string(type), "ROUND(1, 2) 14");
    nemro_expression_free(expression);
    ASSERT_EQ(nemro_check_formula("ROUND(1,2", nullptr, &passed, &message, &title, &icon, nullptr),
              0);
    EXPECT_EQ(std::to_string(passed) + take(message) + take(title) + std::to_string(icon),
              "0左右括号数目不一致!公式输入有误!16");
    ASSERT_EQ(nemro_check_formula("ROUND(1,2)", nullptr, &passed, &message, &title, &icon, nullptr),
              0);
    EXPECT_EQ(std::to_string(passed) + take(message) + take(title), "1");
    // A catalogue that cannot be read is an error, not a failed check.
    Error error;
    EXPECT_NE(nemro_check_formula("SUM(1,2)", "/nonexistent/FormulaSet.xml", &passed, nullptr,
                                  nullptr, nullptr, &error),
              0);
    EXPECT_STRNE(error.description, "");
}

// The dialogs read the sample values back on the thread that set them.
TEST(CInterface, SampleValuesFromListsAndCallbacks) {
    nemro_formula_set* set = nemro_formula_set_new();
    const char* names[] = {"基本工资", "Rate"};
    const char* values[] = {"8000", "0.17"};
    ASSERT_EQ(nemro_formula_set_set_sample_values(set, names, values, 2, nullptr), 0);
    const auto sample = [&](const char* name) {
        char* value = nullptr;
        int found = -1;
        EXPECT_EQ(nemro_formula_set_sample_value(set, name, &value, &found, nullptr), 0);
        return std::to_string(found) + ":" + take(value) + " ";
    };
    EXPECT_EQ(sample("基本工资") + sample("RATE") + sample("x"), "1:8000 1:0.17 0: ");
    int asked = 0;
    ASSERT_EQ(nemro_formula_set_set_sample_callback(set, answerCells, &asked, nullptr), 0);
    EXPECT_EQ(sample("A1") + sample("基本工资"), "1:4 0: ");
    EXPECT_EQ(asked, 2);
    EXPECT_NE(nemro_formula_set_set_sample_values(set, nullptr, nullptr, 1, nullptr), 0);
    // A style the component does not have is refused.
    EXPECT_EQ(nemro_formula_set_set_dialog_style(set, NEMRO_STYLE_MODERN, nullptr), 0);
    EXPECT_NE(nemro_formula_set_set_dialog_style(set, 7, nullptr), 0);
    nemro_formula_set_set_dialog_style(set, NEMRO_STYLE_CLASSIC, nullptr);
    nemro_formula_set_free(set);
}

// Each step's status and the names declared after it; a refused step keeps them.
TEST(CInterface, DeclaredFields) {
    nemro_formula_set* set = nemro_formula_set_new();
    const auto add = [&](const char* name, const char* type, const char* sample) {
        Error e;
        const int32_t status =
            nemro_formula_set_add_field(set, name, type, nullptr, nullptr, sample, &e);
        return std::to_string(status == 0) + ":" +
               std::to_string(nemro_formula_set_field_count(set));
    };
    const auto csv = [&](const char* text) {
        const int32_t status = nemro_formula_set_set_fields_csv(set, text, nullptr);
        return std::to_string(status == 0) + ":" +
               std::to_string(nemro_formula_set_field_count(set));
    };
    // clang-format off
    const struct { std::function<std::string()> step; const char* expected; } steps[] = {
        {[&] { return csv("name,type,sample\n基本工资,number,8000\n姓名,text,张三\n"); }, "1:2"},
        {[&] { return add("奖金", nullptr, "500"); }, "1:3"},
        {[&] { return add("入职日期", "date", "2019-07-01"); }, "1:4"},
        {[&] { return add("是否在职", nullptr, "TRUE"); }, "1:5"},
        {[&] { return add("基本工资", nullptr, nullptr); }, "0:5"},   // twice
        {[&] { return add("a b", nullptr, nullptr); }, "0:5"},        // not one variable
        {[&] { return add("x", "money", nullptr); }, "0:5"},
        {[&] { return add("y", "number", "abc"); }, "0:5"},
        {[&] { return csv("name,type\nx,money\n"); }, "0:5"},
        {[&] { return csv("name\nA1\n"); }, "1:1"},
        {[&] { const bool cleared = nemro_formula_set_clear_fields(set, nullptr) == 0;
               return std::to_string(cleared) + ":" + std::to_string(nemro_formula_set_field_count(set)); }, "1:0"},
        {[&] { return std::to_string(nemro_formula_set_field_count(nullptr)); }, "-1"},
    };
    // clang-format on
    for (const auto& s : steps) EXPECT_EQ(s.step(), s.expected);
    nemro_formula_set_free(set);
}

TEST(CInterface, StackArgumentListsAndNullHandles) {
    nemro_stack* stack = nemro_stack_new();
    char* top = nullptr;
    EXPECT_EQ(nemro_stack_push(stack, "A", nullptr) + nemro_stack_push(stack, "B|中", nullptr), 0);
    EXPECT_EQ(nemro_stack_count(stack), 2);
    EXPECT_EQ(nemro_stack_pop(stack, &top, nullptr), 0);
    EXPECT_EQ(take(top), "B|中");
    ASSERT_EQ(nemro_stack_remove_all(stack, nullptr), 0);
    EXPECT_EQ(nemro_stack_pop(stack, &top, nullptr), 0);  // an empty stack gives an empty text
    EXPECT_EQ(take(top), "");
    nemro_stack_free(stack);

    nemro_argument_set* arguments = nemro_argument_set_new();
    char* value = nullptr;
    EXPECT_EQ(nemro_argument_set_get_value_by_name(arguments,
                                                   "RATE\x0e"
                                                   "0.17\x0e"
                                                   "d\x0f",
                                                   "rate", &value, nullptr),
              0);
    EXPECT_EQ(take(value), "0.17");
    Error error;
    EXPECT_EQ(nemro_argument_set_get_value_by_name(arguments, "", "rate", &value, &error),
              static_cast<int32_t>(0x80040001u));
    EXPECT_NE(std::string(error.source).find("NemroFormulaSet"), std::string::npos);
    nemro_argument_set_free(arguments);

    EXPECT_STREQ(nemro_version(), "0.1.0");
}

// Every call on a handle refuses a NULL one with error 5 naming the call and the handle,
// and hands nothing out.
TEST(CInterface, NullHandlesFailWithAClearError) {
    using Call = std::function<int32_t(char**, nemro_error*)>;
    const double number = 1;
    const char* text = "1";
    const struct {
        const char* function;
        const char* handle;
        Call call;
    } rows[] = {
        {"nemro_formula_set_set_formula", "formula set",
         [](char** out, nemro_error* e) {
             return nemro_formula_set_set_formula(nullptr, "", out, e);
         }},
        {"nemro_formula_set_set_dialog_style", "formula set",
         [](char**, nemro_error* e) { return nemro_formula_set_set_dialog_style(nullptr, 0, e); }},
        {"nemro_formula_set_set_settings_scope", "formula set",
         [](char**, nemro_error* e) {
             return nemro_formula_set_set_settings_scope(nullptr, "a", "b", e);
         }},
        {"nemro_formula_set_clear_recent", "formula set",
         [](char**, nemro_error* e) { return nemro_formula_set_clear_recent(nullptr, e); }},
        {"nemro_formula_set_set_sample_values", "formula set",
         [](char**, nemro_error* e) {
             return nemro_formula_set_set_sample_values(nullptr, nullptr, nullptr, 0, e);
         }},
        {"nemro_formula_set_set_sample_callback", "formula set",
         [](char**, nemro_error* e) {
             return nemro_formula_set_set_sample_callback(nullptr, answerCells, nullptr, e);
         }},
        {"nemro_formula_set_sample_value", "formula set",
         [](char** out, nemro_error* e) {
             return nemro_formula_set_sample_value(nullptr, "x", out, nullptr, e);
         }},
        {"nemro_stack_push", "stack",
         [](char**, nemro_error* e) { return nemro_stack_push(nullptr, "x", e); }},
        {"nemro_stack_pop", "stack",
         [](char** out, nemro_error* e) { return nemro_stack_pop(nullptr, out, e); }},
        {"nemro_stack_remove_all", "stack",
         [](char**, nemro_error* e) { return nemro_stack_remove_all(nullptr, e); }},
        {"nemro_argument_set_set_argument", "argument set",
         [](char** out, nemro_error* e) {
             return nemro_argument_set_set_argument(nullptr, "", out, e);
         }},
        {"nemro_argument_set_get_value_by_name", "argument set",
         [](char** out, nemro_error* e) {
             return nemro_argument_set_get_value_by_name(nullptr, "", "x", out, e);
         }},
        {"nemro_expression_set_variable_callback", "expression",
         [](char**, nemro_error* e) {
             return nemro_expression_set_variable_callback(nullptr, answerCells, nullptr, e);
         }},
        {"nemro_expression_set_function_callback", "expression",
         [](char**, nemro_error* e) {
             return nemro_expression_set_function_callback(nullptr, answerCells, nullptr, e);
         }},
        {"nemro_expression_evaluate", "expression",
         [](char** out, nemro_error* e) {
             return nemro_expression_evaluate(nullptr, "1", out, nullptr, e);
         }},
        {"nemro_expression_print", "expression",
         [](char** out, nemro_error* e) {
             return nemro_expression_print(nullptr, "1", out, nullptr, e);
         }},
        {"nemro_prepared_set_function_callback", "prepared formula",
         [](char**, nemro_error* e) {
             return nemro_prepared_set_function_callback(nullptr, answerCells, nullptr, e);
         }},
        {"nemro_prepared_evaluate", "prepared formula",
         [&](char** out, nemro_error* e) {
             return nemro_prepared_evaluate(nullptr, &text, 1, out, nullptr, e);
         }},
        {"nemro_prepared_evaluate_numbers", "prepared formula",
         [&](char** out, nemro_error* e) {
             return nemro_prepared_evaluate_numbers(nullptr, &number, 1, out, nullptr, e);
         }},
    };
    for (const auto& r : rows) {
        Error error;
        char* out = nullptr;
        EXPECT_EQ(r.call(&out, &error), 5) << r.function;
        EXPECT_EQ(std::string(error.source ? error.source : "") + ": " +
                      (error.description ? error.description : ""),
                  std::string(r.function) + ": no " + r.handle + " handle");
        EXPECT_EQ(out, nullptr) << r.function;
    }
    // Calls that answer with a count or a flag give -1; freeing NULL does nothing.
    EXPECT_EQ(std::to_string(nemro_stack_count(nullptr)) + " " +
                  std::to_string(nemro_formula_set_is_cancel(nullptr)) + " " +
                  std::to_string(nemro_prepared_variable_count(nullptr)),
              "-1 -1 -1");
    EXPECT_EQ(nemro_prepared_variable(nullptr, 0), nullptr);
    nemro_stack_free(nullptr);
    nemro_answer_set(nullptr, "x");
    nemro_error_clear(nullptr);
    nemro_free(nullptr);
}

}  // namespace

// A registered function: twice its number argument, or error 5 for a negative one.
void twice(void* context, const nemro_value* args, int32_t count, nemro_result* result) {
    ++*static_cast<int*>(context);
    const double x = count > 0 ? std::stod(args[0].text) : 0;
    if (x < 0)
        nemro_result_fail(result, 5, "负数");
    else
        nemro_result_set(result, 14, std::to_string(static_cast<int>(2 * x)).c_str());
}

std::string evaluated(nemro_expression* e, const char* formula) {
    char* text = nullptr;
    int32_t kind = 0;
    Error error;
    const int32_t n = nemro_expression_evaluate(e, formula, &text, &kind, &error);
    return n ? "error " + std::to_string(n) + " " + error.description : take(text);
}

TEST(CInterface, LibraryClockAndRegisteredFunctions) {
    nemro_expression* e = nemro_expression_new();
    EXPECT_EQ(evaluated(e, "SUM(1,2)"), "error 35 错误的自定义函数“SUM”。");
    ASSERT_EQ(nemro_expression_set_library(e, 1, nullptr), 0);
    Error error;
    EXPECT_EQ(nemro_expression_set_now(e, "2026-12-08 13:45", &error), 0);
    EXPECT_EQ(evaluated(e, "TEXT(NOW(),\"yyyy年m月d日 hh:mm\")&SUM(1,2)"), "2026年12月8日 13:453");
    EXPECT_EQ(nemro_expression_set_now(e, "8 Dec", &error), 5);
    int calls = 0;
    EXPECT_EQ(nemro_expression_register_function(e, "twice", 1, 1, 14, twice, &calls, nullptr), 0);
    EXPECT_EQ(nemro_expression_register_function(e, "SUM", 0, -1, 14, twice, &calls, nullptr), 0);
    EXPECT_EQ(evaluated(e, "TWICE(4)+SUM(5,6)"), "18");
    EXPECT_EQ(evaluated(e, "TWICE(-1)"), "error 5 负数");
    EXPECT_EQ(nemro_expression_register_function(e, "ROUND", 1, 1, 14, twice, &calls, nullptr), 5);
    nemro_prepared* p = nullptr;
    ASSERT_EQ(nemro_prepared_new_for("TWICE(x)+SUM(x)", e, &p, nullptr), 0);
    const double x = 3;
    char* text = nullptr;
    EXPECT_EQ(nemro_prepared_evaluate_numbers(p, &x, 1, &text, nullptr, nullptr), 0);
    EXPECT_EQ(take(text), "12");
    EXPECT_EQ(calls, 5);
    nemro_prepared_free(p);
    nemro_expression_free(e);
    nemro_formula_set* set = nemro_formula_set_new();
    EXPECT_EQ(nemro_formula_set_register_function(set, "TWICE", 1, 1, 14, twice, &calls, nullptr),
              0);
    EXPECT_EQ(nemro_formula_set_set_now(set, "2026-12-08", nullptr), 0);
    nemro_formula_set_free(set);
}
