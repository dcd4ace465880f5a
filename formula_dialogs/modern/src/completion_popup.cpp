#include "completion_popup.h"

#include <QAbstractListModel>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

#include "accessible.h"
#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

namespace {
constexpr int kVisibleRows = 8;
constexpr qsizetype kLineLimit = 64 * 1024;  // longer fields are not completed
}  // namespace

CharMap::CharMap(const QString& text) {
    bool pairs = false;
    for (const QChar c : text) pairs = pairs || c.isHighSurrogate();
    if (!pairs) return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        units_.push_back(static_cast<int>(i));
        if (text[i].isHighSurrogate() && i + 1 < text.size()) ++i;
    }
    units_.push_back(static_cast<int>(text.size()));
}

int CharMap::unit(std::size_t character) const {
    if (units_.empty()) return static_cast<int>(character);
    return units_[std::min(character, units_.size() - 1)];
}

std::size_t CharMap::character(int unit) const {
    if (units_.empty()) return static_cast<std::size_t>(unit);
    return static_cast<std::size_t>(std::lower_bound(units_.begin(), units_.end(), unit) -
                                    units_.begin());
}

class CandidateModel final : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void reset(Completion completion) {
        beginResetModel();
        completion_ = std::move(completion);
        endResetModel();
    }
    const Completion& completion() const { return completion_; }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(completion_.candidates.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (index.row() < 0 || index.row() >= rowCount()) return {};
        const CompletionCandidate& c =
            completion_.candidates[static_cast<std::size_t>(index.row())];
        const bool function = c.kind == CandidateKind::Function;
        switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
                return (function ? tr("函数") : tr("名称")) + "  " + qt::qs(c.text()) +
                       (c.label().empty() ? QString() : "  " + qt::qs(c.label()));
            case Qt::ToolTipRole:
            case Qt::AccessibleDescriptionRole:
                return qt::qs(function ? c.function->description : c.name->description);
            default:
                return {};
        }
    }

  private:
    static QString tr(const char* text) { return QString::fromUtf8(text); }
    Completion completion_;
};

CompletionPopup::CompletionPopup(QWidget& owner)
    : QListView(&owner), model_(new CandidateModel(this)) {
    // A tool tip window shows without taking the focus or the keyboard from the editor.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setModel(model_);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    describe(*this, "lstCompletion", QString::fromUtf8("补全列表"),
             QString::fromUtf8("与光标处名称相符的函数和名称；上下键选择，回车或 Tab 键采用"));
    connect(this, &QListView::clicked, this, [this](const QModelIndex& i) { take(i.row()); });
}

CompletionPopup::~CompletionPopup() = default;

const Completion& CompletionPopup::completion() const {
    return model_->completion();
}

void CompletionPopup::offer(Completion completion, const QRect& anchor) {
    if (completion.candidates.empty()) return close();
    model_->reset(std::move(completion));
    setCurrentIndex(model_->index(0));
    const int rows = std::min(kVisibleRows, model_->rowCount());
    const int frame = 2 * frameWidth();
    const int width =
        std::max(sizeHintForColumn(0) + frame + verticalScrollBar()->sizeHint().width(),
                 fontMetrics().horizontalAdvance('M') * 16);
    QRect r(anchor.bottomLeft() + QPoint(0, 2), QSize(width, sizeHintForRow(0) * rows + frame));
    // Above the text when the screen has no room below it.
    if (const QScreen* screen = QGuiApplication::screenAt(anchor.center())) {
        const QRect area = screen->availableGeometry();
        if (r.bottom() > area.bottom()) r.moveBottom(anchor.top() - 2);
        if (r.right() > area.right()) r.moveRight(area.right());
    }
    setGeometry(r);
    show();
    raise();
}

void CompletionPopup::close() {
    hide();
}

void CompletionPopup::moveBy(int rows) {
    const int last = model_->rowCount() - 1;
    setCurrentIndex(model_->index(std::clamp(currentIndex().row() + rows, 0, last)));
}

bool CompletionPopup::handleKey(const QKeyEvent& event) {
    if (!isOpen() || (event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) return false;
    const int page = std::max(1, std::min(kVisibleRows, model_->rowCount()) - 1);
    switch (event.key()) {
        case Qt::Key_Up:
            return moveBy(-1), true;
        case Qt::Key_Down:
            return moveBy(1), true;
        case Qt::Key_PageUp:
            return moveBy(-page), true;
        case Qt::Key_PageDown:
            return moveBy(page), true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            return take(currentIndex().row()), true;
        case Qt::Key_Escape:
            return close(), true;
        default:
            return false;
    }
}

void CompletionPopup::take(int row) {
    const Completion& c = model_->completion();
    if (row < 0 || row >= model_->rowCount()) return close();
    const Completion kept = c;
    close();
    if (taken) taken(kept, kept.candidates[static_cast<std::size_t>(row)]);
}

LineCompleter::LineCompleter(QLineEdit& edit, std::shared_ptr<const CompletionIndex> index)
    : QObject(&edit), edit_(edit), index_(std::move(index)), popup_(new CompletionPopup(edit)) {
    edit.installEventFilter(this);
    connect(&edit, &QLineEdit::textEdited, this, [this] {
        if (!taking_) offer();
    });
    popup_->taken = [this](const Completion& c, const CompletionCandidate& candidate) {
        const QString text = edit_.text();
        const CharMap map(text);
        const int from = map.unit(c.start);
        taking_ = true;
        edit_.setSelection(from, map.unit(c.start + c.length) - from);
        edit_.insert(qt::qs(c.insertion(candidate)));
        if (candidate.kind == CandidateKind::Function && c.bracketFollows) {
            const qsizetype open = edit_.text().indexOf('(', edit_.cursorPosition());
            if (open >= 0) edit_.setCursorPosition(static_cast<int>(open + 1));
        }
        taking_ = false;
    };
}

void LineCompleter::offer() {
    const QString text = edit_.text();
    if (!index_ || text.size() > kLineLimit) return popup_->close();
    const CharMap map(text);
    Completion c = index_->complete(qt::ss(text), map.character(edit_.cursorPosition()));
    if (c.query.empty()) return popup_->close();
    const QRect r = edit_.rect();
    popup_->offer(std::move(c), QRect(edit_.mapToGlobal(r.topLeft()), r.size()));
}

bool LineCompleter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &edit_) {
        if (event->type() == QEvent::KeyPress) {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            if (popup_->handleKey(key)) return true;
            // Keys that move rather than type leave the name the list was for.
            if (key.text().isEmpty()) popup_->close();
        } else if (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide) {
            popup_->close();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace nemro::dialogs
