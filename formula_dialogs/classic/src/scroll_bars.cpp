#include "nemro/scroll_bars.h"

#include <algorithm>
#include <limits>

namespace nemro {

namespace {
std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
}  // namespace

// ---- ScrollInfoModel -------------------------------------------------------------

void ScrollInfoModel::Get(SCROLLINFO& si) const {
    if (si.fMask & SIF_RANGE) {
        si.nMin = min_;
        si.nMax = max_;
    }
    if (si.fMask & SIF_PAGE) si.nPage = page_;
    if (si.fMask & SIF_POS) si.nPos = pos_;
    if (si.fMask & SIF_TRACKPOS) si.nTrackPos = trackPos_;
}

std::int32_t ScrollInfoModel::LastPosition() const {
    return clamp32(std::int64_t{max_} - std::max<std::int64_t>(std::int64_t{page_} - 1, 0));
}

void ScrollInfoModel::Set(const SCROLLINFO& si) {
    if (si.fMask & SIF_PAGE) page_ = si.nPage;
    if (si.fMask & SIF_POS) pos_ = si.nPos;
    if (si.fMask & SIF_RANGE) {
        // An inverted or oversized range collapses to 0..0, as the platform does.
        if (si.nMin > si.nMax || std::int64_t{si.nMax} - si.nMin >= 0x80000000LL) {
            min_ = max_ = 0;
        } else {
            min_ = si.nMin;
            max_ = si.nMax;
        }
    }
    const std::int64_t span = std::int64_t{max_} - min_ + 1;
    if (std::int64_t{page_} > span) page_ = static_cast<std::uint32_t>(span);
    if (pos_ < min_)
        pos_ = min_;
    else if (pos_ > LastPosition())
        pos_ = LastPosition();
}

// ---- cScrollBars: platform access ----------------------------------------------

cScrollBars::~cScrollBars() {
    DetachWindow();
}

void cScrollBars::ReadScrollInfo(std::int32_t eBar, SCROLLINFO& si, std::uint32_t mask) {
    si.cbSize = 28;
    si.fMask = mask;
    if (m_hWndTarget) m_hWndTarget->GetScrollInfo(eBar, si, flat());
}

void cScrollBars::WriteScrollInfo(std::int32_t eBar, SCROLLINFO& si, std::uint32_t mask) {
    si.cbSize = 28;
    si.fMask = mask;
    if (m_hWndTarget) m_hWndTarget->SetScrollInfo(eBar, si, true, flat());
}

void cScrollBars::StartFlatMode() {
    if (!m_hWndTarget->InitializeFlatSB()) {
        m_bRegularOnly = true;
    } else {
        Style(m_eBarStyle);
    }
}

const std::vector<std::uint32_t>& cScrollBars::RoutedMessages() {
    static const std::vector<std::uint32_t> messages = {WM_HSCROLL,       WM_VSCROLL,
                                                        WM_MOUSEWHEEL,    WM_NCLBUTTONDOWN,
                                                        WM_NCMBUTTONDOWN, WM_NCRBUTTONDOWN};
    return messages;
}

void cScrollBars::AttachWindow() {
    for (std::uint32_t msg : RoutedMessages()) m_hWndTarget->RouteMessage(*this, msg);
    m_lWheelLines = m_hWndTarget->WheelScrollLines();
    // The page-scroll setting reads as a huge or negative count; three lines then.
    if (m_lWheelLines < 1) m_lWheelLines = 3;
}

void cScrollBars::DetachWindow() {
    if (!m_hWndTarget) return;
    if (!m_bRegularOnly) m_hWndTarget->UninitializeFlatSB();
    for (std::uint32_t msg : RoutedMessages()) m_hWndTarget->StopRouting(*this, msg);
    m_hWndTarget = nullptr;
}

void cScrollBars::Create(IScrollWindow* hWndA) {
    DetachWindow();
    m_hWndTarget = hWndA;
    if (!m_hWndTarget) return;
    StartFlatMode();
    AttachWindow();
}

// ---- properties ------------------------------------------------------------------

bool cScrollBars::Visible(std::int32_t eBar) const {
    return validBar(eBar) && m_bShown[eBar];
}

void cScrollBars::Visible(std::int32_t eBar, bool bState) {
    if (!validBar(eBar)) return;
    m_bShown[eBar] = bState;
    if (m_hWndTarget) m_hWndTarget->ShowScrollBar(eBar, bState, flat());
}

void cScrollBars::Orientation(std::int32_t eOrientation) {
    m_eOrient = eOrientation;
    for (std::int32_t bar : {SB_HORZ, SB_VERT}) {
        if (m_hWndTarget)
            m_hWndTarget->ShowScrollBar(bar, m_eOrient == 2 || m_eOrient == bar, false);
    }
}

void cScrollBars::Style(std::int32_t eStyle) {
    if (eStyle != 0 && m_bRegularOnly) return;
    if (m_hWndTarget) {
        if (m_eOrient == 0 || m_eOrient == 2)
            m_hWndTarget->SetFlatScrollProp(WSB_PROP_HSTYLE, eStyle, true);
        if (m_eOrient == 1 || m_eOrient == 2)
            m_hWndTarget->SetFlatScrollProp(WSB_PROP_VSTYLE, eStyle, true);
    }
    m_eBarStyle = eStyle;
}

std::int32_t cScrollBars::SmallChange(std::int32_t eBar) const {
    return validBar(eBar) ? m_lLineStep[eBar] : 0;
}

void cScrollBars::SmallChange(std::int32_t eBar, std::int32_t lSmallChange) {
    if (validBar(eBar)) m_lLineStep[eBar] = lSmallChange;
}

bool cScrollBars::Enabled(std::int32_t eBar) const {
    return validBar(eBar) && m_bEnabledFlag[eBar];
}

void cScrollBars::Enabled(std::int32_t eBar, bool bEnabled) {
    if (!validBar(eBar)) return;
    m_bEnabledFlag[eBar] = bEnabled;
    if (m_hWndTarget)
        m_hWndTarget->EnableScrollBar(eBar, bEnabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH, flat());
}

std::int32_t cScrollBars::Min(std::int32_t eBar) {
    SCROLLINFO si;
    ReadScrollInfo(eBar, si, SIF_RANGE);
    return si.nMin;
}

void cScrollBars::Min(std::int32_t eBar, std::int32_t iMin) {
    const std::int32_t maxValue = Max(eBar);
    const std::int32_t page = LargeChange(eBar);
    SCROLLINFO si;
    si.nMin = iMin;
    si.nMax = clamp32(std::int64_t{maxValue} + page);
    WriteScrollInfo(eBar, si, SIF_RANGE);
}

std::int32_t cScrollBars::Max(std::int32_t eBar) {
    SCROLLINFO si;
    ReadScrollInfo(eBar, si, SIF_RANGE | SIF_PAGE);
    return clamp32(std::int64_t{si.nMax} - std::int64_t{si.nPage});
}

void cScrollBars::Max(std::int32_t eBar, std::int32_t iMax) {
    const std::int32_t page = LargeChange(eBar);
    SCROLLINFO si;
    si.nMax = clamp32(std::int64_t{iMax} + page);
    si.nMin = Min(eBar);
    WriteScrollInfo(eBar, si, SIF_RANGE);
    ReportValue(eBar, false);
}

std::int32_t cScrollBars::LargeChange(std::int32_t eBar) {
    SCROLLINFO si;
    ReadScrollInfo(eBar, si, SIF_PAGE);
    return static_cast<std::int32_t>(std::min<std::uint32_t>(si.nPage, 0x7FFFFFFF));
}

void cScrollBars::LargeChange(std::int32_t eBar, std::int32_t iLargeChange) {
    SCROLLINFO si;
    ReadScrollInfo(eBar, si, SIF_ALL);
    si.nMax = clamp32(std::int64_t{si.nMax} - std::int64_t{si.nPage} + iLargeChange);
    si.nPage = static_cast<std::uint32_t>(std::max(iLargeChange, 0));
    WriteScrollInfo(eBar, si, SIF_RANGE | SIF_PAGE);
}

std::int32_t cScrollBars::Value(std::int32_t eBar) {
    SCROLLINFO si;
    ReadScrollInfo(eBar, si, SIF_POS);
    return si.nPos;
}

void cScrollBars::Value(std::int32_t eBar, std::int32_t iValue) {
    if (iValue == Value(eBar)) return;
    SCROLLINFO si;
    si.nPos = iValue;
    WriteScrollInfo(eBar, si, SIF_POS);
    ReportValue(eBar, false);
}

// ---- change reports and messages ----------------------------------------------------

void cScrollBars::ReportValue(std::int32_t eBar, bool bScroll) {
    if (!validBar(eBar)) return;
    if (Value(eBar) == m_lReportedValue[eBar]) return;
    std::int32_t bar = eBar;
    if (bScroll) {
        if (Scroll) Scroll(bar);
    } else if (Change) {
        Change(bar);
    }
    // The listener may have named another bar; an invalid one is not recorded.
    if (validBar(bar)) m_lReportedValue[bar] = Value(bar);
}

std::int32_t cScrollBars::WindowProc(std::uint32_t iMsg, std::uint32_t wParam,
                                     std::int32_t lParam) {
    (void)lParam;
    switch (iMsg) {
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN: {
            std::int32_t button = iMsg == WM_NCLBUTTONDOWN ? 1 : 2;
            std::int32_t bar;
            if (wParam == HTHSCROLL)
                bar = SB_HORZ;
            else if (wParam == HTVSCROLL)
                bar = SB_VERT;
            else
                return 0;
            if (ScrollClick) ScrollClick(bar, button);
            return 0;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const std::int32_t bar = iMsg == WM_HSCROLL ? SB_HORZ : SB_VERT;
            switch (wParam & 0xFFFF) {
                case SB_LINEUP: {
                    const std::int64_t next = std::int64_t{Value(bar)} - m_lLineStep[bar];
                    const std::int32_t lo = Min(bar);
                    Value(bar, next >= lo ? clamp32(next) : lo);
                    ReportValue(bar, false);
                    break;
                }
                case SB_LINEDOWN: {
                    const std::int64_t next = std::int64_t{Value(bar)} + m_lLineStep[bar];
                    const std::int32_t hi = Max(bar);
                    Value(bar, next <= hi ? clamp32(next) : hi);
                    ReportValue(bar, false);
                    break;
                }
                case SB_PAGEUP:
                    Value(bar, clamp32(std::int64_t{Value(bar)} - LargeChange(bar)));
                    ReportValue(bar, false);
                    break;
                case SB_PAGEDOWN:
                    Value(bar, clamp32(std::int64_t{Value(bar)} + LargeChange(bar)));
                    ReportValue(bar, false);
                    break;
                case SB_THUMBPOSITION:
                    break;
                case SB_THUMBTRACK: {
                    SCROLLINFO si;
                    ReadScrollInfo(bar, si, SIF_TRACKPOS);
                    Value(bar, si.nTrackPos);
                    ReportValue(bar, true);
                    break;
                }
                case SB_TOP:
                    Value(bar, Min(bar));
                    ReportValue(bar, false);
                    break;
                case SB_BOTTOM:
                    Value(bar, Max(bar));
                    ReportValue(bar, false);
                    break;
                case SB_ENDSCROLL:
                    ReportValue(bar, false);
                    break;
                default:
                    break;
            }
            return 0;
        }
        case WM_MOUSEWHEEL: {
            const auto distance = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF);
            const std::int64_t lines = -std::int64_t{distance} / 120;
            std::int32_t amount = clamp32(lines * m_lLineStep[SB_VERT] * m_lWheelLines);
            std::int32_t bar = SB_VERT;
            if (MouseWheel) MouseWheel(bar, amount);
            if (amount == 0) return 0;
            if (validBar(bar)) Value(bar, clamp32(std::int64_t{Value(bar)} + amount));
            return 1;
        }
        default:
            return 0;
    }
}

}  // namespace nemro
