// Complete exchanges through the real dialogs: OK, keys, nesting to any depth, Cancel at
// each level, failing checks in a nested dialog, re-editing; and the modal guard.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest-spi.h>

#include "dialog_support.h"
#include "frm_argument_set.h"
#include "modal_guard.h"
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
        const auto found = find<QListWidget>(d, "lstFormulaName")->findItems(function, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << function.toStdString();
        found.front()->listWidget()->setCurrentItem(found.front());
        click(d, "cmdOK");
    };
}

frmArgumentSet& args(QWidget& w) { return dynamic_cast<frmArgumentSet&>(w); }

void fill(QWidget& w, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i) args(w).txtArgumentValue(i + 1)->setText(texts[i]);
}

QStringList fields(QWidget& w) {
    QStringList texts;
    for (int i = 1; i <= args(w).rowCount(); ++i) texts << args(w).txtArgumentValue(i)->text();
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
    return o;
}

TEST(Exchange, OkComposesTheFormulaFromTheFieldsAndLeavesTheMarker) {
    const struct {
        std::string former;
        QString chosen;  // empty: the former formula opens its own dialog
        QStringList shown, typed;
        std::string result;
    } cases[] = {
        {"", "LEFT", {"", ""}, {" A1 ", "2"}, "LEFT(A1,2)"},
        {"", "TODAY", {}, {}, "TODAY()"},
        {"TODAY()", "", {}, {}, "TODAY()"},
        {"MID", "", {"", "", ""}, {"\"a\"", "1", "2"}, "MID(\"a\",1,2)"},
        {"LEFT(A1,3)", "", {"A1", "3"}, {}, "LEFT(A1,3)"},
        {"IF( a , b ,c)", "", {" a ", " b ", "c"}, {}, "IF(a,b,c)"},
        {"IF(,x)", "", {"", "x", ""}, {"1>0", "\"x\"", "2"}, "IF(1>0,\"x\",2)"},
        {"IF()", "", {"", "", ""}, {"1", "2", "3"}, "IF(1,2,3)"},
        // Catalogue functions pass the check whatever their case.
        {"LEFT", "", {"", ""}, {"Sum(1)&mytrim(\"a\")"}, "LEFT(Sum(1)&mytrim(\"a\"),)"},
        {"IF(LEFT(A1,2)=\"a\",1)", "", {"LEFT(A1,2)=\"a\"", "1", ""}, {"LEFT(A1,2)=\"b\"", "1", "2"},
         "IF(LEFT(A1,2)=\"b\",1,2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.former + c.chosen.toStdString());
        MessageRecorder messages;
        DialogDriver driver;
        if (!c.chosen.isEmpty()) driver.expect("frmFormulaSet", choose(c.chosen));
        driver.expect("frmArgumentSet", [&](QWidget& d) {
            EXPECT_EQ(d.windowTitle().toStdString(), "参数设置(" + c.result.substr(0, c.result.find('(')) + ")");
            EXPECT_EQ(fields(d), c.shown);
            EXPECT_EQ(gsFormerFormula, "");
            fill(d, c.typed);
            click(d, "cmdOK");
        });
        const Outcome o = play(driver, c.former);
        EXPECT_EQ(o.result, c.result);
        EXPECT_FALSE(o.isCancel);
        EXPECT_EQ(gFormulaStack.Count(), 1);
        EXPECT_EQ(gFormulaStack.Pop(), "00" + c.result);
        EXPECT_EQ(messages.messages, std::vector<Message>{});
    }
}

TEST(Exchange, EnterInAFieldAndAltOMeanOkAndEscapeCancels) {
    const struct {
        Qt::Key key;
        Qt::KeyboardModifier modifier;
        bool ok;
    } cases[] = {{Qt::Key_Return, Qt::NoModifier, true}, {Qt::Key_O, Qt::AltModifier, true},
                 {Qt::Key_Escape, Qt::NoModifier, false}};
    for (const auto& c : cases) {
        DialogDriver driver;
        driver.expect("frmArgumentSet", [&](QWidget& d) {
            QApplication::setActiveWindow(&d);
            args(d).txtArgumentValue(2)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), c.key, c.modifier);
            // An accelerator clicks its button a moment later, as a mouse would.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
        });
        const Outcome o = play(driver, "LEFT(\"ab\",1)");
        EXPECT_EQ(o.result, c.ok ? "LEFT(\"ab\",1)" : "") << c.key;
        EXPECT_EQ(o.isCancel, !c.ok) << c.key;
    }
    gFormulaStack.RemoveAll();
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
    gFormulaStack.RemoveAll();
}

TEST(Exchange, AFailureDuringOkIsShownWithItsSource) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmArgumentSet", [&](QWidget& d) {
        gFormulaStack.Push("01NOSUCHFUNCTION|x");  // a parked level the catalogue cannot name
        fill(d, {"\"a\"", "1"});
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(messages.messages, std::vector<Message>{critical("对象变量或 With 块变量未设置。\n\nfrmArgumentSet.cmdOK_Click()"
                                                                  "\\frmFormulaSet.getArgumentCount()\\getArgumentCount (91)")});
        click(d, "cmdCancel");
    });
    const Outcome o = play(driver, "LEFT");
    EXPECT_EQ(o.result, "");
    EXPECT_TRUE(o.isCancel);
}

