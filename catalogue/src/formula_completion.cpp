#include "nemro/formula_completion.h"

#include <unordered_map>

#include "formula_scan.h"
#include "nemro/text.h"
#include "search_index.h"

namespace nemro {

struct CompletionIndex::Data : search::Readings {
    struct Entry {
        search::Text name;  // matched as a function's name and, by its readings, as its title
        search::Text description;
        std::size_t group;  // into groups
    };
    std::vector<IndexedName> names;
    std::vector<Entry> entries;
    std::vector<search::EntryBits> bits;  // of each entry
    std::vector<search::Text> groups;
    std::unordered_map<std::string, std::size_t> declared;  // by upper-case name
    std::unordered_map<std::string, const CatalogueFunction*> functions;
};

namespace {

using scan::Scanner;
using scan::Token;
using scan::TokenKind;

// Names compare in any case, as the engine reads them. Chinese has no case: a name of
// ASCII and CJK characters needs no case mapping of its own.
std::string caseKey(std::string_view name) {
    bool simple = true;
    for (std::size_t i = 0; i < name.size() && simple; ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        // E3 to E9 lead the CJK blocks from U+3000 to U+9FFF, which have no case.
        if (b >= 0x80 && (b < 0xE3 || b > 0xE9)) simple = false;
        if (b >= 0xE3 && b <= 0xE9) i += 2;
    }
    if (!simple) return text::upper(name);
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

// Ill-formed UTF-8 is read as the engine reads it, each bad sequence one U+FFFD, so that
// every element starts a character.
std::string_view wellFormed(std::string_view text, std::string& repaired) {
    if (text::isValidUtf8(text)) return text;
    repaired = text::toUtf8(text::toUtf16(text));
    return repaired;
}

std::size_t characters(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += scan::startsCharacter(c);
    return n;
}

bool isEllipsis(std::string_view piece) {
    return piece == "..." || piece == "…" || piece == "……";
}

// The argument names of a signature "NAME(a,b,...)": the byte spans of its pieces.
std::vector<std::pair<std::size_t, std::size_t>> signaturePieces(std::string_view value) {
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    const std::size_t open = value.find('('), close = value.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close <= open + 1)
        return pieces;
    std::size_t start = open + 1;
    int depth = 0;
    for (std::size_t i = open + 1; i <= close; ++i) {
        const char c = value[i];
        if (c == '(') ++depth;
        if (c == ')' && i < close) --depth;
        if ((c == ',' && depth == 0) || i == close) {
            std::size_t b = start, e = i;
            while (b < e && value[b] == ' ') ++b;
            while (e > b && value[e - 1] == ' ') --e;
            pieces.emplace_back(b, e);
            start = i + 1;
        }
    }
    return pieces;
}

}  // namespace

const char* colourKindName(ColourKind kind) {
    switch (kind) {
        case ColourKind::Function:
            return "function";
        case ColourKind::DeclaredName:
            return "name";
        case ColourKind::Variable:
            return "variable";
        case ColourKind::UnknownName:
            return "unknown";
        case ColourKind::String:
            return "string";
        case ColourKind::Number:
            return "number";
        case ColourKind::Boolean:
            return "boolean";
        case ColourKind::Operator:
            return "operator";
        case ColourKind::Bracket:
            return "bracket";
        case ColourKind::Error:
            return "error";
    }
    return "";
}

std::string Completion::insertion(const CompletionCandidate& candidate) const {
    if (candidate.kind == CandidateKind::Name) return candidate.name->name;
    return bracketFollows ? candidate.function->name : candidate.function->name + "(";
}

std::string CallHint::text() const {
    std::string out = signature;
    if (markLength > 0) {
        const std::size_t begin = scan::byteOffset(signature, markStart);
        const std::size_t end = scan::byteOffset(signature, markStart + markLength);
        out = signature.substr(0, begin) + "【" + signature.substr(begin, end - begin) + "】" +
              signature.substr(end);
    }
    if (parameter) {
        out += "  " + parameter->name;
        if (!parameter->description.empty()) out += "：" + parameter->description;
    }
    return out;
}

CompletionIndex::CompletionIndex(std::shared_ptr<const FunctionIndex> functions,
                                 std::vector<IndexedName> names)
    : functions_(std::move(functions)) {
    auto data = std::make_unique<Data>();
    data->names = std::move(names);
    search::Builder builder(*data);
    std::vector<std::string_view> texts;
    for (const IndexedName& n : data->names) {
        texts.push_back(n.name);
        texts.push_back(n.group);
    }
    builder.prepare(texts);
    std::unordered_map<std::string_view, std::size_t> groups;
    data->entries.reserve(data->names.size());
    for (std::size_t i = 0; i < data->names.size(); ++i) {
        const IndexedName& n = data->names[i];
        const auto [at, fresh] = groups.emplace(n.group, data->groups.size());
        if (fresh) data->groups.push_back(builder.pinyinText(n.group));
        data->entries.push_back(
            {builder.pinyinText(n.name), search::folded(n.description), at->second});
        search::EntryBits& bits = data->bits.emplace_back();
        bits.add(data->entries.back().name);
        bits.addDescription(data->entries.back().description);
        data->declared.emplace(caseKey(n.name), i);
    }
    for (const CatalogueFunction& f : functions_->catalogue().functions)
        if (!f.name.empty()) data->functions.emplace(caseKey(f.name), &f);
    data_ = std::move(data);
}

CompletionIndex::~CompletionIndex() = default;

const std::vector<IndexedName>& CompletionIndex::names() const {
    return data_->names;
}

const CatalogueFunction* CompletionIndex::function(std::string_view name) const {
    const auto at = data_->functions.find(caseKey(name));
    return at == data_->functions.end() ? nullptr : at->second;
}

const IndexedName* CompletionIndex::declared(std::string_view name) const {
    const auto at = data_->declared.find(caseKey(name));
    return at == data_->declared.end() ? nullptr : &data_->names[at->second];
}

std::vector<CompletionCandidate> CompletionIndex::search(std::string_view query,
                                                         std::size_t limit) const {
    search::SearchQuery q(query);
    if (q.empty()) return {};
    search::Ranked ranked(limit);
    functions_->data_->rank(q, ranked);
    static const std::vector<search::Text> kNoKeywords;
    search::Match m;
    search::CategoryMemo memo(data_->groups.size());
    for (std::size_t i = 0; i < data_->entries.size() && ranked.ceiling() > 0; ++i) {
        const Data::Entry& e = data_->entries[i];
        const int rank = q.match(*data_,
                                 {data_->bits[i], e.name, e.name, kNoKeywords,
                                  data_->groups[e.group], e.group, e.description},
                                 memo, ranked.ceiling(), m);
        if (rank >= 0) ranked.add(rank, {1, static_cast<std::uint32_t>(i), m});
    }
    std::vector<CompletionCandidate> candidates;
    for (const search::RankedHit& hit : ranked.best()) {
        CompletionCandidate c;
        c.field = hit.match.field;
        if (hit.source == 0) {
            c.function = functions_->data_->entries[hit.entry].function;
        } else {
            c.kind = CandidateKind::Name;
            c.name = &data_->names[hit.entry];
            if (c.field == SearchField::Title) c.field = SearchField::Name;
        }
        candidates.push_back(c);
    }
    return candidates;
}

Completion CompletionIndex::complete(std::string_view typed, std::size_t cursor,
                                     std::size_t limit) const {
    std::string repaired;
    const std::string_view text = wellFormed(typed, repaired);
    const std::size_t at = scan::byteOffset(text, cursor);
    Completion c;
    Scanner scanner(text);
    Token t, previous;
    bool first = true;
    while (scanner.next(t) && t.begin < at) {
        if (t.end < at) {
            previous = t;
            first = false;
            continue;
        }
        // The element the cursor is in or at the end of: only a name is completed, and not
        // one that continues a number ("2x" reads as 2 and x).
        const bool afterNumber =
            !first && previous.kind == TokenKind::Number && previous.end == t.begin;
        if (t.kind != TokenKind::Name || afterNumber) break;
        c.start = t.charBegin;
        c.length = t.charEnd - t.charBegin;
        c.query = std::string(text.substr(t.begin, at - t.begin));
        Token following;
        c.bracketFollows = scanner.next(following) && following.kind == TokenKind::Open;
        c.candidates = search(c.query, limit);
        return c;
    }
    c.start = characters(text.substr(0, at));
    return c;
}

std::optional<CallHint> CompletionIndex::callHint(std::string_view typed,
                                                  std::size_t cursor) const {
    std::string repaired;
    const std::string_view text = wellFormed(typed, repaired);
    struct Frame {
        std::string_view name;  // empty for a bracket that is no call
        std::size_t open;
        std::size_t commas;
    };
    const std::size_t at = scan::byteOffset(text, cursor);
    std::vector<Frame> frames;
    Scanner scanner(text);
    Token t, previous;
    bool first = true;
    for (; scanner.next(t) && t.begin < at; previous = t, first = false) {
        if (t.kind == TokenKind::Open) {
            const bool call = !first && previous.kind == TokenKind::Name;
            frames.push_back({call ? text.substr(previous.begin, previous.end - previous.begin)
                                   : std::string_view(),
                              t.charBegin, 0});
        } else if (t.kind == TokenKind::Close && !frames.empty()) {
            frames.pop_back();
        } else if (t.kind == TokenKind::Comma && !frames.empty()) {
            ++frames.back().commas;
        }
    }
    // A bracket that groups (1+2) is passed over for the call around it.
    auto call = frames.rbegin();
    while (call != frames.rend() && call->name.empty()) ++call;
    if (call == frames.rend()) return std::nullopt;
    const CatalogueFunction* f = function(call->name);
    if (!f) return std::nullopt;

    CallHint hint;
    hint.function = f;
    hint.argument = call->commas + 1;
    hint.open = call->open;
    const std::size_t index = call->commas;
    if (index < f->arguments.size()) hint.parameter = &f->arguments[index];
    const auto pieces = signaturePieces(f->value);
    if (index < pieces.size() &&
        !isEllipsis(std::string_view(f->value).substr(
            pieces[index].first, pieces[index].second - pieces[index].first))) {
        hint.signature = f->value;
        hint.markStart = characters(std::string_view(f->value).substr(0, pieces[index].first));
        hint.markLength = characters(std::string_view(f->value).substr(
            pieces[index].first, pieces[index].second - pieces[index].first));
        return hint;
    }
    if (!hint.parameter && !f->value.empty()) {
        hint.signature = f->value;
        return hint;
    }
    // The Value names too few arguments ("SUM(数值1,数值2,...)"): the catalogue's list.
    hint.signature = f->name + "(";
    for (std::size_t i = 0; i < f->arguments.size(); ++i) {
        if (i > 0) hint.signature += ',';
        if (i == index) {
            hint.markStart = characters(hint.signature);
            hint.markLength = characters(f->arguments[i].name);
        }
        hint.signature += f->arguments[i].name;
    }
    hint.signature += ')';
    return hint;
}

Colouring CompletionIndex::colour(std::string_view typed, std::size_t cursor) const {
    std::string repaired;
    const std::string_view text = wellFormed(typed, repaired);
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    const std::size_t at = characters(text.substr(0, scan::byteOffset(text, cursor)));
    Colouring out;
    // Elements are two bytes long on average or more: no copy as the spans grow.
    out.spans.reserve(text.size() / 2 + 1);
    std::vector<std::size_t> open;  // the spans of the brackets not closed yet
    // The spans of the brackets ending and starting at the cursor, and their pairs.
    std::size_t before = kNone, after = kNone;
    std::pair<std::size_t, std::size_t> beforePair{kNone, kNone}, afterPair{kNone, kNone};
    std::string key;
    Scanner scanner(text);
    Token t, next;
    for (bool more = scanner.next(t); more; t = next) {
        // A name is a function's when a "(" follows it.
        more = scanner.next(next);
        const std::size_t span = out.spans.size();
        ColourKind kind = ColourKind::Operator;
        switch (t.kind) {
            case TokenKind::Name:
                if (more && next.kind == TokenKind::Open) {
                    kind = ColourKind::Function;
                    break;
                }
                key = caseKey(text.substr(t.begin, t.end - t.begin));
                // TRUE and FALSE in any case are the tokenizer's booleans, not names.
                if (key == "TRUE" || key == "FALSE")
                    kind = ColourKind::Boolean;
                else if (data_->names.empty())
                    kind = ColourKind::Variable;
                else
                    kind = data_->declared.contains(key) ? ColourKind::DeclaredName
                                                         : ColourKind::UnknownName;
                break;
            case TokenKind::Number:
                kind = t.faulty ? ColourKind::Error : ColourKind::Number;
                break;
            case TokenKind::String:
                kind = ColourKind::String;
                break;
            case TokenKind::Open:
            case TokenKind::Close:
                kind = ColourKind::Bracket;
                if (t.charEnd == at) before = span;
                if (t.charBegin == at) after = span;
                if (t.kind == TokenKind::Open) {
                    open.push_back(span);
                } else if (open.empty()) {
                    kind = ColourKind::Error;
                } else {
                    const std::size_t o = open.back();
                    open.pop_back();
                    if (o == before || span == before) beforePair = {o, span};
                    if (o == after || span == after) afterPair = {o, span};
                }
                break;
            case TokenKind::Operator:
            case TokenKind::Comma:
                break;
        }
        out.spans.push_back({t.charBegin, t.charEnd - t.charBegin, kind});
    }
    for (std::size_t i : open) out.spans[i].kind = ColourKind::Error;
    const auto& pair = beforePair.first != kNone ? beforePair : afterPair;
    if (pair.first != kNone)
        out.brackets.emplace(out.spans[pair.first].start, out.spans[pair.second].start);
    return out;
}

}  // namespace nemro
