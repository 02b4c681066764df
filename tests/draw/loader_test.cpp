#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "engine/draw/loaders/loaders.h"
#include "engine/draw/pixmap_loader.h"
#include "tests/draw/image_files.h"

using namespace engine;
using testfiles::Bytes;

namespace {

constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;

testfiles::PngPicture Png(int colorType, int bitDepth, std::vector<Bytes> rows)
{
    testfiles::PngPicture s;
    s.width = 2, s.height = int(rows.size());
    s.colorType = colorType, s.bitDepth = bitDepth;
    s.rows = std::move(rows);
    return s;
}

testfiles::PngPicture WithPalette(testfiles::PngPicture s, Bytes palette, Bytes trns = {})
{
    s.palette = std::move(palette);
    s.trns = std::move(trns);
    return s;
}

testfiles::PngPicture Interlaced(testfiles::PngPicture s)
{
    s.interlaced = true;
    return s;
}

const Bytes kRgbwPalette = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};

struct PngCase {
    const char* name;
    testfiles::PngPicture picture;
    int format;
    std::vector<std::uint32_t> expected;   // rows from the top
};

std::vector<PngCase> PngCases()
{
    const std::vector<std::uint32_t> rgbw = {R, G, B, W};
    const std::vector<Bytes> rgbRows = {{0xFF, 0, 0, 0, 0xFF, 0}, {0, 0, 0xFF, 0xFF, 0xFF, 0xFF}};
    const int grey = PNG_COLOR_TYPE_GRAY, rgb = PNG_COLOR_TYPE_RGB, palette = PNG_COLOR_TYPE_PALETTE;
    return {
        {"grey", Png(grey, 8, {{0x00, 0x80}, {0xFF, 0x40}}), PF_I8, {K, 0xFF808080, W, 0xFF404040}},
        {"grey, 1 bit", Png(grey, 1, {{0x80}, {0x40}}), PF_I8, {W, K, K, W}},
        {"grey, 4 bits", Png(grey, 4, {{0xF8}, {0x01}}), PF_I8, {W, 0xFF888888, K, 0xFF111111}},
        {"grey, 16 bits", Png(grey, 16, {{0xAB, 0x12, 0x00, 0xFF}, {0xFF, 0x00, 0x12, 0xAB}}), PF_I8,
         {0xFFABABAB, K, W, 0xFF121212}},
        {"grey with alpha", Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{0x80, 0x40, 0xFF, 0xFF}, {0x00, 0x00, 0x20, 0x80}}),
         PF_RGBA8888, {0x40808080, W, 0x00000000, 0x80202020}},
        {"grey with a transparent value", WithPalette(Png(grey, 8, {{0x00, 0x80}, {0xFF, 0x40}}), {}, {0x00, 0x80}),
         PF_RGBA8888, {K, 0x00808080, W, 0xFF404040}},
        {"RGB", Png(rgb, 8, rgbRows), PF_RGB888, rgbw},
        {"RGB, interlaced", Interlaced(Png(rgb, 8, rgbRows)), PF_RGB888, rgbw},
        {"RGB, 16 bits",
         Png(rgb, 16, {{0xFF, 1, 0, 2, 0, 3, 0, 4, 0xFF, 5, 0, 6}, {0, 7, 0, 8, 0xFF, 9, 0xFF, 1, 0xFF, 2, 0xFF, 3}}),
         PF_RGB888, rgbw},
        {"RGBA", Png(PNG_COLOR_TYPE_RGB_ALPHA, 8, {{0xFF, 0, 0, 0x80, 0, 0xFF, 0, 0xFF}, {0, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF}}),
         PF_RGBA8888, {0x80FF0000, G, 0x000000FF, W}},
        {"palette", WithPalette(Png(palette, 8, {{0, 1}, {2, 3}}), kRgbwPalette), PF_RGB888, rgbw},
        {"palette, 2 bits", WithPalette(Png(palette, 2, {{0x10}, {0xB0}}), kRgbwPalette), PF_RGB888, rgbw},
        {"palette with transparency", WithPalette(Png(palette, 8, {{0, 1}, {2, 3}}), kRgbwPalette, {0xFF, 0x80}),
         PF_RGBA8888, {R, 0x8000FF00, B, W}},
    };
}

