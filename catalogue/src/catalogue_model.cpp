#include "nemro/catalogue_model.h"

#include <cmath>
#include <cstdlib>

#include "catalogue_document.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {

using text::trimBlanks;

const std::string* CatalogueNode::attribute(std::string_view name) const {
    for (const auto& [key, value] : attributes)
        if (key == name) return &value;
    return nullptr;
}

const CatalogueFunction* Catalogue::function(std::string_view name) const {
    const auto at = functionIndex_.find(std::string(name));
    return at == functionIndex_.end() ? nullptr : &functions[at->second];
}

const CatalogueDatatype* Catalogue::datatype(std::string_view name) const {
    for (const CatalogueDatatype& type : datatypes)
        if (type.node.is("Value", name)) return &type;
    return nullptr;
}

std::int32_t parseInt16(std::string_view text, std::int16_t& number) {
    const std::string copy(trimBlanks(text));
    char* end = nullptr;
    const double value = copy.empty() ? 0.0 : std::strtod(copy.c_str(), &end);
    const bool hexOrSpecial = copy.find_first_of("xXnN") != std::string::npos;
    if (copy.empty() || end != copy.c_str() + copy.size() || hexOrSpecial) return err::TypeMismatch;
    const double rounded = std::nearbyint(value);  // default rounding mode: half to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return err::Overflow;
    number = static_cast<std::int16_t>(rounded);
    return 0;
}

struct CatalogueReader {
    static CatalogueNode node(const pugi::xml_node& from) {
        CatalogueNode n;
        n.isElement = from.type() == pugi::node_element;
        if (!n.isElement) return n;
        n.element = from.name();
        std::size_t count = 0;
        for (pugi::xml_attribute a = from.first_attribute(); a; a = a.next_attribute()) ++count;
        n.attributes.reserve(count);
        for (const pugi::xml_attribute& a : from.attributes())
            n.attributes.emplace_back(a.name(), a.value());
        return n;
    }
    static std::string trimmed(const CatalogueNode& n, std::string_view name) {
        const std::string* value = n.attribute(name);
        return value ? std::string(trimBlanks(*value)) : std::string();
    }
    static std::string raw(const CatalogueNode& n, std::string_view name) {
        const std::string* value = n.attribute(name);
        return value ? *value : std::string();
    }

    static std::vector<std::string> keywords(std::string_view text) {
        static constexpr std::string_view kWideComma = "\xEF\xBC\x8C";  // "，"
        std::vector<std::string> words;
        std::string word;
        for (std::size_t i = 0; i < text.size();) {
            const bool wideComma = text.substr(i, kWideComma.size()) == kWideComma;
            if (text[i] == ' ' || wideComma) {
                if (!word.empty()) words.push_back(std::move(word));
                word.clear();
                i += wideComma ? kWideComma.size() : 1;
            } else {
                word += text[i++];
            }
        }
        if (!word.empty()) words.push_back(std::move(word));
        return words;
    }

    static CatalogueFunction function(const pugi::xml_node& element) {
        CatalogueFunction f;
        f.node = node(element);
        f.name = trimmed(f.node, "Name");
        f.title = trimmed(f.node, "Title");
        f.value = trimmed(f.node, "Value");
        f.description = trimmed(f.node, "Description");
        f.categoryName = raw(f.node, "CategoryName");
        f.keywords = keywords(raw(f.node, "Keywords"));
        f.example = trimmed(f.node, "Example");
        f.displayed = f.node.is("Display", "True");
        if (const std::string* count = f.node.attribute("MaxArgNum")) {
            std::int16_t n = 0;
            if (parseInt16(*count, n) == 0) f.maxArgs = n;
        }
        std::size_t count = 0;
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
            ++count;
        f.children.reserve(count);
        for (const pugi::xml_node& child : element.children()) {
            f.children.push_back(node(child));
            const CatalogueNode& c = f.children.back();
            if (!c.isElement || c.element != "Argument") continue;
            f.arguments.push_back({trimmed(c, "Value"), c.is("Required", "True"),
                                   raw(c, "Datatype"), trimmed(c, "Description"),
                                   f.children.size() - 1});
        }
        return f;
    }

    static std::shared_ptr<const Catalogue> read(const pugi::xml_document& document) {
        auto catalogue = std::make_shared<Catalogue>();
        std::size_t functions = 0;
        for (const pugi::xml_node& root : document.children("Quorvanta"))
            for (const pugi::xml_node& list : root.children("Formulas"))
                for ([[maybe_unused]] const pugi::xml_node& element : list.children("Formula"))
                    ++functions;
        catalogue->functions.reserve(functions);
        // The location paths of the queries run over every root, container and entry of
        // the right names, in document order.
        for (const pugi::xml_node& root : document.children("Quorvanta")) {
            for (const pugi::xml_node& list : root.children("FormulaCategorys"))
                for (const pugi::xml_node& element : list.children("Category")) {
                    CatalogueCategory c;
                    c.node = node(element);
                    c.title = trimmed(c.node, "Title");
                    c.name = trimmed(c.node, "Name");
                    c.displayed = c.node.is("Display", "True");
                    c.listsAll = text::upper(c.name) == "TOTALFUNCTION";
                    catalogue->categories.push_back(std::move(c));
                }
            for (const pugi::xml_node& list : root.children("Formulas"))
                for (const pugi::xml_node& element : list.children("Formula"))
                    catalogue->functions.push_back(function(element));
            for (const pugi::xml_node& list : root.children("DatatypeDesc"))
                for (const pugi::xml_node& element : list.children("Datatype")) {
                    CatalogueNode n = node(element);
                    catalogue->datatypes.push_back({raw(n, "Value"), raw(n, "Desc"), n});
                }
        }
        // The name check reads the first Formulas only, and every element in it.
        if (const pugi::xml_node formulas = document.child("Quorvanta").child("Formulas")) {
            auto& names = catalogue->checkedNames.emplace();
            for (const pugi::xml_node& child : formulas.children()) {
                if (child.type() != pugi::node_element) continue;
                if (const pugi::xml_attribute name = child.attribute("Name"))
                    names.push_back(name.value());
            }
        }
        for (std::size_t i = 0; i < catalogue->functions.size(); ++i) {
            CatalogueFunction& f = catalogue->functions[i];
            if (const std::string* name = f.node.attribute("Name"))
                catalogue->functionIndex_.emplace(*name, i);
            for (const CatalogueCategory& c : catalogue->categories) {
                if (c.displayed && !c.listsAll && c.name == f.categoryName) {
                    f.categoryTitle = c.title;
                    break;
                }
            }
        }
        return catalogue;
    }
};

std::shared_ptr<const Catalogue> readCatalogue(const pugi::xml_document& document) {
    return CatalogueReader::read(document);
}

}  // namespace nemro
