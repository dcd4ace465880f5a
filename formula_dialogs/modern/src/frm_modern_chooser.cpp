#include "frm_modern_chooser.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "accessible.h"
#include "modern_settings.h"
#include "nemro/catalogue_model.h"
#include "nemro/formula_completion.h"
#include "nemro/function_index.h"
#include "nemro/qt_toolkit.h"

namespace nemro::dialogs {

namespace {
constexpr const char* kSizeKey = "chooser";
constexpr const char* kRecentTitle = "最近使用";
// A declared name's type as its help says it, by FieldType.
constexpr const char* kFieldTypeTitles[] = {"数值", "文本", "逻辑值", "日期"};

QString esc(const std::string& s) {
    return qt::qs(s).toHtmlEscaped();
}

std::size_t charStart(const std::string& s, std::size_t i) {
    while (i > 0 && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return i;
}

// One piece of a hit's line; the characters [markFrom, markTo) are what matched.
struct Segment {
    QString text;
    bool bold = false, gray = false;
    qsizetype markFrom = 0, markTo = 0;
};

// `text` as a segment, the bytes [begin, end) marked when `matched`.
Segment segment(const std::string& text, bool matched, std::size_t begin, std::size_t end) {
    Segment s{qt::qs(text)};
    if (matched && begin < end && end <= text.size()) {
        s.markFrom = QString::fromUtf8(text.data(), static_cast<qsizetype>(begin)).size();
        s.markTo =
            s.markFrom +
            QString::fromUtf8(text.data() + begin, static_cast<qsizetype>(end - begin)).size();
    }
    return s;
}

// A few characters of a long text around the match.
Segment excerpt(const std::string& text, std::size_t begin, std::size_t end) {
    const std::size_t from = charStart(text, begin > 18 ? begin - 18 : 0);
    const std::size_t to =
        std::max(charStart(text, std::min(text.size(), end + 30)), std::min(end, text.size()));
    Segment s = segment(text.substr(from, to - from), true, begin - from, end - from);
    if (from > 0) s.text.prepend(QChar(0x2026)), ++s.markFrom, ++s.markTo;
    if (to < text.size()) s.text.append(QChar(0x2026));
    return s;
}
}  // namespace

// The functions listed: a category's, or the hits of a search with what matched.
class FunctionHitModel final : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    // `names` has a declared name, or nullptr, for each hit; a name's hit has no function.
    void reset(std::vector<SearchHit> hits, bool showCategory,
               std::vector<const IndexedName*> names = {}) {
        beginResetModel();
        hits_ = std::move(hits);
        names.resize(hits_.size());
        names_ = std::move(names);
        showCategory_ = showCategory;
        endResetModel();
    }
    const CatalogueFunction* function(int row) const {
        return row >= 0 && row < rowCount() ? hits_[row].function : nullptr;
    }
    const IndexedName* name(int row) const {
        return row >= 0 && row < rowCount() ? names_[row] : nullptr;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(hits_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        if (const IndexedName* n = name(index.row()))
            return qt::qs(n->name + "  " + (n->group.empty() ? "名称" : n->group));
        const CatalogueFunction* f = function(index.row());
        if (!f) return {};
        return qt::qs(
            f->name + "  " + f->title +
            (showCategory_ && !f->categoryTitle.empty() ? "  · " + f->categoryTitle : ""));
    }
    // The row as it is drawn: the name, the title, the category while searching, and the
    // keyword or the part of the description that matched.
    std::vector<Segment> segments(int row) const {
        if (const IndexedName* n = name(row)) {
            std::vector<Segment> line{segment(n->name, false, 0, 0),
                                      segment(n->group.empty() ? "名称" : n->group, false, 0, 0)};
            line[0].bold = true;
            line[1].gray = true;
            return line;
        }
        const CatalogueFunction* f = function(row);
        if (!f) return {};
        const SearchHit& hit = hits_[row];
        const auto part = [&](SearchField field, const std::string& text) {
            return segment(text, hit.field == field, hit.begin, hit.end);
        };
        std::vector<Segment> line{part(SearchField::Name, f->name),
                                  part(SearchField::Title, f->title)};
        line[0].bold = true;
        if (showCategory_ && !f->categoryTitle.empty())
            line.push_back(part(SearchField::Category, f->categoryTitle));
        if (hit.field == SearchField::Keywords && hit.keyword < f->keywords.size())
            line.push_back(segment(f->keywords[hit.keyword], true, hit.begin, hit.end));
        if (hit.field == SearchField::Description)
            line.push_back(excerpt(f->description, hit.begin, hit.end));
        for (std::size_t i = 2; i < line.size(); ++i) line[i].gray = true;
        return line;
    }

  private:
    std::vector<SearchHit> hits_;
    std::vector<const IndexedName*> names_;
    bool showCategory_ = false;
};

namespace {
// Draws a hit's line with its matched part marked. Plain text drawing, not rich text: a
// keystroke repaints every visible row.
class HitDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const bool selected = opt.state & QStyle::State_Selected;
        const QColor text =
            opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QColor gray = selected ? text : opt.palette.color(QPalette::PlaceholderText);
        painter->save();
        painter->setClipRect(opt.rect);
        int x = opt.rect.left() + 4;
        const int right = opt.rect.right() - 2;
        const auto model = static_cast<const FunctionHitModel*>(index.model());
        for (const Segment& s : model->segments(index.row())) {
            QFont font = opt.font;
            font.setBold(s.bold);
            painter->setFont(font);
            const QFontMetrics fm(font);
            const QString pieces[] = {s.text.left(s.markFrom),
                                      s.text.mid(s.markFrom, s.markTo - s.markFrom),
                                      s.text.mid(s.markTo)};
            for (int k = 0; k < 3 && x < right; ++k) {
                if (pieces[k].isEmpty()) continue;
                const int w = fm.horizontalAdvance(pieces[k]);
                const QRect box(x, opt.rect.top(), w, opt.rect.height());
                if (k == 1) painter->fillRect(box.adjusted(0, 2, 0, -2), QColor(0xff, 0xe2, 0x8a));
                painter->setPen(k == 1 ? QColor(Qt::black) : s.gray ? gray : text);
                painter->drawText(box, Qt::AlignVCenter | Qt::AlignLeft, pieces[k]);
                x += w;
            }
            x += fm.horizontalAdvance(QString(2, QChar(' ')));
        }
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize size = QStyledItemDelegate::sizeHint(option, index);
        return {size.width(), std::max(size.height(), option.fontMetrics.height() + 6)};
    }
};

}  // namespace

