// The function chooser through the real dialog: what it opens on, the clicks, OK with
// its argument count check, double click, Cancel and the frame, failures in a click.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

#include "dialog_support.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/formula_state.h"

namespace nemro::testing {
namespace {

QString labelText(QWidget& d, const char* name) { return find<QLabel>(d, name)->text(); }

void selectCategory(QWidget& d, const QString& title) {
    auto* list = find<QListWidget>(d, "lstFormulaCategory");
    const auto items = list->findItems(title, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << title.toStdString();
    list->setCurrentItem(items.front());
}

void selectFunction(QWidget& d, const QString& name) {
    auto* list = find<QListWidget>(d, "lstFormulaName");
    const auto items = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    list->setCurrentItem(items.front());
}

QStringList items(QWidget& d, const char* list) {
    QStringList texts;
    auto* l = find<QListWidget>(d, list);
    for (int i = 0; i < l->count(); ++i) texts << l->item(i)->text();
    return texts;
}

TEST(Chooser, OpensOnTheFirstCategoryItsFirstFunctionAndItsInformation) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", [](QWidget& d) {
        EXPECT_EQ(d.windowTitle(), "粘贴函数");
        EXPECT_EQ(d.size(), QSize(446, 303));  // 6690 x 4545 twips
        EXPECT_EQ(items(d, "lstFormulaCategory"),
                  QStringList({"文本函数", "逻辑函数", "空分类", "多参数", "有误", "全部函数"}));
        EXPECT_EQ(find<QListWidget>(d, "lstFormulaCategory")->currentRow(), 0);
        EXPECT_EQ(items(d, "lstFormulaName"), QStringList({"LEFT", "MID", "MYTRIM", "Sum"}));
        EXPECT_EQ(find<QListWidget>(d, "lstFormulaName")->currentRow(), 0);
        EXPECT_EQ(labelText(d, "lblFormulaValue"), "LEFT(...)");
        EXPECT_EQ(labelText(d, "lblFormulaTitleAnsDesc"), "LEFT：LEFT的说明。");
        EXPECT_EQ(labelText(d, "Label1"), "函数分类(&C)");
        EXPECT_EQ(find<QLabel>(d, "Label1")->buddy(), find<QListWidget>(d, "lstFormulaCategory"));
        click(d, "cmdCancel");
    });
    CFormulaSet service;
    std::string result = "unset";
    driver.run([&] { result = service.setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    EXPECT_EQ(result, "");
    EXPECT_TRUE(service.isCancel());
    EXPECT_TRUE(messages.messages.empty());
}

TEST(Chooser, CategoryClicksListTheirDisplayedFunctionsInCatalogueOrder) {
    struct Case {
        QString category;
        QStringList functions;
    };
    const std::vector<Case> cases = {
        {"逻辑函数", {"IF", "MARKS", "TODAY"}},
        {"有误", {"BADCOUNT", "NOINFO", "NOVALUE", "NODESC"}},
        {"文本函数", {"LEFT", "MID", "MYTRIM", "Sum"}},
    };
    DialogDriver driver;
    driver.expect("frmFormulaSet", [&](QWidget& d) {
        for (const Case& c : cases) {
            selectCategory(d, c.category);
            EXPECT_EQ(items(d, "lstFormulaName"), c.functions) << c.category.toStdString();
            EXPECT_EQ(find<QListWidget>(d, "lstFormulaName")->currentRow(), 0);
        }
        selectCategory(d, "全部函数");
        const QStringList all = items(d, "lstFormulaName");
        EXPECT_EQ(all.size(), 4 + 3 + 39 + 4);
        EXPECT_FALSE(all.contains("HIDDEN"));
        click(d, "cmdCancel");
    });
    driver.run([] { CFormulaSet().setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
}

TEST(Chooser, EmptyCategoryKeepsTheInformationAndOkDoesNothing) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", [](QWidget& d) {
        selectCategory(d, "逻辑函数");
        const QString value = labelText(d, "lblFormulaValue");
        const QString title = labelText(d, "lblFormulaTitleAnsDesc");
        selectCategory(d, "空分类");
        EXPECT_EQ(find<QListWidget>(d, "lstFormulaName")->count(), 0);
        EXPECT_EQ(labelText(d, "lblFormulaValue"), value);
        EXPECT_EQ(labelText(d, "lblFormulaTitleAnsDesc"), title);
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        click(d, "cmdCancel");
    });
    driver.run([] { CFormulaSet().setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    EXPECT_TRUE(messages.messages.empty());
}

TEST(Chooser, ArgumentCountMismatchIsReportedAndTheChooserStays) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", [&](QWidget& d) {
        selectCategory(d, "有误");
        selectFunction(d, "BADCOUNT");
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(find<QListWidget>(d, "lstFormulaName")->currentItem()->text(), "BADCOUNT");
        EXPECT_EQ(gsFunctionName, "BADCOUNT");
        click(d, "cmdCancel");
    });
    driver.run([] { CFormulaSet().setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "公式(BADCOUNT)定义的参数个数和实际的参数个数不一致！");
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(messages.messages[0].title, "NemroFormulaSet");
}

TEST(Chooser, DoubleClickOpensTheArgumentDialogLikeOk) {
    for (bool doubleClick : {true, false}) {
        DialogDriver driver;
        driver.expect("frmFormulaSet", [&](QWidget& d) {
            selectCategory(d, "逻辑函数");
            selectFunction(d, "IF");
            if (doubleClick) {
                auto* list = find<QListWidget>(d, "lstFormulaName");
                emit list->itemDoubleClicked(list->currentItem());
            } else {
                click(d, "cmdOK");
            }
        });
        driver.expect("frmArgumentSet", [](QWidget& d) {
            EXPECT_EQ(d.windowTitle(), "参数设置(IF)");
            click(d, "cmdCancel");
        });
        CFormulaSet service;
        driver.run([&] { EXPECT_EQ(service.setFormula(), ""); });
        EXPECT_TRUE(driver.ok()) << driver.failure();
        EXPECT_TRUE(service.isCancel());
        EXPECT_EQ(gsFunctionName, "IF");
    }
}

TEST(Chooser, EnterMeansOkAndAltOClicksIt) {
    for (bool alt : {false, true}) {
        DialogDriver driver;
        driver.expect("frmFormulaSet", [alt](QWidget& d) {
            QApplication::setActiveWindow(&d);
            selectCategory(d, "逻辑函数");
            find<QListWidget>(d, "lstFormulaName")->setFocus();
            if (alt) QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier);
            else QTest::keyClick(find<QListWidget>(d, "lstFormulaName"), Qt::Key_Return);
            // An accelerator clicks its button a moment later, as a mouse would.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
        });
        driver.expect("frmArgumentSet", [](QWidget& d) {
            EXPECT_EQ(d.windowTitle(), "参数设置(IF)");
            QApplication::setActiveWindow(&d);
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        CFormulaSet service;
        driver.run([&] { EXPECT_EQ(service.setFormula(), ""); });
        EXPECT_TRUE(driver.ok()) << alt << " " << driver.failure();
        EXPECT_TRUE(service.isCancel());
    }
}

TEST(Chooser, EscapeAndTheWindowFrameEndTheExchangeAsCancelled) {
    for (int way = 0; way < 2; ++way) {
        DialogDriver driver;
        driver.expect("frmFormulaSet", [way](QWidget& d) {
            if (way == 0) QTest::keyClick(&d, Qt::Key_Escape);
            else d.close();
        });
        CFormulaSet service;
        driver.run([&] { EXPECT_EQ(service.setFormula(), ""); });
        EXPECT_TRUE(driver.ok()) << driver.failure();
        EXPECT_TRUE(service.isCancel()) << way;
    }
}

TEST(Chooser, AFailureInAClickIsShownAndTheChooserStaysUsable) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", [](QWidget& d) {
        selectCategory(d, "有误");
        selectFunction(d, "NOINFO");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(labelText(d, "lblFormulaValue"), "");
        selectFunction(d, "BADCOUNT");
        EXPECT_EQ(labelText(d, "lblFormulaValue"), "BADCOUNT(...)");
        click(d, "cmdCancel");
    });
    driver.run([] { CFormulaSet().setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
    EXPECT_NE(messages.messages[0].text.find("Formula Value Must Be Specified."), std::string::npos);
    EXPECT_NE(messages.messages[0].text.find("frmFormulaSet.GetFormulaInfo()\\GetFunctionInfo"),
              std::string::npos)
        << messages.messages[0].text;
}

TEST(Chooser, AnArgumentDialogThatCannotLoadIsReportedAndTheChooserStays) {
    MessageRecorder messages;
    DialogDriver driver;
    driver.expect("frmFormulaSet", [&](QWidget& d) {
        selectCategory(d, "有误");
        selectFunction(d, "NOVALUE");
        click(d, "cmdOK");
        EXPECT_TRUE(d.isVisible());
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
        const std::string& text = messages.messages[0].text;
        EXPECT_NE(text.find("Argument Value Must Be Specified."), std::string::npos) << text;
        EXPECT_NE(text.find("frmArgumentSet.Load()\\"), std::string::npos) << text;
        // Another function still opens.
        selectCategory(d, "逻辑函数");
        click(d, "cmdOK");
    });
    driver.expect("frmArgumentSet", [](QWidget& d) { click(d, "cmdCancel"); });
    CFormulaSet service;
    driver.run([&] { service.setFormula(); });
    EXPECT_TRUE(driver.ok()) << driver.failure();
    EXPECT_TRUE(service.isCancel());
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
    EXPECT_NE(description.find("thread"), std::string::npos) << description;
}

}  // namespace
}  // namespace nemro::testing
