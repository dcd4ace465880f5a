#include "qt_scroll_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

namespace nemro::dialogs {

QtScrollWindow::QtScrollWindow(QWidget& viewport) : QObject(&viewport), viewport_(viewport) {
    clientArea_ = new QWidget(&viewport_);
    clientArea_->setObjectName("Picture1Client");
    hbar_ = new QScrollBar(Qt::Horizontal, &viewport_);
    hbar_->setObjectName("Picture1HScroll");
    vbar_ = new QScrollBar(Qt::Vertical, &viewport_);
    vbar_->setObjectName("Picture1VScroll");
    for (std::int32_t b : {SB_HORZ, SB_VERT}) {
        QScrollBar& sb = bar(b);
        sb.hide();
        sb.setFocusPolicy(Qt::NoFocus);
        sb.installEventFilter(this);
        connect(&sb, &QAbstractSlider::actionTriggered, this,
                [this, b](int action) { onAction(b, action); });
        connect(&sb, &QAbstractSlider::sliderReleased, this, [this, b] {
            const std::uint32_t msg = b == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
            deliver(msg, SB_THUMBPOSITION);
            deliver(msg, SB_ENDSCROLL);
        });
        mirror(b);
    }
    viewport_.installEventFilter(this);
    layoutBars();
}

QtScrollWindow::~QtScrollWindow() = default;

void QtScrollWindow::GetScrollInfo(std::int32_t eBar, SCROLLINFO& si, bool) {
    if (eBar == SB_HORZ || eBar == SB_VERT) info_[eBar].Get(si);
}

void QtScrollWindow::SetScrollInfo(std::int32_t eBar, const SCROLLINFO& si, bool, bool) {
    if (eBar != SB_HORZ && eBar != SB_VERT) return;
    info_[eBar].Set(si);
    mirror(eBar);
}

void QtScrollWindow::mirror(std::int32_t eBar) {
    QScrollBar* sb = eBar == SB_HORZ ? hbar_.data() : vbar_.data();
    if (!sb) return;
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    info_[eBar].Get(si);
    const QSignalBlocker block(sb);
    sb->setRange(si.nMin, std::max(si.nMin, info_[eBar].LastPosition()));
    sb->setPageStep(static_cast<int>(std::min<std::uint32_t>(si.nPage, 0x7FFFFFFF)));
    sb->setValue(si.nPos);
}

void QtScrollWindow::ShowScrollBar(std::int32_t eBar, bool show, bool) {
    if (eBar != SB_HORZ && eBar != SB_VERT) return;
    shown_[eBar] = show;
    layoutBars();
}

void QtScrollWindow::layoutBars() {
    const QRect r = viewport_.contentsRect();
    const int extent = viewport_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vbar_);
    const int right = shown_[SB_VERT] ? extent : 0;
    const int bottom = shown_[SB_HORZ] ? extent : 0;
    vbar_->setGeometry(r.right() + 1 - extent, r.top(), extent, r.height() - bottom);
    hbar_->setGeometry(r.left(), r.bottom() + 1 - extent, r.width() - right, extent);
    vbar_->setVisible(shown_[SB_VERT]);
    hbar_->setVisible(shown_[SB_HORZ]);
    clientArea_->setGeometry(r.left(), r.top(), r.width() - right, r.height() - bottom);
}

void QtScrollWindow::EnableScrollBar(std::int32_t eBar, std::int32_t arrows, bool) {
    if (eBar == SB_HORZ || eBar == SB_VERT) bar(eBar).setEnabled(arrows != ESB_DISABLE_BOTH);
}

std::int32_t QtScrollWindow::WheelScrollLines() {
    return QApplication::wheelScrollLines();
}

void QtScrollWindow::RouteMessage(cScrollBars& controller, std::uint32_t msg) {
    controller_ = &controller;
    routed_.insert(msg);
}

void QtScrollWindow::StopRouting(cScrollBars& controller, std::uint32_t msg) {
    if (controller_ != &controller) return;
    routed_.erase(msg);
    if (routed_.empty()) controller_ = nullptr;
}

std::int32_t QtScrollWindow::deliver(std::uint32_t msg, std::uint32_t wParam) {
    if (!controller_ || !routed_.count(msg)) return 0;
    return controller_->WindowProc(msg, wParam, 0);
}

void QtScrollWindow::onAction(std::int32_t eBar, int action) {
    std::uint32_t request;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            request = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            request = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            request = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            request = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            request = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            request = SB_BOTTOM;
            break;
        case QAbstractSlider::SliderMove:
            info_[eBar].SetTrackPos(bar(eBar).sliderPosition());
            request = SB_THUMBTRACK;
            break;
        default:
            return;
    }
    deliver(eBar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, request);
    // The controller decides where the bar ends up; the slider follows the model.
    SCROLLINFO si;
    si.fMask = SIF_POS;
    info_[eBar].Get(si);
    bar(eBar).setSliderPosition(si.nPos);
}

bool QtScrollWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == &viewport_) {
        layoutBars();
    } else if (event->type() == QEvent::MouseButtonPress &&
               (watched == hbar_ || watched == vbar_)) {
        const auto* me = static_cast<QMouseEvent*>(event);
        const std::uint32_t hit = watched == hbar_ ? HTHSCROLL : HTVSCROLL;
        if (me->button() == Qt::LeftButton)
            deliver(WM_NCLBUTTONDOWN, hit);
        else if (me->button() == Qt::RightButton)
            deliver(WM_NCRBUTTONDOWN, hit);
        else if (me->button() == Qt::MiddleButton)
            deliver(WM_NCMBUTTONDOWN, hit);
    } else if (event->type() == QEvent::Wheel) {
        auto* we = static_cast<QWheelEvent*>(event);
        const int delta = std::clamp(we->angleDelta().y(), -32768, 32767);
        if (delta == 0) return false;
        const auto wParam = static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16;
        const std::int32_t handled = deliver(WM_MOUSEWHEEL, wParam);
        if (handled == 1 || watched == hbar_ || watched == vbar_) {
            // The bars never scroll on their own: the controller owns the position.
            we->accept();
            return true;
        }
    }
    return false;
}

}  // namespace nemro::dialogs
