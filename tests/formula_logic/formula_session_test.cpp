// Whole exchanges of setFormula without a GUI: each row is what a user does in the
// dialogs, one action after another, and what each action led to.
#include "nemro/formula_session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "scratch_file.h"

namespace nemro::dialogs {
namespace {

const std::string catalogue = testing::scratchFile("nemro-formula-session", R"(<Quorvanta><Formulas>
  <Formula Name="IF" MaxArgNum="3"><Argument Value="c" Required="True"/><Argument Value="t"
    Required="False"/><Argument Value="f" Required="False"/></Formula>
  <Formula Name="ROUND" MaxArgNum="2"><Argument Value="x" Required="True"/><Argument Value="n"
    Required="True"/></Formula>
  <Formula Name="ABS" MaxArgNum="1"><Argument Value="x" Required="True"/></Formula>
  <Formula Name="BAD" MaxArgNum="2"><Argument Value="x" Required="True"/></Formula>
</Formulas></Quorvanta>)");

std::vector<std::string> fieldsOf(const std::string& text) {
    std::vector<std::string> fields;
    std::stringstream in(text);
    for (std::string f; std::getline(in, f, '|');) fields.push_back(f);
    if (!text.empty() && text.back() == '|') fields.emplace_back();
    return fields;
}

std::string joined(const std::vector<std::string>& fields) {
    std::string s;
    for (const std::string& f : fields) s += (s.empty() ? "" : "|") + f;
    return s;
}

// Actions, separated by "; ": "C NAME" chooses a function, "N ROW F1|F2" presses a
// formula button, "K F1|F2" presses OK ("K" alone: on the fields the dialog shows),
// "X" cancels; a "!" in front makes the dialog that the action loads fail to load.
// Returns what each action led to, then "=> result" and whether no formula was completed.
std::string exchange(const std::string& former, const std::string& script) {
    FormulaSession session({catalogue, "", "", {}});
    std::vector<std::string> shown;
    std::string log;
    auto note = [&](const std::string& s) { log += (log.empty() ? "" : "; ") + s; };
    const auto loadFails = [] { throw NemroError(5, "load", "cannot load"); };
    try {
        session.start(former, [&](Step step) {
            if (step == Step::Arguments)
                shown = session.takeFormerFields(
                    getArgumentCount(session.functionName(), session.catalogue()));
        });
    } catch (const NemroError& e) {
        note("start failed " + std::to_string(e.number()));
    }
    std::stringstream actions(script);
    for (std::string action; std::getline(actions, action, ';');) {
        action.erase(0, action.find_first_not_of(' '));
        const bool fail = action.starts_with("!");
        if (fail) action.erase(0, 1);
        const FormulaSession::Load load = [&] {
            if (fail) loadFails();
        };
        const std::string arg = action.size() > 2 ? action.substr(2) : "";
        try {
            if (action[0] == 'C') {
                const auto refusal = session.choose(arg, load);
                std::string path;  // the nesting path the argument dialog shows
                for (const std::string& f : session.nestingPath())
                    path += (path.empty() ? "" : " › ") + f;
                note(refusal ? refusal->text : "args " + path);
                if (!refusal) shown.clear();
            } else if (action[0] == 'N') {
                const std::size_t space = arg.find(' ');
                session.nest(std::stoi(arg.substr(0, space)),
                             fieldsOf(space == std::string::npos ? "" : arg.substr(space + 1)),
                             load);
                note("chooser " + std::to_string(session.depth()));
            } else if (action[0] == 'K') {
                const OkOutcome o = session.ok(arg.empty() ? shown : fieldsOf(arg));
                if (o.refusal)
                    note("refused row " + std::to_string(o.refusal->row));
                else if (o.next == Step::Done)
                    note("done");
                else {
                    shown = o.outer->fields;
                    note("back " + o.outer->functionName + " row " + std::to_string(o.outer->row) +
                         ": " + joined(shown));
                }
            } else {
                session.cancel();
                note("cancel");
            }
        } catch (const NemroError& e) {
            note("error " + std::to_string(e.number()));
        }
    }
    const std::string result = session.finish();
    return log + " => " + result + (session.completed() ? "" : " (cancel)");
}

TEST(Session, WholeExchanges) {
    const struct {
        const char* former;
        const char* script;
        const char* expected;
    } rows[] = {
        {"", "C ROUND; K 3.14159|2", "args ROUND; done => ROUND(3.14159,2)"},
        {"", "X", "cancel =>  (cancel)"},
        {"", "C ROUND; X", "args ROUND; cancel =>  (cancel)"},
        // Two levels deep: each OK climbs back into the row whose button nested.
        {"", "C IF; N 2 A1>0|1+|0; C ROUND; N 1 |2; C ABS; K -3.5; K; K",
         "args IF; chooser 1; args IF › ROUND; chooser 2; args IF › ROUND › ABS; back ROUND row 1: "
         "ABS(-3.5)|2; "
         "back IF row 2: A1>0|1+ROUND(ABS(-3.5),2)|0; done => IF(A1>0,1+ROUND(ABS(-3.5),2),0)"},
        // Cancel at every level ends the whole exchange without a formula.
        {"", "C IF; N 1 ||; X", "args IF; chooser 1; cancel =>  (cancel)"},
        {"", "C IF; N 1 ||; C ROUND; X",
         "args IF; chooser 1; args IF › ROUND; cancel =>  (cancel)"},
        {"", "C IF; N 1 ||; C ROUND; N 2 1|; C ABS; X",
         "args IF; chooser 1; args IF › ROUND; chooser 2; args IF › ROUND › ABS; cancel =>  "
         "(cancel)"},
        {"", "C IF; N 1 ||; C ROUND; N 2 1|; X",
         "args IF; chooser 1; args IF › ROUND; chooser 2; cancel =>  (cancel)"},
        // A refused OK changes nothing; the fixed fields then pass.
        {"", "C ROUND; K |2; K 1+|2; K 1|2",
         "args ROUND; refused row 1; refused row 0; done => ROUND(1,2)"},
        {"", "C IF; N 1 ||; C ABS; K ; K 1; K; K ABS(1)|2|3",
         "args IF; chooser 1; args IF › ABS; refused row 1; back IF row 1: ABS(1)||; refused row "
         "0; "
         "done => IF(ABS(1),2,3)"},
        // Too few arguments listed for MaxArgNum: the chooser stays.
        {"", "C BAD; C ABS; K 2",
         "公式(BAD)定义的参数个数和实际的参数个数不一致！; args ABS; done => ABS(2)"},
        // A dialog that cannot be loaded leaves the exchange where it was: nothing parked.
        {"", "C ROUND; !N 1 |; K 1|2", "args ROUND; error 5; done => ROUND(1,2)"},
        {"", "!C ROUND; C ABS; K 1", "error 5; args ABS; done => ABS(1)"},
        // Re-editing opens the arguments of the former formula, filled from it.
        {"ROUND(1,2)", "K", "done => ROUND(1,2)"},
        {"IF(1,,3)", "K; K 1|2|3", "refused row 0; done => IF(1,2,3)"},
        {"IF(1,2,3,4)", "X", "start failed 340; cancel =>  (cancel)"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(exchange(r.former, r.script), r.expected) << r.former << " " << r.script;
}

TEST(Session, TheWholeExchangeReadsTheCatalogueAsItWasAtTheStart) {
    const std::string path = testing::scratchFile("nemro-session-snapshot", R"(<Quorvanta><Formulas>
  <Formula Name="ABS" MaxArgNum="1"><Argument Value="x" Required="True"/></Formula>
</Formulas></Quorvanta>)");
    FormulaSession session({path, "", "", {}});
    session.start("", [](Step) {});
    std::ofstream(path, std::ios::binary) << "<Quorvanta><Formulas/></Quorvanta>";
    EXPECT_FALSE(session.choose("ABS", [] {}));
    EXPECT_EQ(session.ok({"-2"}).next, Step::Done);
    EXPECT_EQ(session.finish(), "ABS(-2)");
    // A catalogue that cannot be read at the start is left to the queries, which fail as
    // they always have.
    FormulaSession missing({"/nonexistent/FormulaSet.xml", "", "", {}});
    missing.start("", [](Step) {});
    try {
        missing.choose("ABS", [] {});
        ADD_FAILURE() << "no failure";
    } catch (const NemroError& e) {
        EXPECT_EQ(e.source(), "frmFormulaSet.CheckArgNum()\\CheckArgNum");
    }
}

TEST(Session, AFormerFormulaThatFailedToLoadDoesNotComeBack) {
    exchange("IF(1,2,3,4)", "X");
    EXPECT_EQ(exchange("", "C ABS; K 1"), "args ABS; done => ABS(1)");
    // Nor does a completed formula come back from a later exchange that was cancelled.
    EXPECT_EQ(exchange("", "X"), "cancel =>  (cancel)");
}

// The modern check computes the library: ROUND(ABS("x"),1) passes the classic check,
// where the catalogue answers ABS, and is refused with the engine's message in the modern.
TEST(Session, TheModernCheckComputesTheLibrary) {
    for (const bool modern : {false, true}) {
        FormulaSession session({catalogue, "", "", {}});
        if (modern) session.setModernFunctions(FunctionSettings::WithLibrary());
        session.start("", [](Step) {});
        session.choose("ROUND", [] {});
        const OkOutcome o = session.ok({"ABS(\"x\")", "1"});
        EXPECT_EQ(o.refusal.has_value(), modern);
        if (modern) EXPECT_EQ(o.refusal->text, "无法将字符串“x”转化为数值类型。");
    }
}

}  // namespace
}  // namespace nemro::dialogs
