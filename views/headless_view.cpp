#include "views/headless_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "utils/log/textconv.h"

namespace {

constexpr int kBarColumns = 20;

// Plain lines are written for every new status text, but for the bar only
// each tenth of the way, so a log or a pipe gets a dozen lines per download.
constexpr int kPlainPercentStep = 10;

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

std::string FormatProgressBar(int percent, double percentPerSecond) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarColumns / 100;
    std::string bar = "[" + std::string(filled, '#') + std::string(kBarColumns - filled, '-') + "]";
    char number[48];
    std::snprintf(number, sizeof number, " %4d%%", percent);
    bar += number;
    if (percentPerSecond >= 0) {
        std::snprintf(number, sizeof number, "  %.1f%%/s", percentPerSecond);
        bar += number;
    }
    return bar;
}

size_t DisplayWidth(const std::string& utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        width += IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

ConsoleView::ConsoleView(ConsoleOutput output, ConsoleHost host)
    : m_output(std::move(output)), m_host(std::move(host)) {}

bool ConsoleView::Visible(int id) const {
    const auto it = m_hiddenControls.find(id);
    return it == m_hiddenControls.end() || !it->second;
}

void ConsoleView::ShowControl(int id, bool show) {
    m_hiddenControls[id] = !show;
    if (id == kCtrlErrorText) {
        DrawError();
    } else {
        DrawStatus();
    }
}

void ConsoleView::SetControlText(int id, const std::wstring& text) {
    m_texts[id] = text;
    if (id == kCtrlErrorText) {
        DrawError();
    } else if (id == kCtrlStatus) {
        DrawStatus();
    }
}

std::wstring ConsoleView::GetControlText(int id) const {
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? std::wstring() : it->second;
}

void ConsoleView::HideWindow() {
    FinishInPlaceLine();
    m_windowHidden = true;
}

uintptr_t ConsoleView::StartTimer(uintptr_t id, uint32_t ms) {
    return m_host.startTimer ? m_host.startTimer(id, ms) : 0;
}

void ConsoleView::KillTimer(uintptr_t id) {
    if (m_host.killTimer) {
        m_host.killTimer(id);
    }
}

void ConsoleView::StartAnimation() {
    m_animating = true;
    m_firstPercent = -1;  // a new bar after this one measures its own speed
    DrawStatus();
}

void ConsoleView::StopAnimation() {
    m_animating = false;
    DrawStatus();
}

void ConsoleView::SetProgressPos(int percent) {
    m_percent = percent;
    if (m_firstPercent < 0) {
        m_firstPercent = percent;
        m_firstAtMs = m_output.nowMs ? m_output.nowMs() : 0;
    }
    DrawStatus();
}

void ConsoleView::OpenUrl(const std::wstring& url) {
    if (m_windowHidden) {
        return;
    }
    FinishInPlaceLine();
    WriteLine(Utils::WideToUtf8(url) + "\n");
}

void ConsoleView::EndProcess(int code) {
    FinishInPlaceLine();
    if (m_host.endProcess) {
        m_host.endProcess(code);
    }
}

double ConsoleView::Rate() const {
    if (m_firstPercent < 0 || !m_output.nowMs) {
        return -1;
    }
    const uint64_t now = m_output.nowMs();
    if (now <= m_firstAtMs || m_percent <= m_firstPercent) {
        return -1;
    }
    return static_cast<double>(m_percent - m_firstPercent) * 1000.0 /
           static_cast<double>(now - m_firstAtMs);
}

void ConsoleView::DrawStatus() {
    if (m_windowHidden || !Visible(kCtrlStatus)) {
        return;
    }
    const std::string text = Utils::WideToUtf8(GetControlText(kCtrlStatus));
    const bool bar = Visible(kCtrlProgress) && !m_animating && m_percent > 0;
    if (text.empty() && !bar) {
        return;
    }
    std::string line = text;
    if (bar) {
        line += (line.empty() ? "" : "  ") + FormatProgressBar(m_percent, Rate());
    }
    if (!m_output.terminal) {
        // The line is written again only for a new text or a new tenth.
        const std::string key =
            text + '\n' + (bar ? std::to_string(m_percent / kPlainPercentStep) : "");
        if (key != m_drawn) {
            m_drawn = key;
            WriteLine(line + "\n");
        }
        return;
    }
    if (line == m_drawn && m_inPlace) {
        return;
    }
    const size_t width = DisplayWidth(line);
    std::string out = "\r" + line;
    if (m_inPlace && width < m_drawnWidth) {
        out += std::string(m_drawnWidth - width, ' ');  // wipe the longer line's rest
    }
    WriteLine(out);
    m_drawn = line;
    m_drawnWidth = width;
    m_inPlace = true;
}

void ConsoleView::DrawError() {
    const std::wstring& text = m_texts[kCtrlErrorText];
    if (m_windowHidden || !Visible(kCtrlErrorText) || text.empty() || text == m_printedError) {
        return;
    }
    FinishInPlaceLine();
    m_printedError = text;
    WriteLine(Utils::WideToUtf8(text) + "\n");
}

void ConsoleView::FinishInPlaceLine() {
    if (m_inPlace) {
        WriteLine("\n");
        m_inPlace = false;
        m_drawn.clear();
        m_drawnWidth = 0;
    }
}

void ConsoleView::WriteLine(const std::string& line) {
    if (m_output.write) {
        m_output.write(line);
    }
}
