// A colour gradient over any number of colour stops, turned into bands of
// solid colour for a span of pixels. Plain arithmetic: the front ends fill
// the rectangles that PlanBands gives with their own toolkit, so the bands
// and their colours are the same on every platform.
//
// Colours are 32-bit values 0x00BBGGRR (the layout of a Windows COLORREF).
// Threads: an object is used by one thread (the window's UI thread).
#pragma once

#include <cstdint>
#include <vector>

using BarColour = uint32_t;

// "No colour" (the Windows CLR_NONE value -1).
inline constexpr BarColour kNoColour = 0xFFFFFFFFu;

constexpr BarColour BarRgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<BarColour>(r) | (static_cast<BarColour>(g) << 8) |
           (static_cast<BarColour>(b) << 16);
}
constexpr uint8_t BarRed(BarColour c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t BarGreen(BarColour c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t BarBlue(BarColour c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

// A rectangle in pixels; right and bottom are exclusive.
struct BarRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const BarRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// One rectangle to fill with one colour.
struct BarFill {
    BarRect rect;
    BarColour colour = 0;
};

// One band of a gradient: a colour and its length in pixels.
struct CGradElement {
    BarColour colour = 0;
    int length = 0;
};

// The direction a gradient runs in.
enum GradientDirection : int {
    kFromLeft = 0,
    kFromRight = 1,
    kFromTop = 2,
    kFromBottom = 3,
};

// The span [start, end] along `mode`'s direction inside `rect`; an end of -1
// is the full length. Mode 0 counts from the left edge, 1 from the right,
// 2 from the top, 3 from the bottom; the other two sides are those of
// `rect`.
BarRect BandRect(const BarRect& rect, int mode, int start, int end);

// What the target surface can show: a palette limits a gradient to 236
// colours; fewer than 8 bits per pixel (and no palette) draws one flat
// colour.
struct SurfaceDepth {
    bool palette = false;
    int bitsPerPixel = 32;  // bits per pixel times planes
};

// "No limit" for the colour limit of the band builders.
inline constexpr int kNoColourLimit = -1;

class CGradient {
  public:
    CGradient();
    virtual ~CGradient() = default;

    // The fills that draw [start, end] of the gradient laid along `rect` in
    // the current direction mode, shifted by `shift` pixels; an end of -1 is
    // the full length.
    virtual std::vector<BarFill> PlanBands(const SurfaceDepth& depth, const BarRect& rect,
                                           int start, int end, int shift) const;
    // The bands of [start, end] of a gradient of `length` pixels rotated by
    // `shift`; with a shift of 0 those of BuildBands.
    virtual void BuildShiftedBands(std::vector<CGradElement>& bands, int shift, int length,
                                   int start, int end, int limit) const;
    // The bands of [start, end] of the whole gradient of `length` pixels: for
    // each segment between two neighbouring stops, by its share, those of
    // BuildTwoColourBands. `limit` bounds the colours (kNoColourLimit: none).
    virtual void BuildBands(std::vector<CGradElement>& bands, int length, int start, int end,
                            int limit) const;
    // The bands of [start, end] of a two-colour gradient from `first` to
    // `second` over `length` pixels: one band per colour step, as many steps
    // as the largest channel difference, at most `limit` and `length`, at
    // least one.
    virtual void BuildTwoColourBands(std::vector<CGradElement>& bands, BarColour first,
                                     BarColour second, int length, int start, int end,
                                     int limit) const;

    // Sets the colour stops; each of the count - 1 segments gets an equal
    // share. At least one colour.
    void SetColours(const std::vector<BarColour>& colours);
    const std::vector<BarColour>& Colours() const { return m_colours; }
    // Per-segment shares in percent of the whole length (one fewer than the
    // colours).
    void SetShares(const std::vector<double>& shares) { m_shares = shares; }

    int DirectionMode() const { return m_direction; }
    void SetDirectionMode(int mode) { m_direction = mode; }
    float Stretch() const { return m_stretch; }
    void SetStretch(float stretch) { m_stretch = stretch; }

  private:
    std::vector<BarColour> m_colours;
    std::vector<double> m_shares;
    int m_direction = kFromLeft;
    float m_stretch = 1.0f;
};
