// Fonts: the shipped TrueType files and a small bitmap face opened through
// FreeType, and text drawn on a real back-end under Xvfb, read back pixel
// by pixel.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/font.h"
#include "tests/support/display.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::DriverKind;

namespace {

const std::string kTitleFont = std::string(VB_SOURCE_DIR) + "/system/m013/clasict1.ttf";
const std::string kDigitFont = std::string(VB_SOURCE_DIR) + "/system/m013/circulate brk.ttf";

constexpr int kWidth = 320, kHeight = 200;

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::size_t FileSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::size_t(std::distance(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

// A bitmap-only face with one 10-pixel strike: 'A' (5 x 7 on the baseline)
// and 'B' (an E-like 4 x 3, one right of the pen and two above the baseline)
const char kBitmapFace[] = R"(STARTFONT 2.1
FONT -test-fixture-medium-r-normal--10-100-75-75-c-60-iso10646-1
SIZE 10 75 75
FONTBOUNDINGBOX 6 10 0 -2
STARTPROPERTIES 6
PIXEL_SIZE 10
FONT_ASCENT 8
FONT_DESCENT 2
DEFAULT_CHAR 65
CHARSET_REGISTRY "ISO10646"
CHARSET_ENCODING "1"
ENDPROPERTIES
CHARS 2
STARTCHAR A
ENCODING 65
SWIDTH 600 0
DWIDTH 6 0
BBX 5 7 0 0
BITMAP
20
50
88
F8
88
88
88
ENDCHAR
STARTCHAR B
ENCODING 66
SWIDTH 700 0
DWIDTH 7 0
BBX 4 3 1 2
BITMAP
F0
80
E0
ENDCHAR
ENDFONT
)";

TEST(FreeTypeFontTest, TheShippedFontsOpenAtTheGameSizes)
{
    const struct {
        const std::string& path;
        int size;
    } cases[] = {{kTitleFont, 64}, {kTitleFont, 24}, {kDigitFont, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " at " + std::to_string(c.size));
        std::shared_ptr<TFreeTypeFont> font = TFreeTypeFont::Load(c.path, c.size, FONT_SMOOTH);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->Style(), FONT_SMOOTH);
        EXPECT_GE(font->Height(), c.size);
        EXPECT_LE(font->Height(), 2 * c.size);
        EXPECT_GT(font->_ascend, c.size / 2);
        EXPECT_LE(font->_descend, 0);
        EXPECT_GT(font->CountGlyphs(), 95);
        EXPECT_TRUE(font->_buf.empty());
    }
}

// What the title screen writes in each face must be there: names padded
// with dots, scores with zeros, and the board's "-+-"
TEST(FreeTypeFontTest, TheShippedFontsHaveEveryCharacterTheGameWrites)
{
    std::string letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters += {c, char(c + 32)};
    const std::string digitFaceNeeds = letters + "0123456789.-+|";
    const std::string titleFaceNeeds = letters + "0123456789 ";
    auto digits = TFreeTypeFont::Load(kDigitFont, 24, FONT_SMOOTH);
    auto title = TFreeTypeFont::Load(kTitleFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(digits && title);
    for (char c : digitFaceNeeds) EXPECT_GE(digits->CharToGlyph(c), 0) << "digit font lacks " << c;
    for (char c : titleFaceNeeds) EXPECT_GE(title->CharToGlyph(c), 0) << "title font lacks " << c;
    EXPECT_EQ(title->CharToGlyph(0x4E00), -1);
    EXPECT_EQ(title->CharToGlyph(-5), -1);
}

TEST(FreeTypeFontTest, WhatCannotBeOpenedGivesNull)
{
    const std::string notAFont = std::string(VB_SOURCE_DIR) + "/system/m013/bar.png";
    const std::string empty = WriteFile("empty.ttf", "");
    const struct {
        std::string url;
        int size;
    } cases[] = {
        {"no/such/font.ttf", 24}, {notAFont, 24}, {empty, 24}, {kTitleFont, 0}, {kTitleFont, -3},
        {"no/such/font.ttf::", 24}, {empty + "::", 24}, {kTitleFont + "::1", 24}, {kTitleFont + "::bold", 24},
        {notAFont + "::0", 24},
    };
    RegisterFontLoaders();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url + " at " + std::to_string(c.size));
        EXPECT_FALSE(TFreeTypeFont::Load(c.url, c.size, FONT_SMOOTH));
        EXPECT_FALSE(LoadImageFont(c.url, c.size, FONT_SMOOTH));
    }
}

