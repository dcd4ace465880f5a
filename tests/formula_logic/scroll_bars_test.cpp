// cScrollBars over a plain window model: the property arithmetic, every request code,
// the wheel, the change reports and the events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nemro/scroll_bars.h"

namespace nemro {
namespace {

class FakeWindow : public IScrollWindow {
public:
    explicit FakeWindow(bool flatAvailable = false, int wheelLines = 3)
        : flatAvailable_(flatAvailable), wheelLines_(wheelLines) {}

    void GetScrollInfo(std::int32_t eBar, SCROLLINFO& si, bool flat) override {
        usedFlat |= flat;
        model[eBar].Get(si);
    }
    void SetScrollInfo(std::int32_t eBar, const SCROLLINFO& si, bool, bool flat) override {
        usedFlat |= flat;
        model[eBar].Set(si);
    }
    void ShowScrollBar(std::int32_t eBar, bool show, bool) override { shown[eBar] = show; }
    void EnableScrollBar(std::int32_t eBar, std::int32_t arrows, bool) override {
        arrowsState[eBar] = arrows;
    }
    bool InitializeFlatSB() override { return flatAvailable_; }
    void UninitializeFlatSB() override {}
    void SetFlatScrollProp(std::int32_t prop, std::int32_t value, bool) override {
        props.push_back({prop, value});
    }
    std::int32_t WheelScrollLines() override { return wheelLines_; }
    void RouteMessage(cScrollBars&, std::uint32_t msg) override { routed.push_back(msg); }
    void StopRouting(cScrollBars&, std::uint32_t msg) override { stopped.push_back(msg); }

    SCROLLINFO info(std::int32_t eBar) const {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        model[eBar].Get(si);
        return si;
    }

    ScrollInfoModel model[2];
    bool shown[2] = {false, false};
    std::int32_t arrowsState[2] = {-1, -1};
    bool usedFlat = false;
    std::vector<std::pair<std::int32_t, std::int32_t>> props;
    std::vector<std::uint32_t> routed, stopped;

private:
    bool flatAvailable_;
    int wheelLines_;
};

// A controller on a fresh window that records its Scroll and Change events.
struct Rig {
    explicit Rig(int wheelLines = 3) : window(false, wheelLines) {
        bars.Create(&window);
        bars.Change = [this](std::int32_t& bar) { events.push_back("Change" + std::to_string(bar)); };
        bars.Scroll = [this](std::int32_t& bar) { events.push_back("Scroll" + std::to_string(bar)); };
    }
    FakeWindow window;
    cScrollBars bars;
    std::vector<std::string> events;
};

std::uint32_t wheel(int distance) {
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(distance)))
           << 16;
}

TEST(ScrollBars, MaxAndLargeChangeKeepThePlatformRangeConsistent) {
    Rig r;
    r.bars.LargeChange(SB_VERT, 10);
    r.bars.Max(SB_VERT, 90);
    SCROLLINFO si = r.window.info(SB_VERT);
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 100);
    EXPECT_EQ(si.nPage, 10u);
    EXPECT_EQ(r.bars.Max(SB_VERT), 90);

    r.bars.LargeChange(SB_VERT, 20);
    si = r.window.info(SB_VERT);
    EXPECT_EQ(si.nMax, 110);
    EXPECT_EQ(si.nPage, 20u);
    EXPECT_EQ(r.bars.Max(SB_VERT), 90);
    EXPECT_EQ(r.bars.LargeChange(SB_VERT), 20);

    r.bars.Min(SB_VERT, 5);
    EXPECT_EQ(r.bars.Min(SB_VERT), 5);
    EXPECT_EQ(r.bars.Max(SB_VERT), 90);
}

