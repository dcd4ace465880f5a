// The argument dialog's layout through the real dialog: rows, labels, scroll bars,
// scrolling, the focus description, the caption and the filling from a former formula.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include "dialog_support.h"
#include "frm_argument_set.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/formula_state.h"
#include "nemro/qt_toolkit.h"

namespace nemro::testing {
namespace {

using dialogs::frmArgumentSet;

// Opens the argument dialog for `formula` (a name alone gives empty fields) and runs
// `check` on it, then cancels.
void withArgumentDialog(const std::string& formula, const std::function<void(frmArgumentSet&)>& check) {
    DialogDriver driver;
    driver.expect("frmArgumentSet", [&](QWidget& w) {
        auto* d = dynamic_cast<frmArgumentSet*>(&w);
        ASSERT_NE(d, nullptr);
        check(*d);
        click(w, "cmdCancel");
    });
    CFormulaSet service;
    driver.run([&] { service.setFormula(formula); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    EXPECT_TRUE(service.isCancel());
}

QStringList fieldTexts(frmArgumentSet& d) {
    QStringList texts;
    for (int i = 1; i <= d.rowCount(); ++i) texts << d.txtArgumentValue(i)->text();
    return texts;
}

TEST(ArgumentDialog, RowsAndScrollBarsFollowTheArgumentCount) {
    struct Case {
        int arguments;
        bool barShown;
        int max;  // of the vertical bar, when shown
        int largeChange;
    };
    // 585 twips a row (555 + 2 pixels); the 2715-twip viewport holds four rows.
    const std::vector<Case> cases = {
        {2, false, 0, 0}, {4, false, 0, 0}, {5, true, 14, 14}, {6, true, 53, 53}, {40, true, 1379, 275},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        withArgumentDialog("ARGS" + std::to_string(c.arguments), [&](frmArgumentSet& d) {
            ASSERT_EQ(d.rowCount(), c.arguments);
            for (int i = 1; i <= c.arguments; ++i) {
                EXPECT_EQ(qt::twipsTop(*d.fraArgument(i)), (i - 1) * 585);
                EXPECT_EQ(qt::twipsHeight(*d.fraArgument(i)), 555);
                EXPECT_EQ(qt::twipsWidth(*d.fraArgument(i)), 4995);
                EXPECT_EQ(d.lblArgumentValue(i)->text().toStdString(), "arg" + std::to_string(i) + "(可选)");
                EXPECT_EQ(qt::twipsLeft(*d.lblArgumentValue(i)), 100);
                EXPECT_EQ(qt::twipsTop(*d.txtArgumentValue(i)), 100);
                EXPECT_EQ(qt::twipsLeft(*d.txtArgumentValue(i)), c.barShown ? 1700 : 1900);
                EXPECT_EQ(qt::twipsLeft(*d.cmdFormula(i)), c.barShown ? 4335 : 4535);
                EXPECT_EQ(qt::twipsWidth(*d.cmdFormula(i)), 315);
                EXPECT_EQ(qt::twipsHeight(*d.cmdFormula(i)), 315);
                EXPECT_FALSE(d.cmdFormula(i)->isDefault());
                EXPECT_FALSE(d.cmdFormula(i)->autoDefault());
                EXPECT_EQ(d.cmdFormula(i)->toolTip(), "选择公式");
            }
            EXPECT_EQ(qt::twipsHeight(*d.picClient()), c.arguments * 585);
            EXPECT_EQ(d.scrollBars().SmallChange(SB_VERT), 39);
            EXPECT_EQ(d.scrollBars().Visible(SB_VERT), c.barShown);
            EXPECT_FALSE(d.scrollBars().Visible(SB_HORZ));
            EXPECT_EQ(d.findChild<QScrollBar*>("Picture1VScroll")->isVisible(), c.barShown);
            EXPECT_FALSE(d.findChild<QScrollBar*>("Picture1HScroll")->isVisible());
            if (c.barShown) {
                EXPECT_EQ(d.scrollBars().Max(SB_VERT), c.max);
                EXPECT_EQ(d.scrollBars().LargeChange(SB_VERT), c.largeChange);
            }
            EXPECT_EQ(d.lblArgumentDesc()->text(), "");
        });
    }
}

TEST(ArgumentDialog, LaterResizesDoNotMoveTheRowsAgain) {
    withArgumentDialog("ARGS5", [](frmArgumentSet& d) {
        for (int i = 0; i < 3; ++i) {
            QResizeEvent e(d.size(), d.size());
            QApplication::sendEvent(&d, &e);
        }
        EXPECT_EQ(qt::twipsLeft(*d.txtArgumentValue(5)), 1700);
        EXPECT_EQ(qt::twipsLeft(*d.cmdFormula(5)), 4335);
    });
}

TEST(ArgumentDialog, RequiredMarkNeedsExactlyTrue) {
    withArgumentDialog("MARKS", [](frmArgumentSet& d) {
        ASSERT_EQ(d.rowCount(), 4);
        EXPECT_EQ(d.lblArgumentValue(1)->text(), "a(必选)");
        EXPECT_EQ(d.lblArgumentValue(2)->text(), "b(可选)");
        EXPECT_EQ(d.lblArgumentValue(3)->text(), "c(可选)");
        EXPECT_EQ(d.lblArgumentValue(4)->text(), "d(可选)");
        EXPECT_EQ(d.lblArgumentValue(1)->buddy(), d.txtArgumentValue(1));
    });
}

void wheel(QWidget& over, int angle) {
    QWheelEvent e(QPointF(5, 5), over.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, angle), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    // As from the window system: only such wheel events climb to the parents.
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(&over, &e);
}

TEST(ArgumentDialog, ScrollingMovesTheClientPanelByPixels) {
    withArgumentDialog("ARGS10", [](frmArgumentSet& d) {
        // 10 rows: 5850 twips against 2715, so Max is 209 pixels.
        ASSERT_EQ(d.scrollBars().Max(SB_VERT), 209);
        auto* bar = d.findChild<QScrollBar*>("Picture1VScroll");
        struct Step {
            std::function<void()> act;
            int value;
        };
        const std::vector<Step> steps = {
            {[&] { d.scrollBars().Value(SB_VERT, 20); }, 20},
            {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }, 59},
            {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }, 20},
            {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }, 0},
            {[&] { bar->triggerAction(QAbstractSlider::SliderToMaximum); }, 209},
            {[&] { bar->triggerAction(QAbstractSlider::SliderToMinimum); }, 0},
            {[&] { bar->setSliderPosition(120); }, 120},  // dragging the scroll box
            {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }, 210},  // the platform lets a page start one past Max
            {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepSub); }, 1},
            // The wheel over a field: three lines of 39 pixels a notch; half a notch is nothing.
            {[&] { wheel(*d.txtArgumentValue(2), -120); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), -60); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), 120); }, 1},
        };
        for (std::size_t i = 0; i < steps.size(); ++i) {
            steps[i].act();
            EXPECT_EQ(d.scrollBars().Value(SB_VERT), steps[i].value) << i;
            EXPECT_EQ(qt::twipsTop(*d.picClient()), -steps[i].value * 15) << i;
            EXPECT_EQ(bar->value(), steps[i].value) << i;
        }
    });
}

