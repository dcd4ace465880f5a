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

struct Window final : IScrollWindow {
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
    ScrollInfoModel model[2];
    bool shown[2] = {false, false};
    std::int32_t arrows[2] = {-1, -1}, wheelLines = 3;
};

// nMin, nMax, nPage and nPos as the platform holds them, and the last position.
std::vector<std::int64_t> held(const ScrollInfoModel& m) {
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    m.Get(si);
    return {si.nMin, si.nMax, si.nPage, si.nPos, m.LastPosition()};
}

TEST(ScrollInfoModel, ClampsPageAndPositionLikeThePlatform) {
    const struct { std::int32_t min, max, page, pos; std::vector<std::int64_t> held; } rows[] = {
        {0, 100, 10, 95, {0, 100, 10, 91, 91}},  // the last position is nMax - (nPage - 1)
        {0, 100, 0, 150, {0, 100, 0, 100, 100}},
        {0, 20, 50, 100, {0, 20, 21, 0, 0}},  // the page never exceeds the range
        {-10, 10, 0, -20, {-10, 10, 0, -10, 10}},
        {10, 5, 0, 3, {0, 0, 0, 0, 0}},       // an inverted range collapses
        {INT_MIN, 0, 0, 0, {0, 0, 0, 0, 0}},  // so does one of 2^31 steps
        {INT_MIN + 1, 0, 0, 0, {INT_MIN + 1, 0, 0, 0, 0}},
    };
    for (const auto& r : rows) {
        ScrollInfoModel m;
        m.Set({28, SIF_ALL, r.min, r.max, static_cast<std::uint32_t>(r.page), r.pos, 0});
        EXPECT_EQ(held(m), r.held) << r.min << ".." << r.max << " page " << r.page;
    }
}

TEST(ScrollBars, MaxMinAndLargeChangeGiveThePlatformRange) {
    // LargeChange, Max, LargeChange again and Min, in that order: the range held, then
    // Max, Min and LargeChange as read back.
    const struct { std::int32_t large1, max, large2, min; std::vector<std::int64_t> held, read; } rows[] = {
        {10, 90, 20, 5, {5, 110, 20, 5, 91}, {90, 5, 20}},  // Max keeps reading 90
        {10, INT_MAX, 10, 0, {0, INT_MAX, 10, 0, INT_MAX - 9}, {INT_MAX - 10, 0, 10}},
        {10, 20, 10, 50, {0, 0, 1, 0, 0}, {-1, 0, 1}},  // Min above Max: the range collapses
        {10, 90, 10, INT_MIN, {0, 0, 1, 0, 0}, {-1, 0, 1}},
    };
    for (const auto& r : rows) {
        Window window;
        cScrollBars bars;
        bars.Create(&window);
        bars.LargeChange(SB_HORZ, r.large1);
        bars.Max(SB_HORZ, r.max);
        bars.LargeChange(SB_HORZ, r.large2);
        bars.Min(SB_HORZ, r.min);
        EXPECT_EQ(held(window.model[SB_HORZ]), r.held) << r.max << " " << r.min;
        const std::vector<std::int64_t> read = {bars.Max(SB_HORZ), bars.Min(SB_HORZ),
                                                bars.LargeChange(SB_HORZ)};
        EXPECT_EQ(read, r.read) << r.max << " " << r.min;
        bars.Visible(SB_HORZ, true);
        bars.Enabled(SB_HORZ, false);
        EXPECT_TRUE(window.shown[SB_HORZ] && bars.Visible(SB_HORZ) && !bars.Visible(7));
        EXPECT_TRUE(window.arrows[SB_HORZ] == ESB_DISABLE_BOTH && !bars.Enabled(SB_HORZ));
    }
}

std::uint32_t wheel(int d) { return static_cast<std::uint32_t>(static_cast<std::uint16_t>(d)) << 16; }

