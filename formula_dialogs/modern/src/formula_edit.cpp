#include "nemro/formula_edit.h"

#include <QAccessible>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include "accessible.h"
#include "completion_popup.h"
#include "nemro/argument_preview.h"
#include "nemro/error.h"
#include "nemro/formula_completion.h"
#include "nemro/formula_set.h"
#include "nemro/function_index.h"
#include "nemro/qt_toolkit.h"

namespace nemro {

using dialogs::CharMap;

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// A long text is held in blocks of about this many UTF-16 units, which are not separated
// in the formula: Qt lays a block out whole on every keystroke, and one line of a
// megabyte takes it seconds.
constexpr qsizetype kBlockUnits = 1024;

// The text with a block break after every kBlockUnits units, when it is long.
QString inBlocks(QString text) {
    if (text.size() <= static_cast<qsizetype>(CFormulaEdit::kLiveLimit)) return text;
    QString out;
    out.reserve(text.size() + text.size() / kBlockUnits + 1);
    for (qsizetype i = 0; i < text.size();) {
        qsizetype n = std::min(kBlockUnits, text.size() - i);
        if (i + n < text.size() && text[i + n].isLowSurrogate()) ++n;
        if (i > 0) out += '\n';
        out += QStringView(text).mid(i, n);
        i += n;
    }
    return out;
}

QString oneLine(QString text) {
    return text.replace(u("\r\n"), u(" ")).replace('\n', ' ').replace('\r', ' ');
}

const QString kLongText = u("公式很长，不在输入时计算；按确定时检查。");
const QString kEditorDescription = u("输入公式；输入函数或名称时列出可选项");

QTextCharFormat colourFormat(ColourKind kind) {
    QTextCharFormat f;
    const auto colour = [&](const char* c) { f.setForeground(QColor(c)); };
    switch (kind) {
        case ColourKind::Function:
            colour("#0033b3"), f.setFontWeight(QFont::Bold);
            break;
        case ColourKind::DeclaredName:
            colour("#067d17");
            break;
        case ColourKind::Variable:
            colour("#871094");
            break;
        case ColourKind::UnknownName:
            colour("#b35c00"), f.setUnderlineStyle(QTextCharFormat::DotLine);
            break;
        case ColourKind::String:
            colour("#a31515");
            break;
        case ColourKind::Number:
        case ColourKind::Boolean:
            colour("#1750eb");
            break;
        case ColourKind::Operator:
            colour("#6a3e00");
            break;
        case ColourKind::Bracket:
            break;
        case ColourKind::Error:
            colour("#ffffff"), f.setBackground(QColor("#d00000"));
            break;
    }
    return f;
}

bool nameCharacter(QChar c) {
    static const QString kStops = u(" ()+-*/&=<>;\",\t\u3000");
    return !kStops.contains(c);
}

// The part of the hint's text after the marked signature, which text() writes first.
QString hintHtml(const CallHint& h) {
    const QString signature = qt::qs(h.signature);
    const CharMap map(signature);
    const int begin = map.unit(h.markStart), end = map.unit(h.markStart + h.markLength);
    QString html = signature.left(begin).toHtmlEscaped();
    if (h.markLength > 0)
        html += "<b>" + signature.mid(begin, end - begin).toHtmlEscaped() + "</b>" +
                signature.mid(end).toHtmlEscaped();
    const std::string full = h.text();
    const std::size_t marked = h.signature.size() + (h.markLength > 0 ? 6 : 0);  // 【】
    return html + qt::qs(full.substr(std::min(marked, full.size()))).toHtmlEscaped();
}

}  // namespace

namespace {
class Highlighter;
class FormulaArea;
}  // namespace

class CFormulaEdit::Impl {
  public:
    explicit Impl(CFormulaEdit& q);

