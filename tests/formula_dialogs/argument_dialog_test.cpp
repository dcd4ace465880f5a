// The argument dialog's layout through the real dialog: rows, labels, scroll bars and
// scrolling, the focus description, a former formula with too many arguments.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include "dialog_support.h"
#include "frm_argument_set.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/qt_toolkit.h"

namespace nemro::testing {
namespace {

using dialogs::frmArgumentSet;

// Opens the argument dialog for `formula` and runs `check` on it, then cancels.
void withArgumentDialog(const std::string& formula, const std::function<void(frmArgumentSet&)>& check) {
    DialogDriver driver;
    driver.expect("frmArgumentSet", [&](QWidget& w) {
        check(dynamic_cast<frmArgumentSet&>(w));
        click(w, "cmdCancel");
    });
    CFormulaSet service;
    driver.run([&] { service.setFormula(formula); });
    EXPECT_TRUE(service.isCancel());
}

TEST(ArgumentDialog, RowsAndScrollBarsFollowTheArgumentCount) {
    // 585 twips a row (555 + 2 pixels); the 2715-twip viewport holds four rows.
    const struct {
        int arguments;
        bool bar;
        int max, largeChange;  // of the vertical bar, when shown
    } cases[] = {{2, false, 0, 0}, {4, false, 0, 0}, {5, true, 14, 14}, {6, true, 53, 53},
                 {10, true, 209, 209}, {40, true, 1379, 275}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        withArgumentDialog("ARGS" + std::to_string(c.arguments), [&](frmArgumentSet& d) {
            // Later resizes do not move the rows again.
            QResizeEvent e(d.size(), d.size());
            QApplication::sendEvent(&d, &e);
            ASSERT_EQ(d.rowCount(), c.arguments);
            for (int i = 1; i <= c.arguments; ++i) {
                EXPECT_EQ(twips(*d.fraArgument(i)), QRect(0, (i - 1) * 585, 4995, 555));
                EXPECT_EQ(d.lblArgumentValue(i)->text().toStdString(), "arg" + std::to_string(i) + "(可选)");
                EXPECT_EQ(qt::twipsLeft(*d.lblArgumentValue(i)), 100);
                EXPECT_EQ(qt::twipsTop(*d.txtArgumentValue(i)), 100);
                EXPECT_EQ(qt::twipsLeft(*d.txtArgumentValue(i)), c.bar ? 1700 : 1900);
                EXPECT_EQ(twips(*d.cmdFormula(i)), QRect(c.bar ? 4335 : 4535, 100, 315, 315));
                EXPECT_FALSE(d.cmdFormula(i)->autoDefault());
                EXPECT_EQ(d.cmdFormula(i)->toolTip(), "选择公式");
            }
            EXPECT_EQ(qt::twipsHeight(*d.picClient()), c.arguments * 585);
            EXPECT_EQ(d.scrollBars().SmallChange(SB_VERT), 39);
            EXPECT_EQ(d.scrollBars().Visible(SB_VERT), c.bar);
            EXPECT_EQ(d.findChild<QScrollBar*>("Picture1VScroll")->isVisible(), c.bar);
            EXPECT_FALSE(d.findChild<QScrollBar*>("Picture1HScroll")->isVisible());
            EXPECT_EQ(c.bar ? d.scrollBars().Max(SB_VERT) : 0, c.max);
            EXPECT_EQ(c.bar ? d.scrollBars().LargeChange(SB_VERT) : 0, c.largeChange);
            EXPECT_EQ(d.lblArgumentDesc()->text(), "");
        });
    }
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
        auto* bar = d.findChild<QScrollBar*>("Picture1VScroll");
        const auto action = [bar](QAbstractSlider::SliderAction a) { return [=] { bar->triggerAction(a); }; };
        const struct {
            std::function<void()> act;
            int value;
        } steps[] = {
            {[&] { d.scrollBars().Value(SB_VERT, 20); }, 20},
            {action(QAbstractSlider::SliderSingleStepAdd), 59},
            {action(QAbstractSlider::SliderSingleStepSub), 20},
            {action(QAbstractSlider::SliderSingleStepSub), 0},
            {action(QAbstractSlider::SliderToMaximum), 209},
            {action(QAbstractSlider::SliderToMinimum), 0},
            {[&] { bar->setSliderPosition(120); }, 120},  // dragging the scroll box
            {action(QAbstractSlider::SliderPageStepAdd), 210},  // the platform lets a page start one past Max
            {action(QAbstractSlider::SliderPageStepSub), 1},
            // The wheel over a field: three lines of 39 pixels a notch; half a notch is nothing.
            {[&] { wheel(*d.txtArgumentValue(2), -120); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), -60); }, 1 + 3 * 39},
            {[&] { wheel(*d.txtArgumentValue(2), 120); }, 1},
        };
        for (const auto& step : steps) {
            step.act();
            EXPECT_EQ(d.scrollBars().Value(SB_VERT), step.value);
            EXPECT_EQ(qt::twipsTop(*d.picClient()), -step.value * 15);
            EXPECT_EQ(bar->value(), step.value);
        }
    });
}

