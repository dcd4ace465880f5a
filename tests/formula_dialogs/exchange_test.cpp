// Complete exchanges through the real dialogs: OK, nesting to any depth, Cancel at each
// level, failing checks in a nested dialog, parked texts, re-editing.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "dialog_support.h"
#include "frm_argument_set.h"
#include "nemro/formula_set.h"
#include "nemro/formula_state.h"
#include "nemro/qt_toolkit.h"

namespace nemro::testing {
namespace {

using dialogs::frmArgumentSet;

// Chooses `function` in the chooser (through the all-functions category) and presses OK.
std::function<void(QWidget&)> choose(const QString& function) {
    return [function](QWidget& d) {
        auto* categories = find<QListWidget>(d, "lstFormulaCategory");
        categories->setCurrentItem(categories->findItems("全部函数", Qt::MatchExactly).front());
        auto* names = find<QListWidget>(d, "lstFormulaName");
        const auto found = names->findItems(function, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << function.toStdString();
        names->setCurrentItem(found.front());
        click(d, "cmdOK");
    };
}

frmArgumentSet& args(QWidget& w) { return dynamic_cast<frmArgumentSet&>(w); }

void fill(QWidget& w, const QStringList& texts) {
    frmArgumentSet& d = args(w);
    for (int i = 0; i < texts.size(); ++i) d.txtArgumentValue(i + 1)->setText(texts[i]);
}

QStringList fields(QWidget& w) {
    frmArgumentSet& d = args(w);
    QStringList texts;
    for (int i = 1; i <= d.rowCount(); ++i) texts << d.txtArgumentValue(i)->text();
    return texts;
}

struct Outcome {
    std::string result;
    bool isCancel;
};

Outcome play(DialogDriver& driver, const std::string& former = "") {
    CFormulaSet service;
    Outcome o{"unset", false};
    driver.run([&] { o.result = service.setFormula(former); });
    o.isCancel = service.isCancel();
    EXPECT_TRUE(driver.ok()) << driver.failure();
    return o;
}

TEST(Exchange, OkWithoutNestingReturnsTheFormulaAndLeavesTheMarker) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", choose("LEFT"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {" A1 ", "2"});
        click(d, "cmdOK");
    });
    const Outcome o = play(driver);
    EXPECT_EQ(o.result, "LEFT(A1,2)");
    EXPECT_FALSE(o.isCancel);
    EXPECT_EQ(gFormulaStack.Count(), 1);
    EXPECT_EQ(gFormulaStack.Pop(), "00LEFT(A1,2)");
    EXPECT_TRUE(messages.messages.empty());
}

TEST(Exchange, AFunctionWithoutArgumentsComposesEmptyParentheses) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", choose("TODAY"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        EXPECT_EQ(args(d).rowCount(), 0);
        EXPECT_EQ(d.windowTitle(), "参数设置(TODAY)");
        click(d, "cmdOK");
    });
    EXPECT_EQ(play(driver).result, "TODAY()");
    // Re-editing it finds no arguments and gives the same text back.
    driver.expect("frmArgumentSet", [](QWidget& d) {
        EXPECT_EQ(args(d).rowCount(), 0);
        click(d, "cmdOK");
    });
    const Outcome again = play(driver, "TODAY()");
    EXPECT_EQ(again.result, "TODAY()");
    EXPECT_FALSE(again.isCancel);
    EXPECT_TRUE(messages.messages.empty());
    gFormulaStack.RemoveAll();
}

TEST(Exchange, EnterInAFieldMeansOk) {
    DialogDriver driver;
    driver.expect("frmArgumentSet", [](QWidget& d) {
        QApplication::setActiveWindow(&d);
        args(d).txtArgumentValue(1)->setFocus();
        QTest::keyClick(args(d).txtArgumentValue(1), Qt::Key_Return);
    });
    EXPECT_EQ(play(driver, "LEFT(\"ab\",1)").result, "LEFT(\"ab\",1)");
}