    QString text() const;  // the formula: the blocks without breaks
    // Between positions in the document and UTF-16 units of the formula.
    int toDocument(int unit) const;
    int toFormula(int position) const;
    bool live() const;  // short enough to colour, complete and check while typing
    void textChanged();
    void cursorMoved();
    // After a keystroke or an input method's commit that changed the text.
    void userEdited();
    void fold();
    void offerCompletion();
    void take(const Completion& c, const CompletionCandidate& candidate);
    void showHint();
    void showBrackets();
    void show(const FormulaCheckOutcome& outcome);
    void replaceText(int from, int to, const QString& with);
    void applySelections();

    CFormulaEdit& q;
    std::shared_ptr<const CompletionIndex> index;
    FormulaArea* area = nullptr;
    dialogs::CompletionPopup* popup = nullptr;
    QLabel* hint = nullptr;
    QLabel* result = nullptr;
    Highlighter* highlighter = nullptr;
    FormulaChecker checker;
    std::optional<FormulaCheckOutcome> last;
    QTimer pause;
    QString shownText;           // the text the last change left, to tell real changes
    bool inUserEdit = false;     // a keystroke or commit is being handled
    bool changedInEdit = false;  // and it changed the text
    QList<QTextEdit::ExtraSelection> brackets, problem;
};

namespace {

class Highlighter final : public QSyntaxHighlighter {
  public:
    Highlighter(CFormulaEdit::Impl& owner, QTextDocument* document)
        : QSyntaxHighlighter(document), owner_(owner) {}
    bool composing = false;

  protected:
    void highlightBlock(const QString& text) override {
        // Under an input method's pre-edit text the colours stay as they were: the
        // document's own text has not changed.
        if (!composing) {
            spans_.clear();
            if (!owner_.live() || !owner_.index || currentBlock().blockNumber() > 0) return;
            spans_ = owner_.index->colour(qt::ss(text), 0).spans;
            map_ = CharMap(text);
        }
        for (const ColourSpan& s : spans_) {
            const int from = map_.unit(s.start);
            setFormat(from, map_.unit(s.start + s.length) - from, colourFormat(s.kind));
        }
    }

