// The function chooser through the real dialog: what it opens on, the category clicks,
// the ways to open the argument dialog or to cancel, failures in a click or in OK.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <thread>

#include "dialog_support.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"

namespace nemro::testing {
namespace {

QString label(QWidget& d, const char* name) { return find<QLabel>(d, name)->text(); }
QListWidget& list(QWidget& d, const char* name) { return *find<QListWidget>(d, name); }

void select(QWidget& d, const char* name, const QString& text) {
    const auto items = list(d, name).findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    list(d, name).setCurrentItem(items.front());
}

QStringList items(QWidget& d, const char* name) {
    QStringList texts;
    for (int i = 0; i < list(d, name).count(); ++i) texts << list(d, name).item(i)->text();
    return texts;
}

// Runs setFormula with one step on the chooser; the exchange must end cancelled.
void withChooser(const std::function<void(QWidget&)>& act) {
    DialogDriver driver;
    driver.expect("frmFormulaSet", act);
    CFormulaSet service;
    driver.run([&] { EXPECT_EQ(service.setFormula(), ""); });
    EXPECT_TRUE(service.isCancel());
}

TEST(Chooser, OpensOnTheFirstCategoryItsFirstFunctionAndItsInformation) {
    MessageRecorder messages;
    withChooser([](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), "粘贴函数");
        EXPECT_EQ(d.size(), QSize(446, 303));  // 6690 x 4545 twips
        EXPECT_EQ(items(d, "lstFormulaCategory"),
                  QStringList({"文本函数", "逻辑函数", "空分类", "多参数", "有误", "全部函数"}));
        EXPECT_EQ(list(d, "lstFormulaCategory").currentRow(), 0);
        EXPECT_EQ(list(d, "lstFormulaName").currentRow(), 0);
        EXPECT_EQ(label(d, "lblFormulaValue"), "LEFT(...)");
        EXPECT_EQ(label(d, "lblFormulaTitleAnsDesc"), "LEFT：LEFT的说明。");
        EXPECT_EQ(label(d, "Label1"), "函数分类(&C)");
        EXPECT_EQ(find<QLabel>(d, "Label1")->buddy(), &list(d, "lstFormulaCategory"));
        click(d, "cmdCancel");
    });
    EXPECT_EQ(messages.messages, std::vector<Message>{});
}

TEST(Chooser, CategoryClicksListTheirDisplayedFunctionsInCatalogueOrder) {
    const struct {
        QString category;
        QStringList functions;
    } cases[] = {
        {"逻辑函数", {"IF", "MARKS", "TODAY"}},
        {"全部函数", {"LEFT", "MID", "MYTRIM", "Sum", "IF", "MARKS", "TODAY", "ARGS2", "ARGS4", "ARGS5",
                      "ARGS6", "ARGS10", "ARGS40", "BADCOUNT", "NOINFO", "NOVALUE", "NODESC"}},
        {"文本函数", {"LEFT", "MID", "MYTRIM", "Sum"}},
        {"有误", {"BADCOUNT", "NOINFO", "NOVALUE", "NODESC"}},
    };
    withChooser([&](QWidget& d) {
        for (const auto& c : cases) {
            select(d, "lstFormulaCategory", c.category);
            EXPECT_EQ(items(d, "lstFormulaName"), c.functions) << c.category.toStdString();
            EXPECT_EQ(list(d, "lstFormulaName").currentRow(), 0);
        }
        // An empty category keeps the information shown, and OK does nothing.
        select(d, "lstFormulaCategory", "空分类");
        EXPECT_EQ(list(d, "lstFormulaName").count(), 0);
        EXPECT_EQ(label(d, "lblFormulaValue"), "BADCOUNT(...)");
        EXPECT_EQ(label(d, "lblFormulaTitleAnsDesc"), "BADCOUNT：BADCOUNT的说明。");
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        click(d, "cmdCancel");
    });
}

TEST(Chooser, OkDoubleClickEnterAndAltOOpenTheArgumentDialogEscapeAndTheFrameCancel) {
    const std::function<void(QWidget&)> ways[] = {
        [](QWidget& d) { click(d, "cmdOK"); },
        [](QWidget& d) { emit list(d, "lstFormulaName").itemDoubleClicked(list(d, "lstFormulaName").currentItem()); },
        [](QWidget& d) { QTest::keyClick(&list(d, "lstFormulaName"), Qt::Key_Return); },
        [](QWidget& d) { QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier); },
        [](QWidget& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](QWidget& d) { d.close(); },
    };
    for (int way = 0; way < 6; ++way) {
        SCOPED_TRACE(way);
        DialogDriver driver;
        driver.expect("frmFormulaSet", [&](QWidget& d) {
            QApplication::setActiveWindow(&d);
            select(d, "lstFormulaCategory", "逻辑函数");
            list(d, "lstFormulaName").setFocus();
            ways[way](d);
            // An accelerator clicks its button a moment later, as a mouse would.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
        });
        if (way < 4) {
            driver.expect("frmArgumentSet", [](QWidget& d) {
                EXPECT_EQ(d.windowTitle(), "参数设置(IF)");
                QApplication::setActiveWindow(&d);
                QTest::keyClick(&d, Qt::Key_Escape);
            });
        }
        CFormulaSet service;
        driver.run([&] { EXPECT_EQ(service.setFormula(), ""); });
        EXPECT_TRUE(service.isCancel());
    }
}

TEST(Chooser, AFailureInAClickOrInOkIsShownAndTheChooserStaysUsable) {
    const struct {
        QString function;
        bool ok;
        QString value;
        Message message;
    } cases[] = {
        {"NOINFO", false, "", critical("Formula Value Must Be Specified.\n\nfrmFormulaSet.GetFormulaInfo()\\GetFunctionInfo (-2147221504)")},
        {"BADCOUNT", true, "BADCOUNT(...)", information("公式(BADCOUNT)定义的参数个数和实际的参数个数不一致！")},
        {"NOVALUE", true, "NOVALUE(...)",
         critical("Argument Value Must Be Specified.\n\nfrmArgumentSet.Load()\\frmFormulaSet.getArgumenPara()\\getArgumentPara (-2147221504)")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function.toStdString());
        MessageRecorder messages;
        DialogDriver driver;
        driver.expect("frmFormulaSet", [&](QWidget& d) {
            select(d, "lstFormulaCategory", "有误");
            select(d, "lstFormulaName", c.function);
            if (c.ok) click(d, "cmdOK");
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(label(d, "lblFormulaValue"), c.value);
            EXPECT_EQ(messages.messages, std::vector<Message>{c.message});
            select(d, "lstFormulaCategory", "逻辑函数");
            click(d, "cmdOK");
        });
        driver.expect("frmArgumentSet", [](QWidget& d) { click(d, "cmdCancel"); });
        CFormulaSet service;
        driver.run([&] { service.setFormula(); });
        EXPECT_TRUE(service.isCancel());
    }
}

TEST(Service, ACallFromAnotherThreadFailsWithAClearError) {
    std::string description;
    std::thread worker([&] {
        try {
            CFormulaSet().setFormula();
        } catch (const NemroError& e) {
            description = e.description();
        }
    });
    worker.join();
    EXPECT_EQ(description, "The formula dialogs must be called on the thread that runs the Qt application.");
}

}  // namespace
}  // namespace nemro::testing
