#include "frm_modern_arguments.h"

#include <QCompleter>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "accessible.h"
#include "completion_popup.h"
#include "modern_settings.h"
#include "nemro/argument_preview.h"
#include "nemro/catalogue.h"
#include "nemro/catalogue_model.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/function_index.h"
#include "nemro/modern_check.h"
#include "nemro/qt_toolkit.h"
#include "nemro/text.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kSizeKey = "arguments";
constexpr const char* kOkTag = "frmArgumentSet.cmdOK_Click()\\";
constexpr int kPauseMs = 150;                     // typing that stops this long is previewed
constexpr std::size_t kPreviewLimit = 64 * 1024;  // bytes of all fields previewed while typing

QString esc(const std::string& s) {
    return qt::qs(s).toHtmlEscaped();
}

// Byte offsets of the preview's folding and character positions of the field.
int charIndex(const std::string& utf8, std::size_t bytes) {
    return static_cast<int>(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(std::min(bytes, utf8.size())))
            .size());
}
}  // namespace

frmModernArguments::frmModernArguments(Exchange& exchange)
    : FlowDialog(exchange, false),
      catalogue_(exchange.session.catalogue().snapshot()
                     ? exchange.session.catalogue().snapshot()
                     : loadCatalogue(exchange.session.catalogue().path())),
      completion_(std::make_shared<const CompletionIndex>(loadFunctionIndex(catalogue_))),
      lblPath_(new QLabel(this)),
      rowsPanel_(new QWidget),
      rowsGrid_(new QGridLayout(rowsPanel_)),
      txtHelp_(new QTextBrowser(this)),
      lblFormula_(new QLabel(this)),
      lblResult_(new QLabel(this)) {
    setObjectName("frmModernArguments");
    setSizeGripEnabled(true);
    describe(*lblPath_, "lblNestingPath", tr("嵌套位置"), tr("外层函数在前，当前函数在后"));
    lblPath_->setTextFormat(Qt::PlainText);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("rows");
    scroll->setWidgetResizable(true);
    scroll->setWidget(rowsPanel_);
    scroll->setFrameShape(QFrame::StyledPanel);
    rowsGrid_->setColumnStretch(1, 3);
    rowsGrid_->setColumnStretch(3, 2);
    describe(*txtHelp_, "txtArgumentHelp", tr("参数说明"),
             tr("当前参数的名称、是否必选、说明、数据类型和类型说明"));
    for (QLabel* l : {lblFormula_, lblResult_}) {
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    describe(*lblFormula_, "lblFormula", tr("公式"), tr("按确定时返回的公式"));
    describe(*lblResult_, "lblResult", tr("计算结果"), tr("公式的结果，或按确定时将显示的提示"));

    auto* ok = new QPushButton(tr("确定(&O)"), this);
    describe(*ok, "cmdOK", tr("确定"), tr("检查并返回公式"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消(&C)"), this);
    describe(*cancel, "cmdCancel", tr("取消"), tr("不返回公式，关闭对话框"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });

    auto* buttons = new QHBoxLayout;
    if (QPushButton* edit = addEditorButton(*this, [this] { openEditor(fieldTexts()); }))
        buttons->addWidget(edit);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPath_);
    layout->addWidget(scroll, 3);
    layout->addWidget(txtHelp_, 2);
    layout->addWidget(lblFormula_);
    layout->addWidget(lblResult_);
    layout->addLayout(buttons);

    const QFontMetrics fm(font());
    txtHelp_->setMinimumHeight(fm.lineSpacing() * 6);
    scroll->setMinimumHeight(fm.lineSpacing() * 5);
    setMinimumWidth(fm.horizontalAdvance('M') * 40);
    resize(fm.horizontalAdvance('M') * 56, fm.lineSpacing() * 26);
    restoreDialogSize(session().options(), *this, kSizeKey);

    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, [this] { qt::runGuarded([this] { refresh(); }); });
    // The formula buttons are out of the Tab chain, which goes from field to field: from the
    // keyboard, this key nests into the field that has the focus.
    auto* nestKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(nestKey, &QShortcut::activated, this, [this] {
        for (int row = 1; row <= rowCount(); ++row) {
            if (field(row)->hasFocus()) {
                qt::runGuarded([this, row] { cmdFormula_Click(row); });
                return;
            }
        }
    });

    trapped("frmArgumentSet.Load()\\", [this] { load({}, 1, true); });
}

frmModernArguments::~frmModernArguments() = default;

QLineEdit* frmModernArguments::field(int row) const {
    return row >= 1 && row <= rowCount() ? rows_[row - 1].text : nullptr;
}

void frmModernArguments::clearRows() {
    // A row may be in the middle of its own event (Enter means OK): it goes once that is done.
    for (const Row& r : std::exchange(rows_, {})) {
        for (QWidget* w : std::initializer_list<QWidget*>{r.name, r.text, r.formula, r.value}) {
            w->hide();
            rowsGrid_->removeWidget(w);
            w->setParent(nullptr);
            w->deleteLater();
        }
    }
}

void frmModernArguments::load(const std::vector<std::string>& fields, int focus, bool former) {
    clearRows();
    previewer_ = std::make_unique<ArgumentPreviewer>(
        session().functionName(), session().catalogue(), session().options().samples,
        session().modernFunctions().value_or(FunctionSettings::WithLibrary()),
        session().options().fields);
    setWindowTitle(tr("参数设置") + "(" + qt::qs(session().functionName()) + ")");
    QString path;
    for (const std::string& f : session().nestingPath())
        path += (path.isEmpty() ? "" : " › ") + qt::qs(f);
    lblPath_->setText(path);

    const CatalogueFunction* function = catalogue_->function(session().functionName());
    const auto& names = previewer_->argumentNames();
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int row = static_cast<int>(i + 1);
        const bool required = previewer_->required()[i];
        const CatalogueArgument* argument =
            function && i < function->arguments.size() ? &function->arguments[i] : nullptr;
        Row r{new QLabel(qt::qs(names[i]) + (required ? tr("(必选)") : tr("(可选)")), rowsPanel_),
              new QLineEdit(rowsPanel_), new QToolButton(rowsPanel_), new QLabel(rowsPanel_)};
        r.name->setBuddy(r.text);
        describe(*r.text, QString("txtArgumentValue%1").arg(row), qt::qs(names[i]),
                 argument ? qt::qs(argument->description) : QString());
        if (argument && argument->datatype == "Boolean") {
            auto* completer = new QCompleter(QStringList{"TRUE", "FALSE"}, r.text);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            r.text->setCompleter(completer);
        } else {
            new LineCompleter(*r.text, completion_);
        }
        describe(*r.formula, QString("cmdFormula%1").arg(row),
                 tr("为%1选择公式").arg(qt::qs(names[i])), tr("把另一个函数嵌套到这个参数中"));
        r.formula->setText("fx");
        r.formula->setToolTip(tr("选择公式 (Shift+F3)"));
        r.formula->setFocusPolicy(Qt::NoFocus);
        describe(*r.value, QString("lblArgumentResult%1").arg(row),
                 tr("%1的值").arg(qt::qs(names[i])), tr("这个参数的文本计算出的值"));
        r.value->setTextFormat(Qt::PlainText);
        r.value->setWordWrap(true);  // a long note wraps rather than being cut off
        r.value->setMinimumWidth(QFontMetrics(font()).horizontalAdvance('M') * 10);
        rowsGrid_->addWidget(r.name, row, 0);
        rowsGrid_->addWidget(r.text, row, 1);
        rowsGrid_->addWidget(r.formula, row, 2);
        rowsGrid_->addWidget(r.value, row, 3);
        r.text->installEventFilter(this);
        connect(r.text, &QLineEdit::textEdited, this, [this, row] { fieldEdited(row); });
        connect(r.text, &QLineEdit::textChanged, this, [this] {
            showRows();
            pause_.start();
        });
        connect(r.formula, &QToolButton::clicked, this,
                [this, row] { qt::runGuarded([this, row] { cmdFormula_Click(row); }); });
        if (previous) setTabOrder(previous, r.text);
        previous = r.text;
        rows_.push_back(r);
    }
    rowsGrid_->setRowStretch(static_cast<int>(names.size()) + 1, 1);
    // On opening, the fields of the formula being re-edited, if there is one.
    // Back from the chooser with a declared name: the outer level, the name in its row.
    std::optional<OuterLevel> resumed = former ? session().takeResumed() : std::nullopt;
    const std::vector<std::string> texts = resumed  ? resumed->fields
                                           : former ? session().takeFormerFields(rowCount())
                                                    : fields;
    for (std::size_t i = 0; i < texts.size() && i < rows_.size(); ++i)
        rows_[i].text->setText(qt::qs(texts[i]));
    showRows();
    refreshNow();
    focusRow(resumed ? resumed->row : focus);
    if (resumed && field(resumed->row))
        field(resumed->row)
            ->setCursorPosition(
                charIndex(texts[static_cast<std::size_t>(resumed->row - 1)], resumed->cursor));
}

