/* NemroFormulaSet for hosts in any language: plain C functions over opaque handles.
 *
 * Strings are UTF-8. Strings passed in stay the caller's. Strings handed out (char**)
 * belong to the caller and are released with nemro_free.
 *
 * Functions that can fail return 0 on success and the error number otherwise (never 0,
 * since no error of the component has number 0). When `error` is not NULL it receives
 * the whole error; release its strings with nemro_error_clear. Nothing here lets a C++
 * exception escape.
 *
 * A NULL handle fails: with error 5 whose source names the function and whose
 * description names the missing handle ("no stack handle"); functions that return a
 * count return -1 for it, and is_cancel -1. The _free functions take NULL as free does.
 *
 * Handles belong to the thread that uses them; the formula dialogs must run on the
 * thread that owns the Qt application (the first thread that opens them, when the host
 * has none). */
#ifndef NEMRO_C_H
#define NEMRO_C_H

#include <stdint.h>

/* The library is built with hidden visibility; these are the functions it exports. */
#ifndef NEMRO_C_API
#if defined(__GNUC__) || defined(__clang__)
#define NEMRO_C_API __attribute__((visibility("default")))
#else
#define NEMRO_C_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct nemro_error {
    int32_t number;
    char* source;
    char* description;
    /* Where in the formula an engine error lies, when known: the 1-based position in
     * characters (UTF-16 code units) and the length of the element at fault; else 0. */
    int32_t position;
    int32_t length;
} nemro_error;

NEMRO_C_API void nemro_free(char* text);
NEMRO_C_API void nemro_error_clear(nemro_error* error);
/* The component's version, "MAJOR.MINOR.PATCH"; a static string. */
NEMRO_C_API const char* nemro_version(void);

/* The formula service. */
typedef struct nemro_formula_set nemro_formula_set;
NEMRO_C_API nemro_formula_set* nemro_formula_set_new(void);
NEMRO_C_API void nemro_formula_set_free(nemro_formula_set* set);
/* Opens the function chooser (former_formula NULL or "") or re-edits former_formula;
 * *result receives the completed formula, or "" when the user completed none. */
NEMRO_C_API int32_t nemro_formula_set_set_formula(nemro_formula_set* set,
                                                  const char* former_formula, char** result,
                                                  nemro_error* error);
/* 1 when the last exchange of this thread ended without a completed formula, else 0. */
NEMRO_C_API int nemro_formula_set_is_cancel(const nemro_formula_set* set);
/* The dialogs of this handle's later exchanges: classic (the default) or modern. */
enum { NEMRO_STYLE_CLASSIC = 0, NEMRO_STYLE_MODERN = 1 };
NEMRO_C_API int32_t nemro_formula_set_set_dialog_style(nemro_formula_set* set, int style,
                                                       nemro_error* error);
/* Where the modern dialogs keep the recently used functions and their sizes (QSettings
 * organization and application; NULL or "" for the host application's own). */
NEMRO_C_API int32_t nemro_formula_set_set_settings_scope(nemro_formula_set* set,
                                                         const char* organization,
                                                         const char* application,
                                                         nemro_error* error);
NEMRO_C_API int32_t nemro_formula_set_clear_recent(nemro_formula_set* set, nemro_error* error);

/* Sample values of the host's variables for this handle's argument dialogs: count names
 * and values, each value written as the engine reads a variable's ("8000", "\"文本\"",
 * "True"; other text is a string). They replace the values or callback given before. */
NEMRO_C_API int32_t nemro_formula_set_set_sample_values(nemro_formula_set* set,
                                                        const char* const* names,
                                                        const char* const* values, int32_t count,
                                                        nemro_error* error);

/* The host's declared names (fields) for this handle's dialogs: the modern chooser lists
 * them and the modern check refuses other names; a name's sample value takes the place of
 * the sample values above. From CSV text (UTF-8, header name,type,group,description,sample;
 * only name required), replacing the names declared before, or one by one: type "number",
 * "text", "boolean" or "date" (NULL or "": the one the sample reads as, else number), group,
 * description and sample may be NULL, a NULL sample leaving the name without one. A malformed name
 * or file fails with error -2147221501 and keeps the names declared before. */
NEMRO_C_API int32_t nemro_formula_set_set_fields_csv(nemro_formula_set* set, const char* csv,
                                                     nemro_error* error);
NEMRO_C_API int32_t nemro_formula_set_add_field(nemro_formula_set* set, const char* name,
                                                const char* type, const char* group,
                                                const char* description, const char* sample,
                                                nemro_error* error);