frmModernChooser::frmModernChooser(Exchange& exchange)
    : FlowDialog(exchange, false),
      index_(exchange.session.catalogue().snapshot()
                 ? loadFunctionIndex(exchange.session.catalogue().snapshot())
                 : loadFunctionIndex(exchange.session.catalogue().path())),
      txtSearch_(new QLineEdit(this)),
      lstCategory_(new QListWidget(this)),
      lstFunctions_(new QListView(this)),
      txtHelp_(new QTextBrowser(this)),
      cmdOK_(new QPushButton(tr("确定(&O)"), this)),
      cmdCancel_(new QPushButton(tr("取消(&C)"), this)),
      hits_(new FunctionHitModel(this)) {
    setObjectName("frmModernChooser");
    setWindowTitle(tr("插入函数"));
    setSizeGripEnabled(true);

    describe(*txtSearch_, "txtSearch", tr("搜索函数"),
             tr("按函数名、说明、关键字或拼音搜索，如 ROUND、四舍五入、sswr"));
    txtSearch_->setPlaceholderText(tr("搜索：函数名、说明或拼音（如 sswr）"));
    txtSearch_->setClearButtonEnabled(true);
    describe(*lstCategory_, "lstFormulaCategory", tr("函数分类"),
             tr("最近使用的函数和目录中的各类函数"));
    describe(*lstFunctions_, "lstFormulaName", tr("函数"), tr("所选分类中的函数，或搜索到的函数"));
    lstFunctions_->setModel(hits_);
    lstFunctions_->setItemDelegate(new HitDelegate(lstFunctions_));
    lstFunctions_->setUniformItemSizes(true);
    describe(*txtHelp_, "txtFormulaHelp", tr("函数说明"), tr("所选函数的语法、说明、参数和示例"));
    txtHelp_->setOpenLinks(false);
    describe(*cmdOK_, "cmdOK", tr("确定"), tr("为所选函数输入参数"));
    describe(*cmdCancel_, "cmdCancel", tr("取消"), tr("不插入函数，关闭对话框"));
    cmdOK_->setDefault(true);
    cmdCancel_->setAutoDefault(false);

    auto* categoryLabel = new QLabel(tr("函数分类(&C)"), this);
    categoryLabel->setBuddy(lstCategory_);
    auto* functionLabel = new QLabel(tr("函数(&N)"), this);
    functionLabel->setBuddy(lstFunctions_);
    auto* searchLabel = new QLabel(tr("搜索(&S)"), this);
    searchLabel->setBuddy(txtSearch_);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(txtSearch_, 1);
    auto* categoryColumn = new QVBoxLayout;
    categoryColumn->addWidget(categoryLabel);
    categoryColumn->addWidget(lstCategory_, 1);
    auto* functionColumn = new QVBoxLayout;
    functionColumn->addWidget(functionLabel);
    functionColumn->addWidget(lstFunctions_, 1);
    auto* lists = new QHBoxLayout;
    lists->addLayout(categoryColumn, 2);
    lists->addLayout(functionColumn, 3);
    auto* buttons = new QHBoxLayout;
    if (QPushButton* edit = addEditorButton(*this, [this] { openEditor(std::nullopt); }))
        buttons->addWidget(edit);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addLayout(lists, 3);
    layout->addWidget(txtHelp_, 2);
    layout->addLayout(buttons);

    const QFontMetrics fm(font());
    lstCategory_->setMinimumWidth(fm.horizontalAdvance(QString(8, QChar(0x6570))));
    lstFunctions_->setMinimumWidth(fm.horizontalAdvance(QString(16, QChar(0x6570))));
    lstCategory_->setMinimumHeight(fm.lineSpacing() * 7);
    txtHelp_->setMinimumHeight(fm.lineSpacing() * 6);
    setMinimumSize(minimumSizeHint());
    resize(std::max(minimumWidth(), fm.horizontalAdvance('M') * 60),
           std::max(minimumHeight(), fm.lineSpacing() * 30));
    restoreDialogSize(session().options(), *this, kSizeKey);

    setTabOrder(txtSearch_, lstCategory_);
    setTabOrder(lstCategory_, lstFunctions_);
    setTabOrder(lstFunctions_, txtHelp_);
    setTabOrder(txtHelp_, cmdOK_);
    setTabOrder(cmdOK_, cmdCancel_);

    lstCategory_->addItem(tr(kRecentTitle));
    for (const CatalogueCategory& category : index_->catalogue().categories)
        if (category.displayed) lstCategory_->addItem(qt::qs(category.title));
    // Opened from an argument row, the host's declared names follow, under their groups.
    const auto& declared = session().options().fields;
    if (session().depth() > 0 && declared && !declared->empty()) {
        std::vector<IndexedName> names;
        for (const Field& f : declared->fields()) {
            names.push_back({f.name, f.group, f.description});
            if (std::find(groups_.begin(), groups_.end(), f.group) == groups_.end())
                groups_.push_back(f.group);
        }
        names_ = std::make_shared<const CompletionIndex>(index_, std::move(names));
        firstGroupRow_ = lstCategory_->count();
        for (const std::string& group : groups_)
            lstCategory_->addItem(group.empty() ? tr("名称") : qt::qs(group));
    }

    // The help of a long function takes a few milliseconds to lay out: it follows the
    // selection once typing or arrowing pauses, so that each keystroke only filters.
    details_.setSingleShot(true);
    details_.setInterval(40);
    connect(&details_, &QTimer::timeout, this,
            [this] { qt::runGuarded([this] { showDetails(); }); });
    txtSearch_->installEventFilter(this);
    connect(txtSearch_, &QLineEdit::textChanged, this,
            [this](const QString& q) { qt::runGuarded([this, q] { search(q); }); });
    connect(lstCategory_, &QListWidget::currentRowChanged, this, [this](int row) {
        qt::runGuarded([this, row] {
            // Picking a category ends the search.
            if (!txtSearch_->text().isEmpty()) {
                const QSignalBlocker quiet(txtSearch_);
                txtSearch_->clear();
            }
            showCategory(row);
        });
    });
    // A click on the category already current also ends the search.
    connect(lstCategory_, &QListWidget::itemClicked, this, [this] { txtSearch_->clear(); });
    connect(lstFunctions_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { details_.start(); });
    connect(lstFunctions_, &QListView::doubleClicked, this,
            [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cmdOK_, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] {
        session().cancel();
        unload();
    });

    // The recent list when there is one, else the catalogue's first category.
    const bool anyRecent = !recentFunctions(session().options()).empty();
    lstCategory_->setCurrentRow(anyRecent || lstCategory_->count() == 1 ? 0 : 1);
    txtSearch_->setFocus();
}

