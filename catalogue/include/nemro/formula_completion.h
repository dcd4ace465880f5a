// What a formula editor shows while the user types, without Qt: the functions and declared
// names that complete the name at the cursor, the call the cursor is in with the argument
// it is at, and the colours of the text. Positions and lengths count characters (Unicode
// code points) of the UTF-8 text, ill-formed sequences read as the engine reads them (each
// one U+FFFD); a cursor is the number of characters before it and is taken as the end of
// the text when it lies beyond.
//
// Names, numbers, literals and operators are read as the engine's tokenizer reads them: a
// name runs up to a blank or one of ( ) , + - * / & = < > ; " and may hold Chinese
// characters; a "..." literal doubles the quotes it holds.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/catalogue_model.h"
#include "nemro/export.h"
#include "nemro/function_index.h"

namespace nemro {

// A name the host declares, as the completion lists and searches it.
struct IndexedName {
    std::string name;
    std::string group;        // 工资项目, 人员信息, ...; may be empty
    std::string description;  // searched for its meaning
};

enum class CandidateKind { Function, Name };

struct CompletionCandidate {
    CandidateKind kind = CandidateKind::Function;
    const CatalogueFunction* function = nullptr;  // for a function, in the index's catalogue
    const IndexedName* name = nullptr;            // for a name, in the index
    SearchField field = SearchField::Name;        // what matched (a name's own text is Name)

    // The function's or the name's text.
    const std::string& text() const { return function ? function->name : name->name; }
    // The function's title, or the name's group.
    const std::string& label() const { return function ? function->title : name->group; }
};

struct NEMRO_API Completion {
    // The name at the cursor, which taking a candidate replaces; at the cursor with length
    // 0 when there is none.
    std::size_t start = 0, length = 0;
    std::string query;                            // the part of that name before the cursor
    std::vector<CompletionCandidate> candidates;  // best first
    bool bracketFollows = false;                  // a "(" comes after the name

    // What taking the candidate writes over [start, start + length): a function's name with
    // "(" (without it when one follows already), or the declared name.
    std::string insertion(const CompletionCandidate& candidate) const;
};

// The call the cursor is in.
struct NEMRO_API CallHint {
    const CatalogueFunction* function = nullptr;
    std::size_t argument = 1;    // 1-based, counted by the commas of the call before the cursor
    std::size_t open = 0;        // where the call's "(" is
    std::string signature;       // the function's Value, as "ROUND(数值,小数位数)"
    std::size_t markStart = 0;   // the argument's place in the signature; length 0 when it
    std::size_t markLength = 0;  // has none (more arguments than the function takes)
    const CatalogueArgument* parameter = nullptr;  // the argument at the cursor, if any

    // The signature with the argument at the cursor in 【】, then that argument's name and
    // description: "ROUND(数值,【小数位数】)  小数位数：保留的小数位数".
    std::string text() const;
};

enum class ColourKind {
    Function,      // a name followed by "("
    DeclaredName,  // a name the host declared
    Variable,      // any other name, when the host declared none
    UnknownName,   // any other name, when the host declared some
    String,        // a "..." literal, its quotes included (to the end when not closed)
    Number,
    Boolean,   // TRUE and FALSE
    Operator,  // the operators and the comma
    Bracket,
    Error,  // an unmatched bracket, a number with two points, a lone "."
};

NEMRO_API const char* colourKindName(ColourKind kind);

struct ColourSpan {
    std::size_t start = 0, length = 0;
    ColourKind kind = ColourKind::Error;
};

struct Colouring {
    std::vector<ColourSpan> spans;  // in text order; blanks have none
    // The bracket next to the cursor (the one before it first) and its partner, as
    // positions of "(" and ")"; absent when there is none or it has no partner.
    std::optional<std::pair<std::size_t, std::size_t>> brackets;
};

// Functions of a catalogue and a host's declared names, searched together. Immutable once
// built, so that any thread may use it.
class NEMRO_API CompletionIndex {
  public:
    static constexpr std::size_t kDefaultLimit = 20;

    CompletionIndex(std::shared_ptr<const FunctionIndex> functions,
                    std::vector<IndexedName> names = {});
    ~CompletionIndex();
    CompletionIndex(const CompletionIndex&) = delete;
    CompletionIndex& operator=(const CompletionIndex&) = delete;

    // The functions and names the query matches, best first, as the function index ranks
    // functions: a declared name counts as both a function's name and its title (so that
    // "jbgz" finds 基本工资 as "sswr" finds 四舍五入), its group as the category. Within a
    // rank functions come first, in catalogue order, then names in the order given.
    std::vector<CompletionCandidate> search(std::string_view query,
                                            std::size_t limit = kDefaultLimit) const;

    // The candidates for the name at the cursor. Nothing inside a literal, in a number,
    // at a name that follows a number directly, or with the cursor at a name's start.
    Completion complete(std::string_view text, std::size_t cursor,
                        std::size_t limit = kDefaultLimit) const;

    // The innermost call around the cursor, when it calls a function of the catalogue
    // (in any case). Commas and brackets in literals and nested calls do not count.
    std::optional<CallHint> callHint(std::string_view text, std::size_t cursor) const;

    // The whole text's colours, and the bracket at the cursor with its partner.
    Colouring colour(std::string_view text, std::size_t cursor) const;

    // The catalogue function of that name in any case, or nullptr.
    const CatalogueFunction* function(std::string_view name) const;
    // The declared name of that text in any case, or nullptr.
    const IndexedName* declared(std::string_view name) const;

    const FunctionIndex& functions() const { return *functions_; }
    const std::vector<IndexedName>& names() const;

    struct Data;  // the names' texts and the lookups, private to the index

  private:
    std::shared_ptr<const FunctionIndex> functions_;
    std::unique_ptr<const Data> data_;
};

}  // namespace nemro
