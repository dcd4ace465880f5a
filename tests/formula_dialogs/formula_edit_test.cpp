// The formula editor offscreen: completion while typing, the call hint, the check's
// problem underlined at its place, input-method pre-edit left alone, a pasted megabyte,
// and "编辑公式" from re-opening a formula to OK.
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "completion_popup.h"
#include "dialog_support.h"
#include "frm_formula_editor.h"
#include "nemro/formula_completion.h"
#include "nemro/function_index.h"

namespace nemro::testing {
namespace {

std::shared_ptr<const CompletionIndex> payroll() {
    static const auto index = std::make_shared<const CompletionIndex>(
        loadFunctionIndex(NEMRO_BUNDLED_CATALOGUE),
        std::vector<IndexedName>{{"基本工资", "工资项目", "每月的基本工资"},
                                 {"岗位工资", "工资项目", ""},
                                 {"姓名", "人员信息", ""}});
    return index;
}

struct Editor {
    CFormulaEdit edit{payroll()};
    QPlainTextEdit& area = *edit.textEdit();
    Editor() { edit.show(); }
    void type(const QString& keys) {
        for (const QChar c : keys) QTest::sendKeyEvent(QTest::Click, &area, Qt::Key_unknown, c, {});
    }
    QString text() const { return QString::fromStdString(edit.formula()); }
};

TEST(FormulaEdit, TypingOffersCompletionsAndTheKeysTakeMoveOrCloseThem) {
    struct Case {
        QString typed;
        std::vector<Qt::Key> keys;
        QString text;        // after the keys
        std::size_t cursor;  // characters before it
        bool open;           // the list after the keys
    } cases[] = {
        {"1+jbgz", {Qt::Key_Tab}, "1+基本工资", 6, false},
        {"jb", {Qt::Key_Return}, "基本工资", 4, false},
        {"sswr", {Qt::Key_Tab}, "ROUND(", 6, false},  // a function goes in with its bracket
        {"gwgz*2", {}, "gwgz*2", 6, false},           // an operator ends the name
        {"\"jb", {}, "\"jb", 3, false},               // nothing inside a literal
        {"jb", {Qt::Key_Escape}, "jb", 2, false},
        {"jb", {Qt::Key_Left}, "jb", 1, false},  // the cursor leaving closes it
        {"jb", {}, "jb", 2, true},
        {"1+（jb，", {}, "1+(jb,", 6, false},  // full-width punctuation folds as typed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Editor e;
        e.type(c.typed);
        for (const Qt::Key key : c.keys) QTest::keyClick(&e.area, key);
        EXPECT_EQ(e.text(), c.text);
        EXPECT_EQ(e.edit.cursorPosition(), c.cursor);
        EXPECT_EQ(e.edit.completionVisible(), c.open);
    }
    QLineEdit field;  // an argument dialog's row completes the same way
    new dialogs::LineCompleter(field, payroll());
    QTest::keyClicks(&field, "1+jb");
    QTest::keyClick(&field, Qt::Key_Tab);
    EXPECT_EQ(field.text(), "1+基本工资");

    Editor e;
    e.type("gz");
    QListView& list = *e.edit.completionList();
    EXPECT_EQ(list.accessibleName(), "补全列表");
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), "名称  基本工资  工资项目");
    QTest::keyClick(&e.area, Qt::Key_Down);
    QTest::keyClick(&e.area, Qt::Key_Tab);
    EXPECT_EQ(e.text(), "岗位工资");
}

TEST(FormulaEdit, TheHintMarksTheArgumentAtTheCursorOfTheInnermostCall) {
    const std::pair<QString, QString> cases[] = {
        {"ROUND(", "ROUND(<b>数值</b>,小数位数)  数值：要舍入的数"},
        {"ROUND(\"a,b\",", "ROUND(数值,<b>小数位数</b>)"},  // the comma in a literal is no comma
        {"ROUND(ABS(1),", "ROUND(数值,<b>小数位数</b>)"},
        {"1+2", ""},
    };
    for (const auto& [typed, hint] : cases) {
        Editor e;
        e.type(typed);
        const QString shown = e.edit.hintLabel()->text();
        EXPECT_EQ(shown.left(hint.size()), hint);
        EXPECT_EQ(shown.isEmpty(), hint.isEmpty());
    }
    Editor e;
    EXPECT_EQ(std::pair(e.area.accessibleName(), e.edit.hintLabel()->accessibleName()),
              std::pair(QString("公式"), QString("函数参数提示")));
}

// The selections that underline a problem, as [start, end) of the text.
std::vector<std::pair<int, int>> wavy(const QPlainTextEdit& area) {
    std::vector<std::pair<int, int>> out;
    for (const QTextEdit::ExtraSelection& s : area.extraSelections())
        if (s.format.underlineStyle() == QTextCharFormat::WaveUnderline)
            out.push_back({s.cursor.selectionStart(), s.cursor.selectionEnd()});
    return out;
}

