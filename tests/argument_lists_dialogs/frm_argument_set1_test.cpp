// frmArgumentSet1 offscreen: its layout, its buttons and the list click, and complete
// SetArgument calls driven as a user would.
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "dialog_support.h"
#include "frm_argument_set1.h"
#include "nemro/argument_set.h"
#include "nemro/qt_argument_editor.h"

namespace nemro::testing {
namespace {

using dialogs::frmArgumentSet1;

// SetArgument shows the Qt editor, as the component installs it.
[[maybe_unused]] const bool kEditorInstalled = (qt::installQtArgumentEditor(), true);

const std::string kTwo = "RATE\x0e" "0.05\x0e" "税率\x0f" "BASE\x0e" "100\x0e" "基数";

QTreeWidget& list(QWidget& d) { return *find<QTreeWidget>(d, "lvArgument"); }

void type(QWidget& d, const std::string& name, const std::string& value, const std::string& desc) {
    find<QLineEdit>(d, "txtArgName")->setText(qt::qs(name));
    find<QLineEdit>(d, "txtArgValue")->setText(qt::qs(value));
    find<QPlainTextEdit>(d, "txtArgDesc")->setPlainText(qt::qs(desc));
}

std::vector<std::string> boxes(QWidget& d) {
    return {qt::ss(find<QLineEdit>(d, "txtArgName")->text()),
            qt::ss(find<QLineEdit>(d, "txtArgValue")->text()),
            qt::ss(find<QPlainTextEdit>(d, "txtArgDesc")->toPlainText())};
}

std::vector<std::string> row(const QTreeWidgetItem& item) {
    return {qt::ss(item.text(0)), qt::ss(item.text(1)), qt::ss(item.text(2))};
}

std::vector<std::string> row(QWidget& d, int index) {
    QTreeWidgetItem* item = list(d).topLevelItem(index);
    return item ? row(*item) : std::vector<std::string>{};
}

// A click with the mouse on the item at index (from 0), as the user makes it.
void clickItem(QWidget& d, int index) {
    QTreeWidget& lv = list(d);
    const QRect r = lv.visualItemRect(lv.topLevelItem(index));
    QTest::mouseClick(lv.viewport(), Qt::LeftButton, {}, r.center());
}

// The editor shown (not modally) over its own fields, for the tests of single clicks.
struct Shown {
    ArgumentEditorFields fields;
    MessageRecorder messages;
    std::unique_ptr<frmArgumentSet1> dialog;
    explicit Shown(const std::string& text, int curIndex = 0) {
        fields.m_sArgument = text;
        fields.m_iCurIndex = curIndex;
        dialog = std::make_unique<frmArgumentSet1>(fields);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QWidget& d() { return *dialog; }
};

TEST(frmArgumentSet1, LoadsWithItsCaptionGeometryColumnsAndTabOrder) {
    Shown s("");
    QWidget& d = s.d();
    EXPECT_EQ(d.windowTitle().toStdString(), "变量设置");
    EXPECT_EQ(d.size(), QSize(qt::twipsToPixels(5700), qt::twipsToPixels(4065)));
    const struct {
        const char* name;
        const char* caption;
        int left, top, width, height;
    } controls[] = {
        {"Frame1", "", 0, 3240, 5655, 135},
        {"Label1", "参数名称", 120, 2400, 720, 180},
        {"txtArgName", "", 960, 2385, 1695, 270},
        {"Label2", "参数值", 120, 2895, 540, 180},
        {"txtArgValue", "", 960, 2880, 1695, 270},
        {"Label3", "参数描述", 2880, 2160, 720, 180},
        {"txtArgDesc", "", 2880, 2400, 2775, 735},
        {"cmdNew", "新建(&N)", 120, 3480, 1095, 375},
        {"cmdModify", "修改(&M)", 1560, 3480, 1095, 375},
        {"cmdDelete", "删除(&D)", 3000, 3480, 1095, 375},
        {"cmdExit", "退出(&X)", 4440, 3480, 1095, 375},
        {"lvArgument", "", 0, 0, 5655, 2055},
    };
    for (const auto& c : controls) {
        QWidget* w = find<QWidget>(d, c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(twips(*w), QRect(c.left, c.top, c.width, c.height)) << c.name;
        const auto* l = qobject_cast<QLabel*>(w);
        const auto* b = qobject_cast<QPushButton*>(w);
        EXPECT_EQ(qt::ss(l ? l->text() : b ? b->text() : QString()), c.caption) << c.name;
    }
    QTreeWidget& lv = list(d);
    EXPECT_EQ(lv.topLevelItemCount(), 0);
    ASSERT_EQ(lv.columnCount(), 3);
    EXPECT_EQ(row(*lv.headerItem()), (std::vector<std::string>{"参数名称", "参数值", "参数描述"}));
    const int inner = lv.viewport()->width() + (lv.verticalScrollBar()->isVisible() ? lv.verticalScrollBar()->width() : 0);
    EXPECT_EQ(lv.columnWidth(0), inner / 6);
    EXPECT_EQ(lv.columnWidth(1), inner / 6);
    EXPECT_EQ(lv.columnWidth(0) + lv.columnWidth(1) + lv.columnWidth(2), lv.viewport()->width())
        << "no horizontal scroll bar";

    const char* order[] = {"txtArgName", "txtArgValue", "txtArgDesc", "cmdNew",
                           "cmdModify",  "cmdDelete",   "cmdExit",    "lvArgument"};
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>(d, order[0]));
    for (int i = 1; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), order[i]);
    }
}

TEST(frmArgumentSet1, NewAddsTrimmedTextsUnderANameNotYetTaken) {
    const struct {
        const char* what;
        std::vector<std::string> typed;
        bool added;
    } cases[] = {
        {"a new name", {"  TAX ", " 7 ", " 税 "}, true},
        {"an existing name in another case", {"rate", "1", "x"}, false},
        {"an existing name with blanks", {" BASE  ", "1", "x"}, false},
        {"an empty name", {"", "1", "x"}, false},
    };
    for (const auto& c : cases) {
        Shown s(kTwo);
        type(s.d(), c.typed[0], c.typed[1], c.typed[2]);
        click(s.d(), "cmdNew");
        if (c.added) {
            EXPECT_EQ(row(s.d(), 2), (std::vector<std::string>{"TAX", "7", "税"})) << c.what;
            EXPECT_EQ(boxes(s.d()), (std::vector<std::string>{"", "", ""})) << c.what;
        } else {
            EXPECT_EQ(list(s.d()).topLevelItemCount(), 2) << c.what;
            EXPECT_EQ(boxes(s.d()), c.typed) << c.what << ": the boxes keep their texts";
        }
        EXPECT_TRUE(s.messages.messages.empty()) << c.what;
    }
}

TEST(frmArgumentSet1, ClickModifyAndDeleteActOnTheClickedItem) {
    Shown s(kTwo);
    QWidget& d = s.d();
    click(d, "cmdDelete");
    type(d, "X", "1", "");
    click(d, "cmdModify");
    EXPECT_EQ(list(d).topLevelItemCount(), 2) << "nothing clicked: nothing changes";
    EXPECT_EQ(row(d, 0), (std::vector<std::string>{"RATE", "0.05", "税率"}));

    clickItem(d, 1);
    EXPECT_EQ(s.fields.m_iCurIndex, 2);
    EXPECT_EQ(boxes(d), (std::vector<std::string>{"BASE", "100", "基数"}));
    type(d, " base ", " 200", "基数 ");
    click(d, "cmdModify");
    EXPECT_EQ(row(d, 1), (std::vector<std::string>{" base ", " 200", "基数 "})) << "stored as typed";
    EXPECT_EQ(boxes(d), (std::vector<std::string>{" base ", " 200", "基数 "}));
    type(d, "Rate", "9", "");
    click(d, "cmdModify");
    EXPECT_EQ(row(d, 1)[0], " base ") << "another item's name is refused";

    click(d, "cmdDelete");
    EXPECT_EQ(list(d).topLevelItemCount(), 1);
    EXPECT_EQ(boxes(d), (std::vector<std::string>{"", "", ""}));
    type(d, "Y", "1", "");
    click(d, "cmdModify");
    click(d, "cmdDelete");
    EXPECT_EQ(row(d, 0), (std::vector<std::string>{"RATE", "0.05", "税率"}))
        << "the position lies beyond the last item";
    EXPECT_EQ(boxes(d)[0], "Y");
    click(d, "cmdExit");
    EXPECT_EQ(s.fields.m_sArgument, "RATE\x0e" "0.05\x0e" "税率");
}

TEST(frmArgumentSet1, AShortEntryShowsTheEntriesBeforeItAndOneMessage) {
    Shown s("A\x0e" "1\x0e" "a\x0f" "B\x0e" "2\x0e" "b\x0f" "C\x0e" "3\x0f" "D\x0e" "4\x0e" "d");
    EXPECT_EQ(list(s.d()).topLevelItemCount(), 2);
    EXPECT_EQ(s.messages.messages, std::vector<Message>{information(
                                         "参数列表的第3项少于三个字段（名称、值、描述），这一项及其后的参数没有读入。\n\n"
                                         "下标越界。\nfrmArgumentSet1.ReadArgument()\\NemroFormulaSet (9)")});
}

// SetArgument with one step acting on the editor; returns what SetArgument returned.
std::string setArgument(const std::string& text, std::function<void(QWidget&)> act) {
    DialogDriver driver;
    driver.expect("frmArgumentSet1", std::move(act));
    std::string result;
    driver.run([&] { result = CArgumentSet().SetArgument(text); });
    return result;
}

TEST(SetArgument, ReturnsTheSavedListAfterExitAndTheHandedTextOtherwise) {
    MessageRecorder messages;
    const struct {
        const char* what;
        std::string handed;
        std::function<void(QWidget&)> act;
        std::string returned;
    } cases[] = {
        {"exit saves in display order", kTwo,
         [](QWidget& d) {
             type(d, "TAX", "7", "");
             click(d, "cmdNew");
             click(d, "cmdExit");
         },
         kTwo + "\x0f" "TAX\x0e" "7\x0e"},
        {"exit with an empty list", "A\x0e" "1\x0e" "a",
         [](QWidget& d) {
             clickItem(d, 0);
             click(d, "cmdDelete");
             click(d, "cmdExit");
         },
         ""},
        {"the window frame keeps the text handed in", kTwo,
         [](QWidget& d) {
             type(d, "TAX", "7", "");
             click(d, "cmdNew");
             d.close();
         },
         kTwo},
        {"Esc keeps the text handed in", kTwo,
         [](QWidget& d) {
             clickItem(d, 0);
             click(d, "cmdDelete");
             QTest::keyClick(&d, Qt::Key_Escape);
         },
         kTwo},
        {"a short entry is not saved back", "A\x0e" "1\x0e" "a\x0f" "B",
         [](QWidget& d) { click(d, "cmdExit"); }, "A\x0e" "1\x0e" "a"},
        {"the accelerators of New and Exit", "",
         [](QWidget& d) {
             type(d, "TAX", "7", "");
             QApplication::setActiveWindow(&d);
             // An accelerator clicks its button a moment later, as a mouse would.
             QTest::keyClick(&d, Qt::Key_N, Qt::AltModifier);
             EXPECT_TRUE(QTest::qWaitFor([&] { return list(d).topLevelItemCount() == 1; }, 2000));
             QTest::keyClick(&d, Qt::Key_X, Qt::AltModifier);
             EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }, 2000));
         },
         "TAX\x0e" "7\x0e"},
        {"Enter in a text box adds nothing", "",
         [](QWidget& d) {
             type(d, "TAX", "7", "");
             QTest::keyClick(find<QLineEdit>(d, "txtArgName"), Qt::Key_Return);
             click(d, "cmdExit");
         },
         ""},
    };
    for (const auto& c : cases) EXPECT_EQ(setArgument(c.handed, c.act), c.returned) << c.what;
}

TEST(SetArgument, KeepsTheClickedPositionFromOneShowingToTheNext) {
    MessageRecorder messages;
    setArgument(kTwo, [](QWidget& d) {
        clickItem(d, 1);
        click(d, "cmdExit");
    });
    EXPECT_EQ(argumentEditorFields().m_iCurIndex, 2);
    const std::string result = setArgument("P\x0e\x0e\x0f" "Q\x0e\x0e\x0f" "R\x0e\x0e", [](QWidget& d) {
        type(d, "Z", "26", "");
        click(d, "cmdModify");
        click(d, "cmdExit");
    });
    EXPECT_EQ(result, "P\x0e\x0e\x0f" "Z\x0e" "26\x0e\x0f" "R\x0e\x0e");
    EXPECT_EQ(argumentEditorFields().m_sArgument, result) << "Argument keeps the saved list";
}

}  // namespace
}  // namespace nemro::testing
