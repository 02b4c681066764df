// Drawing on a real back-end under Xvfb, pixels read back with GrabPixmap.
#include <cmath>

#include <gtest/gtest.h>

#include "engine/draw/canvas.h"
#include "tests/support/display.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::DriverKind;

namespace {

constexpr int kWidth = 200, kHeight = 150;

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(int x, int y)
{
    std::shared_ptr<TPixmap> p = GrabPixmap(x, y, 1, 1);
    return {p->Red(0, 0), p->Green(0, 0), p->Blue(0, 0)};
}

void ExpectPixel(int x, int y, Rgb want)
{
    Rgb got = PixelAt(x, y);
    EXPECT_NEAR(got.r, want.r, 1) << "red at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, 1) << "green at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, 1) << "blue at " << x << "," << y;
}

void Clear(int r, int g, int b)
{
    SetViewport(0, 0, kWidth, kHeight);
    SetClsColor(r, g, b);
    Cls();
}

class CanvasTest : public testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), kWidth, kHeight)); }
    void TearDown() override { CloseGraphics(); }
};

TEST_P(CanvasTest, AlphaIsClampedBeforeBlending)
{
    const struct {
        float alpha;
        int red;
    } cases[] = {{1.5f, 255}, {1.0f, 255}, {0.5f, 127}, {-0.2f, 0}, {NAN, 0}};
    SetBlend(BLEND_ALPHA);
    SetColor(255, 255, 255);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "alpha " << c.alpha);
        Clear(0, 0, 0);
        SetAlpha(c.alpha);
        DrawRect(10, 10, 8, 8);
        EXPECT_NEAR(PixelAt(12, 12).r, c.red, 1);
    }
}

TEST_P(CanvasTest, ColourComponentsAreClamped)
{
    SetBlend(BLEND_SOLID);
    Clear(0, 0, 0);
    SetColor(300, -5, 128);
    DrawRect(0, 0, 20, 20);
    ExpectPixel(5, 5, {255, 0, 128});
    Clear(300, -1, 128);
    ExpectPixel(5, 5, {255, 0, 128});
}

