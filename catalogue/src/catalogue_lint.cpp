#include "nemro/catalogue_lint.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "catalogue_document.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/text.h"

namespace nemro {
namespace {

using text::trimBlanks;

// The data type names that the argument checks know.
constexpr const char* kKnownDatatypes[] = {"Boolean", "Integer", "Long",   "Single",
                                           "Date",    "Object",  "String", "Range"};

bool knownDatatype(std::string_view name) {
    return std::find(std::begin(kKnownDatatypes), std::end(kKnownDatatypes), name) !=
           std::end(kKnownDatatypes);
}

std::string knownDatatypeList() {
    std::string list;
    for (const char* name : kKnownDatatypes) {
        if (!list.empty()) list += ", ";
        list += name;
    }
    return list;
}

std::string quoted(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

bool hasQuote(std::string_view s) {
    return s.find_first_of("'\"") != std::string_view::npos;
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// What formula text can call: the tokenizer ends a name at operators, blanks and
// brackets, and the formula check admits only ASCII letters, digits, "_" and "." in it.
bool callableName(std::string_view name) {
    if (name.empty() || !(isAsciiLetter(name[0]) || name[0] == '_')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '.';
    });
}

// The tokenizer reads these words as booleans, so "TRUE(" is never a call.
bool booleanWord(std::string_view name) {
    const std::string upperName = text::upper(name);
    return upperName == "TRUE" || upperName == "FALSE";
}

// MaxArgNum as the dialogs need it: plain decimal digits within a 16-bit integer.
bool parseArgumentCount(std::string_view text, long& count) {
    if (text.empty() || text.size() > 5) return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    count = std::stol(std::string(text));
    return count <= 32767;
}

class Linter {
  public:
    Linter(const std::string& buffer, const ExampleEvaluator& evaluate)
        : buffer_(buffer), evaluate_(evaluate) {
        for (std::size_t i = 0; i < buffer.size(); ++i)
            if (buffer[i] == '\n') newlines_.push_back(static_cast<std::ptrdiff_t>(i));
    }

    std::vector<LintProblem> run(const pugi::xml_document& document);

  private:
    std::size_t lineOf(const pugi::xml_node& node) const {
        std::ptrdiff_t offset = node.offset_debug();
        if (offset < 0) return 0;
        // Text starts right after the previous markup; its line is that of its first letter.
        if (node.type() == pugi::node_pcdata) {
            const std::size_t first =
                buffer_.find_first_not_of(" \t\r\n", static_cast<std::size_t>(offset));
            if (first != std::string::npos) offset = static_cast<std::ptrdiff_t>(first);
        }
        return static_cast<std::size_t>(
                   std::lower_bound(newlines_.begin(), newlines_.end(), offset) -
                   newlines_.begin()) +
               1;
    }
    void report(const pugi::xml_node& node, std::string message) {
        problems_.push_back({lineOf(node), std::move(message)});
    }
    // The attribute's value, or a report that it is missing.
    bool require(const pugi::xml_node& node, const char* attribute, const std::string& what,
                 std::string& value) {
        const pugi::xml_attribute a = node.attribute(attribute);
        if (!a) {
            report(node, what + ": " + attribute + " is missing");
            return false;
        }
        value = a.value();
        return true;
    }
    void checkDisplay(const pugi::xml_node& node, const std::string& what) {
        const pugi::xml_attribute display = node.attribute("Display");
        if (!display) return;
        const std::string_view value = display.value();
        if (value != "True" && value != "False")
            report(node, what + ": Display is " + quoted(value) +
                             ", which hides it; only \"True\" shows it");
    }
    // Reports blanks around a value that the queries match against trimmed text.
    bool checkBlanks(const pugi::xml_node& node, const std::string& what, const char* attribute,
                     std::string_view value) {
        if (trimBlanks(value).size() == value.size()) return true;
        report(node, what + ": " + attribute + " " + quoted(value) +
                         " has blanks around it and cannot be found");
        return false;
    }
    void checkQuotes(const pugi::xml_node& node, const std::string& what, const char* attribute,
                     std::string_view value) {
        if (hasQuote(value)) report(node, what + ": " + attribute + " holds a quote mark");
    }

    void checkCategories(const pugi::xml_node& container);
    void checkFormulas(const pugi::xml_node& container);
    void checkFormula(const pugi::xml_node& formula);
    void checkExample(const pugi::xml_node& formula, const std::string& what,
                      const std::string& name, std::string_view example);
    void checkKeywords(const pugi::xml_node& formula, const std::string& what);
    void checkArgument(const pugi::xml_node& argument, const std::string& functionWhat, int number,
                       std::map<std::string, int>& names);
    void checkDatatypes(const pugi::xml_node& container);

    const std::string& buffer_;
    const ExampleEvaluator& evaluate_;
    std::vector<std::ptrdiff_t> newlines_;
    std::vector<LintProblem> problems_;
    std::set<std::string> describedTypes_;
    std::set<std::string> categoryNames_;  // trimmed, as the queries key them
    std::size_t displayedCategoryCount_ = 0;
    std::vector<std::pair<std::string, pugi::xml_node>> displayedCategories_;  // named ones
    std::set<std::string> displayedFunctionCategories_;  // CategoryName of displayed functions
};

std::vector<LintProblem> Linter::run(const pugi::xml_document& document) {
    const pugi::xml_node root = document.document_element();
    if (!root) {
        problems_.push_back({1, "the file has no root element"});
        return problems_;
    }
    if (std::string_view(root.name()) != "Quorvanta") {
        report(root, "root element is " + quoted(root.name()) + ", not \"Quorvanta\"");
        return problems_;
    }
    const pugi::xml_node categories = root.child("FormulaCategorys");
    const pugi::xml_node formulas = root.child("Formulas");
    const pugi::xml_node datatypes = root.child("DatatypeDesc");
    if (!categories) report(root, "Quorvanta: FormulaCategorys is missing");
    if (!formulas) report(root, "Quorvanta: Formulas is missing");
    if (!datatypes) report(root, "Quorvanta: DatatypeDesc is missing");
    if (formulas && formulas.next_sibling("Formulas"))
        report(formulas.next_sibling("Formulas"),
               "Quorvanta: a second Formulas element, which the name check never reads");

    // The data type descriptions and category names come first: functions refer to them.
    for (pugi::xml_node c = datatypes; c; c = c.next_sibling("DatatypeDesc")) checkDatatypes(c);
    for (pugi::xml_node c = categories; c; c = c.next_sibling("FormulaCategorys"))
        checkCategories(c);
    for (pugi::xml_node c = formulas; c; c = c.next_sibling("Formulas")) checkFormulas(c);

    if (categories) {
        bool total = false;
        for (const auto& [name, node] : displayedCategories_) {
            if (text::upper(trimBlanks(name)) == "TOTALFUNCTION") {
                total = true;
            } else if (!displayedFunctionCategories_.contains(std::string(trimBlanks(name)))) {
                report(node, "Category " + quoted(node.attribute("Title").value()) +
                                 ": no displayed function has CategoryName " + quoted(name));
            }
        }
        if (displayedCategoryCount_ == 0)
            report(categories,
                   "FormulaCategorys: no displayed category, so the chooser cannot open");
        else if (!total)
            report(categories, "FormulaCategorys: no displayed category has Name TOTALFUNCTION");
    }
    std::stable_sort(problems_.begin(), problems_.end(),
                     [](const LintProblem& a, const LintProblem& b) { return a.line < b.line; });
    return problems_;
}

void Linter::checkDatatypes(const pugi::xml_node& container) {
    for (const pugi::xml_node& child : container.children()) {
        if (child.type() != pugi::node_element) continue;
        if (std::string_view(child.name()) != "Datatype") {
            report(child, "DatatypeDesc: element " + quoted(child.name()) + " is not a Datatype");
            continue;
        }
        std::string value, desc;
        const bool hasValue = require(child, "Value", "Datatype", value);
        if (hasValue) describedTypes_.insert(value);
        require(child, "Desc", hasValue ? "Datatype " + quoted(value) : "Datatype", desc);
    }
}

void Linter::checkCategories(const pugi::xml_node& container) {
    std::map<std::string, std::size_t> titles;
    for (const pugi::xml_node& child : container.children()) {
        if (child.type() != pugi::node_element) continue;
        if (std::string_view(child.name()) != "Category") {
            report(child,
                   "FormulaCategorys: element " + quoted(child.name()) + " is not a Category");
            continue;
        }
        std::string title, name;
        const bool hasTitle = require(child, "Title", "Category", title);
        const std::string what = hasTitle ? "Category " + quoted(title) : "Category";
        const bool hasName = require(child, "Name", what, name);
        checkDisplay(child, what);
        if (hasTitle) {
            checkBlanks(child, what, "Title", title);
            checkQuotes(child, what, "Title", title);
            const auto [at, fresh] = titles.emplace(title, lineOf(child));
            if (!fresh)
                report(child, what + ": title used before on line " + std::to_string(at->second) +
                                  "; the function list takes the last one's Name");
        }
        if (hasName) {
            checkQuotes(child, what, "Name", name);
            categoryNames_.insert(std::string(trimBlanks(name)));
        }
        if (std::string_view(child.attribute("Display").value()) != "True") continue;
        ++displayedCategoryCount_;
        if (hasName) displayedCategories_.emplace_back(name, child);
    }
}

void Linter::checkFormulas(const pugi::xml_node& container) {
    std::map<std::string, std::size_t> names;
    for (const pugi::xml_node& child : container.children()) {
        switch (child.type()) {
            case pugi::node_element:
                break;
            case pugi::node_comment:
                report(child, "Formulas: a comment among the functions (the name check skips it)");
                continue;
            default:
                report(child, "Formulas: text among the functions (the name check skips it)");
                continue;
        }
        if (std::string_view(child.name()) != "Formula") {
            // The name check reads the Name of every element here, Formula or not.
            report(child, "Formulas: element " + quoted(child.name()) + " is not a Formula");
            continue;
        }
        checkFormula(child);
        const pugi::xml_attribute name = child.attribute("Name");
        if (!name) continue;
        const auto [at, fresh] = names.emplace(name.value(), lineOf(child));
        if (!fresh)
            report(child, "Formula " + quoted(name.value()) + ": name used before on line " +
                              std::to_string(at->second) + "; queries find only the first");
    }
}

// "FORMULA 的结果为 VALUE": the evaluator's result for FORMULA is VALUE ("TRUE" and
// "FALSE" in any case).
void Linter::checkExample(const pugi::xml_node& formula, const std::string& what,
                          const std::string& name, std::string_view example) {
    static constexpr std::string_view kGives = " 的结果为 ";
    const std::size_t at = example.find(kGives);
    const std::string call(trimBlanks(example.substr(0, at)));
    const std::string expected(
        at == std::string_view::npos ? "" : trimBlanks(example.substr(at + kGives.size())));
    try {
        const std::optional<std::string> got = evaluate_(name, call);
        if (!got) return;
        if (at == std::string_view::npos) {
            report(formula, what + ": Example does not read \"FORMULA 的结果为 VALUE\"");
            return;
        }
        // A text may be written as the formula literal that gives it.
        std::string literal;
        if (expected.size() >= 2 && expected.front() == '"' && expected.back() == '"')
            for (std::size_t i = 1; i + 1 < expected.size(); ++i)
                if (expected[i] != '"' || expected[++i] == '"') literal += expected[i];
        const bool boolean = *got == "True" || *got == "False";
        if (*got != expected && *got != literal && !(boolean && text::equalsNoCase(*got, expected)))
            report(formula, what + ": Example says " + call + " gives " + quoted(expected) +
                                ", the engine gives " + quoted(*got));
    } catch (const NemroError& e) {
        report(formula, what + ": Example " + call + " fails: " + e.description());
    }
}

void Linter::checkFormula(const pugi::xml_node& formula) {
    std::string name, value, title, description, maxArgNum;
    const bool hasName = require(formula, "Name", "Formula", name);
    const std::string what = hasName ? "Formula " + quoted(name) : "Formula";
    require(formula, "Value", what, value);
    if (require(formula, "Title", what, title)) checkQuotes(formula, what, "Title", title);
    require(formula, "Description", what, description);
    const bool hasCount = require(formula, "MaxArgNum", what, maxArgNum);
    checkDisplay(formula, what);
    if (hasName) {
        checkQuotes(formula, what, "Name", name);
        if (checkBlanks(formula, what, "Name", name)) {
            if (booleanWord(name))
                report(formula, what + ": formula text reads this name as a boolean");
            else if (!callableName(name))
                report(formula, what +
                                    ": formula text cannot call this name (a letter or "
                                    "\"_\" first, then letters, digits, \"_\" or \".\")");
        }
    }
    checkKeywords(formula, what);
    if (const pugi::xml_attribute example = formula.attribute("Example");
        example && trimBlanks(example.value()).empty())
        report(formula, what + ": Example is empty");
    else if (example && hasName && evaluate_)
        checkExample(formula, what, name, example.value());
    if (const pugi::xml_attribute category = formula.attribute("CategoryName")) {
        const std::string_view categoryName = category.value();
        if (checkBlanks(formula, what, "CategoryName", categoryName) &&
            !categoryNames_.contains(std::string(categoryName)))
            report(formula, what + ": CategoryName " + quoted(categoryName) + " names no category");
        if (std::string_view(formula.attribute("Display").value()) == "True")
            displayedFunctionCategories_.insert(std::string(categoryName));
    }

    int children = 0;
    std::map<std::string, int> argumentNames;
    for (const pugi::xml_node& child : formula.children()) {
        ++children;
        switch (child.type()) {
            case pugi::node_element:
                if (std::string_view(child.name()) == "Argument")
                    checkArgument(child, what, children, argumentNames);
                else
                    report(child,
                           what + ": element " + quoted(child.name()) + " is not an Argument");
                break;
            case pugi::node_comment:
                report(child, what + ": a comment among its arguments counts as an argument");
                break;
            default:
                report(child, what + ": text among its arguments counts as an argument");
                break;
        }
    }
    if (!hasCount) return;
    long count = 0;
    if (!parseArgumentCount(maxArgNum, count))
        report(formula, what + ": MaxArgNum " + quoted(maxArgNum) +
                            " is not a whole number from 0 to 32767");
    else if (count != children)
        report(formula, what + ": MaxArgNum is " + std::to_string(count) + " but it has " +
                            std::to_string(children) + " child nodes");
}

// Keywords are words separated by blanks or "，"; another comma would join two words.
void Linter::checkKeywords(const pugi::xml_node& formula, const std::string& what) {
    const pugi::xml_attribute keywords = formula.attribute("Keywords");
    if (!keywords) return;
    std::string words = keywords.value();
    for (std::size_t at; (at = words.find("，")) != std::string::npos;) words.replace(at, 3, " ");
    const bool word = !trimBlanks(words).empty();
    const std::string_view value = keywords.value();
    if (!word)
        report(formula, what + ": Keywords holds no word");
    else if (value.find(',') != value.npos || value.find("、") != value.npos)
        report(formula, what + ": Keywords " + quoted(value) +
                            " holds \",\" or \"、\"; words are separated by blanks or \"，\"");
}

void Linter::checkArgument(const pugi::xml_node& argument, const std::string& functionWhat,
                           int number, std::map<std::string, int>& names) {
    std::string value, required, datatype, description;
    std::string what = functionWhat + " argument " + std::to_string(number);
    if (require(argument, "Value", what, value)) {
        what += " (" + quoted(value) + ")";
        checkQuotes(argument, what, "Value", value);
        if (checkBlanks(argument, what, "Value", value)) {
            const auto [at, fresh] = names.emplace(value, number);
            if (!fresh)
                report(argument,
                       what + ": name used before by argument " + std::to_string(at->second));
        }
    }
    if (require(argument, "Required", what, required) && required != "True" && required != "False")
        report(argument,
               what + ": Required is " + quoted(required) + ", not \"True\" or \"False\"");
    if (require(argument, "Datatype", what, datatype)) {
        if (!knownDatatype(datatype))
            report(argument, what + ": Datatype " + quoted(datatype) + " is not one of " +
                                 knownDatatypeList());
        else if (!describedTypes_.contains(datatype))
            report(argument,
                   what + ": Datatype " + quoted(datatype) + " has no DatatypeDesc entry");
    }
    require(argument, "Description", what, description);
}

}  // namespace

std::vector<LintProblem> lintCatalogue(const std::string& path, const ExampleEvaluator& evaluate) {
    const std::string buffer =
        readCatalogueFile(path.empty() ? GetAppPath() + "FormulaSet.xml" : path, "lintCatalogue");
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(buffer.data(), buffer.size(), kCatalogueParseOptions);
    if (!result)
        throw NemroError(static_cast<std::int32_t>(result.status), "lintCatalogue",
                         result.description());
    return Linter(buffer, evaluate).run(document);
}

}  // namespace nemro