void frmModernArguments::showRows() {
    const std::size_t shown = previewer_ ? previewer_->shownRows(fieldTexts()) : rows_.size();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool visible = i < shown;
        for (QWidget* w : std::initializer_list<QWidget*>{rows_[i].name, rows_[i].text,
                                                          rows_[i].formula, rows_[i].value})
            w->setVisible(visible);
    }
}

void frmModernArguments::showHelp(int row) {
    const CatalogueFunction* function = catalogue_->function(session().functionName());
    const std::size_t i = static_cast<std::size_t>(row - 1);
    if (!previewer_ || i >= previewer_->argumentNames().size()) return;
    QString html = "<b>" + esc(previewer_->argumentNames()[i]) + "</b> " +
                   (previewer_->required()[i] ? tr("（必选）") : tr("（可选）"));
    if (function && i < function->arguments.size()) {
        const CatalogueArgument& a = function->arguments[i];
        if (!a.description.empty()) html += "<br>" + esc(a.description);
        if (!a.datatype.empty()) {
            html += "<br>" + tr("数据类型：") + esc(a.datatype);
            if (const CatalogueDatatype* type = catalogue_->datatype(a.datatype))
                if (!type->description.empty())
                    html += "<br>" + tr("类型说明：") + esc(type->description);
            // A declared name alone in the field: whether its type fits.
            const auto& declared = session().options().fields;
            const std::string text(text::trimBlanks(qt::ss(field(row)->text())));
            if (const Field* f = declared ? declared->find(text) : nullptr)
                if (const std::string note = typeMismatchNote(*f, a.datatype); !note.empty())
                    html += "<br><span style=\"color:#c00000\">" + esc(note) + "</span>";
        }
    }
    txtHelp_->setHtml(html);
}

