#include "host_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <exception>
#include <iostream>

#include "nemro/error.h"
#include "nemro/formula_set.h"
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
#include "nemro/argument_set.h"
#endif

namespace nemro::demo {

HostWindow::HostWindow()
    : formula_(new QLineEdit(this)),
      fx_(new QPushButton(tr("fx"), this)),
      style_(new QComboBox(this)),
      samples_(new QLabel(this)),
      names_(new QListWidget(this)),
      status_(new QLabel(this)),
      arguments_(new QPushButton(tr("参数列表..."), this)),
      argumentText_(new QLabel(this)) {
    setObjectName("HostWindow");
    setWindowTitle(tr("NemroFormulaSet demo host"));
    formula_->setObjectName("formula");
    formula_->setPlaceholderText(tr("empty: choose a function; a formula: edit it"));
    fx_->setObjectName("fx");
    fx_->setToolTip(tr("选择公式"));
    style_->setObjectName("style");
    style_->addItems({tr("经典样式"), tr("现代样式")});
    style_->setAccessibleName(tr("对话框样式"));
    status_->setObjectName("status");
    status_->setText(tr("isCancel: -"));
    arguments_->setObjectName("arguments");
    argumentText_->setObjectName("argumentList");
    argumentText_->setWordWrap(true);
    argumentText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    argumentText_->setText(tr("(empty argument list)"));
    QString samples;
    for (const auto& [name, value] : sampleValues())
        samples += (samples.isEmpty() ? "" : ", ") + QString::fromStdString(name + " = " + value);
    samples_->setObjectName("sampleValues");
    samples_->setText(tr("Sample values: %1").arg(samples));

    names_->setObjectName("declaredNames");
    names_->setAccessibleName(tr("声明的名称"));
    for (const Field& f : declaredFields()) {
        const std::string sample = f.sample ? " = " + f.sample->text : "";
        auto* item = new QListWidgetItem(QString::fromStdString(f.name + sample), names_);
        item->setToolTip(QString::fromStdString(
            (f.group.empty() ? "" : f.group + " · ") + fieldTypeName(f.type) +
            (f.description.empty() ? "" : " · " + f.description)));
    }
    names_->setMaximumWidth(180);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Formula:"), this), 0, 0);
    grid->addWidget(formula_, 0, 1);
    grid->addWidget(fx_, 0, 2);
    grid->addWidget(style_, 0, 3);
    grid->addWidget(status_, 1, 1, 1, 3);
    grid->addWidget(samples_, 3, 1, 1, 3);
    grid->addWidget(arguments_, 2, 0);
    grid->addWidget(argumentText_, 2, 1, 1, 3);
    grid->addWidget(names_, 0, 4, 4, 1);
    grid->setColumnStretch(1, 1);
    resize(720, 180);

    connect(fx_, &QPushButton::clicked, this, &HostWindow::editFormula);
    connect(formula_, &QLineEdit::returnPressed, this, &HostWindow::editFormula);
    connect(arguments_, &QPushButton::clicked, this, &HostWindow::editArguments);
#ifndef NEMRO_HAVE_ARGUMENT_LISTS
    arguments_->setEnabled(false);
    argumentText_->setText(tr("(argument lists are not part of this build)"));
#endif
}

void HostWindow::setDialogStyle(int style) {
    style_->setCurrentIndex(style);
}

const std::map<std::string, std::string>& HostWindow::sampleValues() {
    // What the host's records would hold; the modern argument dialog computes with them.
    static const std::map<std::string, std::string> values{
        {"A1", "3.14159"}, {"B1", "2"}, {"SALARY", "8000"}, {"NAME", "\"张三\""}};
    return values;
}

const std::vector<Field>& HostWindow::declaredFields() {
    const auto field = [](const char* name, FieldType type, const char* group,
                          const char* description, const char* sample) {
        Field f{name, type, group, description, {}};
        if (sample) f.sample = readFieldValue(type, sample);
        return f;
    };
    static const std::vector<Field> fields{
        field("基本工资", FieldType::Number, "工资项目", "每月的基本工资", "8000"),
        field("岗位工资", FieldType::Number, "工资项目", "按岗位核定", nullptr),
        field("奖金", FieldType::Number, "工资项目", "绩效奖金", "500"),
        field("姓名", FieldType::Text, "人员信息", "员工的姓名", "张三"),
        field("入职日期", FieldType::Date, "人员信息", "到岗的日期", "2019-07-01"),
        field("是否在职", FieldType::Boolean, "人员信息", "", "TRUE"),
        field("A1", FieldType::Number, "单元格", "", "3.14159"),
        field("B1", FieldType::Number, "单元格", "", "2"),
        field("SALARY", FieldType::Number, "单元格", "", "8000"),
        field("NAME", FieldType::Text, "单元格", "", "张三"),
    };
    return fields;
}

void HostWindow::editFormula() {
    const std::string former = formula_->text().toStdString();
    CFormulaSet service;
    service.setDialogStyle(style_->currentIndex() == 1 ? DialogStyle::Modern
                                                       : DialogStyle::Classic);
    service.setSampleValues(sampleValues());
    std::string result;
    try {
        service.setFields(declaredFields());
    } catch (const NemroError& e) {
        std::cerr << e.description() << std::endl;
    }
    try {
        result = service.setFormula(former);
    } catch (const NemroError& e) {
        QMessageBox::critical(this, windowTitle(),
                              QString::fromStdString(e.description() + "\n\n" + e.source()));
    }
    const bool cancelled = service.isCancel();
    if (!cancelled) formula_->setText(QString::fromStdString(result));
    status_->setText(tr("isCancel: %1").arg(cancelled ? "true" : "false"));
    std::cout << "setFormula: " << result << " isCancel: " << (cancelled ? "true" : "false")
              << std::endl;
}

QString HostWindow::readableArgumentList(const std::string& list) {
    if (list.empty()) return QObject::tr("(empty argument list)");
    // Entries are separated by code 15, their fields by code 14: show both as marks.
    std::string shown;
    for (char c : list) {
        if (c == '\x0f')
            shown += " \xE2\x8F\x8E ";  // U+23CE between entries
        else if (c == '\x0e')
            shown += " \xC2\xA6 ";  // U+00A6 between fields
        else
            shown += c;
    }
    return QString::fromStdString(shown);
}

void HostWindow::editArguments() {
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
    try {
        CArgumentSet editor;
        argumentList_ = editor.SetArgument(argumentList_);
    } catch (const NemroError& e) {
        QMessageBox::critical(this, windowTitle(),
                              QString::fromStdString(e.description() + "\n\n" + e.source()));
    }
    argumentText_->setText(readableArgumentList(argumentList_));
    std::cout << "SetArgument: " << readableArgumentList(argumentList_).toStdString() << std::endl;
#endif
}

}  // namespace nemro::demo