frmModernChooser::~frmModernChooser() = default;

std::string frmModernChooser::selectedFunction() const {
    const CatalogueFunction* f = hits_->function(lstFunctions_->currentIndex().row());
    return f ? f->name : std::string();
}

std::string frmModernChooser::selectedName() const {
    const IndexedName* n = hits_->name(lstFunctions_->currentIndex().row());
    return n ? n->name : std::string();
}

void frmModernChooser::showCategory(int row) {
    if (names_ && row >= firstGroupRow_) {
        const std::string& group = groups_[static_cast<std::size_t>(row - firstGroupRow_)];
        std::vector<SearchHit> hits;
        std::vector<const IndexedName*> names;
        for (const IndexedName& n : names_->names())
            if (n.group == group) hits.push_back(SearchHit{}), names.push_back(&n);
        hits_->reset(std::move(hits), false, std::move(names));
        lstFunctions_->setCurrentIndex(hits_->index(0));
        cmdOK_->setEnabled(hits_->rowCount() > 0);
        details_.start();
        return;
    }
    std::vector<SearchHit> hits;
    auto add = [&](const CatalogueFunction* f) {
        if (f) hits.push_back(SearchHit{f});
    };
    if (row == 0) {
        for (const std::string& name : recentFunctions(session().options()))
            add(index_->catalogue().function(name));
    } else if (row > 0) {
        const std::string title = qt::ss(lstCategory_->item(row)->text());
        const CatalogueCategory* category = nullptr;
        for (const CatalogueCategory& c : index_->catalogue().categories)
            if (c.displayed && c.title == title) category = &c;
        for (const CatalogueFunction& f : index_->catalogue().functions) {
            if (!f.displayed || !category) continue;
            if (category->listsAll || f.node.is("CategoryName", category->name)) add(&f);
        }
    }
    hits_->reset(std::move(hits), row == 0);
    lstFunctions_->setCurrentIndex(hits_->index(0));
    cmdOK_->setEnabled(hits_->rowCount() > 0);
    details_.start();
}