void frmModernArguments::fieldEdited(int row) {
    QLineEdit* edit = field(row);
    const std::string text = qt::ss(edit->text());
    const std::size_t cursor =
        static_cast<std::size_t>(edit->text().left(edit->cursorPosition()).toUtf8().size());
    const FoldedInput folded = foldFullWidth(text, cursor);
    if (!folded.changed) return;
    edit->setText(qt::qs(folded.text));
    edit->setCursorPosition(charIndex(folded.text, folded.cursor));
}

void frmModernArguments::refreshNow() {
    pause_.stop();
    refresh();
}

void frmModernArguments::refresh() {
    if (!previewer_) return;
    const std::vector<std::string> texts = fieldTexts();
    std::size_t total = 0;
    for (const std::string& t : texts) total += t.size();
    if (total > kPreviewLimit) {
        // A pasted text this long would hold up typing on every pause; OK still checks it.
        for (const Row& r : rows_) r.value->clear();
        lblFormula_->clear();
        lblResult_->setText(tr("公式很长，不在输入时计算；按确定时检查。"));
        lblResult_->setStyleSheet("");
        return;
    }
    const ArgumentPreview& p = previewer_->update(texts);
    for (std::size_t i = 0; i < rows_.size() && i < p.rows.size(); ++i) {
        const PreviewValue& v = p.rows[i];
        QLabel* label = rows_[i].value;
        const std::string note = v.variableNote();
        label->setText(qt::qs(v.display() + (note.empty() ? "" : "  " + note)));
        label->setToolTip(label->text());
        label->setStyleSheet(v.state == PreviewState::Error ? "color:#c00000" : "");
    }
    lblFormula_->setText(qt::qs(p.formula));
    lblResult_->setText(qt::qs(p.resultLine()));
    for (int row = 1; row <= rowCount(); ++row)
        if (field(row)->hasFocus()) showHelp(row);
    lblResult_->setStyleSheet(p.message || p.result.state == PreviewState::Error ? "color:#c00000"
                                                                                 : "");
}

std::vector<std::string> frmModernArguments::fieldTexts() const {
    std::vector<std::string> texts;
    for (const Row& r : rows_) texts.push_back(qt::ss(r.text->text()));
    return texts;
}

void frmModernArguments::focusRow(int row) {
    QLineEdit* edit = field(row);
    if (!edit) return;
    edit->setFocus();
    showHelp(row);
}

bool frmModernArguments::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (int i = 1; i <= rowCount(); ++i)
            if (watched == rows_[i - 1].text) showHelp(i);
    }
    return FlowDialog::eventFilter(watched, event);
}

void frmModernArguments::cmdFormula_Click(int row) {
    trapped(kOkTag, [&] {
        const QLineEdit* edit = field(row);
        const std::size_t cursor =
            edit ? static_cast<std::size_t>(
                       edit->text().left(edit->cursorPosition()).toUtf8().size())
                 : std::string::npos;
        nestInto(row, fieldTexts(), cursor);
    });
}

void frmModernArguments::cmdOK_Click() {
    trapped(kOkTag, [&] {
        if (const auto outer = confirm(fieldTexts(), [this](int row) { focusRow(row); }))
            load(outer->fields, outer->row);
    });
}

void frmModernArguments::reject() {
    session().cancel();
    unload();
}

void frmModernArguments::done(int result) {
    saveDialogSize(session().options(), *this, kSizeKey);
    FlowDialog::done(result);
}

}  // namespace nemro::dialogs
