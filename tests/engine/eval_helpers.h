// Shared by the engine tests: a scripted listener, the outcome of a call and a row check.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/functions.h"

namespace nemro::testing {

struct ScriptedListener : IExpressionListener {
    std::map<std::string, std::string> variables, functions;  // the answers
    std::map<std::string, std::int32_t> variableTypes, functionTypes;
    std::vector<std::string> calls;  // "Callback:Name" in the order raised

    explicit ScriptedListener(decltype(variables) v = {}, decltype(functions) f = {})
        : variables(v), functions(f) {}

    void answer(const char* callback, const auto& map, const std::string& name, auto& out) {
        calls.push_back(callback + name);
        if (map.contains(name)) out = map.at(name);
    }
    void UserVariable(const std::string& n, std::string& v) override {
        answer("UserVariable:", variables, n, v);
    }
    void UserFunction(const std::string& n, CExpElmStack&, std::string& v) override {
        answer("UserFunction:", functions, n, v);
    }
    void CheckVariable(const std::string& n, std::int32_t& t, std::int32_t&,
                       std::string&) override {
        answer("CheckVariable:", variableTypes, n, t);
    }
    void CheckUserFunction(const std::string& n, CExpElmStack&, std::int32_t& t, std::int32_t&,
                           std::string&) override {
        answer("CheckUserFunction:", functionTypes, n, t);
    }
};

struct Outcome {
    bool ok = false;
    std::string text;       // the result text, or the error description
    std::int32_t kind = 0;  // the result's kind, or the printed return type
    std::int32_t number = 0;
    std::string source;
    std::string place;  // an error's position and length, "5 1"; compared on its own
    bool operator==(const Outcome& o) const {
        return std::tie(ok, text, kind, number, source) ==
               std::tie(o.ok, o.text, o.kind, o.number, o.source);
    }
    friend std::ostream& operator<<(std::ostream& out, const Outcome& o) {
        return out << o.ok << " " << o.kind << " " << o.number << " [" << o.text << "] ["
                   << o.source << "]";
    }
};

// Runs f, which answers a text and a kind, and catches the error it raises.
template <class F>
Outcome outcomeOf(F f) {
    Outcome o;
    try {
        std::tie(o.text, o.kind) = f();
        o.ok = true;
    } catch (const NemroError& e) {
        o.text = e.description(), o.number = e.number(), o.source = e.source();
        o.place = std::to_string(e.position()) + " " + std::to_string(e.length());
    }
    return o;
}

inline Outcome evaluate(const std::string& formula, IExpressionListener* listener = nullptr,
                        const FunctionSettings* functions = nullptr) {
    CGNTExpression e(listener);
    if (functions) e.setFunctions(*functions);
    return outcomeOf([&] {
        const ExpElement r = e.EvaluateOrThrow(formula);
        return std::pair(r.Text, r.Kind);
    });
}

inline Outcome print(const std::string& formula, IExpressionListener* listener = nullptr,
                     const FunctionSettings* functions = nullptr) {
    CGNTExpression e(listener);
    if (functions) e.setFunctions(*functions);
    std::int32_t type = -1;
    return outcomeOf([&] {
        std::string text = e.PostfixToInfix(e.InfixToPostfix(formula), type);
        return std::pair(text, type);
    });
}

// A postfix form written first to last.
inline CExpElmStack stackOf(const std::vector<ExpElement>& postfix) {
    CExpElmStack s;
    for (auto it = postfix.rbegin(); it != postfix.rend(); ++it) s.Push(*it);
    return s;
}

struct Row {
    const char* formula;
    std::int32_t number;           // 0: success
    const char* text;              // the result text, or the error description
    std::int32_t kind = 0;         // checked when nonzero
    const char* source = nullptr;  // checked when given
};

inline void check(const Row& r, IExpressionListener* listener = nullptr, bool printing = false,
                  const FunctionSettings* functions = nullptr) {
    const Outcome o =
        printing ? print(r.formula, listener, functions) : evaluate(r.formula, listener, functions);
    EXPECT_EQ(o, (Outcome{r.number == 0, r.text, r.kind ? r.kind : o.kind, r.number,
                          r.source ? r.source : o.source}))
        << r.formula;
}

inline void checkAll(std::initializer_list<Row> rows, IExpressionListener* listener = nullptr,
                     bool printing = false, const FunctionSettings* functions = nullptr) {
    for (const Row& r : rows) check(r, listener, printing, functions);
}

// The listener callbacks that evaluating or printing each formula raises, in order.
struct Calls {
    const char* formula;
    std::vector<std::string> calls;
};

inline void checkCalls(std::initializer_list<Calls> cases, bool printing = false) {
    for (const auto& c : cases) {
        ScriptedListener l({{"bad", "oops"}}, {{"ABS", "0"}});
        printing ? print(c.formula, &l) : evaluate(c.formula, &l);
        EXPECT_EQ(l.calls, c.calls) << c.formula;
    }
}

}  // namespace nemro::testing