void frmModernChooser::search(const QString& query) {
    if (query.trimmed().isEmpty()) {
        if (QListWidgetItem* item = lstCategory_->currentItem()) item->setSelected(true);
        showCategory(lstCategory_->currentRow());
        return;
    }
    // The search covers every category: none is shown as selected meanwhile.
    lstCategory_->clearSelection();
    std::vector<SearchHit> found = index_->search(qt::ss(query));
    if (names_) {
        // Functions and names ranked together; a function keeps what its search marked.
        std::vector<SearchHit> hits;
        std::vector<const IndexedName*> names;
        for (const CompletionCandidate& c : names_->search(qt::ss(query), found.size() + 50)) {
            SearchHit hit{c.function};
            for (const SearchHit& h : found)
                if (h.function == c.function) hit = h;
            hits.push_back(hit);
            names.push_back(c.name);
        }
        hits_->reset(std::move(hits), true, std::move(names));
    } else {
        hits_->reset(std::move(found), true);
    }
    lstFunctions_->setCurrentIndex(hits_->index(0));
    cmdOK_->setEnabled(hits_->rowCount() > 0);
    details_.start();
}

void frmModernChooser::showDetails() {
    if (const IndexedName* n = hits_->name(lstFunctions_->currentIndex().row())) {
        const Field* field = session().options().fields->find(n->name);
        QString html = "<p><b>" + esc(n->name) + "</b></p><p>" +
                       (n->group.empty() ? QString() : esc(n->group) + " · ") +
                       tr(kFieldTypeTitles[static_cast<int>(field->type)]);
        if (field->sample) html += " · " + tr("示例值：") + esc(field->sample->text);
        html += "</p>";
        if (!n->description.empty()) html += "<p>" + esc(n->description) + "</p>";
        txtHelp_->setHtml(html + "<p>" + tr("确定：把名称插入参数中") + "</p>");
        return;
    }
    const CatalogueFunction* f = hits_->function(lstFunctions_->currentIndex().row());
    if (!f) {
        txtHelp_->setHtml(txtSearch_->text().isEmpty() ? QString() : tr("没有找到匹配的函数。"));
        return;
    }
    QString html = "<p><b>" + esc(f->value.empty() ? f->name : f->value) + "</b></p>";
    if (!f->title.empty()) html += "<p>" + esc(f->title) + "</p>";
    if (!f->description.empty()) html += "<p>" + esc(f->description) + "</p>";
    if (!f->arguments.empty()) {
        html += "<table cellspacing=\"0\" cellpadding=\"2\">";
        for (const CatalogueArgument& a : f->arguments) {
            const CatalogueDatatype* type = index_->catalogue().datatype(a.datatype);
            html += "<tr><td valign=\"top\"><b>" + esc(a.name) + "</b></td><td valign=\"top\">" +
                    (a.required ? tr("必选") : tr("可选")) + "</td><td>" + esc(a.description);
            if (!a.datatype.empty())
                html += " <span style=\"color:gray\">（" + esc(a.datatype) +
                        (type && !type->description.empty() ? "：" + esc(type->description)
                                                            : QString()) +
                        "）</span>";
            html += "</td></tr>";
        }
        html += "</table>";
    }
    if (!f->example.empty()) html += "<p>" + tr("示例：") + esc(f->example) + "</p>";
    txtHelp_->setHtml(html);
}

