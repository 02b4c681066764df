// Interim pixmap basics (to be replaced by the full implementation)
#include "engine/draw/pixmap.h"

#include <algorithm>
#include <cstring>

namespace engine {

int BytesPerPixel(int format)
{
    switch (format) {
    case PF_BGR888: case PF_RGB888: return 3;
    case PF_BGRA8888: case PF_RGBA8888: return 4;
    default: return 1;
    }
}

bool FormatHasAlpha(int format) { return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888 || format == PF_A8_CHANNEL; }

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align)
{
    auto p = std::make_shared<TPixmap>();
    p->width = width; p->height = height; p->format = format;
    int row = width * BytesPerPixel(format);
    p->pitch = (row + align - 1) / align * align;
    p->storage_.assign(std::size_t(p->pitch) * height, 0);
    p->pixels = p->storage_.data();
    p->capacity = int(p->storage_.size());
    return p;
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h)
{
    auto p = std::make_shared<TPixmap>();
    p->width = w; p->height = h; p->format = format; p->pitch = pitch;
    p->pixels = PixelPtr(x, y);
    return p;
}

std::shared_ptr<TPixmap> TPixmap::Copy() const
{
    auto p = Create(width, height, format);
    for (int y = 0; y < height; ++y) std::memcpy(p->PixelPtr(0, y), PixelPtr(0, y), std::size_t(width) * BytesPerPixel(format));
    return p;
}

void TPixmap::Paste(const TPixmap& source, int x, int y)
{
    for (int sy = 0; sy < source.height; ++sy)
        for (int sx = 0; sx < source.width; ++sx)
            if (x + sx >= 0 && x + sx < width && y + sy >= 0 && y + sy < height)
                WritePixel(x + sx, y + sy, source.ReadPixel(sx, sy));
}

std::shared_ptr<TPixmap> TPixmap::Convert(int newFormat) const
{
    auto p = Create(width, height, newFormat);
    p->Paste(*this, 0, 0);
    return p;
}

std::uint32_t TPixmap::ReadPixel(int x, int y) const
{
    const std::uint8_t* p = PixelPtr(x, y);
    switch (format) {
    case PF_RGBA8888: return std::uint32_t(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    case PF_BGRA8888: return std::uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    case PF_RGB888: return 0xFF000000u | p[0] << 16 | p[1] << 8 | p[2];
    case PF_BGR888: return 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
    case PF_A8: return std::uint32_t(p[0]) << 24 | 0xFFFFFF;
    default: return 0xFF000000u | p[0] << 16 | p[0] << 8 | p[0];
    }
}

void TPixmap::WritePixel(int x, int y, std::uint32_t argb)
{
    std::uint8_t* p = PixelPtr(x, y);
    std::uint8_t a = argb >> 24, r = argb >> 16, g = argb >> 8, b = argb;
    switch (format) {
    case PF_RGBA8888: p[0] = r; p[1] = g; p[2] = b; p[3] = a; break;
    case PF_BGRA8888: p[0] = b; p[1] = g; p[2] = r; p[3] = a; break;
    case PF_RGB888: p[0] = r; p[1] = g; p[2] = b; break;
    case PF_BGR888: p[0] = b; p[1] = g; p[2] = r; break;
    case PF_A8: p[0] = a; break;
    default: p[0] = r; break;
    }
}

std::shared_ptr<TPixmap> ResizePixmap(const TPixmap& source, int width, int height)
{
    auto p = TPixmap::Create(width, height, PF_RGBA8888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p->WritePixel(x, y, source.ReadPixel(x * source.width / width, y * source.height / height));
    return p;
}

} // namespace engine
