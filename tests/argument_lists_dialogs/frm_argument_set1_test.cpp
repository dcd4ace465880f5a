// frmArgumentSet1 offscreen: its layout, its buttons and the list click, and complete
// SetArgument calls driven as a user would.
#include "frm_argument_set1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include "dialog_support.h"
#include "nemro/argument_set.h"
#include "nemro/qt_argument_editor.h"

namespace nemro::testing {
namespace {

// SetArgument shows the Qt editor, as the component installs it.
[[maybe_unused]] const bool kEditorInstalled = (qt::installQtArgumentEditor(), true);

// The list text with ";" for the entry separator and "," for the field one.
std::string entries(std::string text) {
    for (char& c : text) c = c == ';' ? kEntrySeparator : c == ',' ? kFieldSeparator : c;
    return text;
}

const std::string kTwo = entries("RATE,0.05,税率;BASE,100,基数");

QTreeWidget& list(QWidget& d) {
    return *find<QTreeWidget>(d, "lvArgument");
}

QStringList boxes(QWidget& d) {
    return {find<QLineEdit>(d, "txtArgName")->text(), find<QLineEdit>(d, "txtArgValue")->text(),
            find<QPlainTextEdit>(d, "txtArgDesc")->toPlainText()};
}

QStringList row(QWidget& d, int index) {
    const QTreeWidgetItem* item = list(d).topLevelItem(index);
    return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList{};
}

// Acts as the user: "name|value|desc" types into the boxes, "item N" clicks the Nth
// item (from 0) with the mouse, "&cmdX" presses the accelerator of button cmdX,
// "Enter" and "Esc" are keys, "frame" closes the window, any other name clicks it.
void act(QWidget& d, const std::vector<QString>& ops) {
    for (const QString& op : ops) {
        if (op.count('|') == 2) {
            find<QLineEdit>(d, "txtArgName")->setText(op.section('|', 0, 0));
            find<QLineEdit>(d, "txtArgValue")->setText(op.section('|', 1, 1));
            find<QPlainTextEdit>(d, "txtArgDesc")->setPlainText(op.section('|', 2, 2));
        } else if (op.startsWith("item ")) {
            const QRect r = list(d).visualItemRect(list(d).topLevelItem(op.mid(5).toInt()));
            QTest::mouseClick(list(d).viewport(), Qt::LeftButton, {}, r.center());
        } else if (op.startsWith('&')) {
            auto* button = find<QPushButton>(d, op.mid(1));
            bool clicked = false;
            QObject::connect(
                button, &QPushButton::clicked, &d, [&] { clicked = true; },
                Qt::SingleShotConnection);
            QApplication::setActiveWindow(&d);
            QTest::keyClick(&d, button->text().at(button->text().indexOf('&') + 1).toLatin1(),
                            Qt::AltModifier);
            // An accelerator clicks its button a moment later, as a mouse would.
            EXPECT_TRUE(QTest::qWaitFor([&] { return clicked; }, 2000)) << op.toStdString();
        } else if (op == "Enter")
            QTest::keyClick(find<QLineEdit>(d, "txtArgName"), Qt::Key_Return);
        else if (op == "Esc")
            QTest::keyClick(&d, Qt::Key_Escape);
        else if (op == "frame")
            d.close();
        else
            click(d, op);
    }
}

// The editor shown (not modally) over its own fields, for the tests of single clicks.
struct Shown {
    ArgumentEditorFields fields;
    MessageRecorder messages;
    std::unique_ptr<dialogs::frmArgumentSet1> dialog;
    explicit Shown(const std::string& text) : fields{text} {
        dialog = std::make_unique<dialogs::frmArgumentSet1>(fields);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QWidget& d() { return *dialog; }
};

TEST(frmArgumentSet1, LoadsWithItsCaptionGeometryColumnsAndTabOrder) {
    Shown s("");
    QWidget& d = s.d();
    EXPECT_EQ(d.windowTitle(), "变量设置");
    EXPECT_EQ(d.size(), QSize(qt::twipsToPixels(5700), qt::twipsToPixels(4065)));
    // In the tab order.
    const struct {
        const char* name;
        QString caption;
        QRect twips;
    } controls[] = {
        {"txtArgName", "", {960, 2385, 1695, 270}},
        {"txtArgValue", "", {960, 2880, 1695, 270}},
        {"txtArgDesc", "", {2880, 2400, 2775, 735}},
        {"cmdNew", "新建(&N)", {120, 3480, 1095, 375}},
        {"cmdModify", "修改(&M)", {1560, 3480, 1095, 375}},
        {"cmdDelete", "删除(&D)", {3000, 3480, 1095, 375}},
        {"cmdExit", "退出(&X)", {4440, 3480, 1095, 375}},
        {"lvArgument", "", {0, 0, 5655, 2055}},
        {"Frame1", "", {0, 3240, 5655, 135}},
        {"Label1", "参数名称", {120, 2400, 720, 180}},
        {"Label2", "参数值", {120, 2895, 540, 180}},
        {"Label3", "参数描述", {2880, 2160, 720, 180}},
    };
    for (int i = 0; i < 12; ++i) {
        const char* name = controls[i].name;
        QWidget* w = find<QWidget>(d, name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(twips(*w), controls[i].twips) << name;
        EXPECT_EQ(w->property("text").toString(), controls[i].caption) << name;  // boxes: empty
        if (i >= 8) continue;
        EXPECT_EQ(QApplication::focusWidget(), w) << name;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTreeWidget& lv = list(d);
    const QTreeWidgetItem& header = *lv.headerItem();
    EXPECT_EQ(QStringList({header.text(0), header.text(1), header.text(2),
                           QString::number(lv.topLevelItemCount())}),
              QStringList({"参数名称", "参数值", "参数描述", "0"}));
    // A sixth of the width each for name and value, the rest for the description; no
    // horizontal scroll bar.
    const int inner = lv.viewport()->width() +
                      (lv.verticalScrollBar()->isVisible() ? lv.verticalScrollBar()->width() : 0);
    EXPECT_EQ(QList<int>({lv.columnWidth(0), lv.columnWidth(1), lv.columnWidth(2)}),
              QList<int>({inner / 6, inner / 6, lv.viewport()->width() - 2 * (inner / 6)}));
}

TEST(frmArgumentSet1, NewAddsTrimmedTextsUnderANameNotYetTaken) {
    Shown s(kTwo);
    // Refused: a name taken in another case or with blanks, an empty name; the boxes keep their
    // texts.
    for (const QString typed : {"rate|1|x", " BASE  |1|x", "|1|x", "  TAX | 7 | 税 "}) {
        act(s.d(), {typed, "cmdNew"});
        const bool added = typed.contains("TAX");
        EXPECT_EQ(row(s.d(), 2), added ? QStringList({"TAX", "7", "税"}) : QStringList())
            << typed.toStdString();
        EXPECT_EQ(boxes(s.d()), added ? QStringList({"", "", ""}) : typed.split('|'));
    }
    EXPECT_EQ(s.messages.messages, std::vector<Message>{});
}

TEST(frmArgumentSet1, ClickModifyAndDeleteActOnTheClickedItem) {
    Shown s(kTwo);
    QWidget& d = s.d();
    act(d, {"cmdDelete", "X|1|", "cmdModify"});  // nothing clicked: nothing changes
    EXPECT_EQ(row(d, 0) << QString::number(list(d).topLevelItemCount()),
              QStringList({"RATE", "0.05", "税率", "2"}));
    act(d, {"item 1"});
    EXPECT_EQ(boxes(d) << QString::number(s.fields.m_iCurIndex),
              QStringList({"BASE", "100", "基数", "2"}));
    act(d, {" base | 200|基数 ", "cmdModify"});
    EXPECT_EQ(row(d, 1), QStringList({" base ", " 200", "基数 "}));  // stored as typed
    EXPECT_EQ(boxes(d), row(d, 1));
    act(d, {"Rate|9|", "cmdModify"});  // another item's name is refused
    EXPECT_EQ(row(d, 1)[0], " base ");
    act(d, {"cmdDelete"});
    EXPECT_EQ(boxes(d) << QString::number(list(d).topLevelItemCount()),
              QStringList({"", "", "", "1"}));
    act(d, {"Y|1|", "cmdModify", "cmdDelete"});  // the position lies beyond the last item
    EXPECT_EQ(row(d, 0), QStringList({"RATE", "0.05", "税率"}));
    EXPECT_EQ(boxes(d)[0], "Y");
    act(d, {"cmdExit"});
    EXPECT_EQ(s.fields.m_sArgument, entries("RATE,0.05,税率"));
}

TEST(frmArgumentSet1, AShortEntryShowsTheEntriesBeforeItAndOneMessage) {
    Shown s(entries("A,1,a;B,2,b;C,3;D,4,d"));
    EXPECT_EQ(list(s.d()).topLevelItemCount(), 2);
    EXPECT_EQ(s.messages.messages,
              std::vector<Message>{information(
                  "参数列表的第3项少于三个字段（名称、值、描述），这一项及其后的参数没有读入。\n\n"
                  "下标越界。\nfrmArgumentSet1.ReadArgument()\\NemroFormulaSet (9)")});
}

std::string setArgument(const std::string& text, const std::vector<QString>& ops) {
    DialogDriver driver;
    driver.expect("frmArgumentSet1", [&](QWidget& d) { act(d, ops); });
    std::string result;
    driver.run([&] { result = CArgumentSet().SetArgument(text); });
    return result;
}

TEST(SetArgument, ReturnsTheSavedListAfterExitAndTheHandedTextOtherwise) {
    MessageRecorder messages;
    const struct {
        std::string handed;
        std::vector<QString> ops;
        std::string returned;
    } cases[] = {
        {kTwo, {"TAX|7|", "cmdNew", "cmdExit"}, kTwo + entries(";TAX,7,")},  // in display order
        {entries("A,1,a"), {"item 0", "cmdDelete", "cmdExit"}, ""},
        {kTwo, {"TAX|7|", "cmdNew", "frame"}, kTwo},
        {kTwo, {"item 0", "cmdDelete", "Esc"}, kTwo},
        {entries("A,1,a;B"), {"cmdExit"}, entries("A,1,a")},  // a short entry is not saved back
        {"", {"TAX|7|", "&cmdNew", "&cmdExit"}, entries("TAX,7,")},
        {"", {"TAX|7|", "Enter", "cmdExit"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(setArgument(c.handed, c.ops), c.returned) << c.ops.back().toStdString();
    // The clicked position stays from one showing to the next, and Argument keeps the saved list.
    setArgument(kTwo, {"item 1", "cmdExit"});
    EXPECT_EQ(argumentEditorFields().m_iCurIndex, 2);
    EXPECT_EQ(setArgument(entries("P,,;Q,,;R,,"), {"Z|26|", "cmdModify", "cmdExit"}),
              entries("P,,;Z,26,;R,,"));
    EXPECT_EQ(argumentEditorFields().m_sArgument, entries("P,,;Z,26,;R,,"));
}

}  // namespace
}  // namespace nemro::testing