std::shared_ptr<TPixmap> DecodePngBytes(const Bytes& file)
{
    return loaders::DecodePng(file.data(), file.size());
}

// Offsets of a PNG's chunks: (start of the length field, type)
std::vector<std::pair<std::size_t, std::string>> Chunks(const Bytes& file)
{
    std::vector<std::pair<std::size_t, std::string>> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        std::size_t length = std::size_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        chunks.push_back({at, std::string(file.begin() + at + 4, file.begin() + at + 8)});
        at += 12 + length;
    }
    return chunks;
}

// Rewrites the CRC of the chunk at offset after its data was changed
void FixCrc(Bytes& file, std::size_t at)
{
    std::size_t length = std::size_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    uLong crc = crc32(0, file.data() + at + 4, uInt(length + 4));
    for (int i = 0; i < 4; ++i) file[at + 8 + length + i] = std::uint8_t(crc >> (24 - 8 * i));
}

void PutBigEndian(Bytes& file, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) file[at + i] = std::uint8_t(value >> (24 - 8 * i));
}

// A 16 x 16 RGB picture with some detail, so its compressed data is not trivial
testfiles::PngPicture Gradient(bool interlaced)
{
    testfiles::PngPicture s;
    s.width = s.height = 16;
    s.colorType = PNG_COLOR_TYPE_RGB;
    s.interlaced = interlaced;
    for (int y = 0; y < 16; ++y) {
        Bytes row;
        for (int x = 0; x < 16; ++x) row.insert(row.end(), {std::uint8_t(x * 16), std::uint8_t(y * 16), std::uint8_t(x * y)});
        s.rows.push_back(row);
    }
    return s;
}

Bytes GradientPixels(int components)
{
    Bytes pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < components; ++c) pixels.push_back(std::uint8_t(x * 16 + c * y));
    return pixels;
}

} // namespace

TEST(PngLoader, GivesTheFormatOfEachKindOfFile)
{
    for (const PngCase& c : PngCases()) {
        SCOPED_TRACE(c.name);
        Bytes file = testfiles::MakePng(c.picture);
        ASSERT_FALSE(file.empty());
        auto p = DecodePngBytes(file);
        ASSERT_TRUE(p);
        testfiles::ExpectPicture(*p, c.format, c.expected);
    }
}

TEST(PngLoader, RefusesAFileCutShortInItsPixels)
{
    for (bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "plain");
        Bytes file = testfiles::MakePng(Gradient(interlaced));
        auto chunks = Chunks(file);
        ASSERT_EQ(chunks.back().second, "IEND");
        std::size_t end = chunks.back().first;
        for (std::size_t size = 0; size < file.size(); ++size) {
            Bytes cut(file.begin(), file.begin() + size);
            // The pixels are all in before the closing chunk; only it may be missing
            EXPECT_EQ(DecodePngBytes(cut) != nullptr, size >= end) << "size " << size << " of " << file.size();
        }
    }
}

TEST(PngLoader, RefusesDamagedAndHostileFiles)
{
    const Bytes good = testfiles::MakePng(Gradient(false));
    ASSERT_TRUE(DecodePngBytes(good));
    std::size_t idat = 0;
    for (auto& [at, type] : Chunks(good))
        if (type == "IDAT") idat = at;
    ASSERT_GT(idat, 0u);
    const std::size_t ihdr = 8;

    Bytes signature = good;
    signature[1] = 'Q';
    Bytes crc = good;
    crc[idat + 8 + 4] ^= 0x01;
    Bytes inflate = good;
    inflate[idat + 8 + 4] ^= 0xFF;
    FixCrc(inflate, idat);
    Bytes wide = good;
    PutBigEndian(wide, ihdr + 8, 100000);
    FixCrc(wide, ihdr);
    Bytes huge = good;
    PutBigEndian(huge, ihdr + 8, 16384);
    PutBigEndian(huge, ihdr + 12, 16384);
    FixCrc(huge, ihdr);
    Bytes depth = good;
    depth[ihdr + 16] = 7;
    FixCrc(depth, ihdr);

    const struct { const char* name; const Bytes& file; } cases[] = {
        {"signature", signature}, {"CRC of the pixels", crc}, {"compressed data", inflate},
        {"width beyond the limit", wide}, {"more pixels than a picture may have", huge}, {"bit depth 7", depth},
    };
    for (const auto& c : cases) EXPECT_FALSE(DecodePngBytes(c.file)) << c.name;
    EXPECT_FALSE(loaders::DecodePng(nullptr, 0));
}

