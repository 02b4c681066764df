#include "engine/draw/pixmap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>

namespace engine {

int BytesPerPixel(int format)
{
    switch (format) {
    case PF_I8: case PF_A8: case PF_R8: case PF_G8: case PF_B8: case PF_A8_CHANNEL: return 1;
    case PF_BGR888: case PF_RGB888: return 3;
    case PF_BGRA8888: case PF_RGBA8888: return 4;
    default: return 0;
    }
}

bool FormatHasAlpha(int format)
{
    return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888 || format == PF_A8_CHANNEL;
}

static std::uint32_t Argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

static std::uint32_t DecodePixel(const std::uint8_t* p, int format)
{
    switch (format) {
    case PF_I8: return Argb(255, p[0], p[0], p[0]);
    // An alpha map reads as white coverage, so it can be drawn tinted
    case PF_A8: case PF_A8_CHANNEL: return Argb(p[0], 255, 255, 255);
    case PF_BGR888: return Argb(255, p[2], p[1], p[0]);
    case PF_RGB888: return Argb(255, p[0], p[1], p[2]);
    case PF_BGRA8888: return Argb(p[3], p[2], p[1], p[0]);
    case PF_RGBA8888: return Argb(p[3], p[0], p[1], p[2]);
    case PF_R8: return Argb(255, p[0], 0, 0);
    case PF_G8: return Argb(255, 0, p[0], 0);
    case PF_B8: return Argb(255, 0, 0, p[0]);
    default: return 0;
    }
}

// Rounded luma, so a grey that went out to colour comes back unchanged
static std::uint8_t Grey(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return std::uint8_t((299 * r + 587 * g + 114 * b + 500) / 1000);
}

static void EncodePixel(std::uint8_t* p, int format, std::uint32_t argb)
{
    std::uint8_t a = argb >> 24, r = argb >> 16, g = argb >> 8, b = argb;
    switch (format) {
    case PF_I8: p[0] = Grey(r, g, b); break;
    case PF_A8: case PF_A8_CHANNEL: p[0] = a; break;
    case PF_BGR888: p[0] = b; p[1] = g; p[2] = r; break;
    case PF_RGB888: p[0] = r; p[1] = g; p[2] = b; break;
    case PF_BGRA8888: p[0] = b; p[1] = g; p[2] = r; p[3] = a; break;
    case PF_RGBA8888: p[0] = r; p[1] = g; p[2] = b; p[3] = a; break;
    case PF_R8: p[0] = r; break;
    case PF_G8: p[0] = g; break;
    case PF_B8: p[0] = b; break;
    default: break;
    }
}

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align)
{
    int bpp = BytesPerPixel(format);
    if (bpp == 0 || width < 0 || height < 0) return nullptr;
    if (align < 1) align = 1;
    // In 64 bits: the row and the whole must both fit the int fields
    long long row = (long long)width * bpp;
    long long pitch = (row + align - 1) / align * align;
    if (pitch > INT_MAX || pitch * height > INT_MAX) return nullptr;
    auto p = std::make_shared<TPixmap>();
    p->storage_.assign(std::size_t(pitch * height), 0);
    p->pixels = p->storage_.data();
    p->width = width;
    p->height = height;
    p->pitch = int(pitch);
    p->format = format;
    p->capacity = int(pitch * height);
    return p;
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h)
{
    long long x0 = std::clamp<long long>(x, 0, width), y0 = std::clamp<long long>(y, 0, height);
    long long x1 = std::clamp<long long>((long long)x + std::max(w, 0), x0, width);
    long long y1 = std::clamp<long long>((long long)y + std::max(h, 0), y0, height);
    auto view = std::make_shared<TPixmap>();
    view->pixels = pixels ? PixelPtr(int(x0), int(y0)) : nullptr;
    view->width = int(x1 - x0);
    view->height = int(y1 - y0);
    view->pitch = pitch;
    view->format = format;
    // A window of a window keeps the owner of the pixels alive, not the view
    view->_source = capacity == 0 && _source ? _source : weak_from_this().lock();
    return view;
}

std::shared_ptr<TPixmap> TPixmap::Copy() const
{
    auto copy = Create(width, height, format);
    if (!copy) return nullptr;
    std::size_t row = std::size_t(width) * BytesPerPixel(format);
    for (int y = 0; y < height && row > 0; ++y)
        std::memcpy(copy->PixelPtr(0, y), PixelPtr(0, y), row);
    return copy;
}

// Whether the bytes of two pixmaps overlap (a window pasted into its source)
static bool SharesBytes(const TPixmap& a, const TPixmap& b)
{
    if (!a.pixels || !b.pixels || a.width == 0 || a.height == 0 || b.width == 0 || b.height == 0) return false;
    auto span = [](const TPixmap& p) {
        std::size_t bytes = std::size_t(p.height - 1) * p.pitch + std::size_t(p.width) * BytesPerPixel(p.format);
        return std::pair{p.pixels, p.pixels + bytes};
    };
    auto [a0, a1] = span(a);
    auto [b0, b1] = span(b);
    std::less<const std::uint8_t*> before;
    return before(a0, b1) && before(b0, a1);
}

