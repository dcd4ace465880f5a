// The parsed catalogue behind one query, and the location paths run on it. Values are
// bound as XPath variables, so that quotes in a name never change the path.
#pragma once

#include <memory>
#include <string>

#include <pugixml.hpp>

namespace nemro {

// Whitespace-only text is no node; comments, processing instructions and other text are.
inline constexpr unsigned kCatalogueParseOptions =
    pugi::parse_default | pugi::parse_comments | pugi::parse_pi;

// The bytes of the catalogue file at path; a missing, unreadable or non-regular file
// fails with the parser's status and reason, source `operation`.
std::string readCatalogueFile(const std::string& path, const char* operation);

class CatalogueQuery {
public:
    // Opens the catalogue at path ("" means FormulaSet.xml in GetAppPath()); a file that
    // does not parse fails with the parser's status and reason, source `operation`.
    CatalogueQuery(const std::string& path, const char* operation);

    const pugi::xml_document& document() const { return *document_; }

    pugi::xpath_node_set select(const char* xpath) const;
    // `xpath` refers to the value as $value.
    pugi::xpath_node_set select(const char* xpath, const std::string& value) const;
    // The first node in document order, or a null node.
    pugi::xml_node selectFrom(const pugi::xml_node& context, const char* xpath,
                              const std::string& value) const;
    // Quorvanta/Formulas/Formula[@Name=<name, trimmed>], or a null node.
    pugi::xml_node function(const std::string& name) const;

private:
    std::shared_ptr<const pugi::xml_document> document_;
};

}  // namespace nemro
