#include "nemro/catalogue.h"

#include <cmath>
#include <cstdlib>
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
std::string requiredAttribute(const pugi::xml_node& node, const char* name, const char* source,
                              const std::string& message) {
    // Reading an attribute of a node that is not there, or of a comment or text node,
    // fails as the platform does for an unset object or a missing member.
    if (!node) raisePlatform(err::ObjectNotSet, source);
    if (node.type() != pugi::node_element) raisePlatform(err::NoSuchMember, source);
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) raiseCatalogue(source, message);
    return attribute.value();
}

// MaxArgNum as a 16-bit integer: a decimal number, rounded half to even.
std::int16_t toInt16(const std::string& value, const char* source) {
    const std::string_view digits = trimBlanks(value);
    const std::string copy(digits);
    char* end = nullptr;
    const double number = copy.empty() ? 0.0 : std::strtod(copy.c_str(), &end);
    const bool hexOrSpecial = copy.find_first_of("xXnN") != std::string::npos;
    if (copy.empty() || end != copy.c_str() + copy.size() || hexOrSpecial)
        raisePlatform(err::TypeMismatch, source);
    const double rounded = std::nearbyint(number);  // default rounding mode: half to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) raisePlatform(err::Overflow, source);
    return static_cast<std::int16_t>(rounded);
}

void applyScrollBarRule(const ITextMetrics& dialog, IListBox& list) {
    const long long entries = static_cast<long long>(dialog.TextHeight(list.Text())) *
                              list.ListCount();
    if (entries > list.ClientHeight()) list.EnableVerticalScrollBar(true);
}

const std::string kEmpty;

}  // namespace

