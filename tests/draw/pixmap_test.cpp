#include "engine/draw/pixmap.h"

#include <climits>
#include <cstring>

#include <gtest/gtest.h>

using namespace engine;

namespace {

std::shared_ptr<TPixmap> Filled(int w, int h, int format, std::uint32_t argb)
{
    auto p = TPixmap::Create(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p->WritePixel(x, y, argb);
    return p;
}

// Each pixel a colour of its own, so a misplaced one shows
std::uint32_t Tag(int x, int y)
{
    return 0xFF000000 | std::uint32_t(x + 1) << 16 | std::uint32_t(y + 1) << 8 | 0x5A;
}

std::shared_ptr<TPixmap> Tagged(int w, int h)
{
    auto p = TPixmap::Create(w, h, PF_RGBA8888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p->WritePixel(x, y, Tag(x, y));
    return p;
}

} // namespace

TEST(Pixmap, CreateAlignsRowsAndZeroesPixels)
{
    const struct { int format, width, align, pitch; } cases[] = {
        {PF_I8, 1, 4, 4},       {PF_I8, 5, 4, 8},         {PF_RGB888, 3, 4, 12}, {PF_RGB888, 5, 4, 16},
        {PF_BGR888, 1, 4, 4},   {PF_RGBA8888, 3, 4, 12},  {PF_RGB888, 5, 1, 15}, {PF_I8, 3, 8, 8},
        {PF_A8_CHANNEL, 7, 4, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " width " << c.width << " align " << c.align);
        auto p = TPixmap::Create(c.width, 3, c.format, c.align);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->pitch, c.pitch);
        EXPECT_EQ(p->capacity, c.pitch * 3);
        EXPECT_EQ(p->format, c.format);
        for (int i = 0; i < p->capacity; ++i) ASSERT_EQ(p->pixels[i], 0) << "byte " << i;
        EXPECT_EQ(p->PixelPtr(1, 2), p->pixels + 2 * c.pitch + BytesPerPixel(c.format));
    }
}

TEST(Pixmap, CreateRefusesWhatItCannotHold)
{
    EXPECT_FALSE(TPixmap::Create(4, 4, 0));
    EXPECT_FALSE(TPixmap::Create(4, 4, 11));
    EXPECT_FALSE(TPixmap::Create(-1, 4, PF_RGBA8888));
    EXPECT_FALSE(TPixmap::Create(4, -1, PF_RGBA8888));
    // More bytes than the int fields can count
    EXPECT_FALSE(TPixmap::Create(100000, 100000, PF_RGBA8888));
    EXPECT_FALSE(TPixmap::Create(INT_MAX, 1, PF_I8));
    auto empty = TPixmap::Create(0, 0, PF_RGBA8888);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->capacity, 0);
}