// Each mode meets a background of (100, 150, 200) with the colour
// (200, 100, 50) at alpha 0.6 (vertex alpha 153)
TEST_P(CanvasTest, EachBlendModeBlendsAsItsTableSays)
{
    const float a = 153 / 255.0f;
    auto mix = [a](int s, int d) { return int(s * a + d * (1 - a) + 0.5f); };
    auto add = [a](int s, int d) { return std::min(255, int(s * a + d + 0.5f)); };
    auto mul = [](int s, int d) { return int(s * d / 255.0f + 0.5f); };
    const struct {
        int mode;
        Rgb want;
    } cases[] = {
        {BLEND_MASK, {200, 100, 50}},
        {BLEND_SOLID, {200, 100, 50}},
        {BLEND_ALPHA, {mix(200, 100), mix(100, 150), mix(50, 200)}},
        {BLEND_LIGHT, {add(200, 100), add(100, 150), add(50, 200)}},
        {BLEND_SHADE, {mul(200, 100), mul(100, 150), mul(50, 200)}},
        {9, {200, 100, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        SetBlend(BLEND_SOLID);
        Clear(100, 150, 200);
        SetBlend(c.mode);
        SetColor(200, 100, 50);
        SetAlpha(0.6f);
        DrawRect(20, 20, 10, 10);
        ExpectPixel(25, 25, c.want);
    }
}

TEST_P(CanvasTest, MaskModeDropsPixelsBelowHalfAlpha)
{
    SetBlend(BLEND_MASK);
    Clear(0, 0, 0);
    SetColor(255, 255, 255);
    SetAlpha(0.4f);
    DrawRect(0, 0, 10, 10);
    ExpectPixel(5, 5, {0, 0, 0});
}

TEST_P(CanvasTest, ANewDisplayDrawsInMaskModeUntilTheModeIsSet)
{
    EXPECT_EQ(CurrentCanvas()->blend_mode, BLEND_MASK);
    Clear(0, 0, 0);
    SetColor(255, 255, 255);
    SetAlpha(0.3f);
    DrawRect(0, 0, 10, 10);
    ExpectPixel(5, 5, {0, 0, 0});
    SetAlpha(0.7f);
    DrawRect(0, 0, 10, 10);
    ExpectPixel(5, 5, {255, 255, 255});
}

// Unrotated, the second square lies right of the first; turned by 90
// degrees about the same handle point it lies below it
TEST_P(CanvasTest, RotationNinetyTurnsRightOfTheHandleToBelow)
{
    SetBlend(BLEND_SOLID);
    Clear(0, 0, 0);
    SetRotation(90);
    SetColor(255, 0, 0);
    SetHandle(0, 0);
    DrawRect(100, 50, 4, 4);
    SetColor(0, 255, 0);
    SetHandle(-4, 0);
    DrawRect(100, 50, 4, 4);
    SetRotation(0);
    SetHandle(0, 0);
    // The red square now covers x 96..99, y 50..53; the green one y 54..57
    ExpectPixel(98, 52, {255, 0, 0});
    ExpectPixel(98, 56, {0, 255, 0});
    ExpectPixel(102, 52, {0, 0, 0});
}

TEST_P(CanvasTest, ScaleStretchesAboutTheHandle)
{
    SetBlend(BLEND_SOLID);
    Clear(0, 0, 0);
    SetScale(2, 3);
    SetColor(255, 255, 255);
    DrawRect(50, 50, 10, 10);
    SetScale(1, 1);
    ExpectPixel(69, 79, {255, 255, 255});
    ExpectPixel(71, 79, {0, 0, 0});
    ExpectPixel(69, 81, {0, 0, 0});
}

TEST_P(CanvasTest, AViewportClipsClsAndDrawing)
{
    SetBlend(BLEND_SOLID);
    Clear(0, 0, 255);
    SetViewport(10, 20, 30, 40);
    SetClsColor(255, 0, 0);
    Cls();
    ExpectPixel(10, 20, {255, 0, 0});
    ExpectPixel(39, 59, {255, 0, 0});
    ExpectPixel(9, 20, {0, 0, 255});
    ExpectPixel(40, 59, {0, 0, 255});
    ExpectPixel(39, 60, {0, 0, 255});
    SetColor(0, 255, 0);
    DrawRect(0, 0, kWidth, kHeight);
    ExpectPixel(20, 30, {0, 255, 0});
    ExpectPixel(5, 5, {0, 0, 255});
    // The whole display turns clipping off again
    SetViewport(0, 0, kWidth, kHeight);
    DrawRect(0, 0, kWidth, kHeight);
    ExpectPixel(5, 5, {0, 255, 0});
}

TEST_P(CanvasTest, PrimitivesLandWhereTheyArePlaced)
{
    SetBlend(BLEND_SOLID);
    Clear(0, 0, 0);
    SetColor(255, 255, 255);
    Plot(7, 9);
    ExpectPixel(7, 9, {255, 255, 255});
    ExpectPixel(8, 9, {0, 0, 0});
    DrawLine(20, 30, 40, 30);
    ExpectPixel(20, 30, {255, 255, 255});
    ExpectPixel(40, 30, {255, 255, 255});
    ExpectPixel(30, 31, {0, 0, 0});
    DrawOval(100, 100, 40, 20);
    ExpectPixel(120, 110, {255, 255, 255});
    ExpectPixel(101, 101, {0, 0, 0});
    // Too few points draws nothing
    DrawPoly({0, 0, 10, 0}, 150, 10);
    DrawPoly({0, 0, 10, 0, 0, 10}, 150, 50);
    ExpectPixel(151, 11, {0, 0, 0});
    ExpectPixel(151, 51, {255, 255, 255});
    SetOrigin(5, 5);
    Plot(0, 0);
    SetOrigin(0, 0);
    ExpectPixel(5, 5, {255, 255, 255});
}

TEST_P(CanvasTest, PixmapsGoUpAndComeBackUnchanged)
{
    SetBlend(BLEND_ALPHA);
    Clear(0, 0, 0);
    auto p = TPixmap::Create(3, 2, PF_RGBA8888);
    const std::uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF102030, 0xFFFFFFFF, 0x00808080};
    for (int i = 0; i < 6; ++i) p->WritePixel(i % 3, i / 3, colours[i]);
    DrawPixmap(*p, 10, 20);
    std::shared_ptr<TPixmap> back = GrabPixmap(10, 20, 3, 2);
    ASSERT_EQ(back->width, 3);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        // Copied, not blended: even the transparent pixel keeps its colour
        EXPECT_EQ(back->ReadPixel(i % 3, i / 3) & 0xFFFFFF, colours[i] & 0xFFFFFF);
    }
    // The blend mode in force before the copy is back
    SetColor(255, 255, 255);
    SetAlpha(0.5f);
    DrawRect(50, 50, 4, 4);
    EXPECT_NEAR(PixelAt(51, 51).r, 127, 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, CanvasTest, testsupport::AllDrivers(), testsupport::DriverName);

} // namespace