// Each level chooses a function, fills its fields and nests into a row, the last presses
// OK; each OK then climbs to the level around, whose window is rebuilt for its function.
TEST(Exchange, NestedOksClimbLevelByLevelIntoTheRowsTheyCameFrom) {
    struct Level {
        QString function;
        QStringList typed;
        int row;  // nested into; 0 on the last level
    };
    const struct {
        std::vector<Level> levels;
        std::vector<QStringList> climbs;  // the fields of each level around, innermost first
        std::string result;
    } cases[] = {
        {{{"IF", {"1>0", " 1& ", "\"z\""}, 2}, {"LEFT", {"\"ab\"", "1"}, 0}},
         {{"1>0", " 1& LEFT(\"ab\",1)", "\"z\""}},
         "IF(1>0,1& LEFT(\"ab\",1),\"z\")"},
        {{{"IF", {"1>0", "", "\"y\""}, 2}, {"LEFT", {"\"abc\"", ""}, 2}, {"ARGS2", {"1", "2"}, 0}},
         {{"\"abc\"", "ARGS2(1,2)"}, {"1>0", "LEFT(\"abc\",ARGS2(1,2))", "\"y\""}},
         "IF(1>0,LEFT(\"abc\",ARGS2(1,2)),\"y\")"},
        // Few rows around many and many around few: the bar and the scrolling go.
        {{{"LEFT", {"\"x\""}, 2}, {"ARGS6", {"1", "2", "3", "4", "5", "6"}, 0}},
         {{"\"x\"", "ARGS6(1,2,3,4,5,6)"}},
         "LEFT(\"x\",ARGS6(1,2,3,4,5,6))"},
        {{{"ARGS6", {"\"x\""}, 6}, {"LEFT", {"\"ab\"", "1"}, 0}},
         {{"\"x\"", "", "", "", "", "LEFT(\"ab\",1)"}},
         "ARGS6(\"x\",,,,,LEFT(\"ab\",1))"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        MessageRecorder messages;
        DialogDriver driver;
        const int depth = static_cast<int>(c.levels.size());
        for (int k = 0; k < depth; ++k) {
            driver.expect("frmFormulaSet", [&, k](QWidget& d) {
                EXPECT_EQ(gFormulaStack.Count(), k);
                choose(c.levels[k].function)(d);
            });
            if (k + 1 < depth) {
                driver.expect("frmArgumentSet", [&, k](QWidget& d) {
                    fill(d, c.levels[k].typed);
                    click(d, QString("cmdFormula%1").arg(c.levels[k].row));
                });
            }
        }
        driver.expect("frmArgumentSet", [&](QWidget& w) {
            frmArgumentSet& d = args(w);
            QApplication::setActiveWindow(&d);
            fill(w, c.levels.back().typed);
            if (d.scrollBars().Visible(SB_VERT)) d.scrollBars().Value(SB_VERT, 20);
            for (int k = depth - 2; k >= 0; --k) {
                click(w, "cmdOK");
                const QString outer = c.levels[k].function;
                EXPECT_EQ(gsFunctionName, outer.toStdString());
                EXPECT_EQ(d.windowTitle(), "参数设置(" + outer + ")");
                EXPECT_EQ(fields(w), c.climbs[depth - 2 - k]);
                EXPECT_EQ(gFormulaStack.Count(), k);
                EXPECT_EQ(QApplication::focusWidget(), d.txtArgumentValue(c.levels[k].row));
                EXPECT_TRUE(d.lblArgumentDesc()->text().startsWith("参数描述："));
                const bool bar = d.rowCount() > 4;
                EXPECT_EQ(d.scrollBars().Visible(SB_VERT), bar);
                EXPECT_EQ(qt::twipsTop(*d.picClient()), 0);
                EXPECT_EQ(qt::twipsLeft(*d.txtArgumentValue(1)), bar ? 1700 : 1900);
            }
            click(w, "cmdOK");
        });
        const Outcome o = play(driver);
        EXPECT_EQ(o.result, c.result);
        EXPECT_FALSE(o.isCancel);
        EXPECT_EQ(messages.messages, std::vector<Message>{});
        gFormulaStack.RemoveAll();
    }
}

TEST(Exchange, CancelAtAnyLevelEndsTheWholeExchangeEvenAfterACompletedCall) {
    DialogDriver completed;
    completed.expect("frmArgumentSet", [](QWidget& d) { click(d, "cmdOK"); });
    EXPECT_EQ(play(completed, "LEFT(\"a\",1)").result, "LEFT(\"a\",1)");
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
        if (level >= 1) driver.expect("frmArgumentSet", cancelOr(1, [](QWidget& d) { click(d, "cmdFormula1"); }));
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
        EXPECT_EQ(QApplication::focusWidget(), args(d).txtArgumentValue(2));
        EXPECT_EQ(args(d).lblArgumentDesc()->text().toStdString(),
                  "参数描述：起始位置\r\n参数类型：Integer\r\n类型描述：整数值");
        fill(d, {"\"abc\"", "1:2", "1"});
        click(d, "cmdOK");  // the colon is illegal
        EXPECT_EQ(messages.messages, (std::vector<Message>{information("参数(start_num)没有填写！"),
                                                           critical("不得包含非法字符' : '", "公式输入有误!")}));
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

// Without a recorder the check's message shows as a real box, which no step answers.
TEST(ModalGuard, AMessageNobodyAnswersIsClosedAndFailsTheTestWithItsText) {
    const demo::ModalGuard quick(1, [](const std::string& text) { ADD_FAILURE() << "left open: " << text; });
    DialogDriver driver;
    driver.expect("frmArgumentSet", [](QWidget& d) {
        fill(d, {"\"abc\"", "1:2", "1"});
        click(d, "cmdOK");
        click(d, "cmdCancel");
    });
    EXPECT_NONFATAL_FAILURE(play(driver, "MID"), "left open: 公式输入有误! | 不得包含非法字符' : '");
}

}  // namespace
}  // namespace nemro::testing