TEST(FormulaEdit, AfterAPauseTheProblemIsUnderlinedAtItsPlaceWithItsMessage) {
    Editor e;
    e.edit.setChecker([](const std::string& text) {
        return text.find("SALRY") == std::string::npos
                   ? FormulaCheckOutcome{true, "", 0, 0, "计算结果 = 1"}
                   : FormulaCheckOutcome{false, "未定义的名称“SALRY”", 3, 5, ""};
    });
    QSignalSpy checked(&e.edit, &CFormulaEdit::checked);
    e.type("1+SALRY*2");
    ASSERT_TRUE(checked.wait(5000));
    EXPECT_EQ(checked.count(), 1);  // once, after the typing stopped
    EXPECT_EQ(wavy(e.area), (std::vector<std::pair<int, int>>{{2, 7}}));
    EXPECT_EQ(e.edit.resultLabel()->text(), "未定义的名称“SALRY”");
    EXPECT_EQ(e.area.accessibleDescription(), "未定义的名称“SALRY”");
    e.edit.setFormula("1+1");
    EXPECT_TRUE(wavy(e.area).empty());  // a changed text loses the old place
    EXPECT_TRUE(e.edit.checkNow().ok);
    EXPECT_EQ(e.edit.resultLabel()->text(), "计算结果 = 1");

    // The engine's own check, where it can place the problem.
    const FormulaChecker engine = CFormulaEdit::engineChecker("", payroll());
    const struct {
        std::string text;
        FormulaCheckOutcome expected;
    } rows[] = {
        {"ROUND(3.14159,2)", {true, "", 0, 0, "计算结果 = 3.14"}},
        {"ROUND(1,2", {false, "", 6, 1, ""}},
        {"1+)", {false, "", 3, 1, ""}},
    };
    for (const auto& [text, expected] : rows) {
        const FormulaCheckOutcome o = engine(text);
        EXPECT_EQ(std::tuple(o.ok, o.position, o.length, o.resultText),
                  std::tuple(expected.ok, expected.position, expected.length, expected.resultText))
            << text << " " << o.message;
        EXPECT_EQ(o.message.empty(), o.ok);
    }
}

TEST(FormulaEdit, PreEditTextIsNeitherCompletedFoldedNorCountedUntilItIsCommitted) {
    Editor e;
    e.type("1+");
    QSignalSpy changed(&e.edit, &CFormulaEdit::formulaChanged);
    for (const QString preedit : {"jbgz", "，"}) {
        QInputMethodEvent composing(preedit, {});
        QApplication::sendEvent(&e.area, &composing);
        EXPECT_FALSE(e.edit.completionVisible());
        EXPECT_EQ(e.text(), "1+");
        EXPECT_EQ(e.area.document()->firstBlock().layout()->preeditAreaText(), preedit);
    }
    EXPECT_EQ(changed.count(), 0);
    QInputMethodEvent commit;
    commit.setCommitString("基本工资，基本");
    QApplication::sendEvent(&e.area, &commit);
    EXPECT_EQ(e.text(), "1+基本工资,基本");
    EXPECT_TRUE(e.edit.completionVisible());
}

TEST(FormulaEdit, APastedMegabyteIsNeitherColouredCompletedNorCheckedWhileTyping) {
    Editor e;
    int checks = 0;
    e.edit.setChecker([&](const std::string&) { return ++checks, FormulaCheckOutcome{}; });
    QApplication::clipboard()->setText(QString("ROUND(jbgz,\n2)+").repeated(70000));
    QTest::keyClick(&e.area, Qt::Key_V, Qt::ControlModifier);
    e.type("+jb");
    QTest::qWait(CFormulaEdit::kCheckPauseMs * 2);
    EXPECT_EQ(e.text().size(), 15 * 70000 + 3);
    EXPECT_FALSE(e.text().contains('\n'));
    EXPECT_EQ(checks, 0);
    EXPECT_FALSE(e.edit.completionVisible());
    EXPECT_TRUE(e.area.document()->firstBlock().layout()->formats().isEmpty());
    EXPECT_EQ(e.edit.resultLabel()->text(), "公式很长，不在输入时计算；按确定时检查。");
    e.edit.checkNow();  // OK still checks it
    EXPECT_EQ(checks, 1);
    QTest::keyClick(&e.area, Qt::Key_Backspace);
    EXPECT_TRUE(e.text().endsWith("+j"));
    QTest::keyClick(&e.area, Qt::Key_A, Qt::ControlModifier);
    e.type("jb");  // short again: completed
    EXPECT_TRUE(e.edit.completionVisible());
}

TEST(FormulaEditor, ReOpensAFormulaTakesACompletionWithEnterThenEnterIsOk) {
    DialogDriver driver;
    driver.expect("frmFormulaEditor", [](QWidget& d) {
        auto& dialog = dynamic_cast<dialogs::frmFormulaEditor&>(d);
        QPlainTextEdit& area = *dialog.editor().textEdit();
        EXPECT_EQ(dialog.windowTitle(), "编辑公式");
        dialog.editor().setCursorPosition(7);
        EXPECT_TRUE(find<QTextBrowser>(d, "txtFunctionHelp")->toPlainText().contains("四舍五入"));
        QTest::keyClick(&area, Qt::Key_End);
        for (const char c : std::string("+jbgz")) QTest::keyClick(&area, c);
        QTest::keyClick(&area, Qt::Key_Return);
        EXPECT_EQ(dialog.formula(), "ROUND(A1,2)*1.1+基本工资");
        click(d, "cmdInsertFunction");  // fx puts the chosen call at the cursor
        QTest::keyClick(&area, Qt::Key_Return);
    });
    std::optional<std::string> result;
    driver.run([&] {
        result =
            dialogs::editFormula(payroll(), "ROUND(A1,2)*1.1",
                                 [](const std::string&, std::size_t) { return "*ROUND(2,0)"; });
    });
    EXPECT_EQ(result, "ROUND(A1,2)*1.1+基本工资*ROUND(2,0)");
}

}  // namespace
}  // namespace nemro::testing
