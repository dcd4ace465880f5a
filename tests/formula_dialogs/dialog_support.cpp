#include "dialog_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "nemro/catalogue.h"

namespace nemro::testing {

namespace {

std::string argument(const std::string& name, const std::string& required,
                     const std::string& type, const std::string& description) {
    return "      <Argument Value=\"" + name + "\" Required=\"" + required + "\" Datatype=\"" +
           type + "\" Description=\"" + description + "\"/>\n";
}

std::string formula(const std::string& name, const std::string& category, int maxArgs,
                    const std::string& arguments, const std::string& display = "True") {
    return "    <Formula Name=\"" + name + "\" CategoryName=\"" + category + "\" Display=\"" +
           display + "\" Value=\"" + name + "(...)\" Title=\" " + name +
           " \" Description=\" " + name + "的说明。 \" MaxArgNum=\"" +
           std::to_string(maxArgs) + "\">\n" + arguments + "    </Formula>\n";
}

std::string catalogueText() {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Quorvanta>\n  <FormulaCategorys>\n"
           "    <Category Title=\"文本函数\" Name=\"TEXT\" Display=\"True\"/>\n"
           "    <Category Title=\"逻辑函数\" Name=\"LOGIC\" Display=\"True\"/>\n"
           "    <Category Title=\"空分类\" Name=\"NONE\" Display=\"True\"/>\n"
           "    <Category Title=\"隐藏分类\" Name=\"TEXT\" Display=\"true\"/>\n"
           "    <Category Title=\"多参数\" Name=\"MANY\" Display=\"True\"/>\n"
           "    <Category Title=\"有误\" Name=\"BROKEN\" Display=\"True\"/>\n"
           "    <Category Title=\"全部函数\" Name=\" totalfunction \" Display=\"True\"/>\n"
           "  </FormulaCategorys>\n  <Formulas>\n";
    xml << formula("LEFT", "TEXT", 2,
                   argument("text", "True", "String", "要提取字符的文本") +
                       argument("num_chars", "False", "Integer", "要提取的字符数"));
    xml << formula("MID", "TEXT", 3,
                   argument("text", "True", "String", "文本") +
                       argument("start_num", "True", "Integer", "起始位置") +
                       argument("num_chars", "True", "Integer", "字符数"));
    xml << formula("MYTRIM", "TEXT", 1, argument("text", "True", "String", "文本"));
    xml << formula("Sum", "TEXT", 1, argument("number", "True", "Integer", "数"));
    xml << formula("HIDDEN", "TEXT", 1, argument("x", "True", "Integer", "数"), "False");
    xml << formula("IF", "LOGIC", 3,
                   argument("logical_test", "True", "Boolean", "条件") +
                       argument("value_if_true", "False", "String", "条件成立时的值") +
                       argument("value_if_false", "False", "String", "条件不成立时的值"));
    xml << formula("MARKS", "LOGIC", 4,
                   argument("a", "True", "Integer", "甲") + argument("b", "true", "Integer", "乙") +
                       argument("c", " True", "Integer", "丙") +
                       argument("d", "False", "Integer", "丁"));
    xml << formula("TODAY", "LOGIC", 0, "");
    for (int n = 2; n <= 40; ++n) {
        std::string args;
        for (int i = 1; i <= n; ++i)
            args += argument("arg" + std::to_string(i), "False", "Integer", "第" + std::to_string(i) + "个");
        xml << formula("ARGS" + std::to_string(n), "MANY", n, args);
    }
    xml << formula("BADCOUNT", "BROKEN", 3,
                   argument("a", "True", "Integer", "甲") + argument("b", "True", "Integer", "乙"));
    xml << "    <Formula Name=\"NOINFO\" CategoryName=\"BROKEN\" Display=\"True\" MaxArgNum=\"1\">\n"
        << argument("a", "True", "Integer", "甲") << "    </Formula>\n";
    // An argument without its name: the chooser offers it, the argument dialog cannot load.
    xml << formula("NOVALUE", "BROKEN", 1,
                   "      <Argument Required=\"True\" Datatype=\"Integer\" Description=\"甲\"/>\n");
    // An argument without its description: the dialog loads, the focus fails.
    xml << formula("NODESC", "BROKEN", 1,
                   "      <Argument Value=\"a\" Required=\"True\" Datatype=\"Integer\"/>\n");
    xml << "  </Formulas>\n  <DatatypeDesc>\n"
           "    <Datatype Value=\"String\" Desc=\"文本值\"/>\n"
           "    <Datatype Value=\"Integer\" Desc=\"整数值\"/>\n"
           "    <Datatype Value=\"Boolean\" Desc=\"逻辑值\"/>\n"
           "  </DatatypeDesc>\n</Quorvanta>\n";
    return xml.str();
}

}  // namespace

void installTestCatalogue() {
    const std::string target = GetAppPath() + "FormulaSet.xml";
    const std::string temporary = target + "." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary);
        out << catalogueText();
    }
    std::rename(temporary.c_str(), target.c_str());
}

MessageRecorder::MessageRecorder()
    : previous_(setMessageBox([this](const std::string& text, MsgIcon icon, const std::string& title) {
          messages.push_back({text, icon, title});
      })) {}

MessageRecorder::~MessageRecorder() { setMessageBox(previous_); }

DialogDriver::DialogDriver() {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

DialogDriver::~DialogDriver() = default;

void DialogDriver::expect(const QString& dialog, std::function<void(QWidget&)> act) {
    steps_.push_back({dialog, std::move(act)});
}

void DialogDriver::run(const std::function<void()>& fn) {
    start();
    fn();
    finish();
}

void DialogDriver::start() { timer_.start(); }

void DialogDriver::finish() {
    timer_.stop();
    if (failure_.empty() && !steps_.empty())
        failure_ = "the dialogs closed before the step for " + steps_.front().dialog.toStdString();
}

std::string DialogDriver::failure() const { return failure_; }

void DialogDriver::fail(const std::string& why) {
    if (failure_.empty()) failure_ = why;
    steps_.clear();
    while (QWidget* w = QApplication::activeModalWidget()) {
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        else w->close();
        if (QApplication::activeModalWidget() == w) w->hide();
    }
}

void DialogDriver::tick() {
    if (inStep_) return;
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible()) {
        // Between two dialogs of an exchange nothing is modal for a moment. The bound
        // counts idle turns of the event loop, not time.
        if (++idleTicks_ > 100000) fail("no dialog came up");
        return;
    }
    idleTicks_ = 0;
    if (steps_.empty()) return fail("unexpected dialog " + w->objectName().toStdString());
    if (w->objectName() != steps_.front().dialog)
        return fail("expected " + steps_.front().dialog.toStdString() + ", found " +
                    w->objectName().toStdString());
    Step step = std::move(steps_.front());
    steps_.pop_front();
    inStep_ = true;
    step.act(*w);
    inStep_ = false;
}

void click(QWidget& dialog, const QString& button) {
    if (auto* b = find<QAbstractButton>(dialog, button)) b->click();
}

}  // namespace nemro::testing
