// Posters: pieces join into the picture one unbounded buffer would hold, and averaging in
// linear light keeps a single colour as it is.
#include <gtest/gtest.h>
#include <vector>
#include "render/poster.h"
#include "render/resample.h"
#include "tests/light_oracle.h"
#include "tests/support.h"

namespace {
struct PosterCase {
    const char* CenterY;
    const char* CenterX;
    int32_t     Zoom, Width, Height, Sub;
};

// The double, Fixed60 and long128 formats, the wide range beyond +-3.9, and anti-aliasing.
const PosterCase Cases[] = {
    {"-0.75", "0.1", 6, 100, 64, 1},
    {"-0.7436438870371587", "0.1318259042053988", 48, 100, 64, 1},
    {"-1.54368901269207636157085597180174798652", "0", 62, 100, 64, 1},
    {"-0.5", "0", -2, 100, 64, 1},
    {"-0.7453", "0.1127", 9, 50, 32, 2},
};

std::vector<RgbPixel> Computed(const PosterCase& c, int32_t pieceW, int32_t pieceH) {
    ViewParams v{};
    v.Center_zY = DecimalToLong128(c.CenterY);
    v.Center_zX = DecimalToLong128(c.CenterX);
    v.Iteration = 300;
    v.Color = 4;
    v.FPU_Mode = 1;
    BeginPoster(v, c.Zoom, c.Width, c.Height, c.Sub);
    if (pieceW) Poster.PieceWidth = pieceW, Poster.PieceHeight = pieceH;
    std::vector<RgbPixel> picture(size_t(c.Width) * size_t(c.Height));
    const int32_t half = pieceW ? c.Height / 2 : c.Height;   // pieces in two calls, as bands come
    EXPECT_TRUE(ComputePosterRows(0, half, picture.data(), c.Width));
    if (half < c.Height) {
        EXPECT_TRUE(ComputePosterRows(half, c.Height - half, picture.data() + size_t(half) * size_t(c.Width), c.Width));
    }
    return picture;
}
}  // namespace

TEST(Poster, ManySmallPiecesJoinIntoTheWholePicture) {
    StartProgram({"zentrix"});
    const uint8_t modes[] = {ModeDouble, ModeFixed60, ModeLong128, ModeDouble, ModeDouble};
    for (size_t i = 0; i < std::size(Cases); ++i) {
        const std::vector<RgbPixel> whole = Computed(Cases[i], 0, 0);
        EXPECT_EQ(Poster.Geometry.NumberMode, modes[i]) << i;
        EXPECT_EQ(Poster.Geometry.WideRange, i == 3) << i;
        EXPECT_TRUE(Computed(Cases[i], 52, 36) == whole) << i;
    }
}

TEST(Poster, AveragesInLinearLight) {
    std::vector<RgbPixel> block(16), out(1);
    for (int32_t n : {2, 4}) {
        for (uint32_t c = 0; c < 256; ++c) {
            const RgbPixel colour = c << 16 | (255 - c) << 8 | ((c * 7) & 255);
            std::fill(block.begin(), block.end(), colour);
            DownsampleBox(block.data(), n, n, out.data(), 1, 1, 1);
            ASSERT_EQ(out[0], colour) << n << " " << c;
        }
    }
    // Half black and half white is as bright as half the light, far above the byte mean.
    block = {0, 0xFFFFFF, 0xFFFFFF, 0};
    DownsampleBox(block.data(), 2, 2, out.data(), 1, 1, 1);
    EXPECT_GT(out[0] & 0xFF, 180u);
}

// Regions at whole and fractional starts and scales, the frames of a zoom among them, and
// whole blocks as posters are averaged, against the mean worked out from each pixel's overlap;
// on a bright picture and a dark one, where a single level of light shows most.
TEST(Poster, ResampledRegionsAreTheAreaWeightedMeans) {
    constexpr int SW = 48, SH = 36;
    const struct { double X0, Y0, Scale; } regions[] = {
        {0, 0, 2}, {0, 0, 1}, {0.25, 0.5, 1.5}, {3.3, 1.7, 1.19}, {2.5, 4.125, 1.6817928305074290}, {0.1, 0.9, 1.99}};
    for (uint32_t mask : {0xFFFFFFu, 0x0F0F0Fu}) {
        std::vector<RgbPixel> src(SW * SH), out(SW * SH);
        for (size_t i = 0; i < src.size(); ++i) src[i] = uint32_t(i * 2654435761u) >> 8 & mask;
        LinearPicture light;
        DecodeToLight(src.data(), SW, SH, &light);
        for (const auto& r : regions) {
            const int w = int((SW - r.X0) / r.Scale), h = int((SH - r.Y0) / r.Scale);
            ResampleRegion(light, r.X0, r.Y0, r.Scale, out.data(), w, h);
            EXPECT_EQ(FirstWrongPixel(src, SW, SH, r.X0, r.Y0, r.Scale, out.data(), w, h), -1) << r.X0 << " " << r.Scale;
        }
        for (int32_t n : {2, 4}) {
            DownsampleBox(src.data(), SW, n, out.data(), SW / n, SW / n, SH / n);
            EXPECT_EQ(FirstWrongPixel(src, SW, SH, 0, 0, n, out.data(), SW / n, SH / n), -1) << n;
        }
    }
}
