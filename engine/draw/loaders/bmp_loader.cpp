// BMP files as the common tools write them: 1, 4 and 8-bit palettes (plain,
// RLE8, RLE4), 16 and 32-bit pixels with default or given bit fields, 24-bit
// pixels; bottom-up or top-down rows. Every offset and size is checked
// against the file before it is used.
#include <array>
#include <vector>

#include "engine/draw/loaders/byte_reader.h"
#include "engine/draw/loaders/loaders.h"

namespace engine::loaders {

namespace {

enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

constexpr std::size_t kFileHeaderSize = 14;

// One colour channel of a 16 or 32-bit pixel
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t headerSize = 0;
    long long width = 0, height = 0;   // height > 0 after reading; see topDown
    bool topDown = false;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colours = 0;         // palette entries the header names; 0 = all
    std::uint32_t masks[4] = {0, 0, 0, 0};   // red, green, blue, alpha
    std::size_t maskBytes = 0;         // masks stored after a 40-byte header
};

using Palette = std::array<std::uint32_t, 256>;

bool KnownHeaderSize(std::uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

bool ReadCoreHeader(TByteReader& r, BmpHeader& h)
{
    h.width = r.U16();
    h.height = r.U16();
    r.U16();   // planes
    h.bpp = r.U16();
    return !r.failed;
}

bool ReadInfoHeader(TByteReader& r, BmpHeader& h)
{
    h.width = r.I32();
    long long height = r.I32();
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    r.U16();   // planes
    h.bpp = r.U16();
    h.compression = r.U32();
    r.Take(12);   // image size and resolution: not needed to decode
    h.colours = r.U32();
    r.U32();   // important colours
    if (h.headerSize >= 52) {
        for (int i = 0; i < 3; ++i) h.masks[i] = r.U32();
    }
    if (h.headerSize >= 56) h.masks[3] = r.U32();
    return !r.failed;
}

// The bit fields after a 40-byte header: three masks, four with alpha
bool ReadTrailingMasks(TByteReader& r, BmpHeader& h)
{
    if (h.headerSize != 40 || (h.compression != kBitFields && h.compression != kAlphaBitFields)) return true;
    int count = h.compression == kAlphaBitFields ? 4 : 3;
    if (!r.Seek(kFileHeaderSize + h.headerSize)) return false;
    for (int i = 0; i < count; ++i) h.masks[i] = r.U32();
    h.maskBytes = 4 * count;
    return !r.failed;
}

bool ValidCombination(const BmpHeader& h)
{
    bool palette = h.bpp == 1 || h.bpp == 4 || h.bpp == 8;
    bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    if (h.headerSize == 12 && h.compression != kRgb) return false;
    // Beyond RLE4 the OS/2 header numbers its compressions differently
    if (h.headerSize == 64 && h.compression > kRle4) return false;
    if (h.compression == kRle8) return h.bpp == 8 && !h.topDown;
    if (h.compression == kRle4) return h.bpp == 4 && !h.topDown;
    if (fields) return h.bpp == 16 || h.bpp == 32;
    return h.compression == kRgb && (palette || h.bpp == 16 || h.bpp == 24 || h.bpp == 32);
}

bool ReadHeader(TByteReader& r, BmpHeader& h)
{
    const std::uint8_t* magic = r.Take(2);
    if (!magic || magic[0] != 'B' || magic[1] != 'M') return false;
    r.Take(8);   // file size and reserved words: often wrong, never needed
    h.dataOffset = r.U32();
    h.headerSize = r.U32();
    if (r.failed || !KnownHeaderSize(h.headerSize)) return false;
    bool read = h.headerSize == 12 ? ReadCoreHeader(r, h) : ReadInfoHeader(r, h);
    if (!read || !ReadTrailingMasks(r, h) || !ValidCombination(h)) return false;
    return SaneSize(h.width, h.height) && h.dataOffset >= kFileHeaderSize + h.headerSize;
}

bool ReadPalette(TByteReader& r, const BmpHeader& h, Palette& palette)
{
    palette.fill(0xFF000000);
    if (h.bpp > 8) return true;
    std::uint32_t count = 1u << h.bpp;
    if (h.colours != 0 && h.colours < count) count = h.colours;
    std::size_t entry = h.headerSize == 12 ? 3 : 4;
    if (!r.Seek(kFileHeaderSize + h.headerSize + h.maskBytes)) return false;
    const std::uint8_t* p = r.Take(count * entry);
    if (!p) return false;
    for (std::uint32_t i = 0; i < count; ++i, p += entry)
        palette[i] = 0xFF000000 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    return true;
}

// False for a mask whose bits are not one run
bool MakeChannel(std::uint32_t mask, Channel& c)
{
    c = Channel{mask, 0, 0};
    if (mask == 0) return true;
    while (!((mask >> c.shift) & 1)) ++c.shift;
    std::uint32_t run = mask >> c.shift;
    while (c.bits < 32 && ((run >> c.bits) & 1)) ++c.bits;
    return c.bits == 32 || (run >> c.bits) == 0;
}

std::uint32_t Extract(std::uint32_t pixel, const Channel& c)
{
    if (c.bits == 0) return 0;
    std::uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8) return v >> (c.bits - 8);
    std::uint32_t top = (1u << c.bits) - 1;
    return (v * 255 + top / 2) / top;
}

struct Fields {
    Channel c[4];
};

bool MakeFields(const BmpHeader& h, Fields& f)
{
    std::uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (h.compression == kRgb) {
        bool wide = h.bpp == 32;
        masks[0] = wide ? 0xFF0000 : 0x7C00;
        masks[1] = wide ? 0x00FF00 : 0x03E0;
        masks[2] = wide ? 0x0000FF : 0x001F;
        masks[3] = 0;
    }
    for (int i = 0; i < 4; ++i)
        if (!MakeChannel(masks[i], f.c[i])) return false;
    return true;
}

std::uint32_t FieldPixel(std::uint32_t v, const Fields& f)
{
    std::uint32_t a = f.c[3].bits ? Extract(v, f.c[3]) : 255;
    return a << 24 | Extract(v, f.c[0]) << 16 | Extract(v, f.c[1]) << 8 | Extract(v, f.c[2]);
}

std::uint32_t PixelAt(const std::uint8_t* row, int x, const BmpHeader& h, const Palette& palette, const Fields& f)
{
    switch (h.bpp) {
    case 1: return palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4: return palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
    case 8: return palette[row[x]];
    case 16: return FieldPixel(row[2 * x] | row[2 * x + 1] << 8, f);
    case 24: return 0xFF000000 | std::uint32_t(row[3 * x + 2]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
    default: {
        const std::uint8_t* p = row + 4 * x;
        return FieldPixel(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24, f);
    }
    }
}

int RowY(const BmpHeader& h, long long fileRow)
{
    return int(h.topDown ? fileRow : h.height - 1 - fileRow);
}

// Bytes from one row to the next, and the bytes the pixels of a row use
long long Stride(const BmpHeader& h)
{
    return (h.width * h.bpp + 31) / 32 * 4;
}

long long RowBytes(const BmpHeader& h)
{
    return (h.width * h.bpp + 7) / 8;
}

// Some writers leave out the padding of the last row
long long PixelBytes(const BmpHeader& h)
{
    return Stride(h) * (h.height - 1) + RowBytes(h);
}

bool DecodeRows(TByteReader& r, const BmpHeader& h, const Palette& palette, TPixmap& out)
{
    Fields fields;
    if (h.bpp >= 16 && !MakeFields(h, fields)) return false;
    const std::uint8_t* data = r.Take(std::size_t(PixelBytes(h)));
    if (!data) return false;
    for (long long i = 0; i < h.height; ++i) {
        const std::uint8_t* row = data + i * Stride(h);
        int y = RowY(h, i);
        for (int x = 0; x < h.width; ++x) out.WritePixel(x, y, PixelAt(row, x, h, palette, fields));
    }
    return true;
}

// Run-length data fills a plane of palette indices, rows from the bottom
struct IndexPlane {
    std::vector<std::uint8_t> index;
    long long width = 0, height = 0;

    void Set(long long x, long long y, std::uint8_t value)
    {
        if (x >= 0 && y >= 0 && x < width && y < height) index[std::size_t(y * width + x)] = value;
    }
};

std::uint8_t Nibble(std::uint8_t byte, long long i)
{
    return (i & 1) ? byte & 0xF : byte >> 4;
}

void EncodedRun(IndexPlane& plane, long long x, long long y, int count, std::uint8_t value, bool four)
{
    for (int i = 0; i < count && x + i < plane.width; ++i)
        plane.Set(x + i, y, four ? Nibble(value, i) : value);
}

bool AbsoluteRun(TByteReader& r, IndexPlane& plane, long long x, long long y, int count, bool four)
{
    std::size_t bytes = four ? (count + 1) / 2 : count;
    // Each run is padded to a 16-bit boundary
    const std::uint8_t* p = r.Take((bytes + 1) & ~std::size_t(1));
    if (!p) return false;
    for (int i = 0; i < count && x + i < plane.width; ++i)
        plane.Set(x + i, y, four ? Nibble(p[i / 2], i) : p[i]);
    return true;
}

bool DecodeRle(TByteReader& r, bool four, IndexPlane& plane)
{
    long long x = 0, y = 0;
    while (y < plane.height) {
        const std::uint8_t* op = r.Take(2);
        if (!op) return false;
        if (op[0] > 0) {
            EncodedRun(plane, x, y, op[0], op[1], four);
            x += op[0];
        } else if (op[1] == 0) {
            x = 0;
            ++y;
        } else if (op[1] == 1) {
            return true;
        } else if (op[1] == 2) {
            const std::uint8_t* delta = r.Take(2);
            if (!delta) return false;
            x += delta[0];
            y += delta[1];
        } else {
            if (!AbsoluteRun(r, plane, x, y, op[1], four)) return false;
            x += op[1];
        }
    }
    return true;
}

bool DecodeRleRows(TByteReader& r, const BmpHeader& h, const Palette& palette, TPixmap& out)
{
    IndexPlane plane;
    plane.width = h.width;
    plane.height = h.height;
    plane.index.assign(std::size_t(h.width * h.height), 0);
    if (!DecodeRle(r, h.compression == kRle4, plane)) return false;
    for (long long i = 0; i < h.height; ++i) {
        int y = RowY(h, i);
        for (long long x = 0; x < h.width; ++x)
            out.WritePixel(int(x), y, palette[plane.index[std::size_t(i * h.width + x)]]);
    }
    return true;
}

bool HasAlpha(const BmpHeader& h)
{
    bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    return fields && h.masks[3] != 0;
}

} // namespace

std::shared_ptr<TPixmap> DecodeBmp(const std::uint8_t* data, std::size_t size)
{
    TByteReader r{data, size};
    BmpHeader h;
    Palette palette;
    if (!ReadHeader(r, h) || !ReadPalette(r, h, palette) || !r.Seek(h.dataOffset)) return nullptr;
    bool rle = h.compression == kRle8 || h.compression == kRle4;
    // Checked before the pixmap is made, so a short file cannot claim a large picture
    if (!rle && (long long)r.Left() < PixelBytes(h)) return nullptr;
    auto out = TPixmap::Create(int(h.width), int(h.height), HasAlpha(h) ? PF_RGBA8888 : PF_RGB888);
    if (!out) return nullptr;
    bool decoded = rle ? DecodeRleRows(r, h, palette, *out) : DecodeRows(r, h, palette, *out);
    return decoded ? out : nullptr;
}

} // namespace engine::loaders
