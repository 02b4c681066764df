// Collision layers on a real display: images placed with the drawing
// state's rotation and scale, tested pixel by pixel through their masks.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/collision.h"
#include "engine/draw/image.h"
#include "tests/support/display.h"

using namespace engine;

namespace {

// A masked 64 x 64 image, centre handle, solid where the rule says so
std::shared_ptr<TImage> Shape(const std::function<bool(int x, int y)>& solid)
{
    std::shared_ptr<TImage> image = CreateImage(64, 64, 1, IMAGE_MASKED);
    std::shared_ptr<TPixmap> p = image->Lock(0, 1, 1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) p->WritePixel(x, y, solid(x, y) ? 0xFFFFFFFFu : 0x00000000u);
    MidHandleImage(*image);
    return image;
}

std::shared_ptr<TImage> Square() { return Shape([](int, int) { return true; }); }
// Solid inside the diamond that touches the middle of each edge
std::shared_ptr<TImage> Diamond()
{
    return Shape([](int x, int y) { return std::fabs(x - 31.5) + std::fabs(y - 31.5) <= 32.0; });
}
std::shared_ptr<TImage> LeftHalf() { return Shape([](int x, int) { return x < 32; }); }

// Whether a 2 x 2 probe at (x, y) touches what layer 0 holds
bool ProbeHits(int x, int y) { return !CollideRect(x, y, 2, 2, 1, 0).empty(); }

class Collision : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testsupport::OpenTestDisplay(testsupport::DriverKind::GL, 320, 240)); }
    static void TearDownTestSuite() { CloseGraphics(); }
    void SetUp() override
    {
        ResetCollisions(0);
        SetRotation(0);
        SetScale(1, 1);
    }
    void TearDown() override
    {
        SetRotation(0);
        SetScale(1, 1);
        ResetCollisions(0);
    }
};

TEST_F(Collision, TheLayersFollowTheDrawingTransform)
{
    TCollisionTransform t = CollisionTransform();
    EXPECT_FLOAT_EQ(t.ix, 1);
    EXPECT_FLOAT_EQ(t.iy, 0);
    EXPECT_FLOAT_EQ(t.jx, 0);
    EXPECT_FLOAT_EQ(t.jy, 1);
    SetRotation(90);
    SetScale(2, 3);
    t = CollisionTransform();
    EXPECT_NEAR(t.ix, 0, 1e-6);
    EXPECT_NEAR(t.iy, -3, 1e-6);
    EXPECT_NEAR(t.jx, 2, 1e-6);
    EXPECT_NEAR(t.jy, 0, 1e-6);
}

TEST_F(Collision, MasksDecideWhereOverlappingBoxesTouch)
{
    auto diamond = Diamond();
    struct Case {
        int dx, dy;
        bool hit;
    } cases[] = {
        {48, 48, false},   // boxes share a 16 x 16 corner, transparent in both
        {-48, 48, false},
        {40, 0, true},     // the points of the two diamonds overlap
        {0, 36, true},
        {63, 0, true},     // one pixel column shared, where both points lie
        {36, 30, false},   // 66 apart: the points pass each other by
        {30, 30, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.dx << ", " << c.dy);
        ResetCollisions(0);
        CollideImage(*diamond, 100, 100, 0, 0, 1);
        EXPECT_EQ(!CollideImage(*diamond, 100 + c.dx, 100 + c.dy, 0, 1, 0).empty(), c.hit);
        EXPECT_EQ(ImagesOverlap(*diamond, 100, 100, 0, *diamond, 100 + c.dx, 100 + c.dy, 0), c.hit);
    }
}

TEST_F(Collision, BoxesThatOnlyTouchPassTheBoxTestButDoNotCollide)
{
    auto square = Square();
    CollideImage(*square, 100, 100, 0, 0, 1);
    CollideImage(*square, 164, 100, 0, 0, 2);
    // The one quad in each layer: their boxes share the edge x = 132
    EXPECT_TRUE(CollideImage(*square, 164, 100, 0, 1, 0).empty());
    EXPECT_TRUE(CollideImage(*square, 100, 164, 0, 1, 0).empty());
    EXPECT_EQ(CollideImage(*square, 163, 100, 0, 1, 0).size(), 1u);
    TQuad a, b;
    a.SetCoords(68, 68, 132, 68, 132, 132, 68, 132);
    b.SetCoords(132, 68, 196, 68, 196, 132, 132, 132);
    EXPECT_TRUE(QuadBoxesOverlap(a, b));
    EXPECT_FALSE(QuadsCollide(a, b));
    b.SetCoords(133, 68, 197, 68, 197, 132, 133, 132);
    EXPECT_FALSE(QuadBoxesOverlap(a, b));
}

TEST_F(Collision, AnImageMissesItsOwnCopyInTheSameCallAndHitsItLater)
{
    auto square = Square();
    EXPECT_TRUE(CollideImage(*square, 50, 50, 0, 1, 1).empty());
    EXPECT_EQ(CollideImage(*square, 50, 50, 0, 1, 0).size(), 1u);
}

