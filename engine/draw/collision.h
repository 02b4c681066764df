// Collision layers: images written where they are drawn, and pixel-exact
// tests of a placed image against what the layers hold.
//
// Each of the 32 layers is a chain of quads, addressed by bit masks (bit n is
// layer n). A quad is an image frame placed with the drawing state's origin
// and its current rotation and scale, so what collides is what is drawn.
#pragma once
#include <memory>
#include <vector>

#include "engine/draw/image.h"
#include "engine/draw/pixmap.h"

namespace engine {

inline constexpr int kCollisionLayers = 32;

// What a caller attaches to a written quad and gets back when it is hit;
// null is a value like any other
using TCollisionId = std::shared_ptr<void>;

// One placed image (or rectangle)
struct TQuad {
    TQuad* link = nullptr;          // next in the same layer, or in the free list
    TCollisionId id;
    std::shared_ptr<TPixmap> mask;  // none: every pixel of the quad is solid
    int frame = 0;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    float xyuv[16] = {};            // four corners, each x, y, u, v

    // Corners in order, with texture corners (0,0), (1,0), (1,1), (0,1)
    void SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);
};

// The scan-line state of one polygon during a pixel test
struct rpoly {
    const TPixmap* texture = nullptr;
    float data[16] = {};   // the vertices, reordered when need be
    int channels = 4;
    int count = 4;
    int size = 16;
    float ldat[4] = {}, ladd[4] = {}, rdat[4] = {}, radd[4] = {};
    int Left = 0, Right = 0;
    int top = 0;
    int state = 0;         // 0 not started, 1 active, 2 finished
};

// Empties every layer whose bit is set; 0 empties all 32
void ResetCollisions(int mask = 0);

// Tests the image's frame placed at (x, y) against the layers of collideMask,
// then writes it into the layers of writeMask. Returns the ids of the quads
// hit, newest first within a layer, layers in order; one entry per quad hit.
std::vector<TCollisionId> CollideImage(TImage& image, int x, int y, int frame, int collideMask, int writeMask,
                                       TCollisionId id = nullptr);
// The same for a w x h rectangle with its handle at its top-left corner,
// solid everywhere
std::vector<TCollisionId> CollideRect(int x, int y, int w, int h, int collideMask, int writeMask,
                                      TCollisionId id = nullptr);

// Two frames tested against each other directly, through layer 31 (which
// is emptied before and after): with the current rotation and scale...
bool ImagesOverlap(TImage& image1, int x1, int y1, int frame1, TImage& image2, int x2, int y2, int frame2);
// ...or each with a rotation and scale of its own
bool TransformedImagesOverlap(TImage& image1, int x1, int y1, int frame1, float rot1, float scaleX1,
                              float scaleY1, TImage& image2, int x2, int y2, int frame2, float rot2,
                              float scaleX2, float scaleY2);

//---- The pieces of the test, for the curious and for tests

// The collision transform: a copy of the drawing matrix, kept in step with
// every rotation and scale change. All zeros until a display is made current.
struct TCollisionTransform {
    float ix = 0, iy = 0, jx = 0, jy = 0;
};
TCollisionTransform CollisionTransform();

// Closed on all sides: boxes that only touch pass
bool QuadBoxesOverlap(const TQuad& a, const TQuad& b);
// Box test, then the scan-line test of the two polygons and their masks
bool QuadsCollide(const TQuad& a, const TQuad& b);
// Quads written into one layer, newest first
int LayerQuadCount(int layer);

} // namespace engine