TEST(FreeTypeFontTest, AResourceUrlOpensTheFaceFromTheFileInMemory)
{
    auto byPath = TFreeTypeFont::Load(kDigitFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(byPath);
    for (const std::string& url : {kDigitFont + "::", kDigitFont + "::0"}) {
        SCOPED_TRACE(url);
        auto inMemory = TFreeTypeFont::Load(url, 24, FONT_SMOOTH);
        ASSERT_TRUE(inMemory);
        EXPECT_EQ(inMemory->_buf.size(), FileSize(kDigitFont));
        EXPECT_EQ(inMemory->Height(), byPath->Height());
        EXPECT_EQ(inMemory->CountGlyphs(), byPath->CountGlyphs());
        auto a = byPath->LoadGlyph(byPath->CharToGlyph('8'));
        auto b = inMemory->LoadGlyph(inMemory->CharToGlyph('8'));
        ASSERT_TRUE(a && b && a->Pixels() && b->Pixels());
        ASSERT_EQ(b->Pixels()->width, a->Pixels()->width);
        ASSERT_EQ(b->Pixels()->height, a->Pixels()->height);
        for (int y = 0; y < a->Pixels()->height; ++y)
            for (int x = 0; x < a->Pixels()->width; ++x)
                ASSERT_EQ(b->Pixels()->Alpha(x, y), a->Pixels()->Alpha(x, y)) << x << "," << y;
    }
}

// A face with fixed sizes takes the largest one not above the asked size
TEST(FreeTypeFontTest, ABitmapFaceFallsBackToASizeItHas)
{
    const std::string path = WriteFile("fixture.bdf", kBitmapFace);
    auto font = TFreeTypeFont::Load(path, 13, 0);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->Height(), 10);
    EXPECT_EQ(font->_ascend, 8);
    EXPECT_EQ(font->_descend, -2);
    EXPECT_TRUE(TFreeTypeFont::Load(path, 10, 0));
    EXPECT_FALSE(TFreeTypeFont::Load(path, 9, 0));
}

// One-bit rows expand to 255 and 0; the rectangle is measured from the top
// of the line (ascent 8)
TEST(FreeTypeFontTest, OneBitGlyphsExpandToFullCoverage)
{
    const std::string path = WriteFile("fixture.bdf", kBitmapFace);
    auto font = TFreeTypeFont::Load(path, 10, 0);
    ASSERT_TRUE(font);
    // The face's first glyph is its missing-character glyph: slots start after it
    EXPECT_EQ(font->CharToGlyph('A'), 0);
    EXPECT_EQ(font->CharToGlyph('B'), 1);
    EXPECT_EQ(font->CharToGlyph('C'), -1);

    std::shared_ptr<TGlyph> b = font->LoadGlyph(font->CharToGlyph('B'));
    ASSERT_TRUE(b && b->Pixels());
    int x, y, w, h;
    b->GetRect(x, y, w, h);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({1, 3, 4, 3}));
    EXPECT_EQ(b->Advance(), 7.0f);
    EXPECT_EQ(b->Pixels()->format, PF_A8);
    const char* rows[] = {"####", "#...", "###."};
    for (int py = 0; py < 3; ++py)
        for (int px = 0; px < 4; ++px)
            EXPECT_EQ(b->Pixels()->Alpha(px, py), rows[py][px] == '#' ? 255 : 0) << px << "," << py;
    EXPECT_EQ(font->LoadGlyph(font->CountGlyphs()), nullptr);
    EXPECT_EQ(font->LoadGlyph(-1), nullptr);
}

