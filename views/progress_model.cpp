#include "views/progress_model.h"

#include <algorithm>
#include <cstdlib>

namespace {

int LowWord(intptr_t value) {
    return static_cast<int>(static_cast<uintptr_t>(value) & 0xFFFF);
}

int HighWord(intptr_t value) {
    return static_cast<int>((static_cast<uintptr_t>(value) >> 16) & 0xFFFF);
}

// The trunc((value - lower) x length / range) of the drawing, in single
// precision as the bar has always computed it.
int Scale(int value, int lower, int length, int range) {
    return static_cast<int>(static_cast<float>(value - lower) * static_cast<float>(length) /
                            static_cast<float>(range));
}

// The direction the bar grows in: horizontal from the left (or the right
// with BAR_FROM_END), vertical from the bottom (or the top).
int Direction(uint32_t bits) {
    const bool fromEnd = (bits & BAR_FROM_END) != 0;
    if ((bits & BAR_VERTICAL) != 0) {
        return fromEnd ? kFromTop : kFromBottom;
    }
    return fromEnd ? kFromRight : kFromLeft;
}

}  // namespace

CProgress::CProgress(const BarSystemColours& system)
    : m_background(system.buttonFace),
      m_barText(system.captionText),
      m_backgroundText(system.buttonText) {
    SetColours({system.activeCaption,
                system.gradientCaptions ? system.gradientActiveCaption : system.activeCaption});
}

void CProgress::ChangeStyleBits(uint32_t remove, uint32_t add) {
    m_style = (m_style & ~remove) | add;
}

bool CProgress::MoveRunner(int value, bool relative) {
    if ((StyleBits() & BAR_RUNNER) == 0) {
        return false;
    }
    if (relative) {
        int head = m_pos;
        if (m_pos == m_upper && m_pos - m_runnerStart < m_runnerLength) {
            // The segment is leaving the bar: its head runs on beyond the end.
            head = m_runnerStart + m_runnerLength;
        }
        value = std::abs(value) + head;
    }
    const int limit = m_upper + m_runnerLength;
    if (value > limit) {
        value = value + m_lower - limit;
        if (value > limit) {
            value = limit;
        }
    }
    m_runnerStart = std::max(value - m_runnerLength, m_lower);
    ApplyPos(value);
    return true;
}

std::wstring CProgress::MakeBarText(const std::wstring& format, float value) const {
    const std::wstring number = std::to_wstring(static_cast<int>(value));
    if (format.empty()) {
        switch (StyleBits() & BAR_TEXT_MASK) {
            case BAR_TEXT_PERCENT:
                return number + L"%";
            case BAR_TEXT_POSITION:
                return number;
            default:
                return {};
        }
    }
    std::wstring text;
    bool numberDone = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L'%') {
                text += L'%';
                ++i;
                continue;
            }
            if (format[i + 1] == L'd' && !numberDone) {
                text += number;
                numberDone = true;
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

float CProgress::BarTextValue() const {
    switch (StyleBits() & BAR_TEXT_MASK) {
        case BAR_TEXT_PERCENT:
            if (m_upper == m_lower) {
                return 0.0f;
            }
            return static_cast<float>(m_pos - m_lower) * 100.0f /
                   static_cast<float>(m_upper - m_lower);
        case BAR_TEXT_POSITION:
            return static_cast<float>(m_pos);
        default:
            return 0.0f;
    }
}

int CProgress::SetPos(int value) {
    const int old = m_pos;
    if (!MoveRunner(value, false)) {
        ApplyPos(value);
    }
    return old;
}

int CProgress::OffsetPos(int delta) {
    const int old = m_pos;
    if (!MoveRunner(delta, true)) {
        ApplyPos(m_pos + delta);
    }
    return old;
}

void CProgress::ApplyPos(int value) {
    const int clamped = std::min(std::max(value, m_lower), m_upper);
    if (clamped != m_pos && AllowPosChange(m_pos, clamped)) {
        m_pos = clamped;
        AfterPosChange(clamped);
    }
}

void CProgress::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    ApplyPos(m_pos);
}

int CProgress::SetStep(int step) {
    const int old = m_step;
    m_step = step;
    return old;
}

void CProgress::SetTextColours(BarColour overBar, BarColour overBackground) {
    m_barText = overBar;
    m_backgroundText = overBackground;
}

void CProgress::SetBorders(int left, int top, int right, int bottom) {
    m_borders = {left, top, right, bottom};
}

void CProgress::SetBarColours(BarColour first, BarColour second) {
    SetColours({first, second != 0 ? second : first});
}