TEST(ScrollBars, MessagesMoveThePositionAndReportOnce) {
    // Both bars: range 0..100, page 10 (Max 90), line step 5. The listeners note what they
    // are told; the wheel's may then set the bar and the amount (-1: left alone).
    const struct { std::uint32_t msg, wParam; std::int32_t start, trackOrLines, setBar, setAmount,
                   value, result; const char* events; } rows[] = {
        {WM_VSCROLL, SB_LINEDOWN, 89, 0, -1, -1, 90, 0, "Change1 "},  // clamped at Max
        {WM_VSCROLL, SB_LINEDOWN, 90, 0, -1, -1, 90, 0, ""},          // nothing new to report
        {WM_HSCROLL, SB_LINEDOWN | 0x70000, 0, 0, -1, -1, 5, 0, "Change0 "},  // the low word
        {WM_VSCROLL, SB_LINEUP, 20, 0, -1, -1, 15, 0, "Change1 "},
        {WM_VSCROLL, SB_LINEUP, 3, 0, -1, -1, 0, 0, "Change1 "},
        {WM_VSCROLL, SB_PAGEDOWN, 85, 0, -1, -1, 91, 0, "Change1 "},  // the platform's last
        {WM_VSCROLL, SB_PAGEUP, 14, 0, -1, -1, 4, 0, "Change1 "},
        {WM_VSCROLL, SB_THUMBTRACK, 20, 42, -1, -1, 42, 0, "Change1 "},  // Scroll finds nothing
        {WM_VSCROLL, SB_TOP, 50, 0, -1, -1, 0, 0, "Change1 "},
        {WM_VSCROLL, SB_BOTTOM, 50, 0, -1, -1, 90, 0, "Change1 "},
        {WM_VSCROLL, SB_ENDSCROLL, 50, 0, -1, -1, 50, 0, ""},
        {WM_VSCROLL, SB_THUMBPOSITION, 50, 0, -1, -1, 50, 0, ""},
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, -1, -1, 35, 1, "Wheel1:15 Change1 "},  // a notch
        {WM_MOUSEWHEEL, wheel(240), 50, 3, -1, -1, 20, 1, "Wheel1:-30 Change1 "},
        {WM_MOUSEWHEEL, wheel(-60), 20, 3, -1, -1, 20, 0, "Wheel1:0 "},  // truncated
        {WM_MOUSEWHEEL, wheel(-120), 20, -1, -1, -1, 35, 1, "Wheel1:15 Change1 "},  // page mode
        {WM_MOUSEWHEEL, wheel(-120), 20, 1, -1, -1, 25, 1, "Wheel1:5 Change1 "},
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, -1, 0, 20, 0, "Wheel1:15 "},  // stopped
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, 0, 30, 20, 1, "Wheel1:15 Change0 "},
        {WM_MOUSEWHEEL, wheel(-120), 20, 3, 7, INT_MAX, 20, 1, "Wheel1:15 "},  // no such bar
        {WM_NCRBUTTONDOWN, HTVSCROLL, 0, 0, -1, -1, 0, 0, "Click1:2 "},
        {WM_NCLBUTTONDOWN, HTHSCROLL, 0, 0, -1, -1, 0, 0, "Click0:1 "},
        {WM_NCLBUTTONDOWN, 2, 0, 0, -1, -1, 0, 0, ""},
        {WM_NCMBUTTONDOWN, HTVSCROLL, 0, 0, -1, -1, 0, 0, ""},
    };
    for (const auto& c : rows) {
        const std::int32_t bar = c.msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
        Window window;
        window.wheelLines = c.trackOrLines;
        window.model[bar].SetTrackPos(c.trackOrLines);
        cScrollBars bars;
        bars.Create(&window);
        for (std::int32_t b : {SB_HORZ, SB_VERT}) {
            bars.SmallChange(b, 5);
            bars.LargeChange(b, 10);
            bars.Max(b, 90);
        }
        bars.Value(bar, c.start);
        std::string events;
        auto note = [&](const char* what, std::int32_t b, std::string more = "") {
            events += what + std::to_string(b) + more + " ";
        };
        bars.Change = [&](std::int32_t& b) { note("Change", b); };
        bars.Scroll = [&](std::int32_t& b) { note("Scroll", b); };
        bars.ScrollClick = [&](std::int32_t& b, std::int32_t& k) { note("Click", b, ":" + std::to_string(k)); };
        bars.MouseWheel = [&](std::int32_t& b, std::int32_t& amount) {
            note("Wheel", b, ":" + std::to_string(amount));
            if (c.setBar >= 0) b = c.setBar;
            if (c.setAmount >= 0) amount = c.setAmount;
        };
        EXPECT_EQ(bars.WindowProc(c.msg, c.wParam, 0), c.result) << c.msg << " " << c.wParam;
        const std::vector<std::int32_t> values = {bars.Value(bar), bars.Value(1 - bar)};
        EXPECT_EQ(values, std::vector<std::int32_t>({c.value, c.setBar == 0 ? 30 : 0}))
            << c.msg << " " << c.wParam << " from " << c.start;
        EXPECT_EQ(events, c.events) << c.msg << " " << c.wParam << " from " << c.start;
    }
}

TEST(ScrollBars, APositionWrittenBehindTheControllersBackIsReportedOnce) {
    Window window;
    cScrollBars bars;
    bars.Create(&window);
    int changes = 0;
    bars.Change = [&](std::int32_t&) { ++changes; };
    window.model[SB_VERT].Set({28, SIF_POS, 0, 0, 0, 33, 0});
    for (int i = 0; i < 2; ++i) bars.WindowProc(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(changes, 1);
}

TEST(FormulaStack, PopsLastFirstAndOverflowsAt32767Entries) {
    cStack s;
    for (int i = 0; i < 32767; ++i) s.Push(i == 1 ? "" : std::to_string(i));
    try {
        s.Push("one too many");
        ADD_FAILURE() << "no overflow";
    } catch (const NemroError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
    EXPECT_EQ(s.Pop(), "32766");
    while (s.Count() > 2) s.Pop();
    std::string popped;
    for (int i = 0; i < 3; ++i) popped += s.Pop() + "|";
    EXPECT_EQ(popped, "|0||");  // "" when empty
    s.Push("x");
    s.RemoveAll();
    EXPECT_EQ(s.Count(), 0);
}

}  // namespace
}  // namespace nemro