// The smoothing style frames every glyph in one clear pixel and moves its
// rectangle up and left by one, so the picture stays where it was
TEST(FreeTypeFontTest, SmoothGlyphsGetAClearBorder)
{
    auto plain = TFreeTypeFont::Load(kTitleFont, 24, 0);
    auto smooth = TFreeTypeFont::Load(kTitleFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(plain && smooth);
    for (char c : std::string("BVz8")) {
        SCOPED_TRACE(std::string("glyph ") + c);
        auto p = plain->LoadGlyph(plain->CharToGlyph(c));
        auto s = smooth->LoadGlyph(smooth->CharToGlyph(c));
        ASSERT_TRUE(p && s && p->Pixels() && s->Pixels());
        int px, py, pw, ph, sx, sy, sw, sh;
        p->GetRect(px, py, pw, ph);
        s->GetRect(sx, sy, sw, sh);
        EXPECT_EQ(std::vector<int>({sx, sy, sw, sh}), std::vector<int>({px - 1, py - 1, pw + 2, ph + 2}));
        ASSERT_EQ(s->Pixels()->width, pw + 2);
        ASSERT_EQ(s->Pixels()->height, ph + 2);
        EXPECT_EQ(s->Advance(), p->Advance());
        for (int y = 0; y < sh; ++y) {
            for (int x = 0; x < sw; ++x) {
                bool border = x == 0 || y == 0 || x == sw - 1 || y == sh - 1;
                int want = border ? 0 : p->Pixels()->Alpha(x - 1, y - 1);
                ASSERT_EQ(s->Pixels()->Alpha(x, y), want) << x << "," << y;
            }
        }
    }
}

//---- Text on a real display

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // inclusive; right < 0 when empty
};

// Where anything brighter than the black background was drawn
Box LitBounds(int x, int y, int w, int h)
{
    std::shared_ptr<TPixmap> area = GrabPixmap(x, y, w, h);
    Box box;
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            if (area->Red(px, py) + area->Green(px, py) + area->Blue(px, py) < 60) continue;
            box.left = std::min(box.left, x + px), box.right = std::max(box.right, x + px);
            box.top = std::min(box.top, y + py), box.bottom = std::max(box.bottom, y + py);
        }
    }
    return box;
}

// The largest difference in any channel between two areas of the screen
int MaxDifference(int x0, int y0, int x1, int y1, int w, int h)
{
    std::shared_ptr<TPixmap> a = GrabPixmap(x0, y0, w, h), b = GrabPixmap(x1, y1, w, h);
    int worst = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            worst = std::max(worst, std::abs(a->Red(x, y) - b->Red(x, y)));
            worst = std::max(worst, std::abs(a->Green(x, y) - b->Green(x, y)));
            worst = std::max(worst, std::abs(a->Blue(x, y) - b->Blue(x, y)));
        }
    }
    return worst;
}

int LitCount(int x, int y, int w, int h)
{
    std::shared_ptr<TPixmap> area = GrabPixmap(x, y, w, h);
    int count = 0;
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) count += area->Red(px, py) > 0 || area->Green(px, py) > 0;
    return count;
}

void ClearBlack()
{
    SetClsColor(0, 0, 0);
    Cls();
}

class TextTest : public testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override
    {
        RegisterFontLoaders();
        ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), kWidth, kHeight));
        SetBlend(BLEND_ALPHA);
        ClearBlack();
    }
    void TearDown() override { CloseGraphics(); }
};

