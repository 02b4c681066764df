// Images on a real back-end under Xvfb: upload, masking, strips, handles,
// filtering and re-uploading after the display is re-opened.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/display/sdl_graphics_driver.h"
#include "engine/draw/gl/gl_image_frame.h"
#include "engine/draw/sdl/sdl_image_frame.h"
#include "engine/platform/renderer2d.h"
#include "engine/draw/image.h"
#include "engine/draw/pixmap_loader.h"
#include "tests/draw/image_files.h"
#include "tests/support/display.h"
#include "tests/support/xvfb.h"

using namespace engine;
using testsupport::DriverKind;

namespace {

constexpr int kWidth = 320, kHeight = 200;

std::shared_ptr<TPixmap> Solid(int w, int h, std::uint32_t argb, int format = PF_RGBA8888)
{
    auto p = TPixmap::Create(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p->WritePixel(x, y, argb);
    return p;
}

std::shared_ptr<TImage> ImageOf(std::shared_ptr<TPixmap> pixels, int flags = 0)
{
    auto image = TImage::Create(pixels->width, pixels->height, 1, flags, 255, 0, 255);
    image->SetPixmap(0, pixels);
    return image;
}

int RedAt(int x, int y) { return GrabPixmap(x, y, 1, 1)->Red(0, 0); }

void ClearBlack()
{
    SetClsColor(0, 0, 0);
    Cls();
}

class ImageTest : public testing::TestWithParam<DriverKind> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), kWidth, kHeight));
        SetBlend(BLEND_ALPHA);
        ClearBlack();
    }
    void TearDown() override { CloseGraphics(); }
};

TEST_P(ImageTest, AMidHandledFrameCoversTheCellAroundItsPosition)
{
    auto image = ImageOf(Solid(64, 64, 0xFFFF0000));
    MidHandleImage(*image);
    EXPECT_FLOAT_EQ(image->handle_x, 32.0f);
    DrawImage(*image, 100, 50);
    std::shared_ptr<TPixmap> area = GrabPixmap(66, 16, 68, 68);
    for (int y = 16; y < 84; ++y) {
        for (int x = 66; x < 134; ++x) {
            bool inside = x >= 68 && x <= 131 && y >= 18 && y <= 81;
            ASSERT_EQ(area->Red(x - 66, y - 16), inside ? 255 : 0) << x << "," << y;
        }
    }
}