TEST(Exchange, EscapeInTheArgumentDialogCancelsAndAltOIsOk) {
    for (bool ok : {false, true}) {
        DialogDriver driver;
        driver.expect("frmArgumentSet", [ok](QWidget& d) {
            QApplication::setActiveWindow(&d);
            args(d).txtArgumentValue(2)->setFocus();
            QTest::keyClick(&d, ok ? Qt::Key_O : Qt::Key_Escape, ok ? Qt::AltModifier : Qt::NoModifier);
            // An accelerator clicks its button a moment later, as a mouse would.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
        });
        const Outcome o = play(driver, "LEFT(\"ab\",1)");
        EXPECT_EQ(o.result, ok ? "LEFT(\"ab\",1)" : "");
        EXPECT_EQ(o.isCancel, !ok);
    }
}

TEST(Exchange, CatalogueFunctionsPassTheCheckWhateverTheirCase) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"Sum(1)&mytrim(\"a\")"});
        click(d, "cmdOK");
    });
    EXPECT_EQ(play(driver, "LEFT").result, "LEFT(Sum(1)&mytrim(\"a\"),)");
    for (const Message& m : messages.messages) ADD_FAILURE() << m.text;
}

TEST(Exchange, EnterInANestedFieldClimbsOneLevel) {
    DialogDriver driver;
    driver.expect("frmArgumentSet", [](QWidget& d) { click(d, "cmdFormula1"); });
    driver.expect("frmFormulaSet", choose("MYTRIM"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        QApplication::setActiveWindow(&d);
        fill(d, {"\"x\""});
        args(d).txtArgumentValue(1)->setFocus();
        QTest::keyClick(args(d).txtArgumentValue(1), Qt::Key_Return);
        EXPECT_EQ(fields(d), QStringList({"MYTRIM(\"x\")", "1"}));
        QTest::keyClick(args(d).txtArgumentValue(1), Qt::Key_Return);
    });
    EXPECT_EQ(play(driver, "LEFT(,1)").result, "LEFT(MYTRIM(\"x\"),1)");
}

TEST(Exchange, AFailureDuringOkIsShownWithItsSource) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmArgumentSet", [&](QWidget& d) {
        // A parked level naming a function the catalogue does not have.
        gFormulaStack.Push("01NOSUCHFUNCTION|x");
        fill(d, {"\"a\"", "1"});
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(messages.messages[0].title, "NemroFormulaSet");
        EXPECT_NE(messages.messages[0].text.find("frmArgumentSet.cmdOK_Click()\\"), std::string::npos)
            << messages.messages[0].text;
        click(d, "cmdCancel");
    });
    const Outcome o = play(driver, "LEFT");
    EXPECT_EQ(o.result, "");
    EXPECT_TRUE(o.isCancel);
}

TEST(Exchange, NestingOneLevelAppendsTheNestedFormulaToItsField) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", choose("IF"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"1>0", " 1& ", "\"z\""});
        click(d, "cmdFormula2");
    });
    driver.expect("frmFormulaSet", [](QWidget& d) {
        EXPECT_EQ(gFormulaStack.Count(), 1);
        choose("LEFT")(d);
    });
    driver.expect("frmArgumentSet", [](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), "参数设置(LEFT)");
        fill(d, {"\"ab\"", "1"});
        click(d, "cmdOK");
        // The window now edits IF again, built for its three arguments.
        EXPECT_EQ(gsFunctionName, "IF");
        EXPECT_EQ(d.windowTitle(), "参数设置(IF)");
        EXPECT_EQ(fields(d), QStringList({"1>0", " 1& LEFT(\"ab\",1)", "\"z\""}));
        EXPECT_EQ(args(d).lblArgumentValue(3)->text(), "value_if_false(可选)");
        EXPECT_EQ(gFormulaStack.Count(), 0);
        click(d, "cmdOK");
    });
    const Outcome o = play(driver);
    EXPECT_EQ(o.result, "IF(1>0,1& LEFT(\"ab\",1),\"z\")");
    for (const Message& m : messages.messages) ADD_FAILURE() << m.text;
    EXPECT_FALSE(o.isCancel);
}

