#include <climits>
#include <functional>

#include <gtest/gtest.h>

#include "engine/draw/loaders/loaders.h"
#include "tests/draw/image_files.h"

using namespace engine;
using testfiles::Bytes;
using testfiles::PutU16;
using testfiles::PutU32;

namespace {

constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;

struct BmpFile {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2, height = 2;
    int bpp = 8;
    std::uint32_t compression = 0;
    std::uint32_t colours = 0;
    Bytes palette = {};                     // as stored: 4 bytes an entry, 3 in a 12-byte header
    std::vector<std::uint32_t> masks = {};  // in the header from 52 bytes on, else after it
    Bytes pixels = {};
    std::uint32_t dataOffset = 0;      // 0: right after the palette
};

Bytes Palette(std::initializer_list<std::uint32_t> colours, int entry = 4)
{
    Bytes out;
    for (std::uint32_t c : colours) {
        out.insert(out.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        if (entry == 4) out.push_back(0);
    }
    return out;
}

void PutInfoHeader(Bytes& out, const BmpFile& f)
{
    PutU32(out, std::uint32_t(f.width));
    PutU32(out, std::uint32_t(f.height));
    PutU16(out, 1);
    PutU16(out, f.bpp);
    PutU32(out, f.compression);
    PutU32(out, std::uint32_t(f.pixels.size()));
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, f.colours);
    PutU32(out, 0);
    for (std::uint32_t i = 0; i < 4 && 40 + 4 * i < f.headerSize && f.headerSize >= 52; ++i)
        PutU32(out, i < f.masks.size() ? f.masks[i] : 0);
}

Bytes MakeBmp(const BmpFile& f)
{
    Bytes header;
    PutU32(header, f.headerSize);
    if (f.headerSize == 12) {
        PutU16(header, f.width);
        PutU16(header, f.height);
        PutU16(header, 1);
        PutU16(header, f.bpp);
    } else {
        PutInfoHeader(header, f);
    }
    if (f.headerSize <= 124) header.resize(std::max<std::size_t>(header.size(), f.headerSize), 0);
    if (f.headerSize == 40)
        for (std::uint32_t m : f.masks) PutU32(header, m);
    testfiles::Append(header, f.palette);
    std::uint32_t offset = f.dataOffset ? f.dataOffset : std::uint32_t(14 + header.size());
    Bytes out = {'B', 'M'};
    PutU32(out, std::uint32_t(14 + header.size() + f.pixels.size()));
    PutU32(out, 0);
    PutU32(out, offset);
    testfiles::Append(out, header);
    testfiles::Append(out, f.pixels);
    return out;
}

Bytes Palette256()
{
    Bytes out = Palette({R, G, B, W});
    out.resize(1024, 0);
    return out;
}

struct Case {
    const char* name;
    BmpFile file;
    int format;
    std::vector<std::uint32_t> expected;   // rows from the top
    std::size_t slack;                     // bytes at the end a file may leave out
};

std::vector<Case> Cases()
{
    const std::vector<std::uint32_t> rgbw = {R, G, B, W};
    const std::vector<std::uint32_t> rle = {R, R, R, G, B, W, B, W};
    return {
        {"1-bit", {.bpp = 1, .palette = Palette({K, W}), .pixels = {0x40, 0, 0, 0, 0x80, 0, 0, 0}}, PF_RGB888, {W, K, K, W}, 3},
        {"4-bit", {.bpp = 4, .colours = 4, .palette = Palette({R, G, B, W}), .pixels = {0x23, 0, 0, 0, 0x01, 0, 0, 0}},
         PF_RGB888, rgbw, 3},
        {"8-bit", {.colours = 4, .palette = Palette({R, G, B, W}), .pixels = {2, 3, 0, 0, 0, 1, 0, 0}}, PF_RGB888, rgbw, 2},
        {"8-bit top-down", {.height = -2, .colours = 4, .palette = Palette({R, G, B, W}), .pixels = {0, 1, 0, 0, 2, 3, 0, 0}},
         PF_RGB888, rgbw, 2},
        {"8-bit, full palette", {.palette = Palette256(), .pixels = {2, 3, 0, 0, 0, 1, 0, 0}}, PF_RGB888, rgbw, 2},
        {"8-bit, 12-byte header",
         {.headerSize = 12, .palette = [] { Bytes p = Palette({R, G, B, W}, 3); p.resize(768, 0); return p; }(),
          .pixels = {2, 3, 0, 0, 0, 1, 0, 0}},
         PF_RGB888, rgbw, 2},
        {"24-bit", {.bpp = 24, .pixels = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0}}, PF_RGB888, rgbw, 2},
        {"24-bit top-down", {.height = -2, .bpp = 24, .pixels = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}},
         PF_RGB888, rgbw, 2},
        {"16-bit 555", {.bpp = 16, .pixels = {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03}}, PF_RGB888, rgbw, 0},
        {"16-bit 565 fields", {.bpp = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07}},
         PF_RGB888, rgbw, 0},
        {"16-bit 565 fields, 108-byte header",
         {.headerSize = 108, .bpp = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}, .pixels = {0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07}},
         PF_RGB888, rgbw, 0},
        // The fourth byte of a plain 32-bit pixel is not alpha
        {"32-bit", {.bpp = 32, .pixels = {0xFF, 0, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0x33, 0, 0xFF, 0, 0}}, PF_RGB888, rgbw, 0},
        {"32-bit with alpha, 124-byte header",
         {.headerSize = 124, .bpp = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
          .pixels = {0xFF, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0x40}},
         PF_RGBA8888, {R, 0x4000FF00, 0x800000FF, W}, 0},
        {"32-bit alpha fields after the header",
         {.bpp = 32, .compression = 6, .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
          .pixels = {0xFF, 0, 0, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0x40}},
         PF_RGBA8888, {R, 0x4000FF00, 0x800000FF, W}, 0},
        // Absolute run of 3 (padded), a run of 1, end of line; a run of 3, a run of 1, end
        {"RLE8",
         {.width = 4, .compression = 1, .colours = 4, .palette = Palette({R, G, B, W}),
          .pixels = {0, 3, 2, 3, 2, 0, 1, 3, 0, 0, 3, 0, 1, 1, 0, 1}},
         PF_RGB888, rle, 0},
        // Two green, a jump one right and one up, one white; the rest stays index 0
        {"RLE8 with a jump",
         {.width = 4, .compression = 1, .colours = 4, .palette = Palette({R, G, B, W}), .pixels = {2, 1, 0, 2, 1, 1, 1, 3, 0, 1}},
         PF_RGB888, {R, R, R, W, G, G, R, R}, 0},
        {"RLE8 runs longer than the row are cut",
         {.compression = 1, .colours = 4, .palette = Palette({R, G, B, W}), .pixels = {0xFF, 1, 0, 0, 5, 2, 0, 1}},
         PF_RGB888, {B, B, G, G}, 0},
        {"RLE4",
         {.width = 4, .bpp = 4, .compression = 2, .colours = 4, .palette = Palette({R, G, B, W}),
          .pixels = {4, 0x23, 0, 0, 0, 3, 0x00, 0x10, 1, 0x10, 0, 1}},
         PF_RGB888, {R, R, G, G, B, W, B, W}, 0},
    };
}

