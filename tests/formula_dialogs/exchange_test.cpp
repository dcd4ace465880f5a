// The chooser, the argument dialog and complete exchanges through the real dialogs:
// captions, lists, layout and scrolling, keys, failures and their messages, nesting to
// any depth, Cancel at each level; and the modal guard.
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest-spi.h>

#include <QAccessible>
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QWheelEvent>
#include <thread>

#include "dialog_support.h"
#include "frm_argument_set.h"
#include "frm_formula_editor.h"
#include "frm_modern_arguments.h"
#include "modal_guard.h"
#include "nemro/error.h"
#include "nemro/field_set.h"
#include "nemro/formula_set.h"

namespace nemro::testing {
namespace {

using dialogs::frmArgumentSet;
using Act = std::function<void(QWidget&)>;
using Steps = std::vector<std::pair<QString, Act>>;  // a step for each dialog in turn
// The dialogs of the style under test: the exchange tests run in both styles.
DialogStyle gStyle = DialogStyle::Classic;
QString kChooser = "frmFormulaSet", kArguments = "frmArgumentSet";

void useStyle(DialogStyle style) {
    const bool modern = style == DialogStyle::Modern;
    gStyle = style;
    kChooser = modern ? "frmModernChooser" : "frmFormulaSet";
    kArguments = modern ? "frmModernArguments" : "frmArgumentSet";
}

void forEachStyle(const std::function<void()>& test) {
    for (const DialogStyle style : {DialogStyle::Classic, DialogStyle::Modern}) {
        useStyle(style);
        SCOPED_TRACE(kChooser.toStdString());
        test();
    }
    useStyle(DialogStyle::Classic);
}

frmArgumentSet& args(QWidget& w) {
    return dynamic_cast<frmArgumentSet&>(w);
}
// The exchange a dialog of either style shows.
dialogs::FormulaSession& session(QWidget& w) {
    return dynamic_cast<dialogs::FlowDialog&>(w).session();
}
QListWidget& list(QWidget& d, const char* name) {
    return *find<QListWidget>(d, name);
}
QString label(QWidget& d, const char* name) {
    return find<QLabel>(d, name)->text();
}

void select(QWidget& d, const char* name, const QString& text) {
    list(d, name).setCurrentItem(list(d, name).findItems(text, Qt::MatchExactly).value(0));
}

QStringList items(QWidget& d, const char* name) {
    QStringList texts;
    for (int i = 0; i < list(d, name).count(); ++i) texts << list(d, name).item(i)->text();
    return texts;
}

// Chooses `function` through the all-functions category, or in the modern chooser by
// searching its name, and presses OK.
Act choose(const QString& f) {
    return [f](QWidget& d) {
        if (auto* search = d.findChild<QLineEdit*>("txtSearch"))
            search->setText(f);
        else
            select(d, "lstFormulaCategory", "全部函数"), select(d, "lstFormulaName", f);
        click(d, "cmdOK");
    };
}

// An argument dialog's field, in either style; nullptr past the last row.
QLineEdit* field(QWidget& w, int row) {
    return w.findChild<QLineEdit*>(QString("txtArgumentValue%1").arg(row));
}

void fill(QWidget& w, const QStringList& texts) {
    for (int i = 0; i < texts.size(); ++i) field(w, i + 1)->setText(texts[i]);
}

QStringList fields(QWidget& w) {
    QStringList texts;
    for (int i = 1; field(w, i); ++i) texts << field(w, i)->text();
    return texts;
}

struct Outcome {
    std::string result;  // with " cancelled" appended when isCancel
    std::vector<Message> messages;
    bool operator==(const Outcome&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const Outcome& r) {
        return o << r.result << ::testing::PrintToString(r.messages);
    }
};
const Outcome kCancelled{" cancelled", {}};

// The service the exchanges run on; its style is the one under test.
CFormulaSet gService;

Outcome play(const std::string& former, const Steps& steps) {
    MessageRecorder recorder;
    DialogDriver driver;
    for (const auto& [dialog, act] : steps) driver.expect(dialog, act);
    gService.setDialogStyle(gStyle);
    std::string result = "unset";
    driver.run([&] { result = gService.setFormula(former); });
    return {result + (gService.isCancel() ? " cancelled" : ""), recorder.messages};
}

// The argument dialog of `formula`, checked, then cancelled.
void withArguments(const std::string& formula, const std::function<void(frmArgumentSet&)>& check) {
    const Outcome o =
        play(formula, {{kArguments, [&](QWidget& d) { check(args(d)), click(d, "cmdCancel"); }}});
    EXPECT_EQ(o, kCancelled);
}

TEST(Chooser, OpensOnTheFirstCategoryAndListsEachCategorysDisplayedFunctionsInCatalogueOrder) {
    const std::pair<QString, QStringList> cases[] = {
        {"文本函数", {"LEFT", "MID", "MYTRIM", "Sum"}},  // the one it opens on
        {"逻辑函数", {"IF", "MARKS", "TODAY"}},
        {"全部函数",
         {"LEFT", "MID", "MYTRIM", "Sum", "IF", "MARKS", "TODAY", "ARGS2", "ARGS4", "ARGS5",
          "ARGS6", "ARGS10", "ARGS40", "BADCOUNT", "NOINFO", "NOVALUE", "NODESC"}},
        {"有误", {"BADCOUNT", "NOINFO", "NOVALUE", "NODESC"}},
    };
    const Outcome o = play(
        "", {{kChooser, [&](QWidget& d) {
                  EXPECT_EQ(d.size(), QSize(446, 303));  // 6690 x 4545 twips
                  EXPECT_EQ(items(d, "lstFormulaCategory"),
                            QStringList(
                                {"文本函数", "逻辑函数", "空分类", "多参数", "有误", "全部函数"}));
                  EXPECT_EQ(
                      QStringList({d.windowTitle(), label(d, "lblFormulaValue"),
                                   label(d, "lblFormulaTitleAnsDesc"), label(d, "Label1")}),
                      QStringList({"粘贴函数", "LEFT(...)", "LEFT：LEFT的说明。", "函数分类(&C)"}));
                  EXPECT_EQ(find<QLabel>(d, "Label1")->buddy(), &list(d, "lstFormulaCategory"));
                  for (const auto& [category, functions] : cases) {
                      if (&category != &cases[0].first) select(d, "lstFormulaCategory", category);
                      EXPECT_EQ(items(d, "lstFormulaName"), functions);
                      EXPECT_EQ(list(d, "lstFormulaName").currentRow(), 0);
                  }
                  // An empty category keeps the information shown, and OK does nothing.
                  select(d, "lstFormulaCategory", "空分类");
                  EXPECT_EQ(list(d, "lstFormulaName").count(), 0);
                  EXPECT_EQ(label(d, "lblFormulaValue") + label(d, "lblFormulaTitleAnsDesc"),
                            "BADCOUNT(...)BADCOUNT：BADCOUNT的说明。");
                  click(d, "cmdOK");
                  EXPECT_TRUE(d.isVisible());
                  click(d, "cmdCancel");
              }}});
    EXPECT_EQ(o, kCancelled);
}

TEST(Chooser,
     OkDoubleClickEnterAndAltOOpenTheArgumentDialogEscapeAndTheFrameCancel) {  // Escape there too
    const Act ways[] = {
        [](QWidget& d) { click(d, "cmdOK"); },
        [](QWidget& d) {
            emit list(d, "lstFormulaName")
                .itemDoubleClicked(list(d, "lstFormulaName").currentItem());
        },
        [](QWidget& d) { QTest::keyClick(&list(d, "lstFormulaName"), Qt::Key_Return); },
        [](QWidget& d) { QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier); },
        [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QWidget& d) { d.close(); },
    };
    for (int way = 0; way < 6; ++way) {
        Steps steps = {{kChooser, [&](QWidget& d) {
                            QApplication::setActiveWindow(&d),
                                select(d, "lstFormulaCategory", "逻辑函数"),
                                list(d, "lstFormulaName").setFocus();
                            ways[way](d);
                            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); },
                                                        2000));  // an accelerator clicks later
                        }}};
        if (way < 4)
            steps.push_back({kArguments, [](QWidget& d) {
                                 EXPECT_EQ(d.windowTitle(), "参数设置(IF)");
                                 QTest::keyClick(&d, Qt::Key_Escape);
                             }});
        EXPECT_EQ(play("", steps).result, " cancelled") << way;
    }
}