TEST(ArgumentDialog, FocusShowsTheArgumentsDescriptionInThreeLines) {
    withArgumentDialog("LEFT", [](frmArgumentSet& d) {
        QApplication::setActiveWindow(&d);
        d.txtArgumentValue(2)->setFocus();
        EXPECT_EQ(d.lblArgumentDesc()->text().toStdString(),
                  "参数描述：要提取的字符数\r\n参数类型：Integer\r\n类型描述：整数值");
        d.txtArgumentValue(1)->setFocus();
        EXPECT_EQ(d.lblArgumentDesc()->text().toStdString(),
                  "参数描述：要提取字符的文本\r\n参数类型：String\r\n类型描述：文本值");
    });
}

TEST(ArgumentDialog, AFailureInTheFocusHandlerIsShownAndTheDialogStaysUsable) {
    MessageRecorder messages;
    withArgumentDialog("NODESC", [&](frmArgumentSet& d) {
        QApplication::setActiveWindow(&d);
        d.txtArgumentValue(1)->setFocus();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.lblArgumentDesc()->text(), "");
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
        EXPECT_EQ(messages.messages[0].title, "NemroFormulaSet");
        const std::string& text = messages.messages[0].text;
        EXPECT_NE(text.find("Argument Description Must Be Specified."), std::string::npos) << text;
        EXPECT_NE(text.find("getArgumentPara"), std::string::npos) << text;
        d.txtArgumentValue(1)->setText("typed");
        EXPECT_EQ(d.txtArgumentValue(1)->text(), "typed");
    });
}

TEST(ArgumentDialog, CaptionNamesTheFunction) {
    withArgumentDialog("IF", [](frmArgumentSet& d) { EXPECT_EQ(d.windowTitle(), "参数设置(IF)"); });
}

TEST(ArgumentDialog, FormerFormulaFillsTheFields) {
    struct Case {
        std::string former;
        QStringList fields;
    };
    const std::vector<Case> cases = {
        {"LEFT(A1,3)", {"A1", "3"}},
        {"IF(LEFT(A1,2)=\"a\",1)", {"LEFT(A1,2)=\"a\"", "1", ""}},
        {"IF( a , b ,c)", {" a ", " b ", "c"}},
        {"IF(,x)", {"", "x", ""}},
        {"IF()", {"", "", ""}},
        {"MID", {"", "", ""}},  // a name alone: the dialog for it, nothing to fill
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.former);
        withArgumentDialog(c.former, [&](frmArgumentSet& d) {
            EXPECT_EQ(fieldTexts(d), c.fields);
            EXPECT_EQ(gsFormerFormula, "");
        });
    }
}

TEST(ArgumentDialog, FormerFormulaWithTooManyArgumentsFailsTheCallOnce) {
    DialogDriver driver;
    CFormulaSet service;
    std::int32_t number = 0;
    std::string source;
    driver.run([&] {
        try {
            service.setFormula("LEFT(1,2,3)");
        } catch (const NemroError& e) {
            number = e.number();
            source = e.source();
        }
    });
    EXPECT_EQ(number, 340);
    EXPECT_EQ(source.rfind("frmArgumentSet.Load()\\", 0), 0u) << source;
    EXPECT_TRUE(service.isCancel());
    // The failed formula is not kept for the next call, which opens the chooser.
    DialogDriver next;
    next.expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    next.run([&] { service.setFormula(); });
    EXPECT_TRUE(next.ok()) << next.failure();
}

}  // namespace
}  // namespace nemro::testing
