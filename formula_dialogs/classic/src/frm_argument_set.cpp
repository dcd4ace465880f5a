#include "frm_argument_set.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/qt_toolkit.h"
#include "qt_scroll_window.h"

namespace nemro::dialogs {

using qt::setTwipsGeometry;
using qt::twipsHeight;
using qt::twipsLeft;
using qt::twipsTop;
using qt::twipsWidth;

namespace {
constexpr const char* kCaption = "参数设置";
constexpr const char* kLoadTag = "frmArgumentSet.Load()\\";
constexpr const char* kOkTag = "frmArgumentSet.cmdOK_Click()\\";
constexpr int ty = kTwipsPerPixel;
constexpr int tx = kTwipsPerPixel;

// Design-time templates of the row control arrays (member 0), in twips.
struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect kFraArgument0{0, 1560, 5235, 555};
constexpr TwipsRect kTxtArgumentValue0{840, 720, 2535, 315};

QIcon formulaIcon() {
    QPixmap pm(24, 21);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f("Serif");
    f.setItalic(true);
    f.setBold(true);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(QColor(0, 0, 128));
    p.drawText(pm.rect(), Qt::AlignCenter, "fx");
    return QIcon(pm);
}

// The description area: three lines in a label of fixed size. A line too long for it
// ends in "…" rather than running off the edge, and the tooltip holds the whole text.
class DescriptionLabel final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics fm(font());
        const QRect area = contentsRect();
        int y = area.top();
        for (QString line : text().split('\n')) {
            if (y >= area.bottom()) break;
            line.remove('\r');
            p.drawText(QRect(area.left(), y, area.width(), fm.height()),
                       Qt::AlignLeft | Qt::AlignTop,
                       fm.elidedText(line, Qt::ElideRight, area.width()));
            y += fm.lineSpacing();
        }
    }
};
}  // namespace

frmArgumentSet::frmArgumentSet(Exchange& exchange)
    : FlowDialog(exchange),
      Picture1_(new QFrame(this)),
      fraButtons_(new QWidget(this)),
      lblArgumentDesc_(new DescriptionLabel(fraButtons_)),
      Frame1_(new QFrame(fraButtons_)),
      cmdOK_(new QPushButton(fraButtons_)),
      cmdCancel_(new QPushButton(fraButtons_)) {
    setObjectName("frmArgumentSet");
    setWindowTitle(tr(kCaption));
    setFixedSize(qt::twipsToPixels(5010), qt::twipsToPixels(4140));

    auto* picture = static_cast<QFrame*>(Picture1_);
    picture->setObjectName("Picture1");
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setFrameShadow(QFrame::Sunken);
    setTwipsGeometry(*Picture1_, 0, 0, 4995, 2715);
    scrollWindow_ = new QtScrollWindow(*Picture1_);

    picClient_ = new QWidget(&scrollWindow_->clientArea());
    picClient_->setObjectName("picClient");
    setTwipsGeometry(*picClient_, 120, 240, 735, 15);

    fraButtons_->setObjectName("fraButtons");
    setTwipsGeometry(*fraButtons_, 0, 2760, 4935, 1455);

    lblArgumentDesc_->setObjectName("lblArgumentDesc");
    lblArgumentDesc_->setTextFormat(Qt::PlainText);
    lblArgumentDesc_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTwipsGeometry(*lblArgumentDesc_, 60, 120, 4695, 735);

    Frame1_->setObjectName("Frame1");
    Frame1_->setFrameShape(QFrame::HLine);
    Frame1_->setFrameShadow(QFrame::Sunken);
    setTwipsGeometry(*Frame1_, 0, 840, 6495, 75);

    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setText(tr("确定(&O)"));
    cmdOK_->setDefault(true);
    setTwipsGeometry(*cmdOK_, 2280, 960, 1125, 375);

    cmdCancel_->setObjectName("cmdCancel");
    cmdCancel_->setText(tr("取消(&C)"));
    cmdCancel_->setAutoDefault(false);
    setTwipsGeometry(*cmdCancel_, 3600, 960, 1125, 375);

    connect(cmdOK_, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdOK_Click(); }); });
    connect(cmdCancel_, &QPushButton::clicked, this,
            [this] { qt::runGuarded([this] { cmdCancel_Click(); }); });

    Form_Load();
}

frmArgumentSet::~frmArgumentSet() {
    // The controller detaches from the window, which must still exist.
    m_cScroll.reset();
}

QLineEdit* frmArgumentSet::txtArgumentValue(int index) const {
    return index >= 1 && index <= rowCount() ? rows_[index - 1].txt : nullptr;
}
QLabel* frmArgumentSet::lblArgumentValue(int index) const {
    return index >= 1 && index <= rowCount() ? rows_[index - 1].lbl : nullptr;
}
QPushButton* frmArgumentSet::cmdFormula(int index) const {
    return index >= 1 && index <= rowCount() ? rows_[index - 1].cmd : nullptr;
}
QWidget* frmArgumentSet::fraArgument(int index) const {
    return index >= 1 && index <= rowCount() ? rows_[index - 1].fra : nullptr;
}

