#include "engine/draw/collision.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/draw/canvas.h"

namespace engine {

namespace {

TQuad* gLayers[kCollisionLayers] = {};
TQuad* gFreeQuads = nullptr;
// Every quad ever made; quads move between the layers and the free list
std::vector<std::unique_ptr<TQuad>> gQuadPool;
TCollisionTransform gTransform;
// One mark per pixel of the span being tested, reused from test to test
std::vector<unsigned char> gMarks;

void OnTransform(float ix, float iy, float jx, float jy) { gTransform = {ix, iy, jx, jy}; }

// The drawing state tells the layers of every rotation and scale change
const bool kListening = (SetTransformListener(OnTransform), true);

bool LayerSelected(int mask, int layer) { return (unsigned(mask) >> layer) & 1u; }

TQuad* TakeQuad()
{
    if (TQuad* q = gFreeQuads) {
        gFreeQuads = q->link;
        q->link = nullptr;
        return q;
    }
    gQuadPool.push_back(std::make_unique<TQuad>());
    return gQuadPool.back().get();
}

void ReleaseQuad(TQuad* q)
{
    q->id.reset();
    q->mask.reset();
    q->link = gFreeQuads;
    gFreeQuads = q;
}

//---- Placing

float OriginX() { return CurrentCanvas() ? CurrentCanvas()->origin_x : 0.0f; }
float OriginY() { return CurrentCanvas() ? CurrentCanvas()->origin_y : 0.0f; }

// The local rectangle (x0, y0)-(x1, y1) at (x, y) through the collision
// transform: the same placement drawing gives it
void PlaceRect(TQuad& q, float x0, float y0, float x1, float y1, int x, int y)
{
    const TCollisionTransform& t = gTransform;
    float tx = float(x) + OriginX(), ty = float(y) + OriginY();
    auto mx = [&](float lx, float ly) { return tx + lx * t.ix + ly * t.iy; };
    auto my = [&](float lx, float ly) { return ty + lx * t.jx + ly * t.jy; };
    q.SetCoords(mx(x0, y0), my(x0, y0), mx(x1, y0), my(x1, y0), mx(x1, y1), my(x1, y1), mx(x0, y1), my(x0, y1));
}

// Tests the placed quad, writes copies of it, and gives it back to the free list
std::vector<TCollisionId> CollideQuad(TQuad* placed, int collideMask, int writeMask)
{
    std::vector<TCollisionId> hits;
    for (int n = 0; n < kCollisionLayers; ++n) {
        if (!LayerSelected(collideMask, n)) continue;
        for (TQuad* q = gLayers[n]; q; q = q->link)
            if (QuadsCollide(*placed, *q)) hits.push_back(q->id);
    }
    for (int n = 0; n < kCollisionLayers; ++n) {
        if (!LayerSelected(writeMask, n)) continue;
        TQuad* copy = TakeQuad();
        copy->id = placed->id;
        copy->mask = placed->mask;
        copy->frame = placed->frame;
        std::memcpy(copy->xyuv, placed->xyuv, sizeof copy->xyuv);
        copy->minx = placed->minx, copy->miny = placed->miny;
        copy->maxx = placed->maxx, copy->maxy = placed->maxy;
        copy->link = gLayers[n];
        gLayers[n] = copy;
    }
    ReleaseQuad(placed);
    return hits;
}

TCollisionTransform TransformOf(float rot, float scaleX, float scaleY)
{
    double r = rot * 3.14159265358979323846 / 180.0;
    float sn = float(std::sin(r)), cs = float(std::cos(r));
    return {cs * scaleX, -sn * scaleY, sn * scaleX, cs * scaleY};
}

//---- The scan-line test

int VertexY(const rpoly& p, int vertex) { return int(p.data[vertex * p.channels + 1]); }

void PreparePolygon(rpoly& p, const TQuad& q)
{
    p.texture = q.mask.get();
    std::memcpy(p.data, q.xyuv, sizeof p.data);
    // The edge walks need one winding; a mirrored quad comes the other way round
    bool reverse = true;
    for (int k = 1; k <= p.count - 2; ++k) {
        const float* v0 = p.data;
        const float* v1 = p.data + k * p.channels;
        const float* v2 = p.data + (k + 1) * p.channels;
        int cross = int((v1[1] - v0[1]) * (v2[0] - v1[0]) - (v2[1] - v1[1]) * (v1[0] - v0[0]));
        if (cross < 0) reverse = false;
    }
    if (reverse)
        for (int i = 0, j = p.count - 1; i < j; ++i, --j)
            std::swap_ranges(p.data + i * p.channels, p.data + (i + 1) * p.channels, p.data + j * p.channels);
    p.top = VertexY(p, 0);
    for (int i = 1; i < p.count; ++i) p.top = std::min(p.top, VertexY(p, i));
    p.Left = p.Right = 0;
    while (VertexY(p, p.Left) != p.top) ++p.Left;
    p.Right = p.Left;
    p.state = 0;
}

// Walks from `vertex` by `step` to the edge that crosses scan line s and
// sets up its values and increments. False when the walk comes back round:
// the polygon has no more edges.
bool NextEdge(const rpoly& p, int& vertex, int step, int s, float* dat, float* add)
{
    int from = vertex, start = vertex, end = -1;
    for (;;) {
        int next = (start + step + p.count) % p.count;
        if (next == from) return false;
        if (VertexY(p, next) > s) {
            end = next;
            break;
        }
        start = next;
    }
    int lines = VertexY(p, end) - VertexY(p, start);
    if (lines < 1) return false;
    const float* a = p.data + start * p.channels;
    const float* b = p.data + end * p.channels;
    for (int c = 0; c < p.channels; ++c) {
        add[c] = (b[c] - a[c]) / float(lines);
        dat[c] = a[c] + 0.5f * add[c];
    }
    vertex = end;
    return true;
}

// Where the mask's alpha byte sits in a pixel, and how far apart pixels are
struct AlphaReader {
    int offset = 0, step = 0;
    bool direct = false;
    explicit AlphaReader(const TPixmap& m)
    {
        step = BytesPerPixel(m.format);
        if (m.format == PF_RGBA8888 || m.format == PF_BGRA8888) offset = 3, direct = true;
        if (m.format == PF_A8 || m.format == PF_A8_CHANNEL) offset = 0, direct = true;
    }
    int At(const TPixmap& m, int x, int y) const
    {
        if (direct) return m.pixels[std::ptrdiff_t(y) * m.pitch + std::ptrdiff_t(x) * step + offset];
        return int(m.ReadPixel(x, y) >> 24);
    }
};

// Marks the solid pixels of one polygon on the span b .. b + n - 1; true
// at the first pixel another polygon marked already
bool MarkSpan(const rpoly& p, int b, int n, unsigned char* marks)
{
    if (!p.texture) {
        for (int k = 0; k < n; ++k) {
            if (marks[k]) return true;
            marks[k] = 1;
        }
        return false;
    }
    const TPixmap& m = *p.texture;
    int e = int(p.ldat[0]), f = int(p.rdat[0]);
    if (f - e < 1) return false;
    float du = (p.rdat[2] - p.ldat[2]) / float(f - e);
    float dv = (p.rdat[3] - p.ldat[3]) / float(f - e);
    float u = p.ldat[2] + (float(b - e) + 0.5f) * du;
    float v = p.ldat[3] + (float(b - e) + 0.5f) * dv;
    AlphaReader alpha(m);
    for (int k = 0; k < n; ++k, u += du, v += dv) {
        float uc = std::clamp(u, 0.0f, 1.0f), vc = std::clamp(v, 0.0f, 1.0f);
        int col = std::min(int(uc * float(m.width)), m.width - 1);
        int row = std::min(int(vc * float(m.height)), m.height - 1);
        if (alpha.At(m, col, row) < 128) continue;
        if (marks[k]) return true;
        marks[k] = 1;
    }
    return false;
}

bool SpanHit(rpoly* const* active, int activeCount)
{
    if (activeCount < 2) return false;
    int l0 = int(active[0]->ldat[0]), r0 = int(active[0]->rdat[0]);
    int l1 = int(active[1]->ldat[0]), r1 = int(active[1]->rdat[0]);
    if (l1 >= r0 || l0 >= r1) return false;
    int b = std::max(l0, l1);
    int n = std::min(r0, r1) - b;
    if (n <= 0) return false;
    if (gMarks.size() < size_t(n)) gMarks.resize(size_t(n));
    std::memset(gMarks.data(), 0, size_t(n));
    for (int i = 0; i < activeCount; ++i)
        if (MarkSpan(*active[i], b, n, gMarks.data())) return true;
    return false;
}

void Deactivate(rpoly* p, rpoly** active, int& activeCount)
{
    for (int i = 0; i < activeCount; ++i) {
        if (active[i] != p) continue;
        for (int j = i + 1; j < activeCount; ++j) active[j - 1] = active[j];
        --activeCount;
        return;
    }
}

// Brings the polygon's edges up to scan line s
void AdvanceEdges(rpoly& p, int s, rpoly** active, int& activeCount)
{
    if (p.state == 2 || (p.state == 0 && s < p.top)) return;
    bool gotEdge = false;
    bool finished = false;
    if (s >= VertexY(p, p.Left)) {
        if (NextEdge(p, p.Left, -1, s, p.ldat, p.ladd)) gotEdge = true;
        else finished = true;
    }
    if (!finished && s >= VertexY(p, p.Right)) {
        if (NextEdge(p, p.Right, +1, s, p.rdat, p.radd)) gotEdge = true;
        else finished = true;
    }
    if (finished) {
        Deactivate(&p, active, activeCount);
        p.state = 2;
    } else if (gotEdge && p.state == 0) {
        p.state = 1;
        active[activeCount++] = &p;
    }
}

bool ScanLinesCollide(rpoly& a, rpoly& b)
{
    int first = std::min(a.top, b.top), last = first;
    for (const rpoly* p : {&a, &b})
        for (int i = 0; i < p->count; ++i) last = std::max(last, VertexY(*p, i));
    rpoly* active[2] = {};
    int activeCount = 0;
    for (int s = first; s < last; ++s) {
        AdvanceEdges(a, s, active, activeCount);
        AdvanceEdges(b, s, active, activeCount);
        if (activeCount > 0 && SpanHit(active, activeCount)) return true;
        for (int i = 0; i < activeCount; ++i) {
            rpoly& p = *active[i];
            for (int c = 0; c < p.channels; ++c) p.ldat[c] += p.ladd[c], p.rdat[c] += p.radd[c];
        }
    }
    return false;
}

} // namespace

void TQuad::SetCoords(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3)
{
    const float corners[16] = {x0, y0, 0, 0, x1, y1, 1, 0, x2, y2, 1, 1, x3, y3, 0, 1};
    std::memcpy(xyuv, corners, sizeof xyuv);
    minx = std::min({x0, x1, x2, x3});
    maxx = std::max({x0, x1, x2, x3});
    miny = std::min({y0, y1, y2, y3});
    maxy = std::max({y0, y1, y2, y3});
}

void ResetCollisions(int mask)
{
    for (int n = 0; n < kCollisionLayers; ++n) {
        if (mask != 0 && !LayerSelected(mask, n)) continue;
        TQuad* head = gLayers[n];
        if (!head) continue;
        TQuad* last = head;
        for (TQuad* q = head; q; q = q->link) {
            q->id.reset();
            q->mask.reset();
            last = q;
        }
        last->link = gFreeQuads;
        gFreeQuads = head;
        gLayers[n] = nullptr;
    }
}

std::vector<TCollisionId> CollideImage(TImage& image, int x, int y, int frame, int collideMask, int writeMask,
                                       TCollisionId id)
{
    (void)kListening;
    // A frame the image does not have is not drawn, so it touches nothing either
    if (frame < 0 || frame >= image.FrameCount()) return {};
    TQuad* placed = TakeQuad();
    placed->id = std::move(id);
    placed->frame = frame;
    std::shared_ptr<TPixmap> pixels = image.Lock(frame, 1, 0);
    if (pixels && FormatHasAlpha(pixels->format)) placed->mask = std::move(pixels);
    float hx = image.handle_x, hy = image.handle_y;
    PlaceRect(*placed, -hx, -hy, float(image.width) - hx, float(image.height) - hy, x, y);
    return CollideQuad(placed, collideMask, writeMask);
}

std::vector<TCollisionId> CollideRect(int x, int y, int w, int h, int collideMask, int writeMask, TCollisionId id)
{
    TQuad* placed = TakeQuad();
    placed->id = std::move(id);
    PlaceRect(*placed, 0, 0, float(w), float(h), x, y);
    return CollideQuad(placed, collideMask, writeMask);
}

bool ImagesOverlap(TImage& image1, int x1, int y1, int frame1, TImage& image2, int x2, int y2, int frame2)
{
    constexpr int kLayer31 = int(1u << 31);
    ResetCollisions(kLayer31);
    CollideImage(image1, x1, y1, frame1, 0, kLayer31);
    bool hit = !CollideImage(image2, x2, y2, frame2, kLayer31, 0).empty();
    ResetCollisions(kLayer31);
    return hit;
}

bool TransformedImagesOverlap(TImage& image1, int x1, int y1, int frame1, float rot1, float scaleX1,
                              float scaleY1, TImage& image2, int x2, int y2, int frame2, float rot2,
                              float scaleX2, float scaleY2)
{
    constexpr int kLayer31 = int(1u << 31);
    TCollisionTransform drawing = gTransform;
    ResetCollisions(kLayer31);
    gTransform = TransformOf(rot1, scaleX1, scaleY1);
    CollideImage(image1, x1, y1, frame1, 0, kLayer31);
    gTransform = TransformOf(rot2, scaleX2, scaleY2);
    bool hit = !CollideImage(image2, x2, y2, frame2, kLayer31, 0).empty();
    gTransform = drawing;
    ResetCollisions(kLayer31);
    return hit;
}

TCollisionTransform CollisionTransform() { return gTransform; }

bool QuadBoxesOverlap(const TQuad& a, const TQuad& b)
{
    return a.maxx >= b.minx && a.maxy >= b.miny && a.minx <= b.maxx && a.miny <= b.maxy;
}

bool QuadsCollide(const TQuad& a, const TQuad& b)
{
    if (!QuadBoxesOverlap(a, b)) return false;
    rpoly pa, pb;
    PreparePolygon(pa, a);
    PreparePolygon(pb, b);
    return ScanLinesCollide(pa, pb);
}

int LayerQuadCount(int layer)
{
    if (layer < 0 || layer >= kCollisionLayers) return 0;
    int count = 0;
    for (const TQuad* q = gLayers[layer]; q; q = q->link) ++count;
    return count;
}

} // namespace engine