  private:
    CFormulaEdit::Impl& owner_;
    std::vector<ColourSpan> spans_;
    CharMap map_{QString()};
};

class FormulaArea final : public QPlainTextEdit {
  public:
    FormulaArea(CFormulaEdit::Impl& owner, QWidget* parent)
        : QPlainTextEdit(parent), owner_(owner) {
        setTabChangesFocus(true);
        setLineWrapMode(WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    QSize sizeHint() const override {
        return {fontMetrics().horizontalAdvance('M') * 40,
                fontMetrics().lineSpacing() * 3 + 2 * frameWidth() + 8};
    }

  protected:
    bool event(QEvent* e) override {
        // Before Tab moves the focus: while the list is open it takes the completion.
        if (e->type() == QEvent::KeyPress && owner_.popup->handleKey(*static_cast<QKeyEvent*>(e)))
            return e->accept(), true;
        return QPlainTextEdit::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        // Enter belongs to the form (OK in the dialog): a formula is one line.
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return e->ignore();
        // A break between blocks is no character: Backspace and Delete pass over it.
        QTextCursor c = textCursor();
        if (!c.hasSelection() && e->modifiers() == Qt::NoModifier &&
            ((e->key() == Qt::Key_Backspace && c.atBlockStart() && !c.atStart()) ||
             (e->key() == Qt::Key_Delete && c.atBlockEnd() && !c.atEnd()))) {
            c.movePosition(e->key() == Qt::Key_Delete ? QTextCursor::NextCharacter
                                                      : QTextCursor::PreviousCharacter);
            setTextCursor(c);
        }
        edit([&] { QPlainTextEdit::keyPressEvent(e); });
    }
    void inputMethodEvent(QInputMethodEvent* e) override {
        Highlighter& h = *owner_.highlighter;
        const bool composed = h.composing;
        h.composing = !e->preeditString().isEmpty();
        if (h.composing) owner_.popup->close();
        edit([&] { QPlainTextEdit::inputMethodEvent(e); });
        // A composition given up leaves the text as it was, coloured for an older one
        // when a commit came while composing.
        if (composed && !h.composing && !owner_.changedInEdit && h.document()) h.rehighlight();
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (!source->hasText()) return;
        edit([&] { insertPlainText(inBlocks(oneLine(source->text()))); });
    }
    QMimeData* createMimeDataFromSelection() const override {
        auto* selected = new QMimeData;
        selected->setText(textCursor().selectedText().remove(QChar::ParagraphSeparator));
        return selected;
    }
    void focusOutEvent(QFocusEvent* e) override {
        owner_.popup->close();
        QPlainTextEdit::focusOutEvent(e);
    }
    void hideEvent(QHideEvent* e) override {
        owner_.popup->close();
        QPlainTextEdit::hideEvent(e);
    }

  private:
    template <typename Fn>
    void edit(Fn&& fn) {
        owner_.inUserEdit = true;
        owner_.changedInEdit = false;
        fn();
        owner_.inUserEdit = false;
        if (owner_.changedInEdit) {
            owner_.userEdited();
        } else if (!owner_.highlighter->composing) {
            owner_.popup->close();
        }
    }

    CFormulaEdit::Impl& owner_;
};

}  // namespace

CFormulaEdit::Impl::Impl(CFormulaEdit& owner) : q(owner) {}

QString CFormulaEdit::Impl::text() const {
    QString t = area->toPlainText();
    return area->document()->blockCount() > 1 ? t.remove('\n') : t;
}

int CFormulaEdit::Impl::toDocument(int unit) const {
    QTextBlock b = area->document()->begin();
    int before = 0;  // units of the blocks before b
    while (b.next().isValid() && before + b.length() - 1 < unit) {
        before += b.length() - 1;
        b = b.next();
    }
    return b.position() + std::min(unit - before, b.length() - 1);
}

int CFormulaEdit::Impl::toFormula(int position) const {
    return position - area->document()->findBlock(position).blockNumber();
}

bool CFormulaEdit::Impl::live() const {
    // UTF-8 takes one to three bytes for each UTF-16 unit.
    const auto units = static_cast<std::size_t>(area->document()->characterCount());
    if (units > kLiveLimit) return false;
    return units * 3 <= kLiveLimit ||
           static_cast<std::size_t>(text().toUtf8().size()) <= kLiveLimit;
}

void CFormulaEdit::Impl::textChanged() {
    const QString now = text();
    if (now == shownText) return;  // an input method's pre-edit text, which is not the text
    shownText = now;
    changedInEdit = true;
    if (area->document()->blockCount() > 1 && live()) {
        // Short again: one block, which the colours and the completion read.
        const int cursor = toFormula(area->textCursor().position());
        replaceText(0, area->document()->characterCount() - 1, now);
        QTextCursor c = area->textCursor();
        c.setPosition(cursor);
        area->setTextCursor(c);
    }
    last.reset();
    problem.clear();
    applySelections();
    if (!live()) {
        pause.stop();
        popup->close();
        hint->clear();
        result->setText(kLongText);
        result->setStyleSheet("");
        area->setAccessibleDescription(kEditorDescription);
    } else if (checker) {
        pause.start();
    }
    // The cursor may have stayed where it was (Delete) while the text moved under it.
    showHint();
    showBrackets();
    emit q.formulaChanged();
}

void CFormulaEdit::Impl::cursorMoved() {
    if (!inUserEdit) popup->close();
    showHint();
    showBrackets();
    emit q.cursorContextChanged();
}

void CFormulaEdit::Impl::userEdited() {
    if (!live() || highlighter->composing) return;
    fold();
    offerCompletion();
}

void CFormulaEdit::Impl::fold() {
    const QString t = text();
    const int cursor = area->textCursor().position();
    const std::string utf8 = qt::ss(t);
    const dialogs::FoldedInput f =
        dialogs::foldFullWidth(utf8, static_cast<std::size_t>(t.left(cursor).toUtf8().size()));
    if (!f.changed) return;
    replaceText(0, static_cast<int>(t.size()), qt::qs(f.text));
    QTextCursor c = area->textCursor();
    c.setPosition(static_cast<int>(qt::qs(f.text.substr(0, f.cursor)).size()));
    area->setTextCursor(c);
}

void CFormulaEdit::Impl::replaceText(int from, int to, const QString& with) {
    QTextCursor c = area->textCursor();
    c.beginEditBlock();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.insertText(with);
    c.endEditBlock();
    area->setTextCursor(c);
}

void CFormulaEdit::Impl::offerCompletion() {
    if (!index) return;
    const QString t = text();
    const CharMap map(t);
    const std::size_t cursor = map.character(area->textCursor().position());
    Completion c = index->complete(qt::ss(t), cursor);
    if (c.query.empty() || c.candidates.empty()) return popup->close();
    QTextCursor start = area->textCursor();
    start.setPosition(map.unit(c.start));
    const QRect r = area->cursorRect(start).united(area->cursorRect());
    popup->offer(std::move(c), QRect(area->viewport()->mapToGlobal(r.topLeft()), r.size()));
}

void CFormulaEdit::Impl::take(const Completion& c, const CompletionCandidate& candidate) {
    const QString t = text();
    const CharMap map(t);
    const int from = map.unit(c.start), to = map.unit(c.start + c.length);
    replaceText(from, to, qt::qs(c.insertion(candidate)));
    if (candidate.kind == CandidateKind::Function && c.bracketFollows) {
        // Into the call whose "(" was there already.
        const QString now = text();
        const qsizetype open = now.indexOf('(', area->textCursor().position());
        QTextCursor cursor = area->textCursor();
        if (open >= 0) cursor.setPosition(static_cast<int>(open + 1));
        area->setTextCursor(cursor);
    }
    showHint();
}

void CFormulaEdit::Impl::showHint() {
    if (highlighter->composing) return;
    std::optional<CallHint> h;
    if (index && live()) {
        const QString t = text();
        h = index->callHint(qt::ss(t), CharMap(t).character(area->textCursor().position()));
    }
    hint->setText(h ? hintHtml(*h) : QString());
}

void CFormulaEdit::Impl::showBrackets() {
    if (highlighter->composing) return;
    brackets.clear();
    if (index && live()) {
        const QString t = text();
        const CharMap map(t);
        const Colouring c = index->colour(qt::ss(t), map.character(area->textCursor().position()));
        if (c.brackets) {
            for (const std::size_t at : {c.brackets->first, c.brackets->second}) {
                QTextEdit::ExtraSelection s;
                s.cursor = QTextCursor(area->document());
                s.cursor.setPosition(map.unit(at));
                s.cursor.setPosition(map.unit(at + 1), QTextCursor::KeepAnchor);
                s.format.setBackground(QColor("#b4d7ff"));
                s.format.setFontWeight(QFont::Bold);
                brackets << s;
            }
        }
    }
    applySelections();
}

void CFormulaEdit::Impl::applySelections() {
    area->setExtraSelections(brackets + problem);
}

void CFormulaEdit::Impl::show(const FormulaCheckOutcome& outcome) {
    problem.clear();
    if (outcome.ok) {
        result->setText(qt::qs(outcome.resultText));
        result->setStyleSheet("");
        area->setAccessibleDescription(kEditorDescription);
    } else {
        result->setText(qt::qs(outcome.message));
        result->setStyleSheet("color:#c00000");
        area->setAccessibleDescription(qt::qs(outcome.message));
        const QString t = text();
        const CharMap map(t);
        const std::size_t characters = map.character(static_cast<int>(t.size()));
        const auto place = [&](std::size_t character) { return toDocument(map.unit(character)); };
        if (outcome.position > 0 && characters > 0) {
            // A place at or beyond the end marks the last character.
            const std::size_t start = std::min(outcome.position - 1, characters - 1);
            const std::size_t end =
                std::min(start + std::max<std::size_t>(outcome.length, 1), characters);
            QTextEdit::ExtraSelection s;
            s.cursor = QTextCursor(area->document());
            s.cursor.setPosition(place(start));
            s.cursor.setPosition(place(end), QTextCursor::KeepAnchor);
            s.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            s.format.setUnderlineColor(QColor("#e00000"));
            problem << s;
        }
    }
    applySelections();
}

CFormulaEdit::CFormulaEdit(QWidget* parent, const std::string& catalogue,
                           std::vector<IndexedName> names)
    : CFormulaEdit(
          std::make_shared<const CompletionIndex>(loadFunctionIndex(catalogue), std::move(names)),
          parent) {
    setChecker(engineChecker(catalogue, d_->index));
}

CFormulaEdit::CFormulaEdit(std::shared_ptr<const CompletionIndex> index, QWidget* parent)
    : QWidget(parent), d_(std::make_unique<Impl>(*this)) {
    d_->index = std::move(index);
    d_->area = new FormulaArea(*d_, this);
    // Before the highlighter's own: a text too long to colour is let go of first, as the
    // highlighter would otherwise hold a format for each of its characters.
    connect(d_->area->document(), &QTextDocument::contentsChange, this, [this] {
        QTextDocument* document = d_->area->document();
        const bool attach = d_->live();
        if (attach != (d_->highlighter->document() == document))
            d_->highlighter->setDocument(attach ? document : nullptr);
    });
    d_->highlighter = new Highlighter(*d_, d_->area->document());
    d_->popup = new dialogs::CompletionPopup(*d_->area);
    d_->hint = new QLabel(this);
    d_->result = new QLabel(this);
    using dialogs::describe;
    describe(*d_->area, "txtFormula", u("公式"), kEditorDescription);
    describe(*d_->hint, "lblCallHint", u("函数参数提示"),
             u("光标所在函数的语法，当前参数以粗体标出，及其说明"));
    describe(*d_->result, "lblCheckResult", u("检查结果"), u("公式的计算结果，或公式的错误"));
    d_->hint->setTextFormat(Qt::RichText);
    d_->hint->setWordWrap(true);
    d_->result->setTextFormat(Qt::PlainText);
    d_->result->setWordWrap(true);
    d_->result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusProxy(d_->area);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d_->area, 1);
    layout->addWidget(d_->hint);
    layout->addWidget(d_->result);

