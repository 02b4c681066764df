// TGA files: colour-mapped, true-colour and grey pictures, plain or
// run-length encoded (types 1, 2, 3, 9, 10, 11), 8 to 32 bits a pixel, rows
// from the bottom or the top. The format has no signature, so the header is
// checked strictly: a file of another kind must not pass for a TGA.
#include <vector>

#include "engine/draw/loaders/byte_reader.h"
#include "engine/draw/loaders/loaders.h"

namespace engine::loaders {

namespace {

enum : int { kMapped = 1, kTrueColour = 2, kGrey = 3, kRle = 8 };

constexpr std::size_t kHeaderSize = 18;

struct TgaHeader {
    int idLength = 0, mapType = 0, imageType = 0;
    int mapFirst = 0, mapLength = 0, mapBits = 0;
    int width = 0, height = 0, depth = 0, descriptor = 0;

    int Kind() const { return imageType & ~kRle; }
    bool Rle() const { return (imageType & kRle) != 0; }
    int AlphaBits() const { return descriptor & 0xF; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
};

// How the bytes of one stored pixel become a colour
struct PixelReader {
    int kind = 0;
    int bytes = 0;                    // per pixel in the file
    int bits = 0;
    bool alpha = false;
    std::vector<std::uint32_t> map;   // colours of a colour-mapped picture
    int mapFirst = 0;
};

bool ColourDepth(int bits)
{
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

bool ReadHeader(TByteReader& r, TgaHeader& h)
{
    h.idLength = r.U8();
    h.mapType = r.U8();
    h.imageType = r.U8();
    h.mapFirst = r.U16();
    h.mapLength = r.U16();
    h.mapBits = r.U8();
    r.Take(4);   // screen origin: no meaning for a picture in memory
    h.width = r.U16();
    h.height = r.U16();
    h.depth = r.U8();
    h.descriptor = r.U8();
    return !r.failed;
}

bool ValidHeader(const TgaHeader& h)
{
    int kind = h.Kind();
    if (h.mapType > 1 || (h.imageType & ~(kRle | 3)) != 0 || kind == 0) return false;
    // Interleaved rows died with the hardware they were made for
    if ((h.descriptor & 0xC0) != 0 || h.AlphaBits() > 8) return false;
    if (h.mapType == 1 && h.mapLength > 0 && !ColourDepth(h.mapBits)) return false;
    if (kind == kMapped && (h.mapType != 1 || h.mapLength == 0 || h.depth != 8)) return false;
    if (kind == kTrueColour && !ColourDepth(h.depth)) return false;
    if (kind == kGrey && h.depth != 8 && h.depth != 16) return false;
    return SaneSize(h.width, h.height);
}

std::uint32_t Expand5(std::uint32_t v)
{
    return (v << 3) | (v >> 2);
}

// A stored colour of 15, 16, 24 or 32 bits (little-endian, blue first)
std::uint32_t ColourAt(const std::uint8_t* p, int bits, bool alpha)
{
    if (bits <= 16) {
        std::uint32_t v = p[0] | p[1] << 8;
        std::uint32_t a = alpha && bits == 16 ? ((v & 0x8000) ? 255 : 0) : 255;
        return a << 24 | Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
    }
    std::uint32_t a = alpha && bits == 32 ? p[3] : 255;
    return a << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

std::uint32_t PixelAt(const std::uint8_t* p, const PixelReader& pr)
{
    if (pr.kind == kGrey) {
        std::uint32_t a = pr.alpha ? p[1] : 255;
        return a << 24 | std::uint32_t(p[0]) * 0x010101;
    }
    if (pr.kind == kTrueColour) return ColourAt(p, pr.bits, pr.alpha);
    // An index outside the map has no colour of its own
    long long i = (long long)p[0] - pr.mapFirst;
    return i >= 0 && i < (long long)pr.map.size() ? pr.map[std::size_t(i)] : 0xFF000000;
}

// Reads (or skips) the colour map that follows the identification field
bool ReadMap(TByteReader& r, const TgaHeader& h, PixelReader& pr)
{
    if (!r.Take(std::size_t(h.idLength))) return false;
    if (h.mapType == 0 || h.mapLength == 0) return true;
    std::size_t entry = std::size_t(h.mapBits + 7) / 8;
    const std::uint8_t* p = r.Take(entry * h.mapLength);
    if (!p || h.Kind() != kMapped) return p != nullptr;
    pr.map.resize(std::size_t(h.mapLength));
    for (int i = 0; i < h.mapLength; ++i) pr.map[i] = ColourAt(p + i * entry, h.mapBits, pr.alpha);
    pr.mapFirst = h.mapFirst;
    return true;
}

PixelReader MakeReader(const TgaHeader& h)
{
    PixelReader pr;
    pr.kind = h.Kind();
    pr.bits = pr.kind == kMapped ? h.mapBits : h.depth;
    pr.bytes = (h.depth + 7) / 8;
    // Alpha only when the header says the pixels carry some
    bool wide = pr.bits == 32 || pr.bits == 16;
    pr.alpha = h.AlphaBits() > 0 && wide;
    return pr;
}

int OutputFormat(const PixelReader& pr)
{
    if (pr.alpha) return PF_RGBA8888;
    return pr.kind == kGrey ? PF_I8 : PF_RGB888;
}

// Places the k-th stored pixel according to the picture's origin
void Put(TPixmap& out, const TgaHeader& h, long long k, std::uint32_t argb)
{
    int fx = int(k % h.width), fy = int(k / h.width);
    int x = h.RightToLeft() ? h.width - 1 - fx : fx;
    int y = h.TopDown() ? fy : h.height - 1 - fy;
    out.WritePixel(x, y, argb);
}

bool DecodePlain(TByteReader& r, const TgaHeader& h, const PixelReader& pr, TPixmap& out)
{
    long long total = (long long)h.width * h.height;
    const std::uint8_t* p = r.Take(std::size_t(total * pr.bytes));
    if (!p) return false;
    for (long long k = 0; k < total; ++k) Put(out, h, k, PixelAt(p + k * pr.bytes, pr));
    return true;
}

// Packets may cross rows; a packet running past the last pixel is cut short
bool DecodeRle(TByteReader& r, const TgaHeader& h, const PixelReader& pr, TPixmap& out)
{
    long long total = (long long)h.width * h.height, k = 0;
    while (k < total) {
        int packet = r.U8();
        int count = (packet & 0x7F) + 1;
        bool repeat = (packet & 0x80) != 0;
        const std::uint8_t* p = r.Take(std::size_t(repeat ? 1 : count) * pr.bytes);
        if (!p) return false;
        for (int i = 0; i < count && k < total; ++i, ++k)
            Put(out, h, k, PixelAt(repeat ? p : p + i * pr.bytes, pr));
    }
    return true;
}

// The fewest bytes that can hold the pixels, checked before the pixmap is
// made so a short file cannot claim a large picture
bool Plausible(const TByteReader& r, const TgaHeader& h, const PixelReader& pr)
{
    long long total = (long long)h.width * h.height;
    long long least = h.Rle() ? (total + 127) / 128 * (1 + pr.bytes) : total * pr.bytes;
    return (long long)r.Left() >= least;
}

} // namespace

std::shared_ptr<TPixmap> DecodeTga(const std::uint8_t* data, std::size_t size)
{
    TByteReader r{data, size};
    TgaHeader h;
    if (size < kHeaderSize || !ReadHeader(r, h) || !ValidHeader(h)) return nullptr;
    PixelReader pr = MakeReader(h);
    if (!ReadMap(r, h, pr) || !Plausible(r, h, pr)) return nullptr;
    auto out = TPixmap::Create(h.width, h.height, OutputFormat(pr));
    if (!out) return nullptr;
    bool decoded = h.Rle() ? DecodeRle(r, h, pr, *out) : DecodePlain(r, h, pr, *out);
    return decoded ? out : nullptr;
}

} // namespace engine::loaders
