#include "views/gradient.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A palette-based surface shows at most this many gradient colours.
constexpr int kPaletteColourLimit = 236;

// The smaller of a and b compared as unsigned numbers: a limit of -1 (no
// limit) or a negative length never lowers the other value.
int UnsignedMin(int a, int b) {
    return static_cast<unsigned>(a) < static_cast<unsigned>(b) ? a : b;
}

uint8_t Channel(uint8_t from, int step, float stepSize) {
    return static_cast<uint8_t>((from + static_cast<int>(static_cast<float>(step) * stepSize)) &
                                0xFF);
}

}  // namespace

BarRect BandRect(const BarRect& rect, int mode, int start, int end) {
    BarRect r = rect;
    const bool vertical = mode == kFromTop || mode == kFromBottom;
    if (end == -1) {
        end = vertical ? rect.Height() : rect.Width();
    }
    switch (mode) {
        case kFromRight:
            r.left = rect.right - end;
            r.right = rect.right - start;
            break;
        case kFromTop:
            r.top = rect.top + start;
            r.bottom = rect.top + end;
            break;
        case kFromBottom:
            r.top = rect.bottom - end;
            r.bottom = rect.bottom - start;
            break;
        default:
            r.left = rect.left + start;
            r.right = rect.left + end;
            break;
    }
    return r;
}

CGradient::CGradient() = default;

void CGradient::SetColours(const std::vector<BarColour>& colours) {
    m_colours = colours;
    m_shares.clear();
    if (colours.size() > 1) {
        m_shares.assign(colours.size() - 1, 100.0 / static_cast<double>(colours.size() - 1));
    }
}

std::vector<BarFill> CGradient::PlanBands(const SurfaceDepth& depth, const BarRect& rect, int start,
                                          int end, int shift) const {
    std::vector<BarFill> fills;
    if (!depth.palette && depth.bitsPerPixel < 8) {
        if (!m_colours.empty()) {
            fills.push_back({BandRect(rect, m_direction, start, end), m_colours.front()});
        }
        return fills;
    }
    const bool vertical = m_direction == kFromTop || m_direction == kFromBottom;
    const int length = vertical ? rect.Height() : rect.Width();
    if (end == -1) {
        end = length;
    }
    std::vector<CGradElement> bands;
    BuildShiftedBands(bands, shift, static_cast<int>(static_cast<float>(length) * m_stretch), start,
                      end, depth.palette ? kPaletteColourLimit : kNoColourLimit);
    int pos = start;
    for (const CGradElement& band : bands) {
        fills.push_back({BandRect(rect, m_direction, pos, pos + band.length), band.colour});
        pos += band.length;
    }
    return fills;
}

void CGradient::BuildShiftedBands(std::vector<CGradElement>& bands, int shift, int length,
                                  int start, int end, int limit) const {
    if (shift == 0 || length <= 0) {
        BuildBands(bands, length, start, end, limit);
        return;
    }
    if (end == -1) {
        end = length;
    }
    shift %= length;
    if (shift < 0) {
        shift += length;
    }
    // The whole gradient, rotated so that what was at 0 is now at `shift`,
    // then cut to [start, end].
    std::vector<CGradElement> whole;
    BuildBands(whole, length, length - shift, length, limit);
    BuildBands(whole, length, 0, length - shift, limit);
    int pos = 0;
    for (const CGradElement& band : whole) {
        const int from = std::max(pos, start);
        const int to = std::min(pos + band.length, end);
        if (to > from) {
            bands.push_back({band.colour, to - from});
        }
        pos += band.length;
        if (pos >= end) {
            break;
        }
    }
}

void CGradient::BuildBands(std::vector<CGradElement>& bands, int length, int start, int end,
                           int limit) const {
    if (end == -1) {
        end = length;
    }
    if (m_colours.empty()) {
        return;
    }
    if (m_colours.size() == 1) {
        bands.push_back({m_colours.front(), end - start});
        return;
    }
    const size_t segments = m_colours.size() - 1;
    const int segmentLimit =
        limit == kNoColourLimit
            ? kNoColourLimit
            : static_cast<int>(static_cast<unsigned>(limit) / static_cast<unsigned>(segments));
    double sum = 0.0;
    int segmentStart = 0;
    for (size_t i = 0; i < segments; ++i) {
        sum += i < m_shares.size() ? m_shares[i] : 0.0;
        const int truncated = static_cast<int>(length * sum / 100.0);
        const int segmentEnd = i + 1 == segments ? length : truncated;
        if (segmentEnd >= start) {
            const int from = std::max(segmentStart, start);
            const int to = std::min(segmentEnd, end);
            BuildTwoColourBands(bands, m_colours[i], m_colours[i + 1], segmentEnd - segmentStart,
                                from - segmentStart, to - segmentStart, segmentLimit);
            if (to == end) {
                break;
            }
        }
        segmentStart = truncated;
    }
}

void CGradient::BuildTwoColourBands(std::vector<CGradElement>& bands, BarColour first,
                                    BarColour second, int length, int start, int end,
                                    int limit) const {
    if (end == -1) {
        end = length;
    }
    const int dR = BarRed(second) - BarRed(first);
    const int dG = BarGreen(second) - BarGreen(first);
    const int dB = BarBlue(second) - BarBlue(first);
    int steps = std::max({std::abs(dR), std::abs(dG), std::abs(dB)});
    steps = UnsignedMin(steps, limit);
    steps = UnsignedMin(steps, length);
    if (steps == 0) {
        steps = 1;
    }
    const float stepR = static_cast<float>(dR) / static_cast<float>(steps);
    const float stepG = static_cast<float>(dG) / static_cast<float>(steps);
    const float stepB = static_cast<float>(dB) / static_cast<float>(steps);
    const float bandLength = static_cast<float>(length) / static_cast<float>(steps);
    for (int i = 0; i < steps; ++i) {
        const int bandStart = static_cast<int>(static_cast<float>(i) * bandLength);
        const int bandEnd =
            i + 1 == steps ? length : static_cast<int>(static_cast<float>(i + 1) * bandLength);
        if (bandEnd < start) {
            continue;
        }
        const int clippedStart = std::max(bandStart, start);
        const int clippedEnd = std::min(bandEnd, end);
        const BarColour colour =
            BarRgb(Channel(BarRed(first), i, stepR), Channel(BarGreen(first), i, stepG),
                   Channel(BarBlue(first), i, stepB));
        bands.push_back({colour, clippedEnd - clippedStart});
        if (clippedEnd >= end) {
            break;
        }
    }
}