TEST(JpegLoader, DecodesColourAndGrey)
{
    Bytes orange;
    for (int i = 0; i < 16 * 16; ++i) orange.insert(orange.end(), {200, 100, 50});
    Bytes file = testfiles::MakeJpeg(16, 16, 3, orange, 95);
    auto colour = loaders::DecodeJpeg(file.data(), file.size());
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->format, PF_RGB888);
    EXPECT_EQ(colour->width, 16);
    EXPECT_EQ(colour->height, 16);
    // Lossy: near, not equal
    for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {7, 9}, {15, 15}}) {
        EXPECT_NEAR(colour->Red(x, y), 200, 4);
        EXPECT_NEAR(colour->Green(x, y), 100, 4);
        EXPECT_NEAR(colour->Blue(x, y), 50, 4);
    }

    Bytes grey(16 * 16, 77);
    file = testfiles::MakeJpeg(16, 16, 1, grey, 95);
    auto g = loaders::DecodeJpeg(file.data(), file.size());
    ASSERT_TRUE(g);
    EXPECT_EQ(g->format, PF_I8);
    EXPECT_NEAR(g->Red(8, 8), 77, 2);
}

TEST(JpegLoader, RefusesDamagedFilesWithoutEndingTheProgram)
{
    Bytes file = testfiles::MakeJpeg(16, 16, 3, GradientPixels(3), 90);
    ASSERT_TRUE(loaders::DecodeJpeg(file.data(), file.size()));
    // The last bytes may be only the closing marker; anything shorter lacks pixels
    for (std::size_t size = 0; size + 8 < file.size(); ++size) {
        Bytes cut(file.begin(), file.begin() + size);
        EXPECT_FALSE(loaders::DecodeJpeg(cut.data(), cut.size())) << "size " << size << " of " << file.size();
    }
    Bytes garbage = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_FALSE(loaders::DecodeJpeg(garbage.data(), garbage.size()));
    Bytes noFrame = file;
    // Smash the frame header's marker: the decoder errors out, it must not exit
    for (std::size_t i = 2; i + 1 < noFrame.size(); ++i)
        if (noFrame[i] == 0xFF && noFrame[i + 1] == 0xC0) noFrame[i + 1] = 0xC7;
    EXPECT_FALSE(loaders::DecodeJpeg(noFrame.data(), noFrame.size()));
}

