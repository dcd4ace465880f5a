// Shared by the engine tests: a scripted listener, the outcome of a call and a row check.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "nemro/error.h"
#include "nemro/expression.h"

namespace nemro::testing {

struct ScriptedListener : IExpressionListener {
    std::map<std::string, std::string> variables, functions;  // the answers
    std::map<std::string, std::int32_t> variableTypes, functionTypes;
    std::vector<std::string> calls;  // "Callback:Name" in the order raised

    static void answer(const auto& map, const std::string& name, auto& out) {
        if (auto it = map.find(name); it != map.end()) out = it->second;
    }
    void UserVariable(const std::string& name, std::string& value) override {
        calls.push_back("UserVariable:" + name), answer(variables, name, value);
    }
    void UserFunction(const std::string& name, CExpElmStack&, std::string& value) override {
        calls.push_back("UserFunction:" + name), answer(functions, name, value);
    }
    void CheckVariable(const std::string& name, std::int32_t& type, std::int32_t&, std::string&) override {
        calls.push_back("CheckVariable:" + name), answer(variableTypes, name, type);
    }
    void CheckUserFunction(const std::string& name, CExpElmStack&, std::int32_t& type, std::int32_t&,
                           std::string&) override {
        calls.push_back("CheckUserFunction:" + name), answer(functionTypes, name, type);
    }
};

struct Outcome {
    bool ok = false;
    std::string text;       // the result text, or the error description
    std::int32_t kind = 0;  // the result's kind, or the printed return type
    std::int32_t number = 0;
    std::string source;
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
    }
    return o;
}

inline Outcome evaluate(const std::string& formula, IExpressionListener* listener = nullptr) {
    return outcomeOf([&] {
        const ExpElement r = CGNTExpression(listener).EvaluateOrThrow(formula);
        return std::pair(r.Text, r.Kind);
    });
}

inline Outcome print(const std::string& formula, IExpressionListener* listener = nullptr) {
    return outcomeOf([&] {
        CGNTExpression e(listener);
        std::int32_t type = -1;
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
    std::int32_t number;    // 0: success
    const char* text;       // the result text, or the error description
    std::int32_t kind = 0;  // checked when nonzero
};

inline void check(const Row& r, IExpressionListener* listener = nullptr) {
    const Outcome o = evaluate(r.formula, listener);
    EXPECT_EQ(o.ok, r.number == 0) << r.formula << ": " << o.number << " " << o.text;
    EXPECT_EQ(o.number, r.number) << r.formula;
    EXPECT_EQ(o.text, r.text) << r.formula;
    if (r.kind != 0 && o.ok) {
        EXPECT_EQ(o.kind, r.kind) << r.formula;
    }
}

inline void checkAll(std::initializer_list<Row> rows, IExpressionListener* listener = nullptr) {
    for (const Row& r : rows) check(r, listener);
}

}  // namespace nemro::testing