void frmModernChooser::moveSelection(int step) {
    const int count = hits_->rowCount();
    if (count == 0) return;
    const int row = std::clamp(lstFunctions_->currentIndex().row() + step, 0, count - 1);
    lstFunctions_->setCurrentIndex(hits_->index(row));
}

bool frmModernChooser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSearch_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_Down       ? 1
                         : key == Qt::Key_Up       ? -1
                         : key == Qt::Key_PageDown ? 10
                         : key == Qt::Key_PageUp   ? -10
                                                   : 0;
        if (step != 0) {
            moveSelection(step);
            return true;
        }
    }
    return FlowDialog::eventFilter(watched, event);
}

void frmModernChooser::reject() {
    if (!txtSearch_->text().isEmpty()) {
        txtSearch_->clear();
        txtSearch_->setFocus();
        return;
    }
    session().cancel();
    unload();
}

void frmModernChooser::done(int result) {
    saveDialogSize(session().options(), *this, kSizeKey);
    FlowDialog::done(result);
}

void frmModernChooser::cmdOK_Click() {
    if (const std::string name = selectedName(); !name.empty()) {
        chooseName(name);
        return;
    }
    const std::string name = selectedFunction();
    if (!name.empty()) chooseFunction(name);
}

}  // namespace nemro::dialogs