static void PasteRow(const TPixmap& from, int sx, int sy, TPixmap& to, int dx, int dy, int count)
{
    const std::uint8_t* s = from.PixelPtr(sx, sy);
    std::uint8_t* d = to.PixelPtr(dx, dy);
    if (from.format == to.format) {
        std::memcpy(d, s, std::size_t(count) * BytesPerPixel(to.format));
        return;
    }
    int sb = BytesPerPixel(from.format), db = BytesPerPixel(to.format);
    for (int i = 0; i < count; ++i, s += sb, d += db)
        EncodePixel(d, to.format, DecodePixel(s, from.format));
}

void TPixmap::Paste(const TPixmap& source, int x, int y)
{
    if (BytesPerPixel(source.format) == 0 || BytesPerPixel(format) == 0 || !source.pixels || !pixels) return;
    if (SharesBytes(source, *this)) {
        auto copy = source.Copy();
        if (copy) Paste(*copy, x, y);
        return;
    }
    long long x0 = std::max<long long>(x, 0), y0 = std::max<long long>(y, 0);
    long long x1 = std::min<long long>((long long)x + source.width, width);
    long long y1 = std::min<long long>((long long)y + source.height, height);
    for (long long ty = y0; ty < y1 && x0 < x1; ++ty)
        PasteRow(source, int(x0 - x), int(ty - y), *this, int(x0), int(ty), int(x1 - x0));
}

std::shared_ptr<TPixmap> TPixmap::Convert(int toFormat) const
{
    auto converted = Create(width, height, toFormat);
    if (converted) converted->Paste(*this, 0, 0);
    return converted;
}

std::uint32_t TPixmap::ReadPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height || !pixels) return 0;
    return DecodePixel(PixelPtr(x, y), format);
}

void TPixmap::WritePixel(int x, int y, std::uint32_t argb)
{
    if (x < 0 || y < 0 || x >= width || y >= height || !pixels) return;
    EncodePixel(PixelPtr(x, y), format, argb);
}

// One axis of the resampler: the two source pixels a destination pixel lies
// between and the weight of the second
struct Tap {
    int i0, i1;
    float t;
};

static std::vector<Tap> Taps(int from, int to)
{
    std::vector<Tap> taps(to);
    float scale = float(from) / float(to);
    for (int i = 0; i < to; ++i) {
        float s = std::clamp((i + 0.5f) * scale - 0.5f, 0.0f, float(from - 1));
        int i0 = int(s);
        taps[i] = {i0, std::min(i0 + 1, from - 1), s - float(i0)};
    }
    return taps;
}

static std::uint8_t Blend(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01,
                          const std::uint8_t* p11, int c, float tx, float ty)
{
    float top = p00[c] + (p10[c] - p00[c]) * tx;
    float bottom = p01[c] + (p11[c] - p01[c]) * tx;
    return std::uint8_t(std::lround(top + (bottom - top) * ty));
}

std::shared_ptr<TPixmap> ResizePixmap(const TPixmap& source, int width, int height)
{
    if (width < 1 || height < 1 || source.width < 1 || source.height < 1 || !source.pixels) return nullptr;
    std::shared_ptr<TPixmap> rgba = source.Convert(PF_RGBA8888);
    auto result = TPixmap::Create(width, height, PF_RGBA8888);
    if (!rgba || !result) return nullptr;
    std::vector<Tap> across = Taps(rgba->width, width), down = Taps(rgba->height, height);
    for (int y = 0; y < height; ++y) {
        const Tap& v = down[y];
        for (int x = 0; x < width; ++x) {
            const Tap& u = across[x];
            const std::uint8_t* p00 = rgba->PixelPtr(u.i0, v.i0);
            const std::uint8_t* p10 = rgba->PixelPtr(u.i1, v.i0);
            const std::uint8_t* p01 = rgba->PixelPtr(u.i0, v.i1);
            const std::uint8_t* p11 = rgba->PixelPtr(u.i1, v.i1);
            std::uint8_t* d = result->PixelPtr(x, y);
            for (int c = 0; c < 4; ++c) d[c] = Blend(p00, p10, p01, p11, c, u.t, v.t);
        }
    }
    return result;
}

std::shared_ptr<TPixmap> PadToTexture(const TPixmap& picture, int tw, int th)
{
    int w = picture.width, h = picture.height;
    auto texture = TPixmap::Create(tw, th, PF_RGBA8888);
    texture->Paste(picture, 0, 0);
    if (w < tw)
        for (int y = 0; y < h; ++y) texture->WritePixel(w, y, texture->ReadPixel(w - 1, y));
    if (h < th)
        for (int x = 0; x < w; ++x) texture->WritePixel(x, h, texture->ReadPixel(x, h - 1));
    if (w < tw && h < th) texture->WritePixel(w, h, texture->ReadPixel(w - 1, h - 1));
    return texture;
}

} // namespace engine