// Each failure shows its message; the dialog stays and goes on working.
TEST(Dialogs, AFailureInAClickOkOrFocusIsShownAndTheDialogStaysUsable) {
    const auto fromChooser = [](const QString& function, bool ok, const QString& value) {
        return Steps{{kChooser,
                      [=](QWidget& d) {
                          select(d, "lstFormulaCategory", "有误"),
                              select(d, "lstFormulaName", function);
                          if (ok) click(d, "cmdOK");
                          EXPECT_EQ(label(d, "lblFormulaValue"), value);
                          choose("IF")(d);
                      }},
                     {kArguments, [](QWidget& d) { click(d, "cmdCancel"); }}};
    };
    const struct {
        std::string former;
        Steps steps;
        Message message;
    } cases[] = {
        {"", fromChooser("NOINFO", false, ""),
         critical("Formula Value Must Be "
                  "Specified.\n\nfrmFormulaSet.GetFormulaInfo()\\GetFunctionInfo (-2147221504)")},
        {"", fromChooser("BADCOUNT", true, "BADCOUNT(...)"),
         information("公式(BADCOUNT)定义的参数个数和实际的参数个数不一致！")},
        {"", fromChooser("NOVALUE", true, "NOVALUE(...)"),
         critical("Argument Value Must Be "
                  "Specified.\n\nfrmArgumentSet.Load()\\frmFormulaSet.getArgumenPara()"
                  "\\getArgumentPara (-2147221504)")},
        {"NODESC",
         {{kArguments,
           [](QWidget& d) {
               QApplication::setActiveWindow(&d);
               args(d).txtArgumentValue(1)->setFocus(),
                   args(d).txtArgumentValue(1)->setText("typed");
               EXPECT_EQ(args(d).lblArgumentDesc()->text() + args(d).txtArgumentValue(1)->text(),
                         "typed");
               click(d, "cmdCancel");
           }}},
         critical("Argument Description Must Be "
                  "Specified.\n\nfrmFormulaSet.getArgumenPara()\\getArgumentPara (-2147221504)")},
        // A failing check in a nested dialog keeps it open, its entry parked.
        {"LEFT",
         {{kArguments, [](QWidget& d) { click(d, "cmdFormula2"); }},
          {kChooser, choose("MID")},
          {kArguments,
           [](QWidget& d) {
               QApplication::setActiveWindow(&d);
               fill(d, {"\"abc\"", "", "1"}), click(d, "cmdOK");
               EXPECT_EQ(QApplication::focusWidget(), args(d).txtArgumentValue(2));
               EXPECT_EQ(args(d).lblArgumentDesc()->text(),
                         "参数描述：起始位置\r\n参数类型：Integer\r\n类型描述：整数值");
               EXPECT_EQ(d.windowTitle() + QString::number(session(d).depth()), "参数设置(MID)1");
               click(d, "cmdCancel");
           }}},
         information("参数(start_num)没有填写！")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(play(c.former, c.steps), (Outcome{" cancelled", {c.message}}));
    }
}

TEST(Service, ACallFromAnotherThreadFailsWithAClearError) {
    std::string description;
    std::thread([&] {
        try {
            CFormulaSet().setFormula();
        } catch (const NemroError& e) {
            description = e.description();
        }
    }).join();
    EXPECT_EQ(description,
              "The formula dialogs must be called on the thread that runs the Qt application.");
}

TEST(ArgumentDialog, RowsAndScrollBarsFollowTheArgumentCount) {
    // 585 twips a row (555 + 2 pixels); the 2715-twip viewport holds four rows.
    const struct {
        int arguments;
        bool bar;
        int max, largeChange;  // of the vertical bar, when shown
    } cases[] = {{2, false, 0, 0},  {4, false, 0, 0},     {5, true, 14, 14},
                 {6, true, 53, 53}, {10, true, 209, 209}, {40, true, 1379, 275}};
    for (const auto& c : cases) {
        withArguments("ARGS" + std::to_string(c.arguments), [&](frmArgumentSet& d) {
            QResizeEvent e(d.size(), d.size());  // later resizes do not move the rows again
            QApplication::sendEvent(&d, &e);
            ASSERT_EQ(d.rowCount(), c.arguments);
            for (int i = 1; i <= c.arguments; ++i) {
                EXPECT_EQ(QList<QRect>({twips(*d.fraArgument(i)), twips(*d.cmdFormula(i))}),
                          QList<QRect>({{0, (i - 1) * 585, 4995, 555},
                                        {c.bar ? 4335 : 4535, 100, 315, 315}}));
                EXPECT_EQ(QList<QPoint>({twips(*d.lblArgumentValue(i)).topLeft(),
                                         twips(*d.txtArgumentValue(i)).topLeft()}),
                          QList<QPoint>({{100, 200}, {c.bar ? 1700 : 1900, 100}}));
                EXPECT_EQ(d.lblArgumentValue(i)->text() + d.cmdFormula(i)->toolTip(),
                          QString("arg%1(可选)选择公式").arg(i));
                EXPECT_FALSE(d.cmdFormula(i)->autoDefault());
            }
            EXPECT_EQ(
                QList<int>({qt::twipsHeight(*d.picClient()), d.scrollBars().SmallChange(SB_VERT),
                            c.bar ? d.scrollBars().Max(SB_VERT) : 0,
                            c.bar ? d.scrollBars().LargeChange(SB_VERT) : 0}),
                QList<int>({c.arguments * 585, 39, c.max, c.largeChange}));
            EXPECT_EQ(QList<bool>({d.scrollBars().Visible(SB_VERT),
                                   d.findChild<QScrollBar*>("Picture1VScroll")->isVisible(),
                                   d.findChild<QScrollBar*>("Picture1HScroll")->isVisible()}),
                      QList<bool>({c.bar, c.bar, false}));
            EXPECT_EQ(d.lblArgumentDesc()->text(), "");
        });
    }
    // Only a Required of exactly "True" marks an argument as required.
    withArguments("MARKS", [](frmArgumentSet& d) {
        EXPECT_EQ(QStringList({d.lblArgumentValue(1)->text(), d.lblArgumentValue(2)->text(),
                               d.lblArgumentValue(3)->text(), d.lblArgumentValue(4)->text()}),
                  QStringList({"a(必选)", "b(可选)", "c(可选)", "d(可选)"}));
        EXPECT_EQ(d.lblArgumentValue(1)->buddy(), d.txtArgumentValue(1));
    });
}

void wheel(QWidget& over, int angle) {
    QWheelEvent e(QPointF(5, 5), over.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, angle),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(
        &e);  // as from the window system: only such climb to the parents
    qApp->notify(&over, &e);
}

TEST(ArgumentDialog, ScrollingMovesTheClientPanelByPixels) {
    withArguments("ARGS10", [](frmArgumentSet& d) {
        auto* bar = d.findChild<QScrollBar*>("Picture1VScroll");
        const auto action = [bar](QAbstractSlider::SliderAction a) {
            return [=] { bar->triggerAction(a); };
        };
        const std::pair<std::function<void()>, int> steps[] = {
            {[&] { d.scrollBars().Value(SB_VERT, 20); }, 20},
            {action(QAbstractSlider::SliderSingleStepAdd), 59},
            {action(QAbstractSlider::SliderSingleStepSub), 20},
            {action(QAbstractSlider::SliderSingleStepSub), 0},
            {action(QAbstractSlider::SliderToMaximum), 209},
            {action(QAbstractSlider::SliderToMinimum), 0},
            {[&] { bar->setSliderPosition(120); }, 120},  // dragging the scroll box
            {action(QAbstractSlider::SliderPageStepAdd),
             210},  // the platform lets a page start one past Max
            {action(QAbstractSlider::SliderPageStepSub), 1},
            // The wheel over a field: three lines of 39 pixels a notch; half a notch is nothing.
            {[&] { wheel(*d.txtArgumentValue(2), -120); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), -60); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), 120); }, 1},
        };
        for (const auto& [act, value] : steps) {
            act();
            EXPECT_EQ(QList<int>({d.scrollBars().Value(SB_VERT), qt::twipsTop(*d.picClient()),
                                  bar->value()}),
                      QList<int>({value, -value * 15, value}));
        }
    });
}

