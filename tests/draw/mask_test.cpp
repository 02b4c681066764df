#include "engine/draw/mask.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;
constexpr std::uint32_t kRed = 0xFFFF0000;

// A picture from rows of colours, in the given format
std::shared_ptr<TPixmap> Picture(std::initializer_list<std::initializer_list<std::uint32_t>> rows, int format)
{
    int h = int(rows.size()), w = int(rows.begin()->size()), y = 0;
    auto p = TPixmap::Create(w, h, format);
    for (const auto& row : rows) {
        int x = 0;
        for (std::uint32_t c : row) p->WritePixel(x++, y, c);
        ++y;
    }
    return p;
}

} // namespace

TEST(Mask, KeyPixelsTakeTheAverageOfTheirOtherNeighbours)
{
    const std::uint32_t m = kMagenta, r = kRed;
    const struct {
        const char* name;
        std::shared_ptr<TPixmap> picture;
        int x, y;
        std::uint32_t expected;
    } cases[] = {
        {"key surrounded by red", Picture({{r, r, r}, {r, m, r}, {r, r, r}}, PF_RGB888), 1, 1, 0x00FF0000},
        {"key among keys", Picture({{m, m, m}, {m, m, m}, {m, m, m}}, PF_RGB888), 1, 1, 0x00000000},
        // 10.5, 20.5 and 30.5 all truncate
        {"integer division", Picture({{m, 0xFF0A141F, m}, {m, m, 0xFF0B151E}, {m, m, m}}, PF_RGB888), 1, 1, 0x000A141E},
        // Only the three neighbours inside the pixmap count: (30 + 60 + 91) / 3
        {"corner", Picture({{m, 0xFF1E0000}, {0xFF3C0000, 0xFF5B0000}}, PF_RGB888), 0, 0, 0x003C0000},
        {"edge of a row", Picture({{0xFF000010, m, 0xFF000030}}, PF_BGR888), 1, 0, 0x00000020},
        {"one pixel, all key", Picture({{m}}, PF_RGB888), 0, 0, 0x00000000},
        {"near the key is not the key", Picture({{0xFFFF00FE, m}}, PF_RGB888), 0, 0, 0xFFFF00FE},
        {"other pixels are opaque", Picture({{r, m}}, PF_RGB888), 0, 0, kRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto masked = MaskPixmap(*c.picture, 255, 0, 255);
        ASSERT_TRUE(masked);
        EXPECT_EQ(masked->format, PF_RGBA8888);
        EXPECT_EQ(masked->ReadPixel(c.x, c.y), c.expected);
    }
}

TEST(Mask, EveryPixelOfAMaskedPictureIsEitherKeyOrOpaque)
{
    auto picture = Picture({{kRed, kMagenta, 0xFF00FF00}, {kMagenta, kMagenta, kMagenta}, {0xFF0000FF, kMagenta, kRed}},
                           PF_RGB888);
    auto masked = MaskPixmap(*picture, 255, 0, 255);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            bool key = picture->ReadPixel(x, y) == kMagenta;
            EXPECT_EQ(masked->Alpha(x, y), key ? 0 : 255) << x << "," << y;
            if (!key) {
                EXPECT_EQ(masked->ReadPixel(x, y), picture->ReadPixel(x, y));
            }
        }
    }
    // The centre sees red, green, blue and red: 510/4, 255/4, 255/4
    EXPECT_EQ(masked->ReadPixel(1, 1), 0x007F3F3Fu);
    // The source is left as it was
    EXPECT_EQ(picture->ReadPixel(1, 1), kMagenta);
}

TEST(Mask, WorksOnAnyFormatAndIgnoresTheSourceAlpha)
{
    // Grey is keyed by its grey value read as colour
    auto grey = Picture({{0xFF000000, 0xFF808080}}, PF_I8);
    auto maskedGrey = MaskPixmap(*grey, 0, 0, 0);
    EXPECT_EQ(maskedGrey->ReadPixel(0, 0), 0x00808080u);
    EXPECT_EQ(maskedGrey->ReadPixel(1, 0), 0xFF808080u);

    // Whether a picture with alpha is masked at all is the caller's choice;
    // when it is, its own alpha plays no part
    auto rgba = Picture({{0x00FF0000, 0x40FF00FF}}, PF_RGBA8888);
    auto maskedRgba = MaskPixmap(*rgba, 255, 0, 255);
    EXPECT_EQ(maskedRgba->ReadPixel(0, 0), kRed);
    EXPECT_EQ(maskedRgba->ReadPixel(1, 0), 0x00FF0000u);

    // A window is masked as the picture it shows
    auto wide = Picture({{kMagenta, kRed, kMagenta, 0xFF0000FF}}, PF_RGB888);
    auto maskedWindow = MaskPixmap(*wide->Window(1, 0, 2, 1), 255, 0, 255);
    EXPECT_EQ(maskedWindow->width, 2);
    EXPECT_EQ(maskedWindow->ReadPixel(1, 0), 0x00FF0000u);
}