TEST(ScrollBars, RequestCodesMoveThePositionAndReportOnce) {
    struct Case {
        const char* name;
        std::int32_t start;
        std::uint32_t request;
        std::int32_t trackPos;
        std::int32_t expected;
        std::vector<std::string> events;
    };
    // Range 0..100, page 10 (Max 90), line step 5.
    const std::vector<Case> cases = {
        {"line down clamps at Max", 89, SB_LINEDOWN, 0, 90, {"Change1"}},
        {"line down at Max reports nothing", 90, SB_LINEDOWN, 0, 90, {}},
        {"line up", 20, SB_LINEUP, 0, 15, {"Change1"}},
        {"line up clamps at Min", 3, SB_LINEUP, 0, 0, {"Change1"}},
        {"page down", 20, SB_PAGEDOWN, 0, 30, {"Change1"}},
        {"page down near the end is clamped by the platform", 85, SB_PAGEDOWN, 0, 91, {"Change1"}},
        {"page up clamps at 0", 4, SB_PAGEUP, 0, 0, {"Change1"}},
        {"thumb position does nothing", 20, SB_THUMBPOSITION, 0, 20, {}},
        {"thumb track reports through Change only", 20, SB_THUMBTRACK, 42, 42, {"Change1"}},
        {"top", 50, SB_TOP, 0, 0, {"Change1"}},
        {"bottom", 50, SB_BOTTOM, 0, 90, {"Change1"}},
        {"end scroll with nothing new", 50, SB_ENDSCROLL, 0, 50, {}},
        {"unknown request", 50, 99, 0, 50, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.bars.SmallChange(SB_VERT, 5);
        r.bars.LargeChange(SB_VERT, 10);
        r.bars.Max(SB_VERT, 90);
        r.bars.Value(SB_VERT, c.start);
        r.events.clear();
        r.window.model[SB_VERT].SetTrackPos(c.trackPos);
        EXPECT_EQ(r.bars.WindowProc(WM_VSCROLL, c.request, 0), 0);
        EXPECT_EQ(r.bars.Value(SB_VERT), c.expected);
        EXPECT_EQ(r.events, c.events);
    }
}

TEST(ScrollBars, HorizontalMessagesDriveTheHorizontalBar) {
    Rig r;
    r.bars.LargeChange(SB_HORZ, 10);
    r.bars.Max(SB_HORZ, 50);
    r.bars.WindowProc(WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(r.bars.Value(SB_HORZ), 1);
    EXPECT_EQ(r.bars.Value(SB_VERT), 0);
    EXPECT_EQ(r.events, std::vector<std::string>{"Change0"});
}

TEST(ScrollBars, EndScrollReportsAPositionTheListenerHasNotSeen) {
    Rig r;
    r.bars.LargeChange(SB_VERT, 10);
    r.bars.Max(SB_VERT, 90);
    // A position written behind the controller's back is reported by the next report.
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = 33;
    r.window.model[SB_VERT].Set(si);
    r.bars.WindowProc(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(r.events, std::vector<std::string>{"Change1"});
    r.bars.WindowProc(WM_VSCROLL, SB_ENDSCROLL, 0);
    EXPECT_EQ(r.events.size(), 1u);
}

TEST(ScrollBars, ValueWritesReportOnlyNewPositions) {
    Rig r;
    r.bars.LargeChange(SB_VERT, 10);
    r.bars.Max(SB_VERT, 90);
    r.events.clear();
    r.bars.Value(SB_VERT, 0);
    EXPECT_TRUE(r.events.empty());
    r.bars.Value(SB_VERT, 40);
    EXPECT_EQ(r.events, std::vector<std::string>{"Change1"});
    r.bars.Value(SB_VERT, 40);
    EXPECT_EQ(r.events.size(), 1u);
}

TEST(ScrollBars, WheelArithmetic) {
    struct Case {
        const char* name;
        int distance;
        int wheelLines;
        std::int32_t listenerAmount;  // -1: leave the amount alone
        std::int32_t expectedAmount;
        std::int32_t expectedValue;
        std::int32_t expectedResult;
    };
    const std::vector<Case> cases = {
        {"one notch towards the user", -120, 3, -1, 9, 29, 1},
        {"one notch away", 120, 3, -1, -9, 11, 1},
        {"half a notch is truncated", -60, 3, -1, 0, 20, 0},
        {"two notches", -240, 3, -1, 18, 38, 1},
        {"listener stops the scroll", -120, 3, 0, 9, 20, 0},
        {"listener doubles it", -120, 3, 18, 9, 38, 1},
        {"page-scroll setting counts as three lines", -120, -1, -1, 9, 29, 1},
        {"zero lines counts as three lines", -120, 0, -1, 9, 29, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(c.wheelLines);
        r.bars.SmallChange(SB_VERT, 3);
        r.bars.LargeChange(SB_VERT, 10);
        r.bars.Max(SB_VERT, 90);
        r.bars.Value(SB_VERT, 20);
        std::int32_t seenAmount = 0, seenBar = -1;
        r.bars.MouseWheel = [&](std::int32_t& bar, std::int32_t& amount) {
            seenBar = bar;
            seenAmount = amount;
            if (c.listenerAmount >= 0) amount = c.listenerAmount;
        };
        EXPECT_EQ(r.bars.WindowProc(WM_MOUSEWHEEL, wheel(c.distance), 0), c.expectedResult);
        EXPECT_EQ(seenBar, SB_VERT);
        EXPECT_EQ(seenAmount, c.expectedAmount);
        EXPECT_EQ(r.bars.Value(SB_VERT), c.expectedValue);
    }
}

TEST(ScrollBars, WheelListenerMayRedirectToAnInvalidBarWithoutHarm) {
    Rig r;
    r.bars.MouseWheel = [](std::int32_t& bar, std::int32_t& amount) {
        bar = 7;
        amount = 2147483647;
    };
    EXPECT_EQ(r.bars.WindowProc(WM_MOUSEWHEEL, wheel(-120), 0), 1);
    EXPECT_EQ(r.bars.Value(SB_VERT), 0);
}

TEST(ScrollBars, NonClientPressesRaiseScrollClick) {
    struct Case {
        std::uint32_t msg, hit;
        std::int32_t bar, button;  // -1: no event
    };
    const std::vector<Case> cases = {
        {WM_NCRBUTTONDOWN, HTVSCROLL, 1, 2}, {WM_NCLBUTTONDOWN, HTVSCROLL, 1, 1},
        {WM_NCLBUTTONDOWN, HTHSCROLL, 0, 1}, {WM_NCLBUTTONDOWN, 2, -1, -1},
        {WM_NCMBUTTONDOWN, HTVSCROLL, -1, -1},
    };
    for (const Case& c : cases) {
        Rig r;
        std::int32_t bar = -1, button = -1;
        r.bars.ScrollClick = [&](std::int32_t& b, std::int32_t& k) { bar = b, button = k; };
        EXPECT_EQ(r.bars.WindowProc(c.msg, c.hit, 0), 0);
        EXPECT_EQ(bar, c.bar);
        EXPECT_EQ(button, c.button);
    }
}

TEST(ScrollBars, WithoutFlatBarsTheStandardFunctionsServe) {
    FakeWindow window(false);
    cScrollBars bars;
    bars.Create(&window);
    EXPECT_FALSE(bars.CanBeFlat());
    bars.Style(2);
    EXPECT_EQ(bars.Style(), 0);
    bars.Max(SB_VERT, 10);
    bars.Value(SB_VERT, 3);
    bars.Visible(SB_VERT, true);
    EXPECT_FALSE(window.usedFlat);
    EXPECT_TRUE(window.props.empty());
    EXPECT_TRUE(window.shown[SB_VERT]);
    EXPECT_TRUE(bars.Visible(SB_VERT));
}

TEST(ScrollBars, FlatBarsTakeTheStyleForTheOrientedBars) {
    FakeWindow window(true);
    cScrollBars bars;
    bars.Create(&window);
    EXPECT_TRUE(bars.CanBeFlat());
    window.props.clear();
    bars.Orientation(1);
    EXPECT_FALSE(window.shown[SB_HORZ]);
    EXPECT_TRUE(window.shown[SB_VERT]);
    bars.Style(2);
    EXPECT_EQ(window.props, (std::vector<std::pair<std::int32_t, std::int32_t>>{{WSB_PROP_VSTYLE, 2}}));
    bars.Value(SB_VERT, 0);
    bars.Max(SB_VERT, 5);
    EXPECT_TRUE(window.usedFlat);
}

TEST(ScrollBars, CreateRoutesSixMessagesAndDetachesTheOldWindow) {
    FakeWindow first, second;
    {
        cScrollBars bars;
        bars.Create(&first);
        bars.Create(&second);
        EXPECT_EQ(first.routed, cScrollBars::RoutedMessages());
        EXPECT_EQ(first.stopped, cScrollBars::RoutedMessages());
        EXPECT_TRUE(second.stopped.empty());
    }
    EXPECT_EQ(second.stopped, cScrollBars::RoutedMessages());
}

TEST(ScrollBars, EnabledWritesBothArrows) {
    Rig r;
    r.bars.Enabled(SB_VERT, false);
    EXPECT_EQ(r.window.arrowsState[SB_VERT], ESB_DISABLE_BOTH);
    EXPECT_FALSE(r.bars.Enabled(SB_VERT));
    r.bars.Enabled(SB_VERT, true);
    EXPECT_EQ(r.window.arrowsState[SB_VERT], ESB_ENABLE_BOTH);
}

TEST(ScrollInfoModel, ClampsPageAndPositionLikeThePlatform) {
    ScrollInfoModel m;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 20;
    si.nPage = 50;
    si.nPos = 100;
    m.Set(si);
    SCROLLINFO out;
    out.fMask = SIF_ALL;
    m.Get(out);
    EXPECT_EQ(out.nPage, 21u);
    EXPECT_EQ(out.nPos, 0);

    si.fMask = SIF_RANGE;
    si.nMin = 10;
    si.nMax = 5;  // inverted: collapses
    m.Set(si);
    m.Get(out);
    EXPECT_EQ(out.nMin, 0);
    EXPECT_EQ(out.nMax, 0);
}

}  // namespace
}  // namespace nemro
