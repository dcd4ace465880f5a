#include "nemro/catalogue.h"

#include <functional>

#include "catalogue_document.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

using text::trimBlanks;

[[noreturn]] void raiseCatalogue(const char* source, std::string description) {
    throw NemroError(err::Catalogue, source, std::move(description));
}

// An attribute that the catalogue requires; absent fails with the query's own message.
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

std::int16_t toInt16(const std::string& value, const char* source) {
    std::int16_t number = 0;
    if (const std::int32_t error = parseInt16(value, number)) raisePlatform(error, source);
    return number;
}

void applyScrollBarRule(const ITextMetrics& dialog, IListBox& list) {
    const long long entries =
        static_cast<long long>(dialog.TextHeight(list.Text())) * list.ListCount();
    if (entries > list.ClientHeight()) list.EnableVerticalScrollBar(true);
}

// The function of that name, trimmed, as a query selects it.
const CatalogueFunction* functionNamed(const Catalogue& catalogue, const std::string& name) {
    return catalogue.function(trimBlanks(name));
}

const CatalogueNode* nodeOf(const CatalogueFunction* function) {
    return function ? &function->node : nullptr;
}

const std::string kEmpty;

}  // namespace

void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                          const std::string& path) {
    trapped("frmFormulaSet.FillFormulaCategory()\\", [&] {
        constexpr const char* kSource = "FillFunctionCategory";
        const auto catalogue = loadCatalogue(path, kSource);
        lstCategory.Clear();
        for (const CatalogueCategory& category : catalogue->categories) {
            if (!category.displayed) continue;
            requiredAttribute(&category.node, "Title", kSource,
                              "Function Category Title Must Be Specified.");
            lstCategory.AddItem(category.title);
            applyScrollBarRule(dialog, lstCategory);
        }
        if (lstCategory.ListCount() == 0) raisePlatform(err::InvalidPropertyValue, kSource);
        lstCategory.SetListIndex(0);
    });
}

void FillFunctionName(const ITextMetrics& dialog, IListBox& lstName,
                      const std::string& categoryTitle, const std::string& path) {
    trapped("frmFormulaSet.FillFunctionName()\\", [&] {
        constexpr const char* kSource = "FillFunctionName";
        const auto catalogue = loadCatalogue(path, kSource);
        const std::string_view title = trimBlanks(categoryTitle);
        std::string categoryName;
        for (const CatalogueCategory& category : catalogue->categories) {
            if (!category.node.is("Title", title)) continue;
            categoryName = requiredAttribute(&category.node, "Name", kSource,
                                             "Function Category Name Must Be Specified.");
        }
        const std::string key(trimBlanks(categoryName));
        const bool all = text::upper(key) == "TOTALFUNCTION";
        lstName.Clear();
        for (const CatalogueFunction& function : catalogue->functions) {
            if (!function.displayed || !(all || function.node.is("CategoryName", key))) continue;
            requiredAttribute(&function.node, "Name", kSource, "Function Name Must Be Specified.");
            lstName.AddItem(function.name);
            applyScrollBarRule(dialog, lstName);
        }
        if (lstName.ListCount() > 0) lstName.SetListIndex(0);
    });
}

void GetFunctionInfo(ILabel& lblValue, ILabel& lblTitleDescription, const std::string& functionName,
                     const std::string& path) {
    lblValue.SetCaption(kEmpty);
    lblTitleDescription.SetCaption(kEmpty);
    trapped("frmFormulaSet.GetFormulaInfo()\\", [&] {
        constexpr const char* kSource = "GetFunctionInfo";
        const auto catalogue = loadCatalogue(path, kSource);
        const CatalogueFunction* function = functionNamed(*catalogue, functionName);
        requiredAttribute(nodeOf(function), "Value", kSource, "Formula Value Must Be Specified.");
        lblValue.SetCaption(function->value);
        requiredAttribute(&function->node, "Title", kSource, "Formula Title Must Be Specified.");
        requiredAttribute(&function->node, "Description", kSource,
                          "Formula Description Must Be Specified.");
        lblTitleDescription.SetCaption(function->title + "：" + function->description);
    });
}

std::int16_t getArgumentCount(const std::string& functionName, const std::string& path) {
    return trapped("frmFormulaSet.getArgumentCount()\\", [&] {
        constexpr const char* kSource = "getArgumentCount";
        const auto catalogue = loadCatalogue(path, kSource);
        return toInt16(
            requiredAttribute(nodeOf(functionNamed(*catalogue, functionName)), "MaxArgNum", kSource,
                              "Formula MaxArgNum Must Be Specified."),
            kSource);
    });
}

std::string getArgumentPara(const std::string& functionName, const std::string& attributeName,
                            std::int16_t argumentNumber, const std::string& path) {
    return trapped("frmFormulaSet.getArgumenPara()\\", [&] {
        constexpr const char* kSource = "getArgumentPara";
        const auto catalogue = loadCatalogue(path, kSource);
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

bool CheckArgNum(const std::string& functionName, const std::string& path) {
    return trapped("frmFormulaSet.CheckArgNum()\\", [&] {
        constexpr const char* kSource = "CheckArgNum";
        const auto catalogue = loadCatalogue(path, kSource);
        const CatalogueFunction* function = functionNamed(*catalogue, functionName);
        const std::int16_t expected =
            toInt16(requiredAttribute(nodeOf(function), "MaxArgNum", kSource,
                                      "Argument MaxArgNum Must Be Specified."),
                    kSource);
        return static_cast<long>(function->children.size()) == expected;
    });
}

std::string getArgDatatypeDesc(const std::string& functionName, const std::string& argumentName,
                               const std::string& path) {
    return trapped("modCommonFunction.getArgDatatypeDesc()\\", [&] {
        constexpr const char* kSource = "getArgDatatypeDesc";
        const auto catalogue = loadCatalogue(path, kSource);
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
bool findFormula(const std::string& path, const std::function<bool(const std::string&)>& matches) {
    return trapped("modCommonFunction.isExistFormula()\\", [&] {
        constexpr const char* kSource = "isExistFormula";
        const auto catalogue = loadCatalogue(path, kSource);
        if (!catalogue->checkedNames) raisePlatform(err::ObjectNotSet, kSource);
        for (const std::string& name : *catalogue->checkedNames)
            if (matches(name)) return true;
        return false;
    });
}
}  // namespace

bool isExistFormula(const std::string& functionName, const std::string& path) {
    return findFormula(path, [&](const std::string& name) { return functionName == name; });
}

bool isExistFormulaNoCase(const std::string& functionName, const std::string& path) {
    return findFormula(
        path, [&](const std::string& name) { return text::equalsNoCase(functionName, name); });
}

}  // namespace nemro
