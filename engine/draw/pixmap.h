// Pixmaps: pixel data in memory, the form every image keeps its frames in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

enum : int {
    PF_I8 = 1,       // 8-bit grey
    PF_A8 = 2,       // 8-bit alpha
    PF_BGR888 = 3,
    PF_RGB888 = 4,
    PF_BGRA8888 = 5,
    PF_RGBA8888 = 6,  // bytes R, G, B, A in memory; what every upload takes
    PF_R8 = 7, PF_G8 = 8, PF_B8 = 9, PF_A8_CHANNEL = 10,
};

// 0 for a format that is none of the above
int BytesPerPixel(int format);
// True for the formats that carry alpha (2, 5, 6 and 10)
bool FormatHasAlpha(int format);

// A pixmap is shared by pointer; copying one by value would leave its pixels
// pointing into the original's storage, so only Copy() duplicates it.
class TPixmap : public std::enable_shared_from_this<TPixmap> {
public:
    std::uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    int pitch = 0;      // bytes per row
    int format = 0;
    int capacity = 0;   // bytes owned; 0 for a window into another pixmap
    std::shared_ptr<TPixmap> _source;   // the pixmap a window shares pixels with

    TPixmap() = default;
    TPixmap(const TPixmap&) = delete;
    TPixmap& operator=(const TPixmap&) = delete;

    // Rows aligned to align bytes (4 unless told otherwise); pixels zeroed.
    // Null for an unknown format, a negative size or more than 2 GB of pixels.
    static std::shared_ptr<TPixmap> Create(int width, int height, int format, int align = 4);

    std::uint8_t* PixelPtr(int x, int y) const { return pixels + std::ptrdiff_t(y) * pitch + std::ptrdiff_t(x) * BytesPerPixel(format); }
    // A view of part of this pixmap sharing its pixels (clipped to the pixmap);
    // through _source it keeps the owner of the pixels alive
    std::shared_ptr<TPixmap> Window(int x, int y, int w, int h);
    std::shared_ptr<TPixmap> Copy() const;
    // Copies source into this pixmap at (x, y), converting the format, clipped
    void Paste(const TPixmap& source, int x, int y);
    std::shared_ptr<TPixmap> Convert(int format) const;
    // Pixels as 0xAARRGGBB, whatever the format. A format without alpha reads
    // alpha 255; the alpha formats read white. Outside the pixmap: read 0,
    // write nothing.
    std::uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, std::uint32_t argb);

    // Shorthands for tests and tools
    int Red(int x, int y) const { return (ReadPixel(x, y) >> 16) & 0xFF; }
    int Green(int x, int y) const { return (ReadPixel(x, y) >> 8) & 0xFF; }
    int Blue(int x, int y) const { return ReadPixel(x, y) & 0xFF; }
    int Alpha(int x, int y) const { return (ReadPixel(x, y) >> 24) & 0xFF; }


private:
    std::vector<std::uint8_t> storage_;
};

// Bilinear resampling to a new size (RGBA result). Pixel centres are mapped
// onto each other, so halving a dimension averages each pair of pixels.
// Null for an empty source or a size below 1.
std::shared_ptr<TPixmap> ResizePixmap(const TPixmap& source, int width, int height);

// The picture at (0, 0) of a tw x th RGBA pixmap, its last column and row
// repeated once so that a filtering back-end never samples black at the edge
std::shared_ptr<TPixmap> PadToTexture(const TPixmap& picture, int tw, int th);

} // namespace engine