TEST(Pixmap, EachFormatStoresAndReadsItsChannels)
{
    const std::uint32_t written = 0x80123456;
    const struct { int format; std::uint32_t read; std::uint8_t bytes[4]; } cases[] = {
        // Rounded luma of 12 34 56
        {PF_I8, 0xFF2E2E2E, {0x2E}},
        {PF_A8, 0x80FFFFFF, {0x80}},
        {PF_BGR888, 0xFF123456, {0x56, 0x34, 0x12}},
        {PF_RGB888, 0xFF123456, {0x12, 0x34, 0x56}},
        {PF_BGRA8888, 0x80123456, {0x56, 0x34, 0x12, 0x80}},
        {PF_RGBA8888, 0x80123456, {0x12, 0x34, 0x56, 0x80}},
        {PF_R8, 0xFF120000, {0x12}},
        {PF_G8, 0xFF003400, {0x34}},
        {PF_B8, 0xFF000056, {0x56}},
        {PF_A8_CHANNEL, 0x80FFFFFF, {0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        auto p = TPixmap::Create(2, 2, c.format);
        p->WritePixel(1, 1, written);
        EXPECT_EQ(p->ReadPixel(1, 1), c.read);
        EXPECT_EQ(std::memcmp(p->PixelPtr(1, 1), c.bytes, BytesPerPixel(c.format)), 0);
        EXPECT_EQ(FormatHasAlpha(c.format), (c.read >> 24) != 0xFF);
        // The neighbours are untouched
        EXPECT_EQ(p->ReadPixel(0, 1) & 0x00FFFFFF, c.format == PF_A8 || c.format == PF_A8_CHANNEL ? 0xFFFFFFu : 0u);
    }
}

TEST(Pixmap, OutsideTheEdgesReadsZeroAndWritesNothing)
{
    auto p = Filled(2, 2, PF_RGBA8888, 0xFF102030);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {INT_MIN, INT_MAX}}) {
        EXPECT_EQ(p->ReadPixel(x, y), 0u);
        p->WritePixel(x, y, 0xFFFFFFFF);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(p->ReadPixel(x, y), 0xFF102030u);
}

TEST(Pixmap, WindowSharesPixelsAndKeepsItsSourceAlive)
{
    auto source = Tagged(4, 4);
    auto window = source->Window(1, 2, 2, 2);
    ASSERT_EQ(window->width, 2);
    ASSERT_EQ(window->height, 2);
    EXPECT_EQ(window->pitch, source->pitch);
    EXPECT_EQ(window->capacity, 0);
    EXPECT_EQ(window->_source, source);
    EXPECT_EQ(window->ReadPixel(0, 0), Tag(1, 2));
    window->WritePixel(1, 1, 0xFF00FF00);
    EXPECT_EQ(source->ReadPixel(2, 3), 0xFF00FF00u);

    // A window of a window holds on to the owner of the pixels
    auto inner = window->Window(1, 0, 1, 1);
    EXPECT_EQ(inner->_source, source);
    EXPECT_EQ(inner->ReadPixel(0, 0), Tag(2, 2));

    TPixmap* owner = source.get();
    source.reset();
    window.reset();
    ASSERT_EQ(inner->_source.get(), owner);
    EXPECT_EQ(inner->ReadPixel(0, 0), Tag(2, 2));
}

TEST(Pixmap, WindowIsClippedToThePixmap)
{
    auto source = Tagged(4, 4);
    const struct { int x, y, w, h; int width, height; int firstX, firstY; } cases[] = {
        {-1, -1, 3, 3, 2, 2, 0, 0},
        {3, 3, 5, 5, 1, 1, 3, 3},
        {2, 1, 2, 3, 2, 3, 2, 1},
        {5, 0, 2, 2, 0, 2, -1, -1},
        {0, 0, -3, 2, 0, 2, -1, -1},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0, -1, -1},
        {INT_MIN, 0, INT_MAX, 1, 0, 1, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "window " << c.x << "," << c.y << " " << c.w << "x" << c.h);
        auto window = source->Window(c.x, c.y, c.w, c.h);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->width, c.width);
        EXPECT_EQ(window->height, c.height);
        if (c.firstX >= 0) {
            EXPECT_EQ(window->ReadPixel(0, 0), Tag(c.firstX, c.firstY));
        }
        // Its copy is as empty or as full as the window
        auto copy = window->Copy();
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->width * copy->height, c.width * c.height);
    }
}

TEST(Pixmap, CopyOwnsAlignedPixelsOfItsOwn)
{
    auto source = TPixmap::Create(5, 3, PF_RGB888, 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) source->WritePixel(x, y, Tag(x, y));
    auto window = source->Window(1, 1, 3, 2);
    auto copy = window->Copy();
    EXPECT_EQ(copy->format, PF_RGB888);
    EXPECT_EQ(copy->pitch, 12);
    EXPECT_EQ(copy->capacity, 24);
    EXPECT_FALSE(copy->_source);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(copy->ReadPixel(x, y), Tag(x + 1, y + 1) | 0xFF000000);
    copy->WritePixel(0, 0, 0xFF000000);
    EXPECT_EQ(source->ReadPixel(1, 1), Tag(1, 1));
}

TEST(Pixmap, PasteIsClippedAtEveryEdge)
{
    const struct { int x, y; int count; int firstX, firstY; } cases[] = {
        {1, 1, 4, 1, 1},  {-1, -1, 1, 0, 0},       {3, 3, 1, 3, 3},         {3, -1, 1, 3, 0},
        {-1, 2, 2, 0, 2}, {4, 0, 0, -1, -1},       {0, -2, 0, -1, -1},      {INT_MAX, INT_MAX, 0, -1, -1},
        {INT_MIN, INT_MIN, 0, -1, -1},
    };
    auto source = Tagged(2, 2);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "paste at " << c.x << "," << c.y);
        auto dest = TPixmap::Create(4, 4, PF_RGBA8888);
        dest->Paste(*source, c.x, c.y);
        int count = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if (dest->ReadPixel(x, y) != 0) {
                    ++count;
                    EXPECT_EQ(dest->ReadPixel(x, y), Tag(x - c.x, y - c.y));
                }
        EXPECT_EQ(count, c.count);
        if (c.firstX >= 0) {
            EXPECT_NE(dest->ReadPixel(c.firstX, c.firstY), 0u);
        }
    }
}