TEST(ArgumentDialog, FormerFormulaWithTooManyArgumentsFailsTheCallOnce) {
    std::string failure = "none";
    try {
        play("LEFT(1,2,3)", {});
    } catch (const NemroError& e) {
        failure = std::to_string(e.number()) + " " + e.source();
    }
    EXPECT_EQ(failure, "340 frmArgumentSet.Load()\\frmArgumentSet");
    // The failed formula is not kept for the next call, which opens the chooser.
    EXPECT_EQ(play("", {{kChooser, [](QWidget& d) { click(d, "cmdCancel"); }}}).result,
              " cancelled");
}

TEST(Exchange, OkComposesTheFormulaFromTheFields) {
    forEachStyle([] {
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
            {"IF( a , b ,c)", "", {" a ", " b ", "c"}, {}, "IF(a,b,c)"},
            {"IF(,x)", "", {"", "x", ""}, {"1>0", "\"x\"", "2"}, "IF(1>0,\"x\",2)"},
            {"IF()", "", {"", "", ""}, {"1", "2", "3"}, "IF(1,2,3)"},
            // Catalogue functions pass the check whatever their case.
            {"LEFT", "", {"", ""}, {"Sum(1)&mytrim(\"a\")"}, "LEFT(Sum(1)&mytrim(\"a\"),)"},
            {"IF(LEFT(A1,2)=\"a\",1)",
             "",
             {"LEFT(A1,2)=\"a\"", "1", ""},
             {"LEFT(A1,2)=\"b\"", "1", "2"},
             "IF(LEFT(A1,2)=\"b\",1,2)"},
        };
        for (const auto& c : cases) {
            Steps steps = {{kArguments, [&](QWidget& d) {
                                EXPECT_EQ(
                                    d.windowTitle().toStdString(),
                                    "参数设置(" + c.result.substr(0, c.result.find('(')) + ")");
                                EXPECT_EQ(fields(d), c.shown);
                                fill(d, c.typed), click(d, "cmdOK");
                            }}};
            if (!c.chosen.isEmpty()) steps.insert(steps.begin(), {kChooser, choose(c.chosen)});
            // The modern style leaves out the empty optional arguments at the end.
            std::string result = c.result;
            if (gStyle == DialogStyle::Modern && result.ends_with(",)"))
                result.replace(result.size() - 2, 2, ")");
            EXPECT_EQ(play(c.former, steps), (Outcome{result, {}}));
        }
    });
}