void frmArgumentSet::attachScrollBars() {
    m_cScroll = std::make_unique<cScrollBars>();
    m_cScroll->Create(scrollWindow_);
    m_cScroll->Scroll = [this](std::int32_t& eBar) { m_cScroll_Scroll(eBar); };
    m_cScroll->Change = [this](std::int32_t& eBar) { m_cScroll_Change(eBar); };
    // One arrow click moves the rows by one row pitch.
    m_cScroll->SmallChange(SB_VERT, kFraArgument0.height / ty + 2);
}

void frmArgumentSet::Form_Load() {
    attachScrollBars();
    trapped(kLoadTag, [this] {
        buildRows();
        fillFromFormerFormula();
    });
}

void frmArgumentSet::buildRows() {
    // The old rows may be in the middle of their own event (Enter in a field means OK):
    // they leave the dialog now and are deleted once that event is done. They leave
    // rows_ first: hiding a focused field passes the focus to the next old field, whose
    // description must not be looked up for the function the window now shows.
    const std::vector<Row> old = std::move(rows_);
    rows_.clear();
    for (const Row& row : old) {
        row.fra->hide();
        row.fra->setParent(nullptr);
        row.fra->deleteLater();
    }
    rowsClearOfBar_ = false;

    const std::int16_t n = getArgumentCount(session().functionName(), session().catalogue());
    static const QIcon icon = formulaIcon();
    int lastTop = kFraArgument0.top;
    for (int i = 1; i <= n; ++i) {
        Row row{};
        row.fra = new QWidget(picClient_);
        row.fra->setObjectName(QString("fraArgument%1").arg(i));
        row.lbl = new QLabel(row.fra);
        row.lbl->setObjectName(QString("lblArgumentValue%1").arg(i));
        row.txt = new QLineEdit(row.fra);
        row.txt->setObjectName(QString("txtArgumentValue%1").arg(i));
        row.cmd = new QPushButton(row.fra);
        row.cmd->setObjectName(QString("cmdFormula%1").arg(i));

        const auto index = static_cast<std::int16_t>(i);
        std::string caption =
            getArgumentPara(session().functionName(), "Value", index, session().catalogue());
        caption += getArgumentPara(session().functionName(), "Required", index,
                                   session().catalogue()) == "True"
                       ? "(必选)"
                       : "(可选)";
        row.lbl->setTextFormat(Qt::PlainText);
        row.lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        row.lbl->setText(qt::qs(caption));
        row.lbl->setBuddy(row.txt);
        setTwipsGeometry(*row.lbl, 100, 200, 1500, 315);

        const int txtLeft = 100 + 1500 + 300;
        const int txtTop = 200 - 100;
        setTwipsGeometry(*row.txt, txtLeft, txtTop, kTxtArgumentValue0.width,
                         kTxtArgumentValue0.height);
        row.txt->installEventFilter(this);

        // A square button beside the field; never the default button, so that Enter
        // in a field means OK rather than a nested function.
        const int side = kTxtArgumentValue0.height;
        setTwipsGeometry(*row.cmd, txtLeft + kTxtArgumentValue0.width + 100, txtTop, side, side);
        row.cmd->setAutoDefault(false);
        row.cmd->setDefault(false);
        row.cmd->setIcon(icon);
        row.cmd->setIconSize(QSize(16, 14));
        row.cmd->setToolTip(tr("选择公式"));
        connect(row.cmd, &QPushButton::clicked, this,
                [this, i] { qt::runGuarded([this, i] { cmdFormula_Click(i); }); });

        const int top = i == 1 ? 0 : lastTop + kFraArgument0.height + 2 * ty;
        setTwipsGeometry(*row.fra, 0, top, twipsWidth(*Picture1_), kFraArgument0.height);
        lastTop = top;
        row.lbl->show();
        row.txt->show();
        row.cmd->show();
        row.fra->show();
        rows_.push_back(row);
    }
    // Tab order follows the rows: field, then its button.
    QWidget* previous = nullptr;
    for (const Row& row : rows_) {
        if (previous) setTabOrder(previous, row.txt);
        setTabOrder(row.txt, row.cmd);
        previous = row.cmd;
    }
    if (previous) {
        setTabOrder(previous, cmdOK_);
        setTabOrder(cmdOK_, cmdCancel_);
    }

    // With no rows the template is the last row panel.
    setTwipsGeometry(*picClient_, twipsLeft(*Picture1_), twipsTop(*Picture1_),
                     twipsWidth(*Picture1_), lastTop + kFraArgument0.height + 2 * ty);
    setWindowTitle(tr(kCaption) + "(" + qt::qs(session().functionName()) + ")");
}

void frmArgumentSet::fillFromFormerFormula() {
    const std::vector<std::string> pieces = session().takeFormerFields(rowCount());
    for (std::size_t j = 0; j < pieces.size(); ++j)
        txtArgumentValue(static_cast<int>(j + 1))->setText(qt::qs(pieces[j]));
}