BarMessageResult CProgress::OnBarMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    BarMessageResult r;
    r.handled = true;
    switch (message) {
        case BarMsg::kSetBarColour:
            SetBarColours(static_cast<BarColour>(lParam), static_cast<BarColour>(wParam));
            r.result = kBarColourDefault;
            break;
        case BarMsg::kSetBkColour:
            m_background = static_cast<BarColour>(lParam);
            r.result = kBarColourDefault;
            break;
        case BarMsg::kSetStep:
            r.result = SetStep(static_cast<int>(wParam));
            r.redraw = true;
            break;
        case BarMsg::kGetPos:
            r.result = m_pos;
            break;
        case BarMsg::kSetPos:
            r.result = SetPos(static_cast<int>(wParam));
            r.redraw = true;
            break;
        case BarMsg::kDeltaPos:
            r.result = OffsetPos(static_cast<int>(wParam));
            r.redraw = true;
            break;
        case BarMsg::kStepIt:
            r.result = OffsetPos(m_step);
            r.redraw = true;
            break;
        case BarMsg::kSetRange32:
        case BarMsg::kSetRange: {
            const int a = message == BarMsg::kSetRange ? LowWord(lParam) : static_cast<int>(wParam);
            const int b =
                message == BarMsg::kSetRange ? HighWord(lParam) : static_cast<int>(lParam);
            r.result = static_cast<intptr_t>((static_cast<uint32_t>(m_lower) & 0xFFFF) |
                                             ((static_cast<uint32_t>(m_upper) & 0xFFFF) << 16));
            SetRange(std::min(a, b), std::max(a, b));
            r.redraw = true;
            break;
        }
        case BarMsg::kGetRange:
            if (lParam != 0) {
                auto* range = reinterpret_cast<BarRange*>(lParam);
                range->iLow = m_lower;
                range->iHigh = m_upper;
            }
            r.result = wParam != 0 ? m_lower : m_upper;
            break;
        case BarMsg::kSetText:
            m_text = lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"";
            r.result = 1;
            r.redraw = true;
            break;
        case BarMsg::kGetText: {
            // Room for the terminator is kept, unlike a plain copy of
            // wParam characters.
            auto* buffer = reinterpret_cast<wchar_t*>(lParam);
            size_t n = 0;
            if (buffer != nullptr && wParam > 0) {
                n = std::min<size_t>(wParam - 1, m_text.size());
                std::copy_n(m_text.data(), n, buffer);
                buffer[n] = L'\0';
            }
            r.result = static_cast<intptr_t>(n);
            break;
        }
        case BarMsg::kGetTextLength:
            r.result = static_cast<intptr_t>(m_text.size());
            break;
        case BarMsg::kSetFont:
            m_font = static_cast<intptr_t>(wParam);
            r.redrawNow = LowWord(lParam) != 0;
            r.redraw = r.redrawNow;
            break;
        case BarMsg::kGetFont:
            r.result = m_font;
            break;
        case BarMsg::kTimer:
            if (wParam != kRunnerTimerId) {
                r.handled = false;
                break;
            }
            OffsetPos(m_step);
            r.redraw = true;
            break;
        default:
            r.handled = false;
            break;
    }
    return r;
}

void CProgress::BeginRunner() {
    SetRunnerLength(kRunnerLengthRunning);
    ChangeStyleBits(0, BAR_RUNNER | BAR_FIT_GRADIENT);
}

void CProgress::EndRunner() {
    SetRunnerLength(m_upper);
}

BarRect CProgress::SpanRect(const BarRect& area, int start, int end) const {
    return BandRect(area, Direction(StyleBits()), start, end);
}

BarPicture CProgress::Plan(const BarRect& client, const SurfaceDepth& depth) {
    BarPicture picture;
    const uint32_t bits = StyleBits();
    picture.style = bits;
    picture.barTextColour = m_barText;
    picture.backgroundTextColour = m_backgroundText;
    if (m_background != kNoColour) {
        picture.hasBackground = true;
        picture.background = {client, m_background};
    }
    const BarRect area{client.left + m_borders.left, client.top + m_borders.top,
                       client.right - m_borders.right, client.bottom - m_borders.bottom};
    const int range = m_upper - m_lower;
    // An empty range (only possible from outside) draws the background.
    if (m_pos < m_lower || m_pos > m_upper || range == 0) {
        return picture;
    }
    const bool vertical = (bits & BAR_VERTICAL) != 0;
    const int length = vertical ? area.Height() : area.Width();
    const int barEnd = Scale(m_pos, m_lower, length, range);
    const int barStart =
        (bits & BAR_RUNNER) != 0 ? Scale(m_runnerStart, m_lower, length, range) : 0;
    const bool fit = (bits & BAR_FIT_GRADIENT) != 0;
    const int gradientStart = fit ? barStart : 0;
    const int gradientEnd = fit ? barEnd : length;

    SetDirectionMode(Direction(bits));
    const int shift = (gradientEnd - gradientStart) * m_gradientShift / range;
    picture.bands = PlanBands(depth, SpanRect(area, gradientStart, gradientEnd),
                              barStart - gradientStart, barEnd - gradientStart, shift);

    if ((bits & BAR_TEXT_MASK) != 0) {
        picture.text = MakeBarText(m_text, BarTextValue());
        picture.fullSpan = SpanRect(area, 0, length);
        picture.barSpan = SpanRect(area, barStart, barEnd);
    }
    return picture;
}

void SetUpInstallerBar(CProgress& bar) {
    bar.OnBarMessage(BarMsg::kSetBkColour, 0, BarRgb(0xB6, 0xB6, 0xB6));
    bar.OnBarMessage(BarMsg::kSetBarColour, 0, BarRgb(0x45, 0x92, 0xFD));
    bar.OnBarMessage(BarMsg::kSetRange32, 0, 100);
    bar.OnBarMessage(BarMsg::kSetPos, 0, 0);
    bar.OnBarMessage(BarMsg::kSetStep, 1, 0);
}