// Each level chooses a function, fills its fields and nests into a row, the last presses
// OK (or Enter); each then climbs to the level around, whose window is rebuilt for it.
TEST(Exchange, NestedOksClimbLevelByLevelIntoTheRowsTheyCameFrom) {
    forEachStyle([] {
        struct Level {
            QString function;
            QStringList typed;
            int row;  // nested into; 0 on the last level
        };
        const struct {
            std::vector<Level> levels;
            std::vector<QStringList> climbs;  // the fields of each level around, innermost first
            std::string result;
            bool enter;
        } cases[] = {
            {{{"IF", {"1>0", " 1& ", "\"z\""}, 2}, {"LEFT", {"\"ab\"", "1"}, 0}},
             {{"1>0", " 1& LEFT(\"ab\",1)", "\"z\""}},
             "IF(1>0,1& LEFT(\"ab\",1),\"z\")",
             false},
            {{{"IF", {"1>0", "", "\"y\""}, 2},
              {"LEFT", {"\"abc\"", ""}, 2},
              {"ARGS2", {"1", "2"}, 0}},
             {{"\"abc\"", "ARGS2(1,2)"}, {"1>0", "LEFT(\"abc\",ARGS2(1,2))", "\"y\""}},
             "IF(1>0,LEFT(\"abc\",ARGS2(1,2)),\"y\")",
             true},
            // Few rows around many and many around few: the bar and the scrolling go.
            {{{"LEFT", {"\"x\""}, 2}, {"ARGS6", {"1", "2", "3", "4", "5", "6"}, 0}},
             {{"\"x\"", "ARGS6(1,2,3,4,5,6)"}},
             "LEFT(\"x\",ARGS6(1,2,3,4,5,6))",
             false},
            {{{"ARGS6", {"\"x\""}, 6}, {"MYTRIM", {"\"ab\""}, 0}},
             {{"\"x\"", "", "", "", "", "MYTRIM(\"ab\")"}},
             "ARGS6(\"x\",,,,,MYTRIM(\"ab\"))",
             true},
            // A "|" typed into an outer field comes back as typed.
            {{{"LEFT", {"a|b", ""}, 2}, {"MID", {"\"abc\"", "1", "1"}, 0}},
             {{"a|b", "MID(\"abc\",1,1)"}},
             " cancelled",
             false},
        };
        for (const auto& c : cases) {
            Steps steps;
            const int depth = static_cast<int>(c.levels.size());
            for (int k = 0; k < depth; ++k) {
                steps.push_back({kChooser, [&, k](QWidget& d) {
                                     EXPECT_EQ(session(d).depth(), k);
                                     choose(c.levels[k].function)(d);
                                 }});
                if (k + 1 < depth)
                    steps.push_back({kArguments, [&, k](QWidget& d) {
                                         fill(d, c.levels[k].typed),
                                             click(d, QString("cmdFormula%1").arg(c.levels[k].row));
                                     }});
            }
            steps.push_back(
                {kArguments, [&](QWidget& w) {
                     const bool classic = gStyle == DialogStyle::Classic;
                     QApplication::setActiveWindow(&w), fill(w, c.levels.back().typed);
                     // In the first field: hiding it on the climb must not pass the focus on to the
                     // other old fields, which the outer function may not have.
                     field(w, 1)->setFocus();
                     if (classic && args(w).scrollBars().Visible(SB_VERT))
                         args(w).scrollBars().Value(SB_VERT, 20);
                     for (int k = depth - 2; k >= 0; --k) {
                         if (c.enter)
                             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                         else
                             click(w, "cmdOK");
                         EXPECT_EQ(
                             QString::fromStdString(session(w).functionName()) + w.windowTitle(),
                             c.levels[k].function + "参数设置(" + c.levels[k].function + ")");
                         EXPECT_EQ(fields(w), c.climbs[depth - 2 - k]);
                         EXPECT_EQ(session(w).depth(), k);
                         EXPECT_EQ(QApplication::focusWidget(), field(w, c.levels[k].row));
                         if (!classic) continue;
                         frmArgumentSet& d = args(w);
                         const bool bar = d.rowCount() > 4;
                         EXPECT_EQ(QList<int>({d.scrollBars().Visible(SB_VERT),
                                               qt::twipsTop(*d.picClient()),
                                               qt::twipsLeft(*d.txtArgumentValue(1))}),
                                   QList<int>({bar, 0, bar ? 1700 : 1900}));
                     }
                     if (c.result == " cancelled")
                         click(w, "cmdCancel");
                     else if (c.enter)
                         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                     else
                         click(w, "cmdOK");
                 }});
            EXPECT_EQ(play("", steps), (Outcome{c.result, {}}));
        }
    });
}