void ExpectPicture(const TPixmap& p, const Case& c) { testfiles::ExpectPicture(p, c.format, c.expected); }

} // namespace

TEST(BmpLoader, DecodesEachVariant)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeBmp(c.file);
        auto p = loaders::DecodeBmp(file.data(), file.size());
        ASSERT_TRUE(p);
        ExpectPicture(*p, c);
    }
}

TEST(BmpLoader, RefusesEveryShortenedFile)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeBmp(c.file);
        for (std::size_t size = 0; size < file.size(); ++size) {
            // A copy of exactly that size, so reading past it shows under ASan
            Bytes cut(file.begin(), file.begin() + size);
            bool loads = loaders::DecodeBmp(cut.data(), cut.size()) != nullptr;
            EXPECT_EQ(loads, size >= file.size() - c.slack) << "size " << size << " of " << file.size();
        }
    }
}

TEST(BmpLoader, RefusesHostileHeaders)
{
    const BmpFile base = {.colours = 4, .palette = Palette({R, G, B, W}), .pixels = {2, 3, 0, 0, 0, 1, 0, 0}};
    const struct { const char* name; std::function<void(BmpFile&)> change; } cases[] = {
        {"width 0", [](BmpFile& f) { f.width = 0; }},
        {"negative width", [](BmpFile& f) { f.width = -2; }},
        {"huge width", [](BmpFile& f) { f.width = INT_MAX; }},
        {"height 0", [](BmpFile& f) { f.height = 0; }},
        {"most negative height", [](BmpFile& f) { f.height = INT_MIN; }},
        {"too many pixels", [](BmpFile& f) { f.width = 16384, f.height = 16384; }},
        {"wider than any picture", [](BmpFile& f) { f.width = 20000, f.height = 1; }},
        {"7 bits a pixel", [](BmpFile& f) { f.bpp = 7; }},
        {"0 bits a pixel", [](BmpFile& f) { f.bpp = 0; }},
        {"JPEG inside", [](BmpFile& f) { f.compression = 4; }},
        {"unknown compression", [](BmpFile& f) { f.compression = 0x7FFFFFFF; }},
        {"RLE8 at 4 bits", [](BmpFile& f) { f.compression = 1, f.bpp = 4; }},
        {"RLE4 at 8 bits", [](BmpFile& f) { f.compression = 2; }},
        {"RLE top-down", [](BmpFile& f) { f.compression = 1, f.height = -2; }},
        {"bit fields at 24 bits", [](BmpFile& f) { f.bpp = 24, f.compression = 3, f.masks = {0xFF0000, 0xFF00, 0xFF}; }},
        {"mask with a gap", [](BmpFile& f) { f.bpp = 16, f.compression = 3, f.masks = {0xF0F0, 0x0F00, 0x000F}; }},
        {"pixels beyond the file", [](BmpFile& f) { f.dataOffset = 0x7FFFFFF0; }},
        {"pixels inside the header", [](BmpFile& f) { f.dataOffset = 20; }},
        {"unknown header size", [](BmpFile& f) { f.headerSize = 20; }},
        {"absurd header size", [](BmpFile& f) { f.headerSize = 0xFFFFFFF0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BmpFile f = base;
        c.change(f);
        Bytes file = MakeBmp(f);
        EXPECT_FALSE(loaders::DecodeBmp(file.data(), file.size()));
    }
    Bytes wrongMagic = MakeBmp(base);
    wrongMagic[1] = 'A';
    EXPECT_FALSE(loaders::DecodeBmp(wrongMagic.data(), wrongMagic.size()));
    EXPECT_FALSE(loaders::DecodeBmp(nullptr, 0));
}

TEST(BmpLoader, ToleratesWhatIsHarmless)
{
    // A palette count beyond the depth is capped; an index past the palette is black
    BmpFile many = {.colours = 0xFFFFFFFF, .palette = Palette256(), .pixels = {2, 3, 0, 0, 0, 1, 0, 0}};
    Bytes file = MakeBmp(many);
    auto p = loaders::DecodeBmp(file.data(), file.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(1, 1), W);

    BmpFile small = {.colours = 2, .palette = Palette({R, G}), .pixels = {2, 3, 0, 0, 0, 1, 0, 0}};
    file = MakeBmp(small);
    p = loaders::DecodeBmp(file.data(), file.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(0, 1), K);
    EXPECT_EQ(p->ReadPixel(1, 0), G);

    // A jump past the last row ends the picture
    BmpFile jump = {.compression = 1, .colours = 4, .palette = Palette({R, G, B, W}), .pixels = {1, 3, 0, 2, 0xFF, 0xFF}};
    file = MakeBmp(jump);
    p = loaders::DecodeBmp(file.data(), file.size());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(0, 1), W);
    EXPECT_EQ(p->ReadPixel(1, 1), R);
}