    d_->pause.setSingleShot(true);
    d_->pause.setInterval(kCheckPauseMs);
    connect(&d_->pause, &QTimer::timeout, this, [this] { checkNow(); });
    connect(d_->area->document(), &QTextDocument::contentsChanged, this,
            [this] { d_->textChanged(); });
    connect(d_->area, &QPlainTextEdit::cursorPositionChanged, this, [this] { d_->cursorMoved(); });
    d_->popup->taken = [this](const Completion& c, const CompletionCandidate& candidate) {
        d_->take(c, candidate);
    };
    if (!d_->checker) d_->checker = engineChecker("", d_->index);
}

CFormulaEdit::~CFormulaEdit() = default;

void CFormulaEdit::setIndex(std::shared_ptr<const CompletionIndex> index) {
    d_->index = std::move(index);
    d_->popup->close();
    d_->highlighter->rehighlight();
    d_->showHint();
}

const std::shared_ptr<const CompletionIndex>& CFormulaEdit::index() const {
    return d_->index;
}

std::string CFormulaEdit::formula() const {
    return qt::ss(d_->text());
}

void CFormulaEdit::setFormula(const std::string& formula) {
    d_->popup->close();
    d_->area->setPlainText(inBlocks(oneLine(qt::qs(formula))));
    d_->area->moveCursor(QTextCursor::End);
}

std::size_t CFormulaEdit::cursorPosition() const {
    return CharMap(d_->text()).character(d_->toFormula(d_->area->textCursor().position()));
}

void CFormulaEdit::setCursorPosition(std::size_t characters) {
    QTextCursor c = d_->area->textCursor();
    const QString t = d_->text();
    c.setPosition(
        d_->toDocument(std::min(CharMap(t).unit(characters), static_cast<int>(t.size()))));
    d_->area->setTextCursor(c);
}

void CFormulaEdit::insertText(const std::string& text) {
    const QTextCursor c = d_->area->textCursor();
    d_->replaceText(c.selectionStart(), c.selectionEnd(), inBlocks(oneLine(qt::qs(text))));
}

void CFormulaEdit::setChecker(FormulaChecker checker) {
    d_->checker = std::move(checker);
    d_->last.reset();
    if (!d_->checker) d_->pause.stop();
}

const FormulaCheckOutcome& CFormulaEdit::checkNow() {
    d_->pause.stop();
    FormulaCheckOutcome outcome;
    if (d_->checker) {
        try {
            outcome = d_->checker(formula());
        } catch (const std::exception& e) {
            outcome = {false, qt::failureText(e), 0, 0, {}};
        }
    }
    d_->last = outcome;
    d_->show(outcome);
    emit checked();
    return *d_->last;
}

const std::optional<FormulaCheckOutcome>& CFormulaEdit::lastCheck() const {
    return d_->last;
}

const CatalogueFunction* CFormulaEdit::functionAtCursor(std::size_t* argument) const {
    if (!d_->index || !d_->live()) return nullptr;
    const QString t = d_->text();
    const int cursor = d_->area->textCursor().position();
    // A function's name under the cursor, when a "(" follows it.
    qsizetype from = cursor, to = cursor;
    while (from > 0 && nameCharacter(t[from - 1])) --from;
    while (to < t.size() && nameCharacter(t[to])) ++to;
    qsizetype next = to;
    while (next < t.size() && t[next] == ' ') ++next;
    if (from < to && next < t.size() && t[next] == '(') {
        if (const CatalogueFunction* f = d_->index->function(qt::ss(t.mid(from, to - from)))) {
            if (argument) *argument = 0;
            return f;
        }
    }
    const std::optional<CallHint> h = d_->index->callHint(qt::ss(t), CharMap(t).character(cursor));
    if (!h) return nullptr;
    if (argument) *argument = h->argument;
    return h->function;
}

bool CFormulaEdit::completionVisible() const {
    return d_->popup->isOpen();
}
QPlainTextEdit* CFormulaEdit::textEdit() const {
    return d_->area;
}
QListView* CFormulaEdit::completionList() const {
    return d_->popup;
}
QLabel* CFormulaEdit::hintLabel() const {
    return d_->hint;
}
QLabel* CFormulaEdit::resultLabel() const {
    return d_->result;
}

FormulaChecker CFormulaEdit::engineChecker(const std::string& catalogue,
                                           std::shared_ptr<const CompletionIndex> index) {
    return [catalogue, index](const std::string& text) {
        const dialogs::PreviewValue v = dialogs::previewValue(
            text, [](const std::string& name) { return CFormulaSet().sampleValue(name); },
            catalogue);
        FormulaCheckOutcome out;
        if (v.state != dialogs::PreviewState::Error) {
            const std::string note = v.variableNote();
            out.resultText = v.state == dialogs::PreviewState::Empty   ? ""
                             : v.state == dialogs::PreviewState::Value ? "计算结果 " + v.display()
                                                                       : "计算结果：" + v.display();
            if (!note.empty() && !out.resultText.empty()) out.resultText += "  " + note;
            return out;
        }
        out.ok = false;
        out.message = v.text;
        // The engine does not place its errors; an unmatched bracket it can be shown at.
        if (index) {
            for (const ColourSpan& s : index->colour(text, 0).spans) {
                if (s.kind == ColourKind::Error) {
                    out.position = s.start + 1;
                    out.length = s.length;
                    break;
                }
            }
        }
        return out;
    };
}

}  // namespace nemro