void frmArgumentSet::resizeEvent(QResizeEvent* event) {
    FlowDialog::resizeEvent(event);
    qt::runGuarded([this] { Form_Resize(); });
}

void frmArgumentSet::Form_Resize() {
    const int dv = (twipsHeight(*picClient_) - twipsHeight(*Picture1_)) / ty;
    if (dv < 1) {
        m_cScroll->Visible(SB_VERT, false);
    } else {
        const int p = qt::pixelsToTwips(height()) / ty;
        const int q = dv / p;
        m_cScroll->LargeChange(SB_VERT, dv / (q + 1));
        m_cScroll->Max(SB_VERT, dv);
        m_cScroll->Visible(SB_VERT, true);
        // Once is enough: a later resize finds the rows already clear of the bar.
        if (!rowsClearOfBar_) {
            for (const Row& row : rows_) {
                qt::setTwipsLeft(*row.txt, twipsLeft(*row.txt) - 200);
                qt::setTwipsLeft(*row.cmd, twipsLeft(*row.cmd) - 200);
            }
            rowsClearOfBar_ = true;
        }
    }
    const int dh = (twipsWidth(*picClient_) - twipsWidth(*Picture1_)) / tx;
    if (dh < 1) {
        m_cScroll->Visible(SB_HORZ, false);
    } else {
        const int p = qt::pixelsToTwips(width()) / tx;
        const int q = dh / p;
        m_cScroll->LargeChange(SB_HORZ, dh / (q + 1));
        m_cScroll->Max(SB_HORZ, dh);
        m_cScroll->Visible(SB_HORZ, true);
    }
}

void frmArgumentSet::m_cScroll_Change(std::int32_t eBar) {
    if (m_cScroll->Visible(eBar)) {
        if (eBar != SB_HORZ)
            qt::setTwipsTop(*picClient_, -m_cScroll->Value(eBar) * ty);
        else
            qt::setTwipsLeft(*picClient_, -m_cScroll->Value(eBar) * tx);
    } else {
        setTwipsGeometry(*picClient_, 0, 0, twipsWidth(*picClient_), twipsHeight(*picClient_));
    }
}

bool frmArgumentSet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (int i = 1; i <= rowCount(); ++i) {
            if (watched == rows_[i - 1].txt) {
                qt::runGuarded([this, i] { txtArgumentValue_GotFocus(i); });
                break;
            }
        }
    }
    return FlowDialog::eventFilter(watched, event);
}

void frmArgumentSet::txtArgumentValue_GotFocus(int Index) {
    const auto index = static_cast<std::int16_t>(Index);
    // Read in the catalogue order: Value, Description, Datatype, data type description.
    const std::string name =
        getArgumentPara(session().functionName(), "Value", index, session().catalogue());
    const std::string description =
        getArgumentPara(session().functionName(), "Description", index, session().catalogue());
    const std::string datatype =
        getArgumentPara(session().functionName(), "Datatype", index, session().catalogue());
    const std::string datatypeDesc =
        getArgDatatypeDesc(session().functionName(), name, session().catalogue());
    lblArgumentDesc_->setText(qt::qs("参数描述：" + description + "\r\n参数类型：" + datatype +
                                     "\r\n类型描述：" + datatypeDesc));
    lblArgumentDesc_->setToolTip(lblArgumentDesc_->text());
}

void frmArgumentSet::focusRow(int Index) {
    QLineEdit* field = txtArgumentValue(Index);
    if (!field) return;
    field->setFocus();
    // An inactive window gets no focus event yet; the description must show all the same.
    if (!field->hasFocus()) txtArgumentValue_GotFocus(Index);
}

std::vector<std::string> frmArgumentSet::fieldTexts() const {
    std::vector<std::string> texts;
    texts.reserve(rows_.size());
    for (const Row& row : rows_) texts.push_back(qt::ss(row.txt->text()));
    return texts;
}

void frmArgumentSet::cmdFormula_Click(int Index) {
    trapped(kOkTag, [&] { nestInto(Index, fieldTexts()); });
}

void frmArgumentSet::cmdOK_Click() {
    trapped(kOkTag, [&] {
        const auto outer = confirm(fieldTexts(), [this](int row) { focusRow(row); });
        if (!outer) return;
        // The window is rebuilt for the outer function, as its load built it.
        lblArgumentDesc_->clear();
        lblArgumentDesc_->setToolTip(QString());
        m_cScroll->Value(SB_VERT, 0);
        m_cScroll->Visible(SB_VERT, false);
        attachScrollBars();
        buildRows();
        Form_Resize();
        for (std::size_t i = 0; i < outer->fields.size(); ++i) {
            if (QLineEdit* field = txtArgumentValue(static_cast<int>(i + 1)))
                field->setText(qt::qs(outer->fields[i]));
        }
        focusRow(outer->row);
    });
}

void frmArgumentSet::cmdCancel_Click() {
    session().cancel();
    unload();
}

void frmArgumentSet::reject() {
    qt::runGuarded([this] { cmdCancel_Click(); });
}

}  // namespace nemro::dialogs
