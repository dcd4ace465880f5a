// The Qt side of cScrollBars: a viewport widget with a horizontal and a vertical
// QScrollBar along its edges and a clipping area for the client panel. The scroll
// information model is the authority; the QScrollBars mirror it, and their actions
// and the wheel reach the controller as the messages it handles.
#pragma once

#include <QObject>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <set>

#include "nemro/scroll_bars.h"

class QScrollBar;
class QWidget;

namespace nemro::dialogs {

class QtScrollWindow final : public QObject, public IScrollWindow {
    Q_OBJECT
  public:
    // `viewport` carries the bars; the client panel goes into clientArea().
    explicit QtScrollWindow(QWidget& viewport);
    ~QtScrollWindow() override;

    QWidget& clientArea() const { return *clientArea_; }
    QScrollBar& bar(std::int32_t eBar) const { return eBar == SB_HORZ ? *hbar_ : *vbar_; }

    void GetScrollInfo(std::int32_t eBar, SCROLLINFO& si, bool flat) override;
    void SetScrollInfo(std::int32_t eBar, const SCROLLINFO& si, bool redraw, bool flat) override;
    void ShowScrollBar(std::int32_t eBar, bool show, bool flat) override;
    void EnableScrollBar(std::int32_t eBar, std::int32_t arrows, bool flat) override;
    bool InitializeFlatSB() override { return false; }  // Qt draws its own bars
    void UninitializeFlatSB() override {}
    void SetFlatScrollProp(std::int32_t, std::int32_t, bool) override {}
    std::int32_t WheelScrollLines() override;
    void RouteMessage(cScrollBars& controller, std::uint32_t msg) override;
    void StopRouting(cScrollBars& controller, std::uint32_t msg) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void mirror(std::int32_t eBar);
    void layoutBars();
    std::int32_t deliver(std::uint32_t msg, std::uint32_t wParam);
    void onAction(std::int32_t eBar, int action);

    QWidget& viewport_;
    QPointer<QWidget> clientArea_;
    QPointer<QScrollBar> hbar_;
    QPointer<QScrollBar> vbar_;
    ScrollInfoModel info_[2];
    bool shown_[2] = {false, false};
    cScrollBars* controller_ = nullptr;
    std::set<std::uint32_t> routed_;
};

}  // namespace nemro::dialogs
