// cScrollBars: a horizontal and a vertical scroll bar of one window behind a property
// interface, turning the window's scroll and wheel messages into position changes and
// events. Toolkit-neutral: the window side is an IScrollWindow (a Qt binding in the
// dialogs, a plain model in tests), ScrollInfoModel gives it the usual clamping.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace nemro {

// Bar codes.
inline constexpr std::int32_t SB_HORZ = 0;
inline constexpr std::int32_t SB_VERT = 1;

// Scroll information masks.
inline constexpr std::uint32_t SIF_RANGE = 0x1;
inline constexpr std::uint32_t SIF_PAGE = 0x2;
inline constexpr std::uint32_t SIF_POS = 0x4;
inline constexpr std::uint32_t SIF_TRACKPOS = 0x10;
inline constexpr std::uint32_t SIF_ALL = 0x17;

// Messages the controller handles.
inline constexpr std::uint32_t WM_HSCROLL = 0x114;
inline constexpr std::uint32_t WM_VSCROLL = 0x115;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x20A;
inline constexpr std::uint32_t WM_NCLBUTTONDOWN = 0xA1;
inline constexpr std::uint32_t WM_NCRBUTTONDOWN = 0xA4;
inline constexpr std::uint32_t WM_NCMBUTTONDOWN = 0xA7;

// Hit-test codes of a non-client press.
inline constexpr std::uint32_t HTHSCROLL = 6;
inline constexpr std::uint32_t HTVSCROLL = 7;

// Scroll request codes (low 16 bits of wParam of WM_HSCROLL / WM_VSCROLL).
inline constexpr std::uint32_t SB_LINEUP = 0;
inline constexpr std::uint32_t SB_LINEDOWN = 1;
inline constexpr std::uint32_t SB_PAGEUP = 2;
inline constexpr std::uint32_t SB_PAGEDOWN = 3;
inline constexpr std::uint32_t SB_THUMBPOSITION = 4;
inline constexpr std::uint32_t SB_THUMBTRACK = 5;
inline constexpr std::uint32_t SB_TOP = 6;
inline constexpr std::uint32_t SB_BOTTOM = 7;
inline constexpr std::uint32_t SB_ENDSCROLL = 8;

// Arrow enabling and flat scroll bar properties.
inline constexpr std::int32_t ESB_ENABLE_BOTH = 0;
inline constexpr std::int32_t ESB_DISABLE_BOTH = 3;
inline constexpr std::int32_t WSB_PROP_VSTYLE = 0x100;
inline constexpr std::int32_t WSB_PROP_HSTYLE = 0x200;

struct SCROLLINFO {
    std::uint32_t cbSize = 28;
    std::uint32_t fMask = 0;
    std::int32_t nMin = 0;
    std::int32_t nMax = 0;
    std::uint32_t nPage = 0;
    std::int32_t nPos = 0;
    std::int32_t nTrackPos = 0;
};

// Range, page, position and track position of one bar with the platform's rules: the
// page never exceeds the range, the position stays within [nMin, nMax - (nPage - 1)].
class ScrollInfoModel {
  public:
    void Get(SCROLLINFO& si) const;  // fills the fields named by si.fMask
    void Set(const SCROLLINFO& si);  // writes the fields named by si.fMask, then clamps
    void SetTrackPos(std::int32_t pos) { trackPos_ = pos; }
    std::int32_t LastPosition() const;  // the largest position the clamping allows

  private:
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::uint32_t page_ = 0;
    std::int32_t pos_ = 0;
    std::int32_t trackPos_ = 0;
};

class cScrollBars;