TEST_P(TextTest, EveryDisplayStartsWithTheOneBuiltInFont)
{
    std::shared_ptr<TImageFont> builtIn = GetImageFont();
    ASSERT_TRUE(builtIn);
    EXPECT_EQ(builtIn, DefaultImageFont());
    EXPECT_EQ(builtIn->CountGlyphs(), 96);
    EXPECT_EQ(TextWidth(u"(F2) Switch Music On"), 160);
    EXPECT_EQ(TextHeight(), 16);

    auto digits = LoadImageFont(kDigitFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(digits);
    SetImageFont(digits);
    EXPECT_EQ(GetImageFont(), digits);
    EXPECT_NE(TextHeight(), 16);
    SetImageFont(nullptr);
    EXPECT_EQ(GetImageFont(), builtIn);

    SetImageFont(digits);
    ASSERT_TRUE(OpenGraphics(kWidth, kHeight, 0, 60, 0));
    EXPECT_EQ(GetImageFont(), builtIn);
}

TEST_P(TextTest, EmptyTextAndCharactersTheFontLacksMeasureZero)
{
    auto digits = LoadImageFont(kDigitFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(digits);
    for (const auto& font : {DefaultImageFont(), digits}) {
        SetImageFont(font);
        EXPECT_EQ(TextWidth(u""), 0);
        EXPECT_EQ(TextWidth(u"\u00C8\u4E00\u4E01"), 0);
        EXPECT_EQ(TextWidth(u"1\u4E002"), TextWidth(u"12"));
    }
    // Glyph images are made when a character is first measured or drawn
    SetImageFont(digits);
    const int nine = digits->CharToGlyph('9');
    EXPECT_FALSE(digits->_glyphs[nine]);
    EXPECT_GT(TextWidth(u"9"), 0);
    ASSERT_TRUE(digits->_glyphs[nine]);
    EXPECT_EQ(digits->_glyphs[nine]->Pixels()->flags, IMAGE_FILTERED | IMAGE_MIPMAPPED);
}

TEST_P(TextTest, CharactersTheFontLacksDrawNothingAndAdvanceNothing)
{
    DrawText(u"AB", 10, 10);
    DrawText(u"A\u00C8B", 10, 50);
    DrawText(u"\u00C8", 100, 100);
    EXPECT_GT(LitCount(10, 10, 16, 16), 20);
    EXPECT_EQ(MaxDifference(10, 10, 10, 50, 24, 16), 0);
    EXPECT_EQ(LitCount(90, 90, 40, 40), 0);
}

TEST_P(TextTest, ASpaceAdvancesWithoutAnImage)
{
    auto title = LoadImageFont(kTitleFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(title);
    SetImageFont(title);
    TImageGlyph* space = title->LoadGlyph(title->CharToGlyph(' '));
    ASSERT_TRUE(space);
    EXPECT_FALSE(space->Pixels());
    EXPECT_GT(space->Advance(), 0.0f);
    EXPECT_EQ(TextWidth(u" "), int(space->Advance()));

    DrawText(u"X", 20 + space->Advance(), 20);
    DrawText(u" X", 20, 100);
    EXPECT_GT(LitCount(10, 10, 60, 60), 50);
    EXPECT_EQ(MaxDifference(10, 10, 10, 90, 60, 60), 0);
}

// Built-in glyphs are drawn pixel for pixel in the drawing colour, the
// right way round: an L has its upright on the left and its foot below
TEST_P(TextTest, BuiltInGlyphsDrawInTheDrawingColour)
{
    SetColor(255, 40, 0);
    DrawText(u"L", 30, 20);
    EXPECT_GT(LitCount(30, 20, 4, 16), 2 * LitCount(34, 20, 4, 16));
    Box l = LitBounds(30, 20, 8, 16);
    EXPECT_GT(LitCount(30, l.bottom, 8, 1), LitCount(30, l.top, 8, 1));
    std::shared_ptr<TPixmap> cell = DefaultImageFont()->LoadGlyph('L' - 32)->Pixels()->pixmaps[0];
    std::shared_ptr<TPixmap> drawn = GrabPixmap(30, 20, 8, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
            bool set = cell->Alpha(x, y) == 255;
            ASSERT_EQ(drawn->Red(x, y), set ? 255 : 0) << x << "," << y;
            ASSERT_NEAR(drawn->Green(x, y), set ? 40 : 0, 1) << x << "," << y;
            ASSERT_EQ(drawn->Blue(x, y), 0) << x << "," << y;
        }
    }
}

// The padded, filtered glyph image lands where the unpadded one would
TEST_P(TextTest, SmoothGlyphImagesLandWhereTheBitmapWould)
{
    auto plain = LoadImageFont(kTitleFont, 24, 0);
    auto smooth = LoadImageFont(kTitleFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(plain && smooth);
    TImageGlyph* p = plain->LoadGlyph(plain->CharToGlyph('B'));
    TImageGlyph* s = smooth->LoadGlyph(smooth->CharToGlyph('B'));
    ASSERT_TRUE(p && s && p->Pixels() && s->Pixels());
    EXPECT_EQ(s->Pixels()->width, p->Pixels()->width + 2);
    EXPECT_EQ(s->Pixels()->height, p->Pixels()->height + 2);
    EXPECT_EQ(p->Pixels()->flags, 0);

    SetImageFont(plain);
    DrawText(u"B", 20, 20);
    SetImageFont(smooth);
    DrawText(u"B", 20, 100);
    EXPECT_GT(LitCount(10, 10, 50, 50), 50);
    EXPECT_LE(MaxDifference(10, 10, 10, 90, 50, 50), 2);
}

// At 90 degrees the pen steps down the screen and the glyphs lie on their
// side to the left of it; the handle turns with the text
TEST_P(TextTest, RotatedTextStepsDownward)
{
    SetRotation(90);
    DrawText(u"I", 100, 20);
    DrawText(u"II", 200, 20);
    Box one = LitBounds(60, 0, 60, 80), two = LitBounds(160, 0, 60, 80);
    ASSERT_GE(one.right, 0);
    ASSERT_GE(two.right, 0);
    EXPECT_LE(one.right, 100);
    EXPECT_GE(one.left, 84);
    EXPECT_EQ(two.bottom - two.top, one.bottom - one.top + 8);
    EXPECT_EQ(two.right - two.left, one.right - one.left);
    EXPECT_EQ(two.top, one.top);

    ClearBlack();
    SetHandle(8, 0);
    DrawText(u"I", 100, 40);
    Box handled = LitBounds(60, 0, 60, 80);
    EXPECT_EQ(handled.top, one.top + 20 - 8);
    EXPECT_EQ(handled.left, one.left);
}

TEST_P(TextTest, GlyphImagesUploadAgainAfterTheDisplayIsReopened)
{
    auto digits = LoadImageFont(kDigitFont, 24, FONT_SMOOTH);
    ASSERT_TRUE(digits);
    SetImageFont(digits);
    DrawText(u"80", 20, 20);
    std::shared_ptr<TPixmap> before = GrabPixmap(10, 10, 60, 40);
    TImageGlyph* eight = digits->LoadGlyph(digits->CharToGlyph('8'));
    const int firstGeneration = eight->Pixels()->seqs[0];

    ASSERT_TRUE(OpenGraphics(kWidth, kHeight, 0, 60, 0));
    SetBlend(BLEND_ALPHA);
    ClearBlack();
    SetImageFont(digits);
    DrawText(u"80", 20, 20);
    EXPECT_NE(eight->Pixels()->seqs[0], firstGeneration);
    EXPECT_EQ(eight->Pixels()->seqs[0], GraphicsGeneration());
    std::shared_ptr<TPixmap> after = GrabPixmap(10, 10, 60, 40);
    EXPECT_GT(LitCount(10, 10, 60, 40), 50);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) ASSERT_EQ(after->ReadPixel(x, y), before->ReadPixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Drivers, TextTest, testsupport::AllDrivers(), testsupport::DriverName);

} // namespace
