// Pictures as pixels for tests: the program's PNG resources and the
// screenshots of the GUI tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct Pixel {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    // 0xRRGGBB, alpha left out.
    uint32_t Rgb() const { return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b; }
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // row by row, top row first

    const Pixel& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What the PNG header says.
struct PngInfo {
    int bitDepth = 0;
    int colourType = 0;  // 6: RGBA, 2: RGB
};

// Decodes a non-interlaced 8-bit RGB or RGBA PNG (every row filter); false
// for anything else or a damaged file. `info` is filled from the header even
// when the format is refused.
bool DecodePng(const unsigned char* data, size_t size, Image& out, PngInfo& info);
// Decodes a binary PPM (P6, 8 bits per sample); alpha is 255.
bool DecodePpm(const std::string& bytes, Image& out);

// The image as an 8-bit RGBA PNG file (for screenshots).
std::string EncodePng(const Image& image);

}  // namespace TestSupport
