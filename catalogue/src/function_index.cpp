#include "nemro/function_index.h"

#include <functional>
#include <mutex>
#include <unordered_map>

#include "catalogue_document.h"
#include "search_index.h"

namespace nemro {

using search::Builder;
using search::folded;
using Data = FunctionIndex::Data;

void Data::rank(search::SearchQuery& query, search::Ranked& hits) const {
    search::Match m;
    search::CategoryMemo memo(categories.size());
    for (std::size_t i = 0; i < entries.size() && hits.ceiling() > 0; ++i) {
        const Entry& e = entries[i];
        const int rank = query.match(*this,
                                     {bits[i], e.name, e.title, e.keywords, categories[e.category],
                                      e.category, e.description},
                                     memo, hits.ceiling(), m);
        if (rank >= 0) hits.add(rank, {0, static_cast<std::uint32_t>(i), m});
    }
}

const char* searchFieldName(SearchField field) {
    switch (field) {
        case SearchField::Name:
            return "name";
        case SearchField::Title:
            return "title";
        case SearchField::Keywords:
            return "keywords";
        case SearchField::Category:
            return "category";
        case SearchField::Description:
            return "description";
    }
    return "";
}

FunctionIndex::FunctionIndex(std::shared_ptr<const Catalogue> catalogue)
    : catalogue_(std::move(catalogue)) {
    auto data = std::make_unique<Data>();
    Builder builder(*data);
    std::vector<const CatalogueFunction*> functions;
    std::vector<std::string_view> texts;
    for (const CatalogueFunction& f : catalogue_->functions) {
        if (!f.displayed || f.name.empty()) continue;
        functions.push_back(&f);
        texts.push_back(f.title);
        texts.push_back(f.categoryTitle);
        for (const std::string& keyword : f.keywords) texts.push_back(keyword);
    }
    builder.prepare(texts);
    std::unordered_map<std::string_view, std::size_t> categories;
    data->entries.reserve(functions.size());
    for (const CatalogueFunction* f : functions) {
        const auto [at, fresh] = categories.emplace(f->categoryTitle, data->categories.size());
        if (fresh) data->categories.push_back(builder.pinyinText(f->categoryTitle));
        Data::Entry e{f,  folded(f->name), builder.pinyinText(f->title), folded(f->description),
                      {}, at->second};
        for (const std::string& keyword : f->keywords)
            e.keywords.push_back(builder.pinyinText(keyword));
        search::EntryBits& bits = data->bits.emplace_back();
        bits.add(e.name);
        bits.add(e.title);
        bits.addDescription(e.description);
        for (const search::Text& t : e.keywords) bits.add(t);
        data->entries.push_back(std::move(e));
    }
    data_ = std::move(data);
}

FunctionIndex::~FunctionIndex() = default;

std::vector<SearchHit> FunctionIndex::search(std::string_view query, std::size_t limit) const {
    search::SearchQuery q(query);
    if (q.empty()) return {};
    search::Ranked ranked(limit);
    data_->rank(q, ranked);
    std::vector<SearchHit> hits;
    for (const search::RankedHit& hit : ranked.best()) {
        const search::Match& m = hit.match;
        hits.push_back({data_->entries[hit.entry].function, m.field, m.keyword, m.begin, m.end});
    }
    return hits;
}

std::shared_ptr<const FunctionIndex> loadFunctionIndex(std::shared_ptr<const Catalogue> catalogue) {
    constexpr std::size_t kCachedIndexes = 4;
    // Keyed by the catalogue, which stays the same object while its file is unchanged (an
    // index keeps its catalogue, so the address is not reused while it is cached). Shared
    // by every thread: an index is immutable once built, and it is built outside the lock.
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const FunctionIndex>> indexes;
    const auto cached = [&]() -> std::shared_ptr<const FunctionIndex> {
        for (const auto& index : indexes)
            if (&index->catalogue() == catalogue.get()) return index;
        return nullptr;
    };
    {
        const std::lock_guard lock(mutex);
        if (auto index = cached()) return index;
    }
    auto index = std::make_shared<const FunctionIndex>(catalogue);
    const std::lock_guard lock(mutex);
    if (auto other = cached()) return other;  // another thread built it meanwhile
    if (indexes.size() >= kCachedIndexes) indexes.erase(indexes.begin());
    indexes.push_back(index);
    return index;
}

std::shared_ptr<const FunctionIndex> loadFunctionIndex(const std::string& path) {
    return loadFunctionIndex(loadCatalogue(path, "loadFunctionIndex"));
}

}  // namespace nemro