TEST(Exchange, CancelAtAnyLevelEndsTheWholeExchangeEvenAfterACallCompletedWithAltO) {
    forEachStyle([] {
        const Act altO = [](QWidget& d) {
            QApplication::setActiveWindow(&d), QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); },
                                        2000));  // an accelerator clicks later
        };
        EXPECT_EQ(play("LEFT(\"a\",1)", {{kArguments, altO}}).result, "LEFT(\"a\",1)");
        // The first chooser, the outer dialog, the nested chooser, the nested dialog.
        const Steps levels = {{kChooser, choose("LEFT")},
                              {kArguments, [](QWidget& d) { click(d, "cmdFormula1"); }},
                              {kChooser, choose("LEFT")},
                              {kArguments, [](QWidget&) {}}};
        for (int level = 0; level < 4; ++level) {
            Steps steps(levels.begin(), levels.begin() + level);
            steps.push_back({levels[level].first, [](QWidget& d) { click(d, "cmdCancel"); }});
            EXPECT_EQ(play("", steps).result, " cancelled") << level;
        }
    });
}

QStringList rows(QWidget& d) {
    QStringList texts;
    auto* view = find<QAbstractItemView>(d, "lstFormulaName");
    for (int i = 0; i < view->model()->rowCount(); ++i)
        texts << view->model()->index(i, 0).data().toString();
    return texts;
}

const QString kModern = "frmModernChooser";
Outcome playModern(const Steps& steps, const std::string& former = "") {
    useStyle(DialogStyle::Modern);
    const Outcome o = play(former, steps);
    useStyle(DialogStyle::Classic);
    return o;
}

TEST(ModernChooser, SearchesTheWholeCatalogueAndTheKeysMoveOkAndClearIt) {
    const Outcome o = playModern(
        {{kModern,
          [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              auto* search = find<QLineEdit>(d, "txtSearch");
              EXPECT_EQ(QApplication::focusWidget(), search);
              EXPECT_EQ(items(d, "lstFormulaCategory").mid(0, 2),
                        QStringList({"最近使用", "文本函数"}));
              const std::pair<QString, QStringList> searches[] = {
                  {"ＭＩ", {"MID  MID  · 文本函数"}},  // full width as typed with an input method
                  {"arg",
                   {"ARGS2  ARGS2  · 多参数", "ARGS4  ARGS4  · 多参数", "ARGS5  ARGS5  · 多参数",
                    "ARGS6  ARGS6  · 多参数", "ARGS10  ARGS10  · 多参数",
                    "ARGS40  ARGS40  · 多参数"}},
                  {"子串", {"MID  MID  · 文本函数"}},  // a keyword
                  {"nosuch", {}},
              };
              for (const auto& [query, expected] : searches) {
                  search->setText(query);
                  EXPECT_EQ(rows(d), expected) << query.toStdString();
              }
              search->setText("arg");
              QTest::keyClick(search, Qt::Key_Down), QTest::keyClick(search, Qt::Key_Down),
                  QTest::keyClick(search, Qt::Key_Up);
              EXPECT_EQ(find<QAbstractItemView>(d, "lstFormulaName")->currentIndex().row(), 1);
              QTest::keyClick(search, Qt::Key_Escape);  // clears the search, and the chooser stays
              EXPECT_EQ(search->text() + QString::number(d.isVisible()), "1");
              search->setText("MID");
              EXPECT_TRUE(QTest::qWaitFor([&] {
                  return find<QTextEdit>(d, "txtFormulaHelp")
                      ->toPlainText()
                      .contains("示例：MID(\"abc\",2,1) 的结果为 b");
              }));
              QTest::keyClick(search, Qt::Key_Return);
          }},
         {"frmModernArguments", [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); }}});
    EXPECT_EQ(o, kCancelled);
    // Escape on an empty search cancels; OK on a function whose arguments do not match
    // MaxArgNum refuses as the classic chooser does.
    EXPECT_EQ(playModern({{kModern,
                           [](QWidget& d) {
                               QTest::keyClick(find<QLineEdit>(d, "txtSearch"), Qt::Key_Escape);
                           }}}),
              kCancelled);
    EXPECT_EQ(
        playModern({{kModern, [](QWidget& d) { choose("BADCOUNT")(d), click(d, "cmdCancel"); }}}),
        (Outcome{" cancelled",
                 {information("公式(BADCOUNT)定义的参数个数和实际的参数个数不一致！")}}));
}