void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                          const std::string& path) {
    trapped("frmFormulaSet.FillFormulaCategory()\\", [&] {
        constexpr const char* kSource = "FillFunctionCategory";
        const CatalogueQuery query(path, kSource);
        const pugi::xpath_node_set categories =
            query.select("Quorvanta/FormulaCategorys/Category[@Display='True']");
        lstCategory.Clear();
        for (const pugi::xpath_node& category : categories) {
            const std::string title = requiredAttribute(
                category.node(), "Title", kSource, "Function Category Title Must Be Specified.");
            lstCategory.AddItem(std::string(trimBlanks(title)));
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
        const CatalogueQuery query(path, kSource);
        std::string categoryName;
        for (const pugi::xpath_node& category :
             query.select("Quorvanta/FormulaCategorys/Category[@Title=$value]",
                          std::string(trimBlanks(categoryTitle)))) {
            categoryName = requiredAttribute(category.node(), "Name", kSource,
                                             "Function Category Name Must Be Specified.");
        }
        const std::string key(trimBlanks(categoryName));
        const pugi::xpath_node_set functions =
            text::upper(key) == "TOTALFUNCTION"
                ? query.select("Quorvanta/Formulas/Formula[@Display='True']")
                : query.select(
                      "Quorvanta/Formulas/Formula[@CategoryName=$value and @Display='True']", key);
        lstName.Clear();
        for (const pugi::xpath_node& function : functions) {
            const std::string name = requiredAttribute(function.node(), "Name", kSource,
                                                       "Function Name Must Be Specified.");
            lstName.AddItem(std::string(trimBlanks(name)));
            applyScrollBarRule(dialog, lstName);
        }
        if (lstName.ListCount() > 0) lstName.SetListIndex(0);
    });
}

void GetFunctionInfo(ILabel& lblValue, ILabel& lblTitleDescription,
                     const std::string& functionName, const std::string& path) {
    lblValue.SetCaption(kEmpty);
    lblTitleDescription.SetCaption(kEmpty);
    trapped("frmFormulaSet.GetFormulaInfo()\\", [&] {
        constexpr const char* kSource = "GetFunctionInfo";
        const CatalogueQuery query(path, kSource);
        const pugi::xml_node function = query.function(functionName);
        const std::string value =
            requiredAttribute(function, "Value", kSource, "Formula Value Must Be Specified.");
        lblValue.SetCaption(std::string(trimBlanks(value)));
        const std::string title =
            requiredAttribute(function, "Title", kSource, "Formula Title Must Be Specified.");
        const std::string description = requiredAttribute(
            function, "Description", kSource, "Formula Description Must Be Specified.");
        std::string caption(trimBlanks(title));
        caption += "：";
        caption += trimBlanks(description);
        lblTitleDescription.SetCaption(caption);
    });
}

std::int16_t getArgumentCount(const std::string& functionName, const std::string& path) {
    return trapped("frmFormulaSet.getArgumentCount()\\", [&] {
        constexpr const char* kSource = "getArgumentCount";
        const CatalogueQuery query(path, kSource);
        return toInt16(requiredAttribute(query.function(functionName), "MaxArgNum", kSource,
                                         "Formula MaxArgNum Must Be Specified."),
                       kSource);
    });
}

std::string getArgumentPara(const std::string& functionName, const std::string& attributeName,
                            std::int16_t argumentNumber, const std::string& path) {
    return trapped("frmFormulaSet.getArgumenPara()\\", [&] {
        constexpr const char* kSource = "getArgumentPara";
        const CatalogueQuery query(path, kSource);
        const pugi::xml_node function = query.function(functionName);
        if (!function) raisePlatform(err::ObjectNotSet, kSource);
        pugi::xml_node argument;
        if (argumentNumber >= 1) {
            argument = function.first_child();
            for (int i = 1; i < argumentNumber && argument; ++i) argument = argument.next_sibling();
        }
        const std::string attribute(trimBlanks(attributeName));
        return requiredAttribute(argument, attribute.c_str(), kSource,
                                 "Argument " + attribute + " Must Be Specified.");
    });
}

bool CheckArgNum(const std::string& functionName, const std::string& path) {
    return trapped("frmFormulaSet.CheckArgNum()\\", [&] {
        constexpr const char* kSource = "CheckArgNum";
        const CatalogueQuery query(path, kSource);
        const pugi::xml_node function = query.function(functionName);
        const std::int16_t expected =
            toInt16(requiredAttribute(function, "MaxArgNum", kSource,
                                      "Argument MaxArgNum Must Be Specified."),
                    kSource);
        long children = 0;
        for (pugi::xml_node child = function.first_child(); child; child = child.next_sibling())
            ++children;
        return children == expected;
    });
}

std::string getArgDatatypeDesc(const std::string& functionName, const std::string& argumentName,
                               const std::string& path) {
    return trapped("modCommonFunction.getArgDatatypeDesc()\\", [&] {
        constexpr const char* kSource = "getArgDatatypeDesc";
        const CatalogueQuery query(path, kSource);
        const pugi::xml_node function = query.function(functionName);
        if (!function) raisePlatform(err::ObjectNotSet, kSource);
        const pugi::xml_node argument =
            query.selectFrom(function, "Argument[@Value=$value]",
                             std::string(trimBlanks(argumentName)));
        const std::string datatype =
            requiredAttribute(argument, "Datatype", "modCommonFunction.getArgDatetypeDesc",
                              "Attribute Datatype Must be Specified.");
        const pugi::xml_node description =
            query.selectFrom(query.document(), "Quorvanta/DatatypeDesc/Datatype[@Value=$value]",
                             datatype);
        return requiredAttribute(description, "Desc", "modCommonFunction.getArgDatatypeDesc",
                                 "Attribute Desc of Datatype Must be Specified.");
    });
}

namespace {
bool findFormula(const std::string& path, const std::function<bool(const char*)>& matches) {
    return trapped("modCommonFunction.isExistFormula()\\", [&] {
        constexpr const char* kSource = "isExistFormula";
        const CatalogueQuery query(path, kSource);
        const pugi::xml_node formulas =
            query.document().child("Quorvanta").child("Formulas");
        if (!formulas) raisePlatform(err::ObjectNotSet, kSource);
        // Comments and other non-elements among the functions name nothing.
        for (const pugi::xml_node& child : formulas.children()) {
            if (child.type() != pugi::node_element) continue;
            const pugi::xml_attribute name = child.attribute("Name");
            if (name && matches(name.value())) return true;
        }
        return false;
    });
}
}  // namespace

bool isExistFormula(const std::string& functionName, const std::string& path) {
    return findFormula(path, [&](const char* name) { return functionName == name; });
}

bool isExistFormulaNoCase(const std::string& functionName, const std::string& path) {
    return findFormula(path, [&](const char* name) { return text::equalsNoCase(functionName, name); });
}

}  // namespace nemro
