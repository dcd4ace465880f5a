#include "nemro/classic_lists.h"

#include "nemro/catalogue_attribute.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

using text::trimBlanks;

// A list that holds more entries than it shows gets its vertical bar.
void applyScrollBarRule(const ITextMetrics& dialog, IListBox& list) {
    const long long entries =
        static_cast<long long>(dialog.TextHeight(list.Text())) * list.ListCount();
    if (entries > list.ClientHeight()) list.EnableVerticalScrollBar(true);
}

const std::string kEmpty;
}  // namespace

void FillFunctionCategory(const ITextMetrics& dialog, IListBox& lstCategory,
                          const CatalogueRef& ref) {
    trapped("frmFormulaSet.FillFormulaCategory()\\", [&] {
        constexpr const char* kSource = "FillFunctionCategory";
        const auto catalogue = ref.load(kSource);
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
                      const std::string& categoryTitle, const CatalogueRef& ref) {
    trapped("frmFormulaSet.FillFunctionName()\\", [&] {
        constexpr const char* kSource = "FillFunctionName";
        const auto catalogue = ref.load(kSource);
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
                     const CatalogueRef& ref) {
    lblValue.SetCaption(kEmpty);
    lblTitleDescription.SetCaption(kEmpty);
    trapped("frmFormulaSet.GetFormulaInfo()\\", [&] {
        constexpr const char* kSource = "GetFunctionInfo";
        const auto catalogue = ref.load(kSource);
        const CatalogueFunction* function = catalogue->function(trimBlanks(functionName));
        requiredAttribute(function ? &function->node : nullptr, "Value", kSource,
                          "Formula Value Must Be Specified.");
        lblValue.SetCaption(function->value);
        requiredAttribute(&function->node, "Title", kSource, "Formula Title Must Be Specified.");
        requiredAttribute(&function->node, "Description", kSource,
                          "Formula Description Must Be Specified.");
        lblTitleDescription.SetCaption(function->title + "：" + function->description);
    });
}

}  // namespace nemro
