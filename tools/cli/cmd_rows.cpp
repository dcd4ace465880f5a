// eval --rows: one prepared formula over every row of a CSV table, streamed.
#include <csv.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <istream>
#include <ostream>

#include "formula_options.h"
#include "nemro/prepared.h"
#include "nemro/text.h"

namespace nemro::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The offset of the first byte that starts no well-formed UTF-8 sequence.
std::size_t firstInvalidByte(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size() || !text::isValidUtf8(s.substr(i, n))) return i;
        i += n;
    }
    return i;
}

// A field as CSV writes it: quoted when it holds a separator, a quote or a line break.
void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// Where each variable's value comes from: a column, or a constant of --var.
struct Source {
    std::int32_t column = -1;
    VariableValue constant;
};

class RowRunner {
  public:
    RowRunner(const CPreparedExpression& formula, const CliListener& listener, bool json, Io& io)
        : formula_(formula), listener_(listener), json_(json), io_(io) {}

    // false when a column is named twice, a name is not UTF-8, or a variable has neither
    // a column nor a constant; the message is written.
    bool header() {
        headerFields_.assign(fields_.begin(),
                             fields_.begin() + static_cast<std::ptrdiff_t>(count_));
        if (!wellNamed()) return false;
        for (const std::string& name : formula_.Variables()) {
            Source s;
            const std::string upper = text::upper(name);
            for (std::size_t i = 0; i < headerFields_.size() && s.column < 0; ++i)
                if (text::upper(headerFields_[i]) == upper) s.column = static_cast<std::int32_t>(i);
            if (s.column < 0) {
                const auto it = listener_.variables.find(upper);
                if (it == listener_.variables.end()) {
                    io_.err << "nemro-formula eval: the variable “" << name
                            << "” is neither a column of the table nor given with --var\n";
                    return false;
                }
                s.constant = {ekEmpty, it->second};
            }
            sources_.push_back(std::move(s));
        }
        values_.resize(sources_.size());
        count_ = 0;
        if (!json_) {
            for (const std::string& f : headerFields_) appendField(out_, f), out_ += ',';
            out_ += "result\n";
        }
        return true;
    }

    void row() {
        ++rows_;
        std::string failure;
        ExpElement result;
        bool ok = false;
        if (count_ != headerFields_.size()) {
            failure = std::to_string(count_) + " fields, the header has " +
                      std::to_string(headerFields_.size());
        } else {
            for (std::size_t i = 0; i < sources_.size(); ++i) {
                const Source& s = sources_[i];
                if (s.column < 0) {
                    values_[i] = s.constant;
                    continue;
                }
                // A field that reads as a number is one; any other is a string as it stands.
                const std::string& field = fields_[static_cast<std::size_t>(s.column)];
                values_[i].Kind = CGNTExpression::IsDecimal(field) ? ekNumber : ekString;
                values_[i].Text = field;
            }
            try {
                result = formula_.Evaluate(values_, const_cast<CliListener*>(&listener_));
                ok = true;
            } catch (const NemroError& e) {
                error_ = e;
                failure = "error " + std::to_string(e.number()) + ": " + e.description();
            }
        }
        if (!ok) failed_ = true;
        write(ok, result, failure);
        count_ = 0;
        if (out_.size() > (1u << 16)) flush();
        if ((rows_ & 4095) == 0) progress();
    }

    void field(std::string_view text) {
        if (count_ == fields_.size()) fields_.emplace_back();
        fields_[count_++].assign(text);
    }
    std::size_t pendingFields() const { return count_; }
    bool failed() const { return failed_; }
    std::uint64_t rows() const { return rows_; }

    void flush() {
        io_.out.write(out_.data(), static_cast<std::streamsize>(out_.size()));
        out_.clear();
    }
    void finish() {
        flush();
        io_.out.flush();
        if (shown_) io_.err << "\rrows: " << rows_ << '\n';
    }