TEST_F(Collision, IdsComeNewestFirstWithinALayerAndLayersInOrder)
{
    auto square = Square();
    auto older = std::make_shared<int>(1), newer = std::make_shared<int>(2), lower = std::make_shared<int>(3);
    CollideImage(*square, 100, 100, 0, 0, 1 << 4, older);
    CollideImage(*square, 110, 100, 0, 0, 1 << 4, newer);
    CollideImage(*square, 90, 100, 0, 0, 1 << 2, lower);
    CollideImage(*square, 300, 100, 0, 0, 1 << 4);   // far away: not hit
    std::vector<TCollisionId> hits = CollideImage(*square, 100, 100, 0, (1 << 4) | (1 << 2), 0);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0], lower);
    EXPECT_EQ(hits[1], newer);
    EXPECT_EQ(hits[2], older);
    // A null id is listed like any other, once per quad hit
    CollideImage(*square, 100, 100, 0, 0, 1 << 7);
    CollideImage(*square, 100, 100, 0, 0, 1 << 7);
    hits = CollideImage(*square, 100, 100, 0, 1 << 7, 0);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0], nullptr);
}

TEST_F(Collision, ResettingByMaskEmptiesOnlyTheChosenLayers)
{
    auto square = Square();
    for (int n = 0; n < kCollisionLayers; ++n) CollideImage(*square, 10, 10, 0, 0, int(1u << n));
    ResetCollisions(2);
    for (int n = 0; n < kCollisionLayers; ++n) EXPECT_EQ(LayerQuadCount(n), n == 1 ? 0 : 1) << "layer " << n;
    ResetCollisions(int(1u << 31) | 1);
    EXPECT_EQ(LayerQuadCount(0), 0);
    EXPECT_EQ(LayerQuadCount(31), 0);
    EXPECT_EQ(LayerQuadCount(2), 1);
    ResetCollisions(0);
    for (int n = 0; n < kCollisionLayers; ++n) EXPECT_EQ(LayerQuadCount(n), 0) << "layer " << n;
    // Quads released by a reset hold neither their id nor their mask
    auto id = std::make_shared<int>(5);
    CollideImage(*square, 10, 10, 0, 0, 1, id);
    ResetCollisions(1);
    EXPECT_EQ(id.use_count(), 1);
}

TEST_F(Collision, ARotatedImageCollidesWithItsRotatedCorners)
{
    auto square = Square();
    // Near the unrotated corner, and at the rotated one out on the axis
    struct Case {
        float rotation;
        int x, y;
        bool hit;
    } cases[] = {
        {0, 70, 70, true},  {45, 70, 70, false}, {0, 56, 99, false},
        {45, 56, 99, true}, {45, 146, 99, false}, {45, 140, 99, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation << " probe " << c.x << ", " << c.y);
        ResetCollisions(0);
        SetRotation(c.rotation);
        CollideImage(*square, 100, 100, 0, 0, 1);
        SetRotation(0);
        EXPECT_EQ(ProbeHits(c.x, c.y), c.hit);
    }
    EXPECT_TRUE(TransformedImagesOverlap(*square, 100, 100, 0, 0, 1, 1, *square, 150, 150, 0, 45, 1, 1));
    EXPECT_FALSE(TransformedImagesOverlap(*square, 100, 100, 0, 45, 1, 1, *square, 158, 158, 0, 45, 1, 1));
    // The drawing state's transform is left as it was
    EXPECT_FLOAT_EQ(CollisionTransform().ix, 1);
}

TEST_F(Collision, AMirroredImageCollidesLikeItsTwin)
{
    auto half = LeftHalf();
    // The solid half is at the left, or at the right once mirrored
    struct Case {
        float scaleX, scaleY;
        int x;
        bool hit;
    } cases[] = {
        {1, 1, 80, true}, {1, 1, 120, false}, {-1, 1, 80, false}, {-1, 1, 120, true},
        // Mirrored both ways: turned half round, solid at the right again
        {-1, -1, 120, true}, {-1, -1, 80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scaleX << ", " << c.scaleY << " probe x " << c.x);
        ResetCollisions(0);
        SetScale(c.scaleX, c.scaleY);
        CollideImage(*half, 100, 100, 0, 0, 1);
        SetScale(1, 1);
        EXPECT_EQ(ProbeHits(c.x, 100), c.hit);
    }
    // A mirrored image tested against the layer (rather than written) too
    ResetCollisions(0);
    CollideRect(110, 90, 20, 20, 0, 1);
    SetScale(-1, 1);
    EXPECT_EQ(CollideImage(*half, 100, 100, 0, 1, 0).size(), 1u);
    SetScale(1, 1);
    EXPECT_TRUE(CollideImage(*half, 100, 100, 0, 1, 0).empty());
}

TEST_F(Collision, TheOriginMovesPlacementsAndMissingFramesTouchNothing)
{
    auto square = Square();
    SetOrigin(100, 0);
    CollideImage(*square, 0, 100, 0, 0, 1);
    SetOrigin(0, 0);
    EXPECT_TRUE(ProbeHits(100, 100));
    EXPECT_FALSE(ProbeHits(0, 100));
    EXPECT_TRUE(CollideImage(*square, 100, 100, 7, 1, 1).empty());
    EXPECT_EQ(LayerQuadCount(0), 1);
}

} // namespace
