// The formula catalogue FormulaSet.xml read into plain data: categories, functions with
// their arguments, and the data type descriptions. A file is read once per identity
// (device, inode, size and modification time) and shared read-only, so that any thread may
// keep it; an edited file is read again. The texts a dialog shows are trimmed of blanks;
// each entry also keeps its attributes as written, for the queries that read them raw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "nemro/export.h"

namespace nemro {

// One node of the file: an element with its attributes in file order, or a comment, text
// or processing instruction, which has none.
struct NEMRO_API CatalogueNode {
    bool isElement = false;
    std::string element;  // the element's name
    std::vector<std::pair<std::string, std::string>> attributes;

    // The first attribute of that name, as the queries read it, or nullptr.
    const std::string* attribute(std::string_view name) const;
    bool is(std::string_view name, std::string_view value) const {
        const std::string* a = attribute(name);
        return a && *a == value;
    }
};

struct CatalogueCategory {
    std::string title;       // trimmed; "" when absent
    std::string name;        // trimmed; the key the functions' CategoryName refers to
    bool displayed = false;  // Display is exactly "True"
    bool listsAll = false;   // Name is TOTALFUNCTION in any case: lists every function
    CatalogueNode node;
};

struct CatalogueArgument {
    std::string name;          // Value, trimmed
    bool required = false;     // Required is exactly "True"
    std::string datatype;      // untrimmed, the key into the data type descriptions
    std::string description;   // trimmed
    std::size_t position = 0;  // among the function's children, as written there
};

struct CatalogueFunction {
    std::string name, title, value, description;  // trimmed; "" when absent
    std::string categoryName;                     // CategoryName, untrimmed
    std::string categoryTitle;          // the title of the displayed category it belongs to, or ""
    std::vector<std::string> keywords;  // Keywords split at blanks and "，"
    std::string example;                // Example, trimmed
    // MaxArgNum as a 16-bit integer (a decimal number rounded half to even); empty when it
    // is absent or no such number.
    std::optional<std::int16_t> maxArgs;
    bool displayed = false;
    std::vector<CatalogueArgument> arguments;  // the Argument elements, in order
    // Every child node in order, Argument or not: positions and counts of the classic
    // queries are taken among these.
    std::vector<CatalogueNode> children;
    CatalogueNode node;
};

struct CatalogueDatatype {
    std::string name;         // Value, untrimmed
    std::string description;  // Desc, untrimmed
    CatalogueNode node;
};

struct NEMRO_API Catalogue {
    // In file order, across every container element of their kind.
    std::vector<CatalogueCategory> categories;
    std::vector<CatalogueFunction> functions;
    std::vector<CatalogueDatatype> datatypes;
    // The elements of the first Formulas element, which the name check reads (each one's
    // first Name; elements without one are left out). Absent when there is no Formulas.
    std::optional<std::vector<std::string>> checkedNames;

    // The first function of that Name (not trimmed here), or nullptr.
    const CatalogueFunction* function(std::string_view name) const;
    // The first data type description of that Value, or nullptr.
    const CatalogueDatatype* datatype(std::string_view name) const;

  private:
    friend struct CatalogueReader;
    std::unordered_map<std::string, std::size_t> functionIndex_;  // the first of each Name
};

// The catalogue at path ("" means FormulaSet.xml in GetAppPath()). A file that is missing
// or does not parse fails with the parser's status and reason, source "loadCatalogue".
NEMRO_API std::shared_ptr<const Catalogue> loadCatalogue(const std::string& path = "");

}  // namespace nemro
