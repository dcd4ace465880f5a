// cScrollBars over a window that answers as the Qt one does (no flat bars, the platform's
// clamping): the figures the argument dialog's bars show, every message and its reports.
// And the formula stack.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "nemro/error.h"
#include "nemro/formula_set.h"
#include "nemro/scroll_bars.h"

namespace nemro {
namespace {

// A window with the platform's clamping and no flat bars, as the Qt one, and bars on it
// whose listeners note what they are told in `events`.
struct Window final : IScrollWindow {
    explicit Window(std::int32_t lines = 3) : wheelLines(lines) {
        bars.Create(this);
        bars.Change = [this](std::int32_t& b) { note("Change" + std::to_string(b)); };
        bars.Scroll = [this](std::int32_t& b) { note("Scroll" + std::to_string(b)); };
        bars.ScrollClick = [this](std::int32_t& b, std::int32_t& k) {
            note("Click" + std::to_string(b) + ":" + std::to_string(k));
        };
    }
    void GetScrollInfo(std::int32_t b, SCROLLINFO& si, bool) override { model[b].Get(si); }
    void SetScrollInfo(std::int32_t b, const SCROLLINFO& si, bool, bool) override {
        model[b].Set(si);
    }
    void ShowScrollBar(std::int32_t b, bool show, bool) override { shown[b] = show; }
    void EnableScrollBar(std::int32_t b, std::int32_t a, bool) override { arrows[b] = a; }
    bool InitializeFlatSB() override { return false; }
    void UninitializeFlatSB() override {}
    void SetFlatScrollProp(std::int32_t, std::int32_t, bool) override {}
    std::int32_t WheelScrollLines() override { return wheelLines; }
    void RouteMessage(cScrollBars&, std::uint32_t) override {}
    void StopRouting(cScrollBars&, std::uint32_t) override {}
    void note(const std::string& what) { events += what + " "; }
    // nMin, nMax, nPage and nPos as the platform holds them, and the last position.
    std::vector<std::int64_t> held(std::int32_t b) const {
        SCROLLINFO si{28, SIF_ALL};
        model[b].Get(si);
        return {si.nMin, si.nMax, si.nPage, si.nPos, model[b].LastPosition()};
    }
    ScrollInfoModel model[2];
    bool shown[2] = {false, false};
    std::int32_t arrows[2] = {-1, -1}, wheelLines;
    std::string events;
    cScrollBars bars;  // last: it detaches from the window when destroyed
};

TEST(ScrollBars, MaxMinAndLargeChangeGiveThePlatformRange) {
    // LargeChange, Max, LargeChange again and Min, in that order: the range the platform
    // holds (see Window::held), and Max as read back (nMax - nPage).
    const struct {
        std::int32_t large1, max, large2, min;
        std::vector<std::int64_t> held;
        std::int32_t readMax;
    } rows[] = {
        {10, 90, 20, 5, {5, 110, 20, 5, 91}, 90},  // Max keeps reading 90
        {10, INT_MAX, 10, 0, {0, INT_MAX, 10, 0, INT_MAX - 9}, INT_MAX - 10},
        {10, 20, 10, 50, {0, 0, 1, 0, 0}, -1},   // Min above Max: the range collapses
        {0, 0, 0, INT_MIN, {0, 0, 0, 0, 0}, 0},  // so does one of 2^31 steps
        {0, 0, 0, INT_MIN + 1, {INT_MIN + 1, 0, 0, 0, 0}, 0},
    };
    for (const auto& r : rows) {
        Window w;
        cScrollBars& bars = w.bars;
        bars.LargeChange(SB_HORZ, r.large1);
        bars.Max(SB_HORZ, r.max);
        bars.LargeChange(SB_HORZ, r.large2);
        bars.Min(SB_HORZ, r.min);
        EXPECT_EQ(w.held(SB_HORZ), r.held) << r.max << " " << r.min;
        EXPECT_EQ(bars.Max(SB_HORZ), r.readMax) << r.max << " " << r.min;
    }
    Window w;
    w.bars.Visible(SB_HORZ, true);
    w.bars.Enabled(SB_HORZ, false);
    EXPECT_TRUE(w.shown[0] && w.bars.Visible(0) && !w.bars.Visible(7) && !w.bars.Enabled(0) &&
                w.arrows[0] == ESB_DISABLE_BOTH);
    // A position written behind the controller's back is reported by the next report, once.
    w.model[SB_VERT].Set({28, SIF_POS, 0, 0, 0, 33, 0});
    for (int i = 0; i < 2; ++i) w.bars.WindowProc(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(w.events, "Change1 ");
}

std::uint32_t wheel(int d) {
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(d)) << 16;
}

TEST(ScrollBars, MessagesMoveThePositionAndReportOnce) {
    // Both bars: range 0..100, page 10 (Max 90), line step 5. The wheel's listener may set
    // the bar and the amount (-1: left alone).
    const struct {
        std::uint32_t msg, wParam;
        std::int32_t start, trackOrLines, setBar, setAmount, value, result;
        const char* events;
    } rows[] = {
        {WM_VSCROLL, SB_LINEDOWN, 89, 0, -1, -1, 90, 0, "Change1 "},  // clamped at Max
        {WM_VSCROLL, SB_LINEDOWN, 90, 0, -1, -1, 90, 0, ""},          // nothing new to report
        {WM_HSCROLL, SB_LINEDOWN | 0x70000, 0, 0, -1, -1, 5, 0, "Change0 "},  // the low word
        {WM_VSCROLL, SB_LINEUP, 3, 0, -1, -1, 0, 0, "Change1 "},              // clamped at Min
        {WM_VSCROLL, SB_PAGEDOWN, 85, 0, -1, -1, 91, 0, "Change1 "},          // the platform's last
        {WM_VSCROLL, SB_PAGEUP, 4, 0, -1, -1, 0, 0, "Change1 "},
        {WM_VSCROLL, SB_THUMBTRACK, 20, 42, -1, -1, 42, 0, "Change1 "},  // Scroll finds nothing
        {WM_VSCROLL, SB_TOP, 50, 0, -1, -1, 0, 0, "Change1 "},
        {WM_VSCROLL, SB_BOTTOM, 50, 0, -1, -1, 90, 0, "Change1 "},
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, -1, -1, 35, 1, "Wheel1:15 Change1 "},  // a notch
        {WM_MOUSEWHEEL, wheel(240), 50, 3, -1, -1, 20, 1, "Wheel1:-30 Change1 "},
        {WM_MOUSEWHEEL, wheel(-60), 20, 3, -1, -1, 20, 0, "Wheel1:0 "},             // truncated
        {WM_MOUSEWHEEL, wheel(-120), 20, -1, -1, -1, 35, 1, "Wheel1:15 Change1 "},  // page mode
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, -1, 0, 20, 0, "Wheel1:15 "},            // stopped
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, 0, 30, 20, 1, "Wheel1:15 Change0 "},
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, 7, INT_MAX, 20, 1, "Wheel1:15 "},  // no such bar
        {WM_NCRBUTTONDOWN, HTVSCROLL, 0, 0, -1, -1, 0, 0, "Click1:2 "},
        {WM_NCLBUTTONDOWN, HTHSCROLL, 0, 0, -1, -1, 0, 0, "Click0:1 "},
        {WM_NCMBUTTONDOWN, HTVSCROLL, 0, 0, -1, -1, 0, 0, ""},
    };
    for (const auto& c : rows) {
        const std::int32_t bar = c.msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
        Window w(c.trackOrLines);
        cScrollBars& bars = w.bars;
        w.model[bar].SetTrackPos(c.trackOrLines);
        for (std::int32_t b : {SB_HORZ, SB_VERT})
            bars.SmallChange(b, 5), bars.LargeChange(b, 10), bars.Max(b, 90);
        bars.Value(bar, c.start);
        w.events.clear();
        bars.MouseWheel = [&](std::int32_t& b, std::int32_t& amount) {
            w.note("Wheel" + std::to_string(b) + ":" + std::to_string(amount));
            if (c.setBar >= 0) b = c.setBar;
            if (c.setAmount >= 0) amount = c.setAmount;
        };
        EXPECT_EQ(bars.WindowProc(c.msg, c.wParam, 0), c.result) << c.msg << " " << c.wParam;
        const std::vector<std::int32_t> values = {bars.Value(bar), bars.Value(1 - bar)};
        EXPECT_EQ(values, std::vector<std::int32_t>({c.value, c.setBar == 0 ? 30 : 0}))
            << c.msg << " " << c.wParam << " from " << c.start;
        EXPECT_EQ(w.events, c.events) << c.msg << " " << c.wParam << " from " << c.start;
    }
}

TEST(FormulaStack, PopsLastFirstAndOverflowsAt32767Entries) {
    cStack s;
    for (int i = 0; i < 32767; ++i) s.Push(std::to_string(i));
    EXPECT_THROW(s.Push("one too many"), NemroError);  // err::Overflow
    EXPECT_EQ(s.Pop(), "32766");                       // the refused entry is not kept
    while (s.Count() > 1) s.Pop();
    EXPECT_EQ(s.Pop(), "0");
    EXPECT_EQ(s.Pop(), "");  // "" when empty
}

}  // namespace
}  // namespace nemro