// The window whose bars a cScrollBars controls. `flat` tells which family of platform
// functions the controller calls (flat scroll bars or the standard ones).
class IScrollWindow {
  public:
    virtual ~IScrollWindow() = default;
    virtual void GetScrollInfo(std::int32_t eBar, SCROLLINFO& si, bool flat) = 0;
    virtual void SetScrollInfo(std::int32_t eBar, const SCROLLINFO& si, bool redraw, bool flat) = 0;
    virtual void ShowScrollBar(std::int32_t eBar, bool show, bool flat) = 0;
    virtual void EnableScrollBar(std::int32_t eBar, std::int32_t arrows, bool flat) = 0;
    // False when the platform has no flat scroll bars.
    virtual bool InitializeFlatSB() = 0;
    virtual void UninitializeFlatSB() = 0;
    virtual void SetFlatScrollProp(std::int32_t prop, std::int32_t value, bool redraw) = 0;
    // The system's wheel scroll lines.
    virtual std::int32_t WheelScrollLines() = 0;
    // Starts or stops delivering one message of the window to controller.WindowProc.
    virtual void RouteMessage(cScrollBars& controller, std::uint32_t msg) = 0;
    virtual void StopRouting(cScrollBars& controller, std::uint32_t msg) = 0;
};

class cScrollBars {
  public:
    cScrollBars() = default;
    ~cScrollBars();
    cScrollBars(const cScrollBars&) = delete;
    cScrollBars& operator=(const cScrollBars&) = delete;

    // Attaches the controller to a window (any earlier one is released first).
    void Create(IScrollWindow* hWndA);

    bool Visible(std::int32_t eBar) const;
    void Visible(std::int32_t eBar, bool bState);
    std::int32_t Orientation() const { return m_eOrient; }
    void Orientation(std::int32_t eOrientation);
    std::int32_t Style() const { return m_eBarStyle; }
    void Style(std::int32_t eStyle);
    std::int32_t SmallChange(std::int32_t eBar) const;
    void SmallChange(std::int32_t eBar, std::int32_t lSmallChange);
    // Reads the last value written (the platform keeps the real state).
    bool Enabled(std::int32_t eBar) const;
    void Enabled(std::int32_t eBar, bool bEnabled);
    std::int32_t Min(std::int32_t eBar);
    void Min(std::int32_t eBar, std::int32_t iMin);
    std::int32_t Max(std::int32_t eBar);
    void Max(std::int32_t eBar, std::int32_t iMax);
    std::int32_t Value(std::int32_t eBar);
    void Value(std::int32_t eBar, std::int32_t iValue);
    std::int32_t LargeChange(std::int32_t eBar);
    void LargeChange(std::int32_t eBar, std::int32_t iLargeChange);
    bool CanBeFlat() const { return !m_bRegularOnly; }

    // The window's messages; returns the message result.
    std::int32_t WindowProc(std::uint32_t iMsg, std::uint32_t wParam, std::int32_t lParam);
    std::int32_t MsgResponse() const { return 1; }

    // Events, in/out parameters as the listener may change them.
    std::function<void(std::int32_t& eBar, std::int32_t& eButton)> ScrollClick;
    std::function<void(std::int32_t& eBar)> Scroll;
    std::function<void(std::int32_t& eBar)> Change;
    std::function<void(std::int32_t& eBar, std::int32_t& lAmount)> MouseWheel;

    static const std::vector<std::uint32_t>& RoutedMessages();

  private:
    bool flat() const { return !m_bRegularOnly; }
    void ReadScrollInfo(std::int32_t eBar, SCROLLINFO& si, std::uint32_t mask);
    void WriteScrollInfo(std::int32_t eBar, SCROLLINFO& si, std::uint32_t mask);
    void ReportValue(std::int32_t eBar, bool bScroll);
    void StartFlatMode();
    void AttachWindow();
    void DetachWindow();
    static bool validBar(std::int32_t eBar) { return eBar == SB_HORZ || eBar == SB_VERT; }

    std::int32_t m_eOrient = 2;
    std::int32_t m_eBarStyle = 0;
    bool m_bRegularOnly = false;
    IScrollWindow* m_hWndTarget = nullptr;
    std::int32_t m_lLineStep[2] = {1, 1};
    bool m_bEnabledFlag[2] = {true, true};  // bars start enabled
    bool m_bShown[2] = {false, false};
    std::int32_t m_lWheelLines = 0;
    std::int32_t m_lReportedValue[2] = {0, 0};
};

}  // namespace nemro
