#include "frm_argument_set1.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "nemro/message_box.h"
#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

using qt::qs;
using qt::setTwipsGeometry;
using qt::ss;

frmArgumentSet1::frmArgumentSet1(ArgumentEditorFields& fields)
    : Frame1(new QFrame(this)),
      Label1(new QLabel(this)),
      txtArgName(new QLineEdit(this)),
      Label2(new QLabel(this)),
      txtArgValue(new QLineEdit(this)),
      Label3(new QLabel(this)),
      txtArgDesc(new QPlainTextEdit(this)),
      cmdNew(new QPushButton(this)),
      cmdModify(new QPushButton(this)),
      cmdDelete(new QPushButton(this)),
      cmdExit(new QPushButton(this)),
      lvArgument(new QTreeWidget(this)),
      fields_(fields),
      editor_(fields) {
    setObjectName("frmArgumentSet1");
    setWindowTitle(tr("变量设置"));
    qt::makeFixedDialog(*this);
    setFixedSize(qt::twipsToPixels(5700), qt::twipsToPixels(4065));

    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::HLine);
    Frame1->setFrameShadow(QFrame::Sunken);
    setTwipsGeometry(*Frame1, 0, 3240, 5655, 135);

    Label1->setObjectName("Label1");
    Label1->setText(tr("参数名称"));
    Label1->setBuddy(txtArgName);
    setTwipsGeometry(*Label1, 120, 2400, 720, 180);
    txtArgName->setObjectName("txtArgName");
    setTwipsGeometry(*txtArgName, 960, 2385, 1695, 270);

    Label2->setObjectName("Label2");
    Label2->setText(tr("参数值"));
    Label2->setBuddy(txtArgValue);
    setTwipsGeometry(*Label2, 120, 2895, 540, 180);
    txtArgValue->setObjectName("txtArgValue");
    setTwipsGeometry(*txtArgValue, 960, 2880, 1695, 270);

    Label3->setObjectName("Label3");
    Label3->setText(tr("参数描述"));
    Label3->setBuddy(txtArgDesc);
    setTwipsGeometry(*Label3, 2880, 2160, 720, 180);
    txtArgDesc->setObjectName("txtArgDesc");
    // Tab moves on, as in the other boxes; Enter starts a new line of the description.
    txtArgDesc->setTabChangesFocus(true);
    setTwipsGeometry(*txtArgDesc, 2880, 2400, 2775, 735);

    const struct {
        QPushButton* button;
        const char* name;
        QString caption;
        int left;
    } buttons[] = {{cmdNew, "cmdNew", tr("新建(&N)"), 120},
                   {cmdModify, "cmdModify", tr("修改(&M)"), 1560},
                   {cmdDelete, "cmdDelete", tr("删除(&D)"), 3000},
                   {cmdExit, "cmdExit", tr("退出(&X)"), 4440}};
    for (const auto& b : buttons) {
        b.button->setObjectName(b.name);
        b.button->setText(b.caption);
        // No button answers Enter in a text box: Enter there must not add or delete.
        b.button->setAutoDefault(false);
        setTwipsGeometry(*b.button, b.left, 3480, 1095, 375);
    }

    lvArgument->setObjectName("lvArgument");
    setTwipsGeometry(*lvArgument, 0, 0, 5655, 2055);

    setTabOrder(txtArgName, txtArgValue);
    setTabOrder(txtArgValue, txtArgDesc);
    setTabOrder(txtArgDesc, cmdNew);
    setTabOrder(cmdNew, cmdModify);
    setTabOrder(cmdModify, cmdDelete);
    setTabOrder(cmdDelete, cmdExit);
    setTabOrder(cmdExit, lvArgument);

    connect(lvArgument, &QTreeWidget::itemClicked, this,
            [this] { qt::runGuarded([this] { lvArgument_Click(); }); });
    connect(cmdNew, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdNew_Click(); }); });
    connect(cmdModify, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdModify_Click(); }); });
    connect(cmdDelete, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdDelete_Click(); }); });
    connect(cmdExit, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdExit_Click(); }); });

    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    Form_Load();
    txtArgName->setFocus();
}

frmArgumentSet1::~frmArgumentSet1() = default;

void frmArgumentSet1::Form_Load() {
    // The report view: a flat list whose header carries the three column titles.
    lvArgument->setColumnCount(3);
    lvArgument->setHeaderLabels({tr("参数名称"), tr("参数值"), tr("参数描述")});
    lvArgument->setRootIsDecorated(false);
    lvArgument->setItemsExpandable(false);
    lvArgument->setUniformRowHeights(true);
    lvArgument->setSelectionMode(QAbstractItemView::SingleSelection);
    lvArgument->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvArgument->header()->setSectionsMovable(false);
    // Sixths of the list's inner width; the description column takes what is left
    // (two thirds, less a vertical scroll bar when one shows), so that the columns
    // never need a horizontal scroll bar.
    const int inner = lvArgument->width() - 2 * lvArgument->frameWidth();
    lvArgument->header()->setStretchLastSection(true);
    lvArgument->setColumnWidth(0, inner / 6);
    lvArgument->setColumnWidth(1, inner / 6);

    const ArgumentListEditor::ReadFailure failure = editor_.ReadArgument(fields_.m_sArgument);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(editor_.items().size()));
    for (const ArgumentEntry& e : editor_.items()) {
        auto* item = new QTreeWidgetItem;
        showEntry(*item, e);
        rows.append(item);
    }
    lvArgument->addTopLevelItems(rows);
    if (failure.position != 0)
        showMessage(readFailureMessage(failure), MsgIcon::Information, kApplicationTitle);
}

void frmArgumentSet1::lvArgument_Click() {
    QTreeWidgetItem* selected = lvArgument->currentItem();
    if (!selected || !selected->isSelected()) return;
    setBoxTexts(editor_.Click(lvArgument->indexOfTopLevelItem(selected) + 1));
}

void frmArgumentSet1::cmdNew_Click() {
    if (!editor_.New(boxTexts())) return;
    auto* item = new QTreeWidgetItem;
    showEntry(*item, editor_.items().back());
    lvArgument->addTopLevelItem(item);
    setBoxTexts({});
}

void frmArgumentSet1::cmdModify_Click() {
    if (!editor_.Modify(boxTexts())) return;
    const int row = editor_.curIndex() - 1;
    showEntry(*lvArgument->topLevelItem(row), editor_.items()[static_cast<std::size_t>(row)]);
}

void frmArgumentSet1::cmdDelete_Click() {
    const int row = editor_.curIndex() - 1;
    if (!editor_.Delete()) return;
    delete lvArgument->takeTopLevelItem(row);
    setBoxTexts({});
}

void frmArgumentSet1::cmdExit_Click() {
    editor_.SaveArgument();
    accept();
}

ArgumentTexts frmArgumentSet1::boxTexts() const {
    return {ss(txtArgName->text()), ss(txtArgValue->text()), ss(txtArgDesc->toPlainText())};
}

void frmArgumentSet1::setBoxTexts(const ArgumentTexts& t) {
    txtArgName->setText(qs(t.name));
    txtArgValue->setText(qs(t.value));
    txtArgDesc->setPlainText(qs(t.description));
}

void frmArgumentSet1::showEntry(QTreeWidgetItem& item, const ArgumentEntry& entry) {
    item.setText(0, qs(entry.name));
    item.setText(1, qs(entry.value));
    item.setText(2, qs(entry.description));
}

}  // namespace nemro::dialogs