TEST(TgaLoader, DoesNotTakeOtherFormats)
{
    // TGA has no signature: the other formats' first bytes must not pass for a header
    std::vector<Bytes> others = {testfiles::MakePng(Gradient(false)), testfiles::MakeJpeg(16, 16, 1, GradientPixels(1), 90),
                                 {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    for (const Bytes& file : others) EXPECT_FALSE(loaders::DecodeTga(file.data(), file.size()));
}

namespace {

// A loader for the order tests: it fails one way or another, or gives a
// one-pixel picture tagged with its number
class TFakeLoader final : public TPixmapLoader {
public:
    enum Kind { kThrows, kDeclines, kTakes };
    TFakeLoader(Kind kind, int tag, int& calls) : kind_(kind), tag_(tag), calls_(calls) {}
    const char* Name() const override { return "fake"; }
    std::shared_ptr<TPixmap> Load(const std::uint8_t*, std::size_t) const override
    {
        ++calls_;
        if (kind_ == kThrows) throw std::bad_alloc();
        if (kind_ == kDeclines) return nullptr;
        auto p = TPixmap::Create(1, 1, PF_RGBA8888);
        p->WritePixel(0, 0, std::uint32_t(tag_));
        return p;
    }

private:
    Kind kind_;
    int tag_;
    int& calls_;
};

std::filesystem::path TempFile(const char* name, const Bytes& bytes)
{
    auto path = std::filesystem::path(testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

} // namespace

TEST(PixmapLoaders, AreTriedInTurnAndAFailureIsAMismatch)
{
    int calls = 0;
    TPixmapLoaderList list;
    AddPixmapLoader(std::make_shared<TFakeLoader>(TFakeLoader::kThrows, 0, calls), list);
    AddPixmapLoader(std::make_shared<TFakeLoader>(TFakeLoader::kDeclines, 0, calls), list);
    AddPixmapLoader(std::make_shared<TFakeLoader>(TFakeLoader::kTakes, 7, calls), list);
    AddPixmapLoader(std::make_shared<TFakeLoader>(TFakeLoader::kTakes, 8, calls), list);
    std::uint8_t byte = 0;
    auto p = LoadPixmapFromMemory(&byte, 1, list);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->ReadPixel(0, 0), 7u);
    EXPECT_EQ(calls, 3);

    TPixmapLoaderList failing;
    AddPixmapLoader(std::make_shared<TFakeLoader>(TFakeLoader::kThrows, 0, calls), failing);
    EXPECT_FALSE(LoadPixmapFromMemory(&byte, 1, failing));
}

TEST(PixmapLoaders, BuiltInsAreRegisteredOnceAndEachTakesItsFiles)
{
    TPixmapLoaderList list;
    RegisterPixmapLoaders(list);
    RegisterPixmapLoaders(list);
    ASSERT_EQ(list.loaders.size(), 4u);
    const char* names[] = {"PNG", "JPEG", "BMP", "TGA"};
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(list.loaders[i]->Name(), names[i]);

    Bytes bmp = {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 0x28, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x30, 0x20, 0x10, 0};
    Bytes tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 0x66};
    const struct { const char* name; Bytes file; int format; } cases[] = {
        {"PNG", testfiles::MakePng(Gradient(false)), PF_RGB888},
        {"JPEG", testfiles::MakeJpeg(16, 16, 1, GradientPixels(1), 90), PF_I8},
        {"BMP", bmp, PF_RGB888},
        {"TGA", tga, PF_I8},
    };
    for (const auto& c : cases) {
        auto p = LoadPixmapFromMemory(c.file.data(), c.file.size(), list);
        ASSERT_TRUE(p) << c.name;
        EXPECT_EQ(p->format, c.format) << c.name;
    }
    EXPECT_EQ(LoadPixmapFromMemory(bmp.data(), bmp.size(), list)->ReadPixel(0, 0), 0xFF102030u);
    EXPECT_EQ(LoadPixmapFromMemory(tga.data(), tga.size(), list)->ReadPixel(0, 0), 0xFF666666u);
    Bytes text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n', 'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o'};
    EXPECT_FALSE(LoadPixmapFromMemory(text.data(), text.size(), list));
    EXPECT_FALSE(LoadPixmapFromMemory(nullptr, 0, list));
}

TEST(PixmapLoaders, LoadPixmapReadsTheFileOrGivesNull)
{
    TPixmapLoaderList list;
    RegisterPixmapLoaders(list);
    auto path = TempFile("vb_pixmap_gradient.png", testfiles::MakePng(Gradient(false)));
    auto p = LoadPixmap(path.string(), list);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->width, 16);
    EXPECT_EQ(p->ReadPixel(3, 5), 0xFF30500Fu);

    EXPECT_FALSE(LoadPixmap((std::filesystem::path(testing::TempDir()) / "vb_no_such_file.png").string(), list));
    EXPECT_FALSE(LoadPixmap(testing::TempDir(), list));
    EXPECT_FALSE(LoadPixmap(TempFile("vb_pixmap_empty.png", {}).string(), list));
    // The program's own list holds nothing until start-up registers the loaders
    EXPECT_FALSE(LoadPixmap(path.string(), TPixmapLoaderList{}));
    std::filesystem::remove(path);
}
