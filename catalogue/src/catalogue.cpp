#include "nemro/catalogue.h"

#include <functional>

#include "catalogue_document.h"
#include "nemro/catalogue_attribute.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

using text::trimBlanks;

[[noreturn]] void raiseCatalogue(const char* source, std::string description) {
    throw NemroError(err::Catalogue, source, std::move(description));
}

std::int16_t toInt16(const std::string& value, const char* source) {
    std::int16_t number = 0;
    if (const std::int32_t error = parseInt16(value, number)) raisePlatform(error, source);
    return number;
}

// The function of that name, trimmed, as a query selects it.
const CatalogueFunction* functionNamed(const Catalogue& catalogue, const std::string& name) {
    return catalogue.function(trimBlanks(name));
}

const CatalogueNode* nodeOf(const CatalogueFunction* function) {
    return function ? &function->node : nullptr;
}

}  // namespace

std::shared_ptr<const Catalogue> CatalogueRef::load(const char* operation) const {
    return snapshot_ ? snapshot_ : loadCatalogue(path_, operation);
}

const std::string& requiredAttribute(const CatalogueNode* node, std::string_view name,
                                     const char* source, const std::string& message) {
    // Reading an attribute of a node that is not there, or of a comment or text node,
    // fails as the platform does for an unset object or a missing member.
    if (!node) raisePlatform(err::ObjectNotSet, source);
    if (!node->isElement) raisePlatform(err::NoSuchMember, source);
    const std::string* attribute = node->attribute(name);
    if (!attribute) raiseCatalogue(source, message);
    return *attribute;
}

std::int16_t getArgumentCount(const std::string& functionName, const CatalogueRef& ref) {
    return trapped("frmFormulaSet.getArgumentCount()\\", [&] {
        constexpr const char* kSource = "getArgumentCount";
        const auto catalogue = ref.load(kSource);
        return toInt16(
            requiredAttribute(nodeOf(functionNamed(*catalogue, functionName)), "MaxArgNum", kSource,
                              "Formula MaxArgNum Must Be Specified."),
            kSource);
    });
}

std::string getArgumentPara(const std::string& functionName, const std::string& attributeName,
                            std::int16_t argumentNumber, const CatalogueRef& ref) {
    return trapped("frmFormulaSet.getArgumenPara()\\", [&] {
        constexpr const char* kSource = "getArgumentPara";
        const auto catalogue = ref.load(kSource);
        const CatalogueFunction* function = functionNamed(*catalogue, functionName);
        if (!function) raisePlatform(err::ObjectNotSet, kSource);
        const CatalogueNode* argument = nullptr;
        if (argumentNumber >= 1 &&
            static_cast<std::size_t>(argumentNumber) <= function->children.size())
            argument = &function->children[static_cast<std::size_t>(argumentNumber) - 1];
        const std::string attribute(trimBlanks(attributeName));
        // The parser looks the name up as a C string: a NUL ends it.
        return requiredAttribute(argument, attribute.c_str(), kSource,
                                 "Argument " + attribute + " Must Be Specified.");
    });
}

bool CheckArgNum(const std::string& functionName, const CatalogueRef& ref) {
    return trapped("frmFormulaSet.CheckArgNum()\\", [&] {
        constexpr const char* kSource = "CheckArgNum";
        const auto catalogue = ref.load(kSource);
        const CatalogueFunction* function = functionNamed(*catalogue, functionName);
        const std::int16_t expected =
            toInt16(requiredAttribute(nodeOf(function), "MaxArgNum", kSource,
                                      "Argument MaxArgNum Must Be Specified."),
                    kSource);
        return static_cast<long>(function->children.size()) == expected;
    });
}

std::string getArgDatatypeDesc(const std::string& functionName, const std::string& argumentName,
                               const CatalogueRef& ref) {
    return trapped("modCommonFunction.getArgDatatypeDesc()\\", [&] {
        constexpr const char* kSource = "getArgDatatypeDesc";
        const auto catalogue = ref.load(kSource);
        const CatalogueFunction* function = functionNamed(*catalogue, functionName);
        if (!function) raisePlatform(err::ObjectNotSet, kSource);
        const std::string_view name = trimBlanks(argumentName);
        const CatalogueNode* argument = nullptr;
        for (const CatalogueArgument& candidate : function->arguments) {
            const CatalogueNode& node = function->children[candidate.position];
            if (node.is("Value", name)) {
                argument = &node;
                break;
            }
        }
        const std::string& datatype =
            requiredAttribute(argument, "Datatype", "modCommonFunction.getArgDatetypeDesc",
                              "Attribute Datatype Must be Specified.");
        const CatalogueDatatype* description = catalogue->datatype(datatype);
        return requiredAttribute(description ? &description->node : nullptr, "Desc",
                                 "modCommonFunction.getArgDatatypeDesc",
                                 "Attribute Desc of Datatype Must be Specified.");
    });
}

namespace {
bool findFormula(const CatalogueRef& ref, const std::function<bool(const std::string&)>& matches) {
    return trapped("modCommonFunction.isExistFormula()\\", [&] {
        constexpr const char* kSource = "isExistFormula";
        const auto catalogue = ref.load(kSource);
        if (!catalogue->checkedNames) raisePlatform(err::ObjectNotSet, kSource);
        for (const std::string& name : *catalogue->checkedNames)
            if (matches(name)) return true;
        return false;
    });
}
}  // namespace

bool isExistFormula(const std::string& functionName, const CatalogueRef& ref) {
    return findFormula(ref, [&](const std::string& name) { return functionName == name; });
}

bool isExistFormulaNoCase(const std::string& functionName, const CatalogueRef& ref) {
    return findFormula(
        ref, [&](const std::string& name) { return text::equalsNoCase(functionName, name); });
}

}  // namespace nemro
