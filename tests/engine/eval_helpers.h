// Shared by the evaluation tests: a scripted listener and a result summary.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "nemro/error.h"
#include "nemro/expression.h"

namespace nemro::testing {

struct ScriptedListener : IExpressionListener {
    std::map<std::string, std::string> variables;  // UserVariable answers
    std::map<std::string, std::string> functions;  // UserFunction answers
    std::map<std::string, std::int32_t> variableTypes;
    std::map<std::string, std::int32_t> functionTypes;
    std::vector<std::string> calls;  // "Callback:Name" in the order raised

    void UserVariable(const std::string& name, std::string& value) override {
        calls.push_back("UserVariable:" + name);
        if (auto it = variables.find(name); it != variables.end()) value = it->second;
    }
    void UserFunction(const std::string& name, CExpElmStack&, std::string& value) override {
        calls.push_back("UserFunction:" + name);
        if (auto it = functions.find(name); it != functions.end()) value = it->second;
    }
    void CheckVariable(const std::string& name, std::int32_t& type, std::int32_t&,
                       std::string&) override {
        calls.push_back("CheckVariable:" + name);
        if (auto it = variableTypes.find(name); it != variableTypes.end()) type = it->second;
    }
    void CheckUserFunction(const std::string& name, CExpElmStack&, std::int32_t& type,
                           std::int32_t&, std::string&) override {
        calls.push_back("CheckUserFunction:" + name);
        if (auto it = functionTypes.find(name); it != functionTypes.end()) type = it->second;
    }
};

struct Outcome {
    bool ok = false;
    std::int32_t kind = 0;
    std::string text;  // result text, or the error description
    std::int32_t number = 0;
    std::string source;
};

inline Outcome evaluate(const std::string& formula, IExpressionListener* listener = nullptr) {
    Outcome o;
    try {
        const ExpElement r = CGNTExpression(listener).EvaluateOrThrow(formula);
        o.ok = true;
        o.kind = r.Kind;
        o.text = r.Text;
    } catch (const NemroError& e) {
        o.number = e.number();
        o.text = e.description();
        o.source = e.source();
    }
    return o;
}

struct Printed {
    bool ok = false;
    std::string text;  // printed text, or the error description
    std::int32_t returnType = -1;
    std::int32_t number = 0;
    std::string source;
};

inline Printed print(const std::string& formula, IExpressionListener* listener = nullptr) {
    Printed p;
    try {
        CGNTExpression e(listener);
        p.text = e.PostfixToInfix(e.InfixToPostfix(formula), p.returnType);
        p.ok = true;
    } catch (const NemroError& e) {
        p.number = e.number();
        p.text = e.description();
        p.source = e.source();
    }
    return p;
}

}  // namespace nemro::testing