TEST(ModernChooser, RecentlyUsedListsTheLastFunctionsChosenOrReEditedMostRecentFirst) {
    CFormulaSet().clearRecentFunctions();
    const Act cancel = [](QWidget& d) { click(d, "cmdCancel"); };
    playModern({{kModern, choose("LEFT")}, {"frmModernArguments", cancel}});
    playModern({{kModern, choose("MID")}, {"frmModernArguments", cancel}});
    playModern({{"frmModernArguments", cancel}}, "IF(1,2,3)");
    playModern({{kModern, [](QWidget& d) {
                     EXPECT_EQ(list(d, "lstFormulaCategory").currentRow(), 0);
                     EXPECT_EQ(rows(d), QStringList({"IF  IF  · 逻辑函数", "MID  MID  · 文本函数",
                                                     "LEFT  LEFT  · 文本函数"}));
                     click(d, "cmdCancel");
                 }}});
    CFormulaSet().clearRecentFunctions();
    playModern({{kModern, [](QWidget& d) {
                     EXPECT_EQ(list(d, "lstFormulaCategory").currentRow(),
                               1);  // nothing recent: the first category
                     click(d, "cmdCancel");
                 }}});
}

TEST(ModernChooser, EveryControlIsNamedForAssistiveTechnologyAndTabGoesInReadingOrder) {
    playModern({{kModern, [](QWidget& d) {
                     QApplication::setActiveWindow(&d);
                     QStringList order;
                     for (int i = 0; i < 6; ++i) {
                         QWidget* w = QApplication::focusWidget();
                         QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                         EXPECT_FALSE(a->text(QAccessible::Name).isEmpty() ||
                                      a->text(QAccessible::Description).isEmpty())
                             << w->objectName().toStdString();
                         order << w->objectName();
                         QTest::keyClick(w, Qt::Key_Tab);
                     }
                     EXPECT_EQ(order,
                               QStringList({"txtSearch", "lstFormulaCategory", "lstFormulaName",
                                            "txtFormulaHelp", "cmdOK", "cmdCancel"}));
                     // Resizable down to a minimum that still shows everything, and its size is
                     // kept.
                     EXPECT_LT(d.minimumWidth(), d.width());
                     d.resize(d.minimumSize());
                     click(d, "cmdCancel");
                 }}});
    playModern({{kModern, [](QWidget& d) {
                     EXPECT_EQ(d.size(), d.minimumSize());
                     click(d, "cmdCancel");
                 }}});
}