NEMRO_C_API int32_t nemro_formula_set_clear_fields(nemro_formula_set* set, nemro_error* error);
/* How many names are declared; -1 for a NULL handle. */
NEMRO_C_API int32_t nemro_formula_set_field_count(const nemro_formula_set* set);

/* The formula stack. */
typedef struct nemro_stack nemro_stack;
NEMRO_C_API nemro_stack* nemro_stack_new(void);
NEMRO_C_API void nemro_stack_free(nemro_stack* stack);
NEMRO_C_API int16_t nemro_stack_count(const nemro_stack* stack);
NEMRO_C_API int32_t nemro_stack_push(nemro_stack* stack, const char* formula, nemro_error* error);
/* *formula receives the top entry, "" on an empty stack. */
NEMRO_C_API int32_t nemro_stack_pop(nemro_stack* stack, char** formula, nemro_error* error);
NEMRO_C_API int32_t nemro_stack_remove_all(nemro_stack* stack, nemro_error* error);

/* Named argument lists. */
typedef struct nemro_argument_set nemro_argument_set;
NEMRO_C_API nemro_argument_set* nemro_argument_set_new(void);
NEMRO_C_API void nemro_argument_set_free(nemro_argument_set* set);
/* Opens the list editor on list; *result receives the edited list. */
NEMRO_C_API int32_t nemro_argument_set_set_argument(nemro_argument_set* set, const char* list,
                                                    char** result, nemro_error* error);
NEMRO_C_API int32_t nemro_argument_set_get_value_by_name(const nemro_argument_set* set,
                                                         const char* list, const char* name,
                                                         char** value, nemro_error* error);

/* The expression engine. Unknown variables and functions are answered by the host's
 * callbacks when set: the callback gives its answer with nemro_answer_set, a variable's
 * value as the engine reads it ("12", "\"text\"", "#7", "True") or a function's status
 * ("0" accepted, "-1" unknown, "1" wrong argument count, "2" required argument empty).
 * A callback that sets nothing leaves the engine's default. */
typedef struct nemro_answer nemro_answer;
NEMRO_C_API void nemro_answer_set(nemro_answer* answer, const char* text);
typedef void (*nemro_name_callback)(void* context, const char* name, nemro_answer* answer);
/* Sample values looked up by the callback instead, which answers with nemro_answer_set
 * or leaves a variable without one; NULL leaves no sample values. */
NEMRO_C_API int32_t nemro_formula_set_set_sample_callback(nemro_formula_set* set,
                                                          nemro_name_callback callback,
                                                          void* context, nemro_error* error);
/* *value receives the sample value of name and *found 1, or "" and 0 without one. */
NEMRO_C_API int32_t nemro_formula_set_sample_value(const nemro_formula_set* set, const char* name,
                                                   char** value, int* found, nemro_error* error);
typedef struct nemro_expression nemro_expression;
NEMRO_C_API nemro_expression* nemro_expression_new(void);
NEMRO_C_API void nemro_expression_free(nemro_expression* expression);
NEMRO_C_API int32_t nemro_expression_set_variable_callback(nemro_expression* expression,
                                                           nemro_name_callback callback,
                                                           void* context, nemro_error* error);
NEMRO_C_API int32_t nemro_expression_set_function_callback(nemro_expression* expression,
                                                           nemro_name_callback callback,
                                                           void* context, nemro_error* error);
/* Checks and evaluates formula without showing any message: *text receives the result
 * text and *kind its element kind (8 string, 11 boolean, 14 number). */
NEMRO_C_API int32_t nemro_expression_evaluate(nemro_expression* expression, const char* formula,
                                              char** text, int32_t* kind, nemro_error* error);
/* The formula in normalised form; *return_type receives its value type. */
NEMRO_C_API int32_t nemro_expression_print(nemro_expression* expression, const char* formula,
                                           char** text, int32_t* return_type, nemro_error* error);

/* Prepared formulas: a formula converted once and evaluated for many rows of values. The
 * variables are numbered in the order they are first written. A prepared formula may be
 * evaluated from several threads at once (set its function callback before). */
typedef struct nemro_prepared nemro_prepared;
NEMRO_C_API int32_t nemro_prepared_new(const char* formula, nemro_prepared** prepared,
                                       nemro_error* error);
NEMRO_C_API void nemro_prepared_free(nemro_prepared* prepared);
NEMRO_C_API int32_t nemro_prepared_variable_count(const nemro_prepared* prepared);
/* The name of variable index; the string belongs to the handle. NULL out of range. */
NEMRO_C_API const char* nemro_prepared_variable(const nemro_prepared* prepared, int32_t index);
/* Calls of functions that are not built in are answered as nemro_expression's are. */
NEMRO_C_API int32_t nemro_prepared_set_function_callback(nemro_prepared* prepared,
                                                         nemro_name_callback callback,
                                                         void* context, nemro_error* error);