TEST(Exchange, ANestedOkRebuildsTheWindowForTheOuterFunction) {
    // Outer and nested function in both orders: few rows around many, many around few.
    struct Case {
        std::string outer;
        QString nested;
        int row;
        QStringList nestedFields;
        int outerRows;
        bool barShown;
    };
    const std::vector<Case> cases = {
        {"LEFT", "ARGS6", 2, {"1", "2", "3", "4", "5", "6"}, 2, false},
        {"ARGS6", "LEFT", 6, {"\"ab\"", "1"}, 6, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outer);
        DialogDriver driver;
        driver.expect("frmArgumentSet", [&](QWidget& d) {
            fill(d, {"\"x\""});
            click(d, QString("cmdFormula%1").arg(c.row));
        });
        driver.expect("frmFormulaSet", choose(c.nested));
        driver.expect("frmArgumentSet", [&](QWidget& w) {
            frmArgumentSet& d = args(w);
            QApplication::setActiveWindow(&d);
            fill(w, c.nestedFields);
            if (d.scrollBars().Visible(SB_VERT)) d.scrollBars().Value(SB_VERT, 20);
            click(w, "cmdOK");
            ASSERT_EQ(d.rowCount(), c.outerRows);
            EXPECT_EQ(d.windowTitle().toStdString(), "参数设置(" + c.outer + ")");
            EXPECT_EQ(d.scrollBars().Visible(SB_VERT), c.barShown);
            EXPECT_EQ(d.findChild<QScrollBar*>("Picture1VScroll")->isVisible(), c.barShown);
            EXPECT_EQ(qt::twipsTop(*d.picClient()), 0);
            EXPECT_EQ(qt::twipsHeight(*d.picClient()), c.outerRows * 585);
            for (int i = 1; i <= c.outerRows; ++i) {
                EXPECT_EQ(qt::twipsLeft(*d.txtArgumentValue(i)), c.barShown ? 1700 : 1900) << i;
                EXPECT_EQ(qt::twipsLeft(*d.cmdFormula(i)), c.barShown ? 4335 : 4535) << i;
            }
            EXPECT_EQ(d.txtArgumentValue(1)->text(), "\"x\"");
            EXPECT_EQ(QApplication::focusWidget(), d.txtArgumentValue(c.row));
            EXPECT_EQ(d.lblArgumentDesc()->text().startsWith("参数描述："), true);
            click(w, "cmdCancel");
        });
        play(driver, c.outer);
    }
}

TEST(Exchange, NestingTwoLevelsNeedsThreeOks) {
    DialogDriver driver;
    driver.expect("frmFormulaSet", choose("IF"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"1>0", "", "\"y\""});
        click(d, "cmdFormula2");
    });
    driver.expect("frmFormulaSet", choose("LEFT"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"\"abc\"", ""});
        click(d, "cmdFormula2");
    });
    driver.expect("frmFormulaSet", choose("ARGS2"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        QApplication::setActiveWindow(&d);
        EXPECT_EQ(gFormulaStack.Count(), 2);
        fill(d, {"1", "2"});
        click(d, "cmdOK");
        EXPECT_EQ(gsFunctionName, "LEFT");
        EXPECT_EQ(fields(d), QStringList({"\"abc\"", "ARGS2(1,2)"}));
        click(d, "cmdOK");
        EXPECT_EQ(gsFunctionName, "IF");
        EXPECT_EQ(fields(d), QStringList({"1>0", "LEFT(\"abc\",ARGS2(1,2))", "\"y\""}));
        EXPECT_EQ(QApplication::focusWidget(), args(d).txtArgumentValue(2));
        click(d, "cmdOK");
    });
    const Outcome o = play(driver);
    EXPECT_EQ(o.result, "IF(1>0,LEFT(\"abc\",ARGS2(1,2)),\"y\")");
    EXPECT_FALSE(o.isCancel);
}