TEST_P(ImageTest, MaskColourPixelsBecomeTransparentUnlessThePictureHasAlpha)
{
    auto opaque = Solid(8, 8, 0xFF00FF00, PF_RGB888);
    opaque->WritePixel(2, 2, 0xFFFF00FF);
    auto masked = ImageOf(opaque, IMAGE_MASKED);
    EXPECT_EQ(masked->pixmaps[0]->format, PF_RGBA8888);
    EXPECT_EQ(masked->pixmaps[0]->Alpha(2, 2), 0);
    // Green underneath: the average of its neighbours, so filtering never shows magenta
    EXPECT_EQ(masked->pixmaps[0]->ReadPixel(2, 2), 0x0000FF00u);
    EXPECT_EQ(masked->pixmaps[0]->Alpha(3, 2), 255);

    auto withAlpha = Solid(8, 8, 0xFFFF00FF);
    auto kept = ImageOf(withAlpha, IMAGE_MASKED);
    EXPECT_EQ(kept->pixmaps[0]->ReadPixel(2, 2), 0xFFFF00FFu);

    // Drawn, the masked pixel shows the background
    DrawImage(*masked, 10, 10);
    EXPECT_EQ(GrabPixmap(12, 12, 1, 1)->ReadPixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(GrabPixmap(13, 12, 1, 1)->Green(0, 0), 255);
}

TEST_P(ImageTest, FramesUploadAgainAfterTheDisplayIsReopened)
{
    auto first = ImageOf(Solid(16, 16, 0xFFFF0000));
    auto second = ImageOf(Solid(16, 16, 0xFF0000FF));
    DrawImage(*first, 0, 0);
    DrawImage(*second, 20, 0);
    int seq = first->seqs[0];
    EXPECT_EQ(seq, GraphicsGeneration());

    ASSERT_TRUE(OpenGraphics(kWidth, kHeight, 0, 60, 0));
    SetBlend(BLEND_ALPHA);
    ClearBlack();
    EXPECT_NE(first->seqs[0], GraphicsGeneration());
    DrawImage(*first, 40, 40);
    DrawImage(*second, 60, 40);
    EXPECT_EQ(first->seqs[0], GraphicsGeneration());
    EXPECT_EQ(GrabPixmap(45, 45, 1, 1)->Red(0, 0), 255);
    EXPECT_EQ(GrabPixmap(65, 45, 1, 1)->Blue(0, 0), 255);
}

TEST_P(ImageTest, WritingThroughLockUploadsTheNewPixels)
{
    auto image = ImageOf(Solid(4, 4, 0xFFFF0000));
    DrawImage(*image, 0, 0);
    EXPECT_EQ(RedAt(1, 1), 255);
    image->Lock(0, 1, 1)->WritePixel(1, 1, 0xFF000000);
    EXPECT_EQ(image->seqs[0], 0);
    DrawImage(*image, 0, 0);
    EXPECT_EQ(RedAt(1, 1), 0);
    EXPECT_EQ(RedAt(2, 1), 255);
}

// A 2 x 1 picture stretched to 64 x 1: nearest sampling shows two halves,
// filtering blends them in the middle
TEST_P(ImageTest, FilteringFollowsTheFlags)
{
    auto pixels = TPixmap::Create(2, 1, PF_RGBA8888);
    pixels->WritePixel(0, 0, 0xFF000000);
    pixels->WritePixel(1, 0, 0xFFFFFFFF);
    auto sharp = ImageOf(pixels, 0);
    auto smooth = ImageOf(pixels->Copy(), IMAGE_FILTERED);
    DrawImageRect(*sharp, 0, 0, 64, 1);
    DrawImageRect(*smooth, 0, 10, 64, 1);
    EXPECT_EQ(RedAt(30, 0), 0);
    EXPECT_EQ(RedAt(33, 0), 255);
    EXPECT_GT(RedAt(30, 10), 40);
    EXPECT_LT(RedAt(30, 10), 215);
}

TEST_P(ImageTest, ImagesOutliveTheirDisplay)
{
    auto image = ImageOf(Solid(4, 4, 0xFFFFFFFF));
    DrawImage(*image, 0, 0);
    CloseGraphics();
    // Dropping a frame whose display has gone must not touch the back-end
    image.reset();
    ASSERT_TRUE(testsupport::OpenTestDisplay(GetParam(), kWidth, kHeight));
}

INSTANTIATE_TEST_SUITE_P(Drivers, ImageTest, testsupport::AllDrivers(), testsupport::DriverName);

// What a back-end's frame says of its texture, and the texture read back
struct TextureView {
    int width = 0, height = 0;
    float umax = 0, vmax = 0;
    std::shared_ptr<TPixmap> pixels;
};

TextureView ViewTexture(TImageFrame* frame)
{
    TextureView view;
    if (auto* gl = dynamic_cast<TGLImageFrame*>(frame))
        view = {gl->TextureWidth(), gl->TextureHeight(), gl->UMax(), gl->VMax(), gl->ReadTexture()};
    if (auto* sdl = dynamic_cast<TSDLImageFrame*>(frame))
        view = {sdl->TextureWidth(), sdl->TextureHeight(), sdl->UMax(), sdl->VMax(), sdl->ReadTexture()};
    return view;
}

// A picture of 100 x 30 lies in a 128 x 32 texture; its last column and row
// are repeated once so filtering at the edge never samples black
TEST_P(ImageTest, PicturesArePaddedToPowersOfTwoWithTheEdgeSmeared)
{
    SetBlend(BLEND_SOLID);
    auto pixels = TPixmap::Create(100, 30, PF_RGB888);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) pixels->WritePixel(x, y, 0xFF000000u | (x << 16) | (y << 8) | 7);
    auto image = ImageOf(pixels, 0);
    TextureView texture = ViewTexture(image->Frame(0));
    ASSERT_NE(texture.pixels, nullptr);
    EXPECT_EQ(texture.width, 128);
    EXPECT_EQ(texture.height, 32);
    EXPECT_FLOAT_EQ(texture.umax, 0.78125f);
    EXPECT_FLOAT_EQ(texture.vmax, 0.9375f);
    const TPixmap& t = *texture.pixels;
    EXPECT_EQ(t.ReadPixel(37, 11) & 0xFFFFFF, (37u << 16) | (11u << 8) | 7u);
    for (int y = 0; y < 30; ++y) ASSERT_EQ(t.ReadPixel(100, y), t.ReadPixel(99, y)) << y;
    for (int x = 0; x < 100; ++x) ASSERT_EQ(t.ReadPixel(x, 30), t.ReadPixel(x, 29)) << x;
    EXPECT_EQ(t.ReadPixel(100, 30), t.ReadPixel(99, 29));
    // Beyond the smear the texture stays empty
    EXPECT_EQ(t.ReadPixel(101, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(t.ReadPixel(5, 31) & 0xFFFFFF, 0u);
}

// In mask mode a texel shows when its alpha times the drawing alpha is at
// least one half, and then it replaces the background whole
TEST_P(ImageTest, MaskModeTestsTexelAlphaTimesDrawingAlpha)
{
    auto pixels = TPixmap::Create(3, 1, PF_RGBA8888);
    pixels->WritePixel(0, 0, 0x64FF0000);   // alpha 100
    pixels->WritePixel(1, 0, 0xC8FF0000);   // alpha 200
    pixels->WritePixel(2, 0, 0xFFFF0000);
    auto image = ImageOf(pixels, 0);
    const struct {
        float alpha;
        int red[3];
    } cases[] = {{1.0f, {0, 255, 255}}, {0.7f, {0, 255, 255}}, {0.6f, {0, 0, 255}}, {0.4f, {0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "alpha " << c.alpha);
        SetBlend(BLEND_SOLID);
        ClearBlack();
        SetBlend(BLEND_MASK);
        SetAlpha(c.alpha);
        DrawImageRect(*image, 0, 0, 30, 10);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(RedAt(i * 10 + 5, 5), c.red[i]) << "texel " << i;
    }
    SetAlpha(1.0f);
}

// The second back-end draws through a real renderer, not a stand-in
TEST(SecondBackEnd, DrawsThroughTheRendererOfTheWindow)
{
    ASSERT_TRUE(testsupport::OpenTestDisplay(DriverKind::SDL, kWidth, kHeight));
    auto* graphics = dynamic_cast<TSDLGraphics*>(CurrentCanvas()->_graphics.get());
    ASSERT_NE(graphics, nullptr);
    std::string name = platform::RendererName(graphics->Window());
    EXPECT_FALSE(name.empty());
    RecordProperty("renderer", name);
    std::printf("second back-end renderer: %s\n", name.c_str());
    CloseGraphics();
}

class StripTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterPixmapLoaders();
        // 200 x 130: three whole 64 x 64 cells across, two down
        testfiles::PngPicture picture;
        picture.width = 200, picture.height = 130, picture.colorType = 2;
        for (int y = 0; y < 130; ++y) {
            testfiles::Bytes row;
            for (int x = 0; x < 200; ++x) {
                int cell = (x / 64) + 3 * (y / 64);
                row.insert(row.end(), {std::uint8_t(cell * 40), std::uint8_t(x % 64), std::uint8_t(y % 64)});
            }
            picture.rows.push_back(row);
        }
        testfiles::Bytes png = testfiles::MakePng(picture);
        path_ = testing::TempDir() + "strip.png";
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }
    std::string path_;
};

TEST_F(StripTest, OnlyWholeCellsCount)
{
    EXPECT_EQ(LoadAnimImage(path_, 64, 64, 0, 7, 0), nullptr);
    EXPECT_EQ(LoadAnimImage(path_, 64, 64, 1, 6, 0), nullptr);
    auto image = LoadAnimImage(path_, 64, 64, 0, 6, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->FrameCount(), 6);
    EXPECT_EQ(image->width, 64);
    // Left to right, then top to bottom
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(image->pixmaps[i]->Red(0, 0), i * 40);
        EXPECT_EQ(image->pixmaps[i]->Green(63, 0), 63);
        EXPECT_EQ(image->pixmaps[i]->Blue(0, 63), 63);
    }
    auto fromThird = LoadAnimImage(path_, 64, 64, 2, 3, 0);
    ASSERT_NE(fromThird, nullptr);
    EXPECT_EQ(fromThird->pixmaps[0]->Red(0, 0), 80);
}

TEST_F(StripTest, MissingAndUnknownFilesGiveNull)
{
    EXPECT_EQ(LoadImage("/nonexistent.png"), nullptr);
    EXPECT_EQ(LoadAnimImage("/nonexistent.png", 8, 8, 0, 1), nullptr);
    std::string text = testing::TempDir() + "not-a-picture.png";
    std::ofstream(text) << "just some text";
    EXPECT_EQ(LoadImage(text), nullptr);
}

TEST_F(StripTest, DefaultFlagsAndAutomaticMidHandle)
{
    auto image = LoadImage(path_);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->flags, IMAGE_MASKED | IMAGE_FILTERED);
    EXPECT_FLOAT_EQ(image->handle_x, 0.0f);
    AutoMidHandle(true);
    auto centred = LoadAnimImage(path_, 64, 64, 0, 1);
    AutoMidHandle(false);
    EXPECT_FLOAT_EQ(centred->handle_x, 32.0f);
    EXPECT_FLOAT_EQ(centred->handle_y, 32.0f);
    SetImageFlags(-1);
    EXPECT_EQ(ImageFlags(), IMAGE_MASKED | IMAGE_FILTERED);
}

} // namespace