  private:
    // Column names are UTF-8, each once (in any case, as variables find them).
    bool wellNamed() {
        std::vector<std::string> seen;
        for (std::size_t i = 0; i < headerFields_.size(); ++i) {
            const std::string& name = headerFields_[i];
            if (!text::isValidUtf8(name)) {
                const std::size_t at = firstInvalidByte(name);
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(name[at]));
                io_.err << "nemro-formula eval: the header is not UTF-8: byte " << hex
                        << " in column " << i + 1 << '\n';
                return false;
            }
            std::string upper = text::upper(name);
            if (std::find(seen.begin(), seen.end(), upper) != seen.end()) {
                io_.err << "nemro-formula eval: the header names the column “" << name
                        << "” twice\n";
                return false;
            }
            seen.push_back(std::move(upper));
        }
        return true;
    }

    void write(bool ok, const ExpElement& result, const std::string& failure) {
        if (json_) {
            nlohmann::ordered_json j = {{"row", rows_}};
            if (ok) {
                j["ok"] = true, j["kind"] = result.Kind, j["text"] = result.Text;
            } else if (failure.starts_with("error ")) {
                j["ok"] = false, j["number"] = error_.number(), j["source"] = error_.source();
                j["description"] = error_.description();
                if (error_.position() > 0)
                    j["position"] = error_.position(), j["length"] = error_.length();
            } else {
                j["ok"] = false, j["description"] = failure;
            }
            out_ += dumpLine(j);
            out_ += '\n';
            return;
        }
        for (std::size_t i = 0; i < headerFields_.size(); ++i) {
            if (i < count_) appendField(out_, fields_[i]);
            out_ += ',';
        }
        appendField(out_, ok ? result.Text : failure);
        out_ += '\n';
    }

    // On a terminal, a run longer than a second shows how far it has come.
    void progress() {
        if (!terminal_) return;
        const auto now = Clock::now();
        if (now - started_ < std::chrono::seconds(1) ||
            now - lastShown_ < std::chrono::milliseconds(250))
            return;
        lastShown_ = now;
        shown_ = true;
        io_.err << "\rrows: " << rows_ << std::flush;
    }

    const CPreparedExpression& formula_;
    const CliListener& listener_;
    bool json_;
    Io& io_;
    std::vector<std::string> headerFields_, fields_;
    std::size_t count_ = 0;
    std::vector<Source> sources_;
    std::vector<VariableValue> values_;
    std::string out_;
    NemroError error_{0, "", ""};
    bool failed_ = false;
    std::uint64_t rows_ = 0;
    const bool terminal_ = isatty(STDERR_FILENO) != 0;
    const Clock::time_point started_ = Clock::now();
    Clock::time_point lastShown_ = started_;
    bool shown_ = false;
};

// The parser's callbacks: the first row is the header.
struct Parse {
    RowRunner& runner;
    bool inHeader = true;
    bool stopped = false;
};

void onField(void* data, std::size_t size, void* context) {
    auto* p = static_cast<Parse*>(context);
    if (!p->stopped) p->runner.field(std::string_view(static_cast<const char*>(data), size));
}

void onRow(int, void* context) {
    auto* p = static_cast<Parse*>(context);
    if (p->stopped) return;
    if (p->inHeader) {
        p->inHeader = false;
        if (!p->runner.header()) p->stopped = true;
    } else {
        p->runner.row();
    }
}

int keepSpaces(unsigned char) {
    return 0;
}  // blanks belong to their field

}  // namespace

int runRows(const std::string& file, const std::string& formula, const CliListener& listener,
            const FunctionSettings& functions, bool json, Io& io) {
    std::ifstream opened;
    std::istream* in = &io.in;
    if (file != "-") {
        opened.open(file, std::ios::binary);
        if (!opened) throw UsageError("cannot read '" + file + "'");
        in = &opened;
    }
    std::unique_ptr<CPreparedExpression> prepared;
    try {
        prepared = std::make_unique<CPreparedExpression>(formula, functions);
    } catch (const NemroError& e) {
        return reportError(e, json, io);
    }
    RowRunner runner(*prepared, listener, json, io);
    Parse parse{runner};
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
    csv_set_space_func(&parser, keepSpaces);
    std::vector<char> buffer(1 << 16);
    bool first = true, malformed = false;
    while (!parse.stopped &&
           in->read(buffer.data(), static_cast<std::streamsize>(buffer.size())).gcount() > 0) {
        std::size_t size = static_cast<std::size_t>(in->gcount()), skip = 0;
        // A byte-order mark before the header is no part of it.
        if (first && size >= 3 && std::string_view(buffer.data(), 3) == "\xEF\xBB\xBF") skip = 3;
        first = false;
        if (csv_parse(&parser, buffer.data() + skip, size - skip, onField, onRow, &parse) !=
            size - skip) {
            malformed = true;
            break;
        }
    }
    if (!malformed && !parse.stopped && csv_fini(&parser, onField, onRow, &parse) != 0)
        malformed = true;
    // An empty table has a header without columns.
    if (!malformed && parse.inHeader && !parse.stopped) onRow(0, &parse);
    const std::string reason = malformed ? csv_strerror(csv_error(&parser)) : "";
    csv_free(&parser);
    runner.finish();
    if (parse.stopped) return kFormulaError;
    if (malformed) {
        io.err << "nemro-formula eval: the table is not well-formed CSV after row " << runner.rows()
               << ": " << reason << '\n';
        return kFormulaError;
    }
    return runner.failed() ? kFormulaError : kOk;
}

}  // namespace nemro::cli