TEST(ArgumentDialog, LabelsMarkOnlyExactlyTrueAsRequiredAndFocusDescribesTheArgument) {
    withArgumentDialog("MARKS", [](frmArgumentSet& d) {
        const QStringList expected = {"a(必选)", "b(可选)", "c(可选)", "d(可选)"};
        for (int i = 1; i <= 4; ++i) EXPECT_EQ(d.lblArgumentValue(i)->text(), expected[i - 1]);
        EXPECT_EQ(d.lblArgumentValue(1)->buddy(), d.txtArgumentValue(1));
    });
    withArgumentDialog("LEFT", [](frmArgumentSet& d) {
        QApplication::setActiveWindow(&d);
        d.txtArgumentValue(2)->setFocus();
        EXPECT_EQ(d.lblArgumentDesc()->text().toStdString(), "参数描述：要提取的字符数\r\n参数类型：Integer\r\n类型描述：整数值");
        d.txtArgumentValue(1)->setFocus();
        EXPECT_EQ(d.lblArgumentDesc()->text().toStdString(), "参数描述：要提取字符的文本\r\n参数类型：String\r\n类型描述：文本值");
    });
}

TEST(ArgumentDialog, AFailureInTheFocusHandlerIsShownAndTheDialogStaysUsable) {
    MessageRecorder messages;
    withArgumentDialog("NODESC", [&](frmArgumentSet& d) {
        QApplication::setActiveWindow(&d);
        d.txtArgumentValue(1)->setFocus();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.lblArgumentDesc()->text(), "");
        EXPECT_EQ(messages.messages, std::vector<Message>{critical(
                      "Argument Description Must Be Specified.\n\nfrmFormulaSet.getArgumenPara()\\getArgumentPara (-2147221504)")});
        d.txtArgumentValue(1)->setText("typed");
        EXPECT_EQ(d.txtArgumentValue(1)->text(), "typed");
    });
}

TEST(ArgumentDialog, FormerFormulaWithTooManyArgumentsFailsTheCallOnce) {
    CFormulaSet service;
    std::int32_t number = 0;
    std::string source;
    DialogDriver().run([&] {
        try {
            service.setFormula("LEFT(1,2,3)");
        } catch (const NemroError& e) {
            number = e.number();
            source = e.source();
        }
    });
    EXPECT_EQ(number, 340);
    EXPECT_EQ(source, "frmArgumentSet.Load()\\frmArgumentSet");
    EXPECT_TRUE(service.isCancel());
    // The failed formula is not kept for the next call, which opens the chooser.
    DialogDriver next;
    next.expect("frmFormulaSet", [](QWidget& d) { click(d, "cmdCancel"); });
    next.run([&] { service.setFormula(); });
}

}  // namespace
}  // namespace nemro::testing