TEST(Exchange, CancelAtAnyLevelEndsTheWholeExchange) {
    // 0: the first chooser, 1: the outer dialog, 2: the nested chooser, 3: the nested dialog.
    for (int level = 0; level < 4; ++level) {
        SCOPED_TRACE(level);
        DialogDriver driver;
        auto cancelOr = [level](int here, std::function<void(QWidget&)> act) {
            return [=](QWidget& d) {
                if (level == here) click(d, "cmdCancel");
                else act(d);
            };
        };
        driver.expect("frmFormulaSet", cancelOr(0, choose("LEFT")));
        if (level >= 1)
            driver.expect("frmArgumentSet", cancelOr(1, [](QWidget& d) { click(d, "cmdFormula1"); }));
        if (level >= 2) driver.expect("frmFormulaSet", cancelOr(2, choose("LEFT")));
        if (level >= 3) driver.expect("frmArgumentSet", cancelOr(3, [](QWidget&) {}));
        const Outcome o = play(driver);
        EXPECT_EQ(o.result, "");
        EXPECT_TRUE(o.isCancel);
    }
}

TEST(Exchange, AFailingCheckInANestedDialogKeepsItOpenAndTheEntryParked) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", choose("LEFT"));
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"a|b", ""});
        click(d, "cmdFormula2");
    });
    driver.expect("frmFormulaSet", choose("MID"));
    driver.expect("frmArgumentSet", [&](QWidget& d) {
        QApplication::setActiveWindow(&d);
        fill(d, {"\"abc\"", "", "1"});
        click(d, "cmdOK");  // start_num is required
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "参数(start_num)没有填写！");
        EXPECT_EQ(messages.messages[0].icon, MsgIcon::Information);
        EXPECT_EQ(messages.messages[0].title, "NemroFormulaSet");
        EXPECT_EQ(QApplication::focusWidget(), args(d).txtArgumentValue(2));
        EXPECT_EQ(args(d).lblArgumentDesc()->text().toStdString(),
                  "参数描述：起始位置\r\n参数类型：Integer\r\n类型描述：整数值");
        fill(d, {"\"abc\"", "1:2", "1"});
        click(d, "cmdOK");  // the colon is illegal
        ASSERT_EQ(messages.messages.size(), 2u);
        EXPECT_EQ(messages.messages[1].text, "不得包含非法字符' : '");
        EXPECT_EQ(messages.messages[1].title, "公式输入有误!");
        EXPECT_EQ(gFormulaStack.Count(), 1);
        EXPECT_EQ(d.windowTitle(), "参数设置(MID)");
        fill(d, {"\"abc\"", "1", "1"});
        click(d, "cmdOK");
        // The "|" typed into the outer field comes back as typed.
        EXPECT_EQ(fields(d), QStringList({"a|b", "MID(\"abc\",1,1)"}));
        click(d, "cmdCancel");
    });
    const Outcome o = play(driver);
    EXPECT_TRUE(o.isCancel);
    EXPECT_EQ(o.result, "");
}

TEST(Exchange, CancelAfterACompletedCallReturnsNothing) {
    DialogDriver first;
    first.expect("frmArgumentSet", [](QWidget& d) { click(d, "cmdOK"); });
    EXPECT_EQ(play(first, "LEFT(\"a\",1)").result, "LEFT(\"a\",1)");
    DialogDriver second;
    second.expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    const Outcome o = play(second);
    EXPECT_EQ(o.result, "");
    EXPECT_TRUE(o.isCancel);
}

TEST(Exchange, ReEditingAFormulaWithANestedCall) {
    DialogDriver driver;
    driver.expect("frmArgumentSet", [](QWidget& d) {
        EXPECT_EQ(fields(d), QStringList({"LEFT(\"ab\",1)=\"a\"", "1", "2"}));
        fill(d, {"LEFT(\"ab\",1)=\"b\""});
        click(d, "cmdOK");
    });
    EXPECT_EQ(play(driver, "IF(LEFT(\"ab\",1)=\"a\",1,2)").result, "IF(LEFT(\"ab\",1)=\"b\",1,2)");
}

}  // namespace
}  // namespace nemro::testing
