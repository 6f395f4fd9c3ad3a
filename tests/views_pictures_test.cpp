// The program's own pictures as the front ends find them: each PNG is
// there, 8-bit RGBA at its size, and shows what it should where it matters
// (dark ink on a transparent ground, a grey illustration).
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/image.h"
#include "views/png_resources.h"

namespace {

using TestSupport::Image;
using TestSupport::Pixel;

enum class Look { kTransparent, kDarkInk, kOpaqueGrey };

bool Matches(const Pixel& p, Look look) {
    switch (look) {
        case Look::kTransparent:
            return p.a == 0;
        case Look::kDarkInk:
            return p.a == 255 && p.r < 0x60 && p.r == p.g && p.g == p.b;
        case Look::kOpaqueGrey:
            return p.a == 255 && p.r == p.g && p.g == p.b && p.r > 0x40 && p.r < 0xF0;
    }
    return false;
}

TEST(Pictures, EachPngIsThereAtItsSizeAndShowsItsPicture) {
    struct Spot {
        int x, y;
        Look look;
    };
    struct {
        int id, width, height;
        std::vector<Spot> spots;
        const char* why;
    } cases[] = {
        {kPngClose,
         834,
         834,
         {{417, 417, Look::kDarkInk},
          {250, 250, Look::kDarkInk},
          {584, 250, Look::kDarkInk},
          {417, 250, Look::kTransparent},
          {0, 0, Look::kTransparent}},
         "a dark cross: ink on both diagonals, ground between the arms"},
        {kPngMinimize,
         835,
         834,
         {{417, 417, Look::kDarkInk},
          {250, 417, Look::kDarkInk},
          {417, 300, Look::kTransparent},
          {417, 530, Look::kTransparent},
          {834, 833, Look::kTransparent}},
         "a dark horizontal bar across the middle"},
        {kPngErrorPicture,
         100,
         60,
         {{50, 41, Look::kOpaqueGrey},
          {50, 18, Look::kOpaqueGrey},
          {0, 0, Look::kTransparent},
          {99, 59, Look::kTransparent}},
         "a grey robot: body and head, transparent corners"},
    };
    for (const auto& c : cases) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(FindPngResource(c.id, data, size)) << c.why;
        Image image;
        TestSupport::PngInfo info;
        ASSERT_TRUE(TestSupport::DecodePng(data, size, image, info)) << c.why;
        EXPECT_EQ(8, info.bitDepth) << c.why;
        EXPECT_EQ(6, info.colourType) << c.why << ": RGBA";
        EXPECT_EQ(c.width, image.width) << c.why;
        EXPECT_EQ(c.height, image.height) << c.why;
        for (const Spot& s : c.spots) {
            EXPECT_TRUE(Matches(image.At(s.x, s.y), s.look))
                << c.why << " at " << s.x << "," << s.y << ": " << std::hex
                << image.At(s.x, s.y).Rgb() << " alpha " << int{image.At(s.x, s.y).a};
        }
    }
}

TEST(Pictures, AnUnknownIdIsNoPicture) {
    const unsigned char* data = nullptr;
    size_t size = 7;
    EXPECT_FALSE(FindPngResource(136, data, size));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(7u, size) << "the out parameters are left alone";
}

TEST(Pictures, ScreenshotsWrittenAsPngReadBackTheSame) {
    Image image;
    image.width = 3;
    image.height = 2;
    image.pixels = {{0xFB, 0xFB, 0xFB, 255}, {0x45, 0x92, 0xFD, 255}, {0xB6, 0xB6, 0xB6, 255},
                    {0, 0, 0, 0},           {1, 2, 3, 4},           {255, 255, 255, 255}};
    const std::string png = TestSupport::EncodePng(image);
    Image back;
    TestSupport::PngInfo info;
    ASSERT_TRUE(TestSupport::DecodePng(reinterpret_cast<const unsigned char*>(png.data()),
                                       png.size(), back, info));
    ASSERT_EQ(3, back.width);
    ASSERT_EQ(2, back.height);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(image.At(x, y).Rgb(), back.At(x, y).Rgb());
            EXPECT_EQ(image.At(x, y).a, back.At(x, y).a);
        }
    }
}

}  // namespace
