#include "engine/draw/mask.h"

namespace engine {

static bool IsKey(const std::uint8_t* p, int r, int g, int b)
{
    return p[0] == r && p[1] == g && p[2] == b;
}

// The per-channel integer average of the non-key pixels of the 3 x 3
// neighbourhood that lie inside the pixmap; black when there are none
static void NeighbourAverage(const TPixmap& rgba, int x, int y, int r, int g, int b, std::uint8_t* out)
{
    int sum[3] = {0, 0, 0}, count = 0;
    for (int ny = y - 1; ny <= y + 1; ++ny) {
        for (int nx = x - 1; nx <= x + 1; ++nx) {
            if (nx < 0 || ny < 0 || nx >= rgba.width || ny >= rgba.height) continue;
            const std::uint8_t* p = rgba.PixelPtr(nx, ny);
            if (IsKey(p, r, g, b)) continue;
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            ++count;
        }
    }
    for (int c = 0; c < 3; ++c) out[c] = count ? std::uint8_t(sum[c] / count) : 0;
}

std::shared_ptr<TPixmap> MaskPixmap(const TPixmap& source, int r, int g, int b)
{
    std::shared_ptr<TPixmap> rgba = source.Convert(PF_RGBA8888);
    auto masked = TPixmap::Create(source.width, source.height, PF_RGBA8888);
    if (!rgba || !masked) return nullptr;
    for (int y = 0; y < rgba->height; ++y) {
        for (int x = 0; x < rgba->width; ++x) {
            const std::uint8_t* p = rgba->PixelPtr(x, y);
            std::uint8_t* d = masked->PixelPtr(x, y);
            if (IsKey(p, r, g, b)) {
                NeighbourAverage(*rgba, x, y, r, g, b, d);
                d[3] = 0;
            } else {
                d[0] = p[0], d[1] = p[1], d[2] = p[2], d[3] = 255;
            }
        }
    }
    return masked;
}

} // namespace engine
