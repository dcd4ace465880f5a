#include "frm_formula_set.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "nemro/classic_lists.h"

namespace nemro::dialogs {

using qt::setTwipsGeometry;

frmFormulaSet::frmFormulaSet(Exchange& exchange)
    : FlowDialog(exchange),
      Label1(new QLabel(this)),
      lstFormulaCategory(new QListWidget(this)),
      lstFormulaName(new QListWidget(this)),
      Label2(new QLabel(this)),
      lblFormulaValue(new QLabel(this)),
      lblFormulaTitleAnsDesc(new QLabel(this)),
      cmdOK(new QPushButton(this)),
      cmdCancel(new QPushButton(this)),
      Frame1(new QFrame(this)),
      valueLabel_(*lblFormulaValue),
      titleLabel_(*lblFormulaTitleAnsDesc),
      metrics_(*this) {
    setObjectName("frmFormulaSet");
    setWindowTitle(tr("粘贴函数"));
    setFixedSize(qt::twipsToPixels(6690), qt::twipsToPixels(4545));

    Label1->setObjectName("Label1");
    Label1->setText(tr("函数分类(&C)"));
    Label1->setBuddy(lstFormulaCategory);
    setTwipsGeometry(*Label1, 120, 120, 1335, 255);

    lstFormulaCategory->setObjectName("lstFormulaCategory");
    setTwipsGeometry(*lstFormulaCategory, 60, 420, 2955, 1620);
    lstFormulaName->setObjectName("lstFormulaName");
    setTwipsGeometry(*lstFormulaName, 3120, 420, 3495, 1620);

    Label2->setObjectName("Label2");
    Label2->setText(tr("函数名(&N)"));
    Label2->setBuddy(lstFormulaName);
    setTwipsGeometry(*Label2, 3120, 120, 1335, 255);

    lblFormulaValue->setObjectName("lblFormulaValue");
    lblFormulaValue->setTextFormat(Qt::PlainText);
    setTwipsGeometry(*lblFormulaValue, 120, 2280, 4875, 315);

    lblFormulaTitleAnsDesc->setObjectName("lblFormulaTitleAnsDesc");
    lblFormulaTitleAnsDesc->setTextFormat(Qt::PlainText);
    lblFormulaTitleAnsDesc->setWordWrap(true);
    lblFormulaTitleAnsDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTwipsGeometry(*lblFormulaTitleAnsDesc, 120, 2700, 6435, 1035);

    cmdOK->setObjectName("cmdOK");
    cmdOK->setText(tr("确定(&O)"));
    cmdOK->setDefault(true);
    setTwipsGeometry(*cmdOK, 3960, 4080, 1125, 375);

    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setText(tr("取消(&C)"));
    cmdCancel->setAutoDefault(false);
    setTwipsGeometry(*cmdCancel, 5280, 4080, 1125, 375);

    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::HLine);
    Frame1->setFrameShadow(QFrame::Sunken);
    setTwipsGeometry(*Frame1, 60, 3900, 6495, 75);

    setTabOrder(lstFormulaCategory, lstFormulaName);
    setTabOrder(lstFormulaName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    categoryList_ = std::make_unique<qt::QtListBox>(*lstFormulaCategory,
                                                    [this] { lstFormulaCategory_Click(); });
    nameList_ =
        std::make_unique<qt::QtListBox>(*lstFormulaName, [this] { lstFormulaName_Click(); });
    connect(lstFormulaName, &QListWidget::itemDoubleClicked, this,
            [this] { qt::runGuarded([this] { lstFormulaName_DblClick(); }); });
    connect(cmdOK, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdCancel_Click(); }); });

    Form_Load();
    lstFormulaCategory->setFocus();
}

frmFormulaSet::~frmFormulaSet() = default;

void frmFormulaSet::Form_Load() {
    for (QListWidget* list : {lstFormulaCategory, lstFormulaName}) {
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list->verticalScrollBar()->setEnabled(false);
    }
    FillFunctionCategory(metrics_, *categoryList_, session().catalogue());
}

void frmFormulaSet::lstFormulaCategory_Click() {
    FillFunctionName(metrics_, *nameList_, categoryList_->Text(), session().catalogue());
}

void frmFormulaSet::lstFormulaName_Click() {
    GetFunctionInfo(valueLabel_, titleLabel_, nameList_->Text(), session().catalogue());
}

void frmFormulaSet::lstFormulaName_DblClick() {
    cmdOK_Click();
}

void frmFormulaSet::cmdOK_Click() {
    if (nameList_->ListCount() == 0) return;
    chooseFunction(nameList_->Text());
}

void frmFormulaSet::cmdCancel_Click() {
    session().cancel();
    unload();
}

void frmFormulaSet::reject() {
    qt::runGuarded([this] { cmdCancel_Click(); });
}

}  // namespace nemro::dialogs