/* values[i] is variable i's value as a variable callback answers it ("12", "\"text\"",
 * "#7", "True"); a NULL value or one beyond count reads as "". The result as
 * nemro_expression_evaluate gives it for the same answers. */
NEMRO_C_API int32_t nemro_prepared_evaluate(const nemro_prepared* prepared,
                                            const char* const* values, int32_t count, char** text,
                                            int32_t* kind, nemro_error* error);
/* The same with numbers, each read as its 15-digit text. */
NEMRO_C_API int32_t nemro_prepared_evaluate_numbers(const nemro_prepared* prepared,
                                                    const double* values, int32_t count,
                                                    char** text, int32_t* kind, nemro_error* error);
/* The result as a double, without its text being made: the number arithmetic reads the
 * result as (a boolean 1 or 0, a text that is a number that number); a result that is no
 * number is error 13. */
NEMRO_C_API int32_t nemro_prepared_evaluate_to_number(const nemro_prepared* prepared,
                                                      const char* const* values, int32_t count,
                                                      double* result, nemro_error* error);
NEMRO_C_API int32_t nemro_prepared_evaluate_numbers_to_number(const nemro_prepared* prepared,
                                                              const double* values, int32_t count,
                                                              double* result, nemro_error* error);

/* Functions that compute beyond the built-in ones. The library of the bundled catalogue
 * (SUM, TEXT, DATE and the rest) is off in nemro_expression until turned on, and on in
 * prepared formulas. TODAY() and NOW() read the local time unless a time
 * "YYYY-MM-DD[ HH:MM[:SS]]" is set (NULL: the local time again).
 *
 * A registered function computes for the one handle it is registered with, over the
 * library's function of that name; max_args -1 for no upper bound; result_type 14
 * number, 8 string, 11 boolean or 12 any, as printing reports it. Its callback receives
 * the arguments as kinds and texts (kind 14 number, 8 string, 11 boolean; 0 for an
 * omitted one) and answers with nemro_result_set, or fails with nemro_result_fail. */
typedef struct nemro_value {
    int32_t kind;
    const char* text;
} nemro_value;
typedef struct nemro_result nemro_result;
NEMRO_C_API void nemro_result_set(nemro_result* result, int32_t kind, const char* text);
NEMRO_C_API void nemro_result_fail(nemro_result* result, int32_t number, const char* description);
typedef void (*nemro_function_callback)(void* context, const nemro_value* arguments, int32_t count,
                                        nemro_result* result);
NEMRO_C_API int32_t nemro_expression_set_library(nemro_expression* expression, int on,
                                                 nemro_error* error);
NEMRO_C_API int32_t nemro_expression_set_now(nemro_expression* expression, const char* time,
                                             nemro_error* error);
NEMRO_C_API int32_t nemro_expression_register_function(nemro_expression* expression,
                                                       const char* name, int32_t min_args,
                                                       int32_t max_args, int32_t result_type,
                                                       nemro_function_callback callback,
                                                       void* context, nemro_error* error);
/* A prepared formula that computes as expression does: its library, clock and registered
 * functions as they are now. */
NEMRO_C_API int32_t nemro_prepared_new_for(const char* formula, const nemro_expression* expression,
                                           nemro_prepared** prepared, nemro_error* error);
/* The same for the modern dialogs of a formula service: their previews and check. */
NEMRO_C_API int32_t nemro_formula_set_set_now(nemro_formula_set* set, const char* time,
                                              nemro_error* error);
NEMRO_C_API int32_t nemro_formula_set_register_function(nemro_formula_set* set, const char* name,
                                                        int32_t min_args, int32_t max_args,
                                                        int32_t result_type,
                                                        nemro_function_callback callback,
                                                        void* context, nemro_error* error);

/* The argument dialog's formula check over the catalogue at catalogue_path (NULL or ""
 * for the bundled one). Returns 0 with *passed 1 when the formula passes; with *passed 0
 * the message the user would see is in *message, *title and *icon (16 critical, 64
 * information). A failure the check cannot judge is returned as an error. */
NEMRO_C_API int32_t nemro_check_formula(const char* formula, const char* catalogue_path,
                                        int* passed, char** message, char** title, int32_t* icon,
                                        nemro_error* error);

#ifdef __cplusplus
}
#endif

#endif /* NEMRO_C_H */