TEST(Pixmap, ConversionRoundTripsKeepWhatTheFormatHolds)
{
    const std::uint32_t colour = 0xC0406080, grey = 0xC0777777;
    const struct { int format; std::uint32_t in, back; } cases[] = {
        {PF_RGBA8888, colour, colour}, {PF_BGRA8888, colour, colour}, {PF_RGB888, colour, 0xFF406080},
        {PF_BGR888, colour, 0xFF406080}, {PF_I8, grey, 0xFF777777},   {PF_A8, colour, 0xC0FFFFFF},
        {PF_R8, colour, 0xFF400000},     {PF_G8, colour, 0xFF006000}, {PF_B8, colour, 0xFF000080},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format);
        auto rgba = Filled(3, 2, PF_RGBA8888, c.in);
        auto there = rgba->Convert(c.format);
        ASSERT_TRUE(there);
        EXPECT_EQ(there->format, c.format);
        auto back = there->Convert(PF_RGBA8888);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(back->ReadPixel(x, y), c.back);
        // Pasting converts the same way as Convert
        auto dest = TPixmap::Create(3, 2, PF_BGRA8888);
        dest->Paste(*there, 0, 0);
        EXPECT_EQ(dest->ReadPixel(2, 1), c.back);
    }
    EXPECT_FALSE(Tagged(2, 2)->Convert(0));
}

TEST(Pixmap, PastingAWindowOverItsOwnSourceMovesTheOldPixels)
{
    // One column of four: rows 0..2 pasted one lower. Copying row by row in
    // place would smear row 0 down the whole column.
    auto column = Tagged(1, 4);
    auto top = column->Window(0, 0, 1, 3);
    column->Paste(*top, 0, 1);
    EXPECT_EQ(column->ReadPixel(0, 0), Tag(0, 0));
    EXPECT_EQ(column->ReadPixel(0, 1), Tag(0, 0));
    EXPECT_EQ(column->ReadPixel(0, 2), Tag(0, 1));
    EXPECT_EQ(column->ReadPixel(0, 3), Tag(0, 2));

    auto row = Tagged(4, 1);
    auto right = row->Window(1, 0, 3, 1);
    row->Paste(*right, 0, 0);
    EXPECT_EQ(row->ReadPixel(0, 0), Tag(1, 0));
    EXPECT_EQ(row->ReadPixel(2, 0), Tag(3, 0));
    EXPECT_EQ(row->ReadPixel(3, 0), Tag(3, 0));
}

TEST(Resize, HalvingAveragesEachBlockOfFour)
{
    // Each 2 x 2 block of red values averages to a known value; alpha too
    const int red[4][4] = {
        {0, 100, 255, 255},
        {200, 40, 255, 249},
        {10, 10, 1, 2},
        {10, 10, 2, 2},
    };
    auto source = TPixmap::Create(4, 4, PF_RGBA8888);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) source->WritePixel(x, y, std::uint32_t(255 - red[y][x]) << 24 | red[y][x] << 16);
    auto half = ResizePixmap(*source, 2, 2);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->format, PF_RGBA8888);
    const int expected[2][2] = {{85, 254}, {10, 2}};   // 254 is 253.5 rounded
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(half->Red(x, y), expected[y][x]);
            EXPECT_NEAR(half->Alpha(x, y), 255 - expected[y][x], 1);
            EXPECT_EQ(half->Green(x, y), 0);
        }
    }
}

TEST(Resize, MipChainHalvesDownToOnePixel)
{
    // 8 x 2: each level halves every dimension above 1
    auto level = TPixmap::Create(8, 2, PF_I8);
    for (int x = 0; x < 8; ++x) {
        level->WritePixel(x, 0, 0xFF000000 | (x * 32) * 0x010101);
        level->WritePixel(x, 1, 0xFF000000);
    }
    // Rows 0, 32 .. 224 over zeros: 8 40 72 104, then 24 88, then 56
    const struct { int w, h; int firstRed; } chain[] = {{4, 1, 8}, {2, 1, 24}, {1, 1, 56}};
    for (const auto& c : chain) {
        level = ResizePixmap(*level, c.w, c.h);
        ASSERT_TRUE(level);
        EXPECT_EQ(level->width, c.w);
        EXPECT_EQ(level->height, c.h);
        EXPECT_EQ(level->Red(0, 0), c.firstRed);
    }
}

TEST(Resize, EnlargingInterpolatesBetweenPixelCentres)
{
    auto source = TPixmap::Create(2, 1, PF_RGB888);
    source->WritePixel(0, 0, 0xFF000000);
    source->WritePixel(1, 0, 0xFFFFFFFF);
    auto wide = ResizePixmap(*source, 4, 2);
    ASSERT_TRUE(wide);
    const int expected[4] = {0, 64, 191, 255};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(wide->Blue(x, y), expected[x]) << x << "," << y;
            EXPECT_EQ(wide->Alpha(x, y), 255);
        }
    auto same = ResizePixmap(*source, 2, 1);
    EXPECT_EQ(same->ReadPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(same->ReadPixel(1, 0), 0xFFFFFFFFu);
}

TEST(Resize, RefusesEmptySizes)
{
    auto source = Tagged(2, 2);
    EXPECT_FALSE(ResizePixmap(*source, 0, 2));
    EXPECT_FALSE(ResizePixmap(*source, 2, -1));
    EXPECT_FALSE(ResizePixmap(*TPixmap::Create(0, 0, PF_RGBA8888), 2, 2));
}