// Typed key by key, as an input method delivers each character.
void type(QLineEdit* field, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

QString value(QWidget& d, int row) {
    return find<QLabel>(d, QString("lblArgumentResult%1").arg(row))->text();
}
QString result(QWidget& d) {
    dynamic_cast<dialogs::frmModernArguments&>(d)
        .refreshNow();  // instead of waiting for the pause in typing
    return find<QLabel>(d, "lblNestingPath")->text() + " | " +
           find<QLabel>(d, "lblFormula")->text() + " | " + find<QLabel>(d, "lblResult")->text();
}

TEST(ModernArguments, ShowEachRowsValueTheFormulaAndItsResultOrTheMessageOkWouldShow) {
    gService.setSampleValues({{"A1", "\"abc\""}});
    const Outcome o = playModern(
        {{kModern, choose("IF")},
         {"frmModernArguments",
          [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              EXPECT_EQ(QApplication::focusWidget(), field(d, 1));
              EXPECT_EQ(field(d, 1)->completer()->model()->rowCount(),
                        2);  // TRUE and FALSE for a Boolean
              EXPECT_EQ(result(d), "IF | IF() | 参数(logical_test)没有填写！");
              click(d, "cmdFormula2");
          }},
         {kModern, choose("LEFT")},
         {"frmModernArguments", [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              EXPECT_EQ(field(d, 1)->accessibleName() + "|" + field(d, 1)->accessibleDescription(),
                        "text|要提取字符的文本");
              // Full-width punctuation and digits from an input method become ASCII outside a
              // literal.
              type(field(d, 1), "Ａ１＆＂，＂");
              type(field(d, 2), "（１＋１）");
              EXPECT_EQ(fields(d), QStringList({"A1&\"，\"", "(1+1)"}));
              // The modern check takes any text in a literal.
              EXPECT_EQ(result(d), "IF › LEFT | LEFT(A1&\"，\",(1+1)) | 计算结果 = \"ab\"");
              EXPECT_EQ(value(d, 1) + " " + value(d, 2), "= \"abc，\" = 2");
              field(d, 1)->setText("A1");
              EXPECT_EQ(result(d), "IF › LEFT | LEFT(A1,(1+1)) | 计算结果 = \"ab\"");
              field(d, 2)->setText("(1+");
              EXPECT_EQ(result(d), "IF › LEFT | LEFT(A1,(1+) | 运算符后面不能是“)”。");
              click(d, "cmdOK");  // and OK shows the same message
              field(d, 2)->setText("1");
              click(d, "cmdOK");
              EXPECT_EQ(result(d), "IF | IF(,LEFT(A1,1)) | 参数(logical_test)没有填写！");
              click(d, "cmdCancel");
          }}});
    EXPECT_EQ(o, (Outcome{" cancelled", {critical("运算符后面不能是“)”。", "公式输入有误!")}}));
    gService.setSampleValues(std::map<std::string, std::string>());
}

// Two forms of one host, each with its own service: style, sample values and the recently
// used functions stay each object's; isCancel tells of the thread's last exchange.
TEST(Service, TwoObjectsOnOneThreadKeepTheirOwnOptions) {
    CFormulaSet first, second, plain;
    first.setDialogStyle(DialogStyle::Modern), second.setDialogStyle(DialogStyle::Modern);
    first.setSampleValues({{"A1", "1"}}), second.setSampleValues({{"a1", "\"two\""}});
    first.setSettingsScope("NemroFormulaSet", "tests-first");
    second.setSettingsScope("NemroFormulaSet", "tests-second");
    first.clearRecentFunctions(), second.clearRecentFunctions();
    const auto run = [](CFormulaSet& service, const std::string& former, const QString& dialog,
                        const Act& act) {
        MessageRecorder recorder;
        DialogDriver driver;
        driver.expect(dialog, act);
        std::string result;
        driver.run([&] { result = service.setFormula(former); });
        return result + (service.isCancel() ? " cancelled" : "");
    };
    QStringList shown;
    const Act look = [&](QWidget& d) {
        shown << (field(d, 1) ? value(d, 1)
                              : QString::number(items(d, "lstFormulaCategory").size()));
        click(d, "cmdOK");
    };
    EXPECT_EQ(run(first, "LEFT(A1,1)", "frmModernArguments", look), "LEFT(A1,1)");
    EXPECT_EQ(run(second, "MID(A1,1,1)", "frmModernArguments", look), "MID(A1,1,1)");
    EXPECT_EQ(run(plain, "", "frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); }),
              " cancelled");
    EXPECT_EQ(shown, QStringList({"= 1", "= \"two\""}));
    const Act recent = [&](QWidget& d) {
        shown = {rows(d).join(",")};
        click(d, "cmdCancel");
    };
    run(first, "", "frmModernChooser", recent);
    EXPECT_EQ(shown, QStringList({"LEFT  LEFT  · 文本函数"}));
    run(second, "", "frmModernChooser", recent);
    EXPECT_EQ(shown, QStringList({"MID  MID  · 文本函数"}));
    first.clearRecentFunctions(), second.clearRecentFunctions();
}

TEST(ModernArguments, LongOptionalListsShowTheFilledRowsAndOneEmptyRow) {
    playModern({{kModern, choose("ARGS40")}, {"frmModernArguments", [](QWidget& d) {
                                                  const auto shown = [&] {
                                                      int n = 0;
                                                      for (int i = 1; field(d, i); ++i)
                                                          n += field(d, i)->isVisible();
                                                      return n;
                                                  };
                                                  EXPECT_EQ(shown(), 1);
                                                  field(d, 1)->setText("1"),
                                                      field(d, 2)->setText("2");
                                                  EXPECT_EQ(shown(), 3);
                                                  click(d, "cmdCancel");
                                              }}});
}

// Keys go to the focused field, as a user's do.
void typeHere(const QString& text) {
    auto* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr);
    type(focused, text);
}
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

TEST(ModernArguments, TabGoesFromFieldToFieldAndShiftF3NestsFromTheKeyboard) {
    const Act typeTabTypeEnter = [](QWidget& d) {
        QApplication::setActiveWindow(&d);
        typeHere("1>0"), press(Qt::Key_Tab), typeHere("1"), press(Qt::Key_Tab), typeHere("2");
        press(Qt::Key_Return);
    };
    const Outcome o = playModern(
        {{"frmModernArguments",
          [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              // A literal's comma stays in its field when the formula re-opens.
              EXPECT_EQ(fields(d), QStringList({"\"a,b\"", "1"}));
              field(d, 2)->clear();
              press(Qt::Key_Tab);
              EXPECT_EQ(QApplication::focusWidget(), field(d, 2));
              // A long value line wraps within the row instead of being cut off.
              field(d, 1)->setText("变量名称很长很长很长很长很长很长很长很长很长很长");
              dynamic_cast<dialogs::frmModernArguments&>(d).refreshNow();
              QApplication::processEvents();
              QLabel* shown = find<QLabel>(d, "lblArgumentResult1");
              const QWidget* visible = find<QScrollArea>(d, "rows")->viewport();
              EXPECT_LE(shown->mapTo(visible, QPoint(shown->width(), 0)).x(), visible->width());
              EXPECT_TRUE(
                  shown->width() >= shown->sizeHint().width() ||
                  (shown->wordWrap() && shown->height() >= shown->heightForWidth(shown->width())));
              EXPECT_EQ(shown->toolTip(), shown->text());
              field(d, 1)->setText("\"a,b\"");
              press(Qt::Key_F3, Qt::ShiftModifier);
          }},
         {kModern, choose("IF")},
         {"frmModernArguments", typeTabTypeEnter},
         {"frmModernArguments",
          [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              press(Qt::Key_Return);
          }}},
        "LEFT(\"a,b\",1)");
    EXPECT_EQ(o, (Outcome{"LEFT(\"a,b\",IF(1>0,1,2))", {}}));
}

CFormulaEdit& editor(QWidget& d) {
    return dynamic_cast<dialogs::frmFormulaEditor&>(d).editor();
}

TEST(ModernExchange, TheEditorTakesTheFormulaSoFarNestsACallWithFxAndItsOkEndsTheExchange) {
    const Outcome o =
        playModern({{kModern, choose("IF")},
                    {"frmModernArguments",
                     [](QWidget& d) {
                         fill(d, {"1>0", "", "0"}), click(d, "cmdFormula2");
                     }},
                    {kModern,
                     [](QWidget& d) {
                         QApplication::setActiveWindow(&d);
                         press(Qt::Key_F2);  // a shortcut clicks its button a moment later
                         EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
                     }},
                    {"frmFormulaEditor",
                     [](QWidget& d) {
                         EXPECT_EQ(d.windowTitle(), "编辑公式");
                         EXPECT_EQ(std::pair(editor(d).formula(), editor(d).cursorPosition()),
                                   std::pair(std::string("IF(1>0,,0)"), std::size_t{7}));
                         editor(d).insertText("\"x\"&");
                         // fx opens dialogs of its own, which the next steps answer.
                         QTimer::singleShot(0, &d, [&d] { click(d, "cmdInsertFunction"); });
                     }},
                    {kModern, choose("LEFT")},
                    {"frmModernArguments",
                     [](QWidget& d) {
                         fill(d, {"\"ab\"", "1"}), click(d, "cmdOK");
                     }},
                    {"frmFormulaEditor", [](QWidget& d) {
                         EXPECT_EQ(editor(d).formula(), "IF(1>0,\"x\"&LEFT(\"ab\",1),0)");
                         QApplication::setActiveWindow(&d);
                         press(Qt::Key_Return);
                     }}});
    EXPECT_EQ(o, (Outcome{"IF(1>0,\"x\"&LEFT(\"ab\",1),0)", {}}));

    // From the argument dialog, its fields composed; a formula that is not one call
    // re-opens in the editor, where Esc cancels the exchange.
    const Outcome fromArguments =
        playModern({{"frmModernArguments",
                     [](QWidget& d) {
                         QApplication::setActiveWindow(&d);
                         field(d, 2)->setText("2");
                         press(Qt::Key_F2);
                         EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
                     }},
                    {"frmFormulaEditor",
                     [](QWidget& d) {
                         QApplication::setActiveWindow(&d);
                         QTest::keyClicks(QApplication::focusWidget(), "&\"c\"");
                         press(Qt::Key_Return);
                     }}},
                   "LEFT(\"abc\",1)");
    EXPECT_EQ(fromArguments, (Outcome{"LEFT(\"abc\",2)&\"c\"", {}}));
    for (const std::string former : {"ROUND(A1,2)*1.1", "基本工资+岗位工资-扣款"}) {
        const Outcome reopened = playModern({{"frmFormulaEditor",
                                              [&](QWidget& d) {
                                                  EXPECT_EQ(editor(d).formula(), former);
                                                  QApplication::setActiveWindow(&d);
                                                  press(Qt::Key_Escape);
                                              }}},
                                            former);
        EXPECT_EQ(reopened, kCancelled);
    }
}

// Opened from a row, the chooser lists the declared names under their groups and finds
// them with the functions; OK on a name puts it into the row at its cursor.
TEST(ModernChooser, DeclaredNamesGoIntoTheRowTheChooserWasOpenedFrom) {
    gService.setFieldsCsv(
        "name,type,group,sample\n基本工资,number,工资项目,8000\n姓名,text,人员信息,张三\n");
    const Outcome o = playModern(
        {{kModern,
          [](QWidget& d) {
              EXPECT_FALSE(items(d, "lstFormulaCategory").contains("工资项目"));  // no row yet
              choose("IF")(d);
          }},
         {"frmModernArguments",
          [](QWidget& d) {
              field(d, 1)->setText("1>");
              click(d, "cmdFormula1");
          }},
         {kModern,
          [](QWidget& d) {
              EXPECT_EQ(
                  items(d, "lstFormulaCategory").mid(items(d, "lstFormulaCategory").size() - 2),
                  QStringList({"工资项目", "人员信息"}));
              find<QLineEdit>(d, "txtSearch")->setText("jbgz");
              EXPECT_EQ(rows(d), QStringList({"基本工资  工资项目"}));
              click(d, "cmdOK");
          }},
         {"frmModernArguments",
          [](QWidget& d) {
              EXPECT_EQ(fields(d).first(), "1>基本工资");
              EXPECT_EQ(field(d, 1)->cursorPosition(), 6);
              field(d, 1)->setText("");
              click(d, "cmdFormula1");
          }},
         {kModern,
          [](QWidget& d) {
              select(d, "lstFormulaCategory", "人员信息");
              click(d, "cmdOK");
          }},
         {"frmModernArguments", [](QWidget& d) {
              QApplication::setActiveWindow(&d);
              dynamic_cast<dialogs::frmModernArguments&>(d).refreshNow();
              EXPECT_EQ(value(d, 1), "= \"张三\"");
              EXPECT_TRUE(find<QTextEdit>(d, "txtArgumentHelp")
                              ->toPlainText()
                              .contains("“姓名”是文本，与参数的数据类型（Boolean）不符"));
              click(d, "cmdCancel");
          }}});
    EXPECT_EQ(o, kCancelled);
    gService.setFields({});
}

// Without a recorder the check's message shows as a real box, which no step answers.
TEST(ModalGuard, AMessageNobodyAnswersIsClosedAndFailsTheTestWithItsText) {
    const demo::ModalGuard quick(
        1, [](const std::string& text) { ADD_FAILURE() << "left open: " << text; });
    DialogDriver driver;
    driver.expect(kArguments, [](QWidget& d) {
        fill(d, {"\"abc\"", "1:2", "1"}), click(d, "cmdOK"), click(d, "cmdCancel");
    });
    EXPECT_NONFATAL_FAILURE(driver.run([] { CFormulaSet().setFormula("MID"); }),
                            "left open: 公式输入有误! | 不得包含非法字符' : '");
}

}  // namespace
}  // namespace nemro::testing
