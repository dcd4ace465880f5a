// Search over the functions of a catalogue by name, title, keywords, category title and
// description; Chinese text also by toneless pinyin, with or without blanks, and by its
// initials ("sswr" finds 四舍五入); case and width (full-width letters and digits) never
// count. An index is built once per catalogue model and shared read-only between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/catalogue_model.h"
#include "nemro/export.h"

namespace nemro {

class CompletionIndex;

enum class SearchField { Name, Title, Keywords, Category, Description };

// "name", "title", "keywords", "category" or "description".
NEMRO_API const char* searchFieldName(SearchField field);

struct SearchHit {
    const CatalogueFunction* function = nullptr;  // in the index's catalogue
    SearchField field = SearchField::Name;
    // Which of the function's keywords matched, for SearchField::Keywords.
    std::size_t keyword = 0;
    // The matched bytes of that field's text: the function's name, title, keywords[keyword],
    // categoryTitle or description.
    std::size_t begin = 0, end = 0;
};

class NEMRO_API FunctionIndex {
  public:
    // Indexes the displayed functions that have a name.
    explicit FunctionIndex(std::shared_ptr<const Catalogue> catalogue);
    ~FunctionIndex();
    FunctionIndex(const FunctionIndex&) = delete;
    FunctionIndex& operator=(const FunctionIndex&) = delete;

    // The functions the query matches, best first: the exact name; a prefix of the name;
    // the title from its start (characters, pinyin or initials); a part of the name; a
    // part of the title or of a keyword; a part of the category title; a part of the
    // description. Ties keep catalogue order. An empty query matches nothing.
    std::vector<SearchHit> search(
        std::string_view query, std::size_t limit = std::numeric_limits<std::size_t>::max()) const;

    const Catalogue& catalogue() const { return *catalogue_; }

    struct Data;  // the folded texts and readings, private to the index

  private:
    friend class CompletionIndex;  // ranks functions and declared names together

    std::shared_ptr<const Catalogue> catalogue_;
    std::unique_ptr<const Data> data_;
};

// The index of the catalogue at path ("" means FormulaSet.xml in GetAppPath()), built once
// per file identity. Fails as loadCatalogue does, source "loadFunctionIndex".
NEMRO_API std::shared_ptr<const FunctionIndex> loadFunctionIndex(const std::string& path = "");
// The index of a catalogue model already read, built once per model.
NEMRO_API std::shared_ptr<const FunctionIndex> loadFunctionIndex(
    std::shared_ptr<const Catalogue> catalogue);

}  // namespace nemro
