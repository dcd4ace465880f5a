#include "frm_formula_editor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "accessible.h"
#include "modern_settings.h"
#include "nemro/argument_preview.h"
#include "nemro/catalogue_model.h"
#include "nemro/formula_completion.h"
#include "nemro/function_index.h"
#include "nemro/message_box.h"
#include "nemro/modern_check.h"
#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kSizeKey = "editor";

QString esc(const std::string& s) {
    return qt::qs(s).toHtmlEscaped();
}
}  // namespace

frmFormulaEditor::frmFormulaEditor(Exchange& exchange, std::shared_ptr<const CompletionIndex> index)
    : FlowDialog(exchange, false),
      edit_(new CFormulaEdit(std::move(index), this)),
      cmdFunction_(new QToolButton(this)),
      txtHelp_(new QTextBrowser(this)),
      cmdOK_(new QPushButton(tr("确定(&O)"), this)) {
    setObjectName("frmFormulaEditor");
    setWindowTitle(tr("编辑公式"));
    setSizeGripEnabled(true);
    edit_->setObjectName("formulaEdit");
    auto* caption = new QLabel(tr("公式(&F)"), this);
    caption->setBuddy(edit_->textEdit());
    cmdFunction_->setText("fx");
    cmdFunction_->setToolTip(tr("在光标处插入函数 (Ctrl+I)"));
    cmdFunction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    cmdFunction_->setFocusPolicy(Qt::NoFocus);
    cmdFunction_->setEnabled(false);
    describe(*cmdFunction_, "cmdInsertFunction", tr("插入函数"),
             tr("选择一个函数并填写参数，插入到光标处"));
    describe(*txtHelp_, "txtFunctionHelp", tr("函数说明"),
             tr("光标所在函数的标题、说明和参数，当前参数以粗体标出"));
    describe(*cmdOK_, "cmdOK", tr("确定"), tr("检查并返回公式"));
    cmdOK_->setDefault(true);
    auto* cancel = new QPushButton(tr("取消(&C)"), this);
    describe(*cancel, "cmdCancel", tr("取消"), tr("不返回公式，关闭对话框"));
    cancel->setAutoDefault(false);

    connect(cmdFunction_, &QToolButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdFunction_Click(); }); });
    connect(cmdOK_, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(edit_, &CFormulaEdit::cursorContextChanged, this, [this] { showHelp(); });

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(cmdFunction_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(edit_, 2);
    layout->addWidget(txtHelp_, 3);
    layout->addLayout(buttons);

    const QFontMetrics fm(font());
    txtHelp_->setMinimumHeight(fm.lineSpacing() * 5);
    setMinimumWidth(fm.horizontalAdvance('M') * 36);
    resize(fm.horizontalAdvance('M') * 56, fm.lineSpacing() * 22);
    restoreDialogSize(session().options(), *this, kSizeKey);
    edit_->setFocus();
}

frmFormulaEditor::~frmFormulaEditor() = default;

void frmFormulaEditor::setInsertFunction(InsertFunction insert) {
    insert_ = std::move(insert);
    cmdFunction_->setEnabled(static_cast<bool>(insert_));
}

void frmFormulaEditor::showHelp() {
    std::size_t argument = 0;
    const CatalogueFunction* f = edit_->functionAtCursor(&argument);
    if (f == helpFunction_ && argument == helpArgument_) return;
    helpFunction_ = f, helpArgument_ = argument;
    if (!f) return txtHelp_->clear();
    QString html = "<b>" + esc(f->name) + "</b>  " + esc(f->title);
    if (!f->value.empty()) html += "<br>" + tr("语法：") + esc(f->value);
    if (!f->description.empty()) html += "<p>" + esc(f->description) + "</p>";
    for (std::size_t i = 0; i < f->arguments.size(); ++i) {
        const CatalogueArgument& a = f->arguments[i];
        QString line = esc(a.name) + (a.required ? tr("（必选）") : tr("（可选）"));
        if (!a.description.empty()) line += "：" + esc(a.description);
        html += (i + 1 == argument ? "<b>" + line + "</b>" : line) + "<br>";
    }
    if (!f->example.empty()) html += "<p>" + tr("示例：") + esc(f->example) + "</p>";
    txtHelp_->setHtml(html);
}

void frmFormulaEditor::cmdFunction_Click() {
    if (!insert_) return;
    if (const std::optional<std::string> call = insert_(formula(), edit_->cursorPosition()))
        edit_->insertText(*call);
    edit_->setFocus();
}

void frmFormulaEditor::cmdOK_Click() {
    const FormulaCheckOutcome& outcome = edit_->checkNow();
    if (outcome.ok) {
        session().complete(formula());
        return done(QDialog::Accepted);
    }
    // The problem stays underlined in the text; the message box says it once more.
    showDiagnostic(formulaErrorDiagnostic(outcome.message));
    if (outcome.position > 0) edit_->setCursorPosition(outcome.position - 1);
    edit_->setFocus();
}

void frmFormulaEditor::reject() {
    session().cancel();
    unload();
}

void frmFormulaEditor::done(int result) {
    saveDialogSize(session().options(), *this, kSizeKey);
    FlowDialog::done(result);
}

namespace {
// The host's declared names, as the completion lists them.
std::vector<IndexedName> declaredNames(const ExchangeOptions& options) {
    std::vector<IndexedName> names;
    if (options.fields)
        for (const Field& f : options.fields->fields())
            names.push_back({f.name, f.group, f.description});
    return names;
}

// The modern check, with its place, and the value from the samples as the rows show it.
FormulaChecker exchangeChecker(const ModernCheckContext& ctx) {
    return [ctx, samples = modernSamples(ctx)](const std::string& text) {
        FormulaCheckOutcome out;
        const ModernCheckResult check = checkModernFormula(text, ctx);
        if (!check.ok) {
            out.ok = false;
            out.message = check.message;
            out.position = static_cast<std::size_t>(std::max(check.position, 0));
            out.length = static_cast<std::size_t>(std::max(check.length, 0));
            return out;
        }
        const PreviewValue v = previewValue(text, samples, ctx.catalogue, ctx.functions);
        if (v.state == PreviewState::Value)
            out.resultText = "计算结果 " + v.display();
        else if (v.state != PreviewState::Empty)
            out.resultText = "计算结果：" + v.display();
        return out;
    };
}

// The call the modern chooser and argument dialog make, in an exchange of their own.
std::optional<std::string> chooseCall(const ExchangeOptions& options) {
    Exchange inner = modernExchange(options, false);
    std::unique_ptr<FlowDialog> first;
    inner.session.start("", [&](Step step) { first = inner.make(step); });
    runDialogs(std::move(first));
    if (!inner.session.completed()) return std::nullopt;
    return inner.session.finish();
}
}  // namespace

std::unique_ptr<FlowDialog> makeExchangeEditor(Exchange& exchange) {
    FormulaSession& session = exchange.session;
    const CatalogueRef& catalogue = session.catalogue();
    auto index = std::make_shared<const CompletionIndex>(
        catalogue.snapshot() ? loadFunctionIndex(catalogue.snapshot())
                             : loadFunctionIndex(catalogue.path()),
        declaredNames(session.options()));
    auto editor = std::make_unique<frmFormulaEditor>(exchange, index);
    editor->editor().setChecker(exchangeChecker(session.modernContext()));
    editor->setInsertFunction([options = session.options()](const std::string&, std::size_t) {
        return chooseCall(options);
    });
    if (const std::optional<EditorText> text = session.takeEditorText()) {
        editor->setFormula(text->text);
        editor->editor().setCursorPosition(text->cursor);
    }
    return editor;
}

std::optional<std::string> editFormula(std::shared_ptr<const CompletionIndex> index,
                                       const std::string& formula,
                                       frmFormulaEditor::InsertFunction insert,
                                       const ExchangeOptions& options, QWidget* parent) {
    Exchange alone{FormulaSession(options), nullptr, nullptr};
    frmFormulaEditor dialog(alone, std::move(index));
    if (parent) dialog.setParent(parent, dialog.windowFlags());
    dialog.setFormula(formula);
    dialog.setInsertFunction(std::move(insert));
    dialog.exec();
    if (!alone.session.completed()) return std::nullopt;
    return alone.session.finish();
}

}  // namespace nemro::dialogs
