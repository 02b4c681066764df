#include <functional>

#include <gtest/gtest.h>

#include "engine/draw/loaders/loaders.h"
#include "tests/draw/image_files.h"

using namespace engine;
using testfiles::Bytes;
using testfiles::PutU16;

namespace {

constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;
constexpr int kTop = 0x20, kRightToLeft = 0x10;

struct TgaFile {
    Bytes id = {};
    int mapType = 0, imageType = 2;
    int mapFirst = 0, mapLength = 0, mapBits = 0;
    int width = 2, height = 2, depth = 24, descriptor = 0;
    Bytes map = {};
    Bytes pixels = {};
};

Bytes MakeTga(const TgaFile& f)
{
    Bytes out = {std::uint8_t(f.id.size()), std::uint8_t(f.mapType), std::uint8_t(f.imageType)};
    PutU16(out, f.mapFirst);
    PutU16(out, f.mapLength);
    out.push_back(std::uint8_t(f.mapBits));
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, f.width);
    PutU16(out, f.height);
    out.push_back(std::uint8_t(f.depth));
    out.push_back(std::uint8_t(f.descriptor));
    testfiles::Append(out, f.id);
    testfiles::Append(out, f.map);
    testfiles::Append(out, f.pixels);
    return out;
}

// Blue, green, red: how TGA stores a 24-bit colour
const Bytes kR = {0, 0, 0xFF}, kG = {0, 0xFF, 0}, kB = {0xFF, 0, 0}, kW = {0xFF, 0xFF, 0xFF};

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) testfiles::Append(out, p);
    return out;
}

struct Case {
    const char* name;
    TgaFile file;
    int format;
    std::vector<std::uint32_t> expected;   // rows from the top
};

std::vector<Case> Cases()
{
    const std::vector<std::uint32_t> rgbw = {R, G, B, W};
    const Bytes rgbwMap = Join({kR, kG, kB, kW});
    return {
        {"24-bit from the bottom", {.pixels = Join({kB, kW, kR, kG})}, PF_RGB888, rgbw},
        {"24-bit from the top", {.descriptor = kTop, .pixels = Join({kR, kG, kB, kW})}, PF_RGB888, rgbw},
        {"24-bit from the top right", {.descriptor = kTop | kRightToLeft, .pixels = Join({kG, kR, kW, kB})}, PF_RGB888, rgbw},
        {"32-bit with alpha",
         {.depth = 32, .descriptor = kTop | 8, .pixels = {0, 0, 0xFF, 0x80, 0, 0xFF, 0, 0xFF, 0xFF, 0, 0, 0x40, 0xFF, 0xFF, 0xFF, 0xFF}},
         PF_RGBA8888, {0x80FF0000, G, 0x400000FF, W}},
        // No alpha bits in the descriptor: the fourth byte is not alpha
        {"32-bit without alpha bits", {.depth = 32, .descriptor = kTop, .pixels = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}},
         PF_RGB888, rgbw},
        {"16-bit with an alpha bit", {.depth = 16, .descriptor = kTop | 1, .pixels = {0x00, 0xFC, 0xE0, 0x03, 0x1F, 0x80, 0xFF, 0xFF}},
         PF_RGBA8888, {R, 0x0000FF00, B, W}},
        {"15-bit", {.depth = 15, .descriptor = kTop, .pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F}}, PF_RGB888, rgbw},
        {"colour-mapped",
         {.mapType = 1, .imageType = 1, .mapLength = 4, .mapBits = 24, .depth = 8, .descriptor = kTop, .map = rgbwMap, .pixels = {0, 1, 2, 3}},
         PF_RGB888, rgbw},
        {"colour map from index 2, indices outside it",
         {.mapType = 1, .imageType = 1, .mapFirst = 2, .mapLength = 2, .mapBits = 24, .depth = 8, .descriptor = kTop,
          .map = Join({kR, kG}), .pixels = {2, 3, 0, 9}},
         PF_RGB888, {R, G, K, K}},
        {"colour map with alpha",
         {.mapType = 1, .imageType = 1, .mapLength = 2, .mapBits = 32, .depth = 8, .descriptor = kTop | 8,
          .map = {0, 0, 0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}, .pixels = {0, 1, 1, 0}},
         PF_RGBA8888, {0x80FF0000, W, W, 0x80FF0000}},
        {"grey", {.imageType = 3, .depth = 8, .descriptor = kTop, .pixels = {0x00, 0x80, 0xFF, 0x40}}, PF_I8,
         {K, 0xFF808080, W, 0xFF404040}},
        {"grey with alpha", {.imageType = 3, .depth = 16, .descriptor = kTop | 8, .pixels = {0x00, 0xFF, 0x80, 0x40, 0xFF, 0x00, 0x40, 0xFF}},
         PF_RGBA8888, {K, 0x40808080, 0x00FFFFFF, 0xFF404040}},
        {"RLE: a run and a raw packet", {.imageType = 10, .descriptor = kTop, .pixels = Join({{0x82}, kR, {0x00}, kW})}, PF_RGB888,
         {R, R, R, W}},
        // Stored from the bottom: the second packet runs from the bottom row into the top one
        {"RLE across rows", {.imageType = 10, .pixels = Join({{0x80}, kB, {0x81}, kW, {0x00}, kG})}, PF_RGB888, {W, G, B, W}},
        {"RLE past the last pixel is cut", {.imageType = 10, .descriptor = kTop, .pixels = Join({{0x85}, kR})}, PF_RGB888, {R, R, R, R}},
        {"RLE colour-mapped",
         {.mapType = 1, .imageType = 9, .mapLength = 4, .mapBits = 24, .depth = 8, .descriptor = kTop, .map = rgbwMap,
          .pixels = {0x03, 0, 1, 2, 3}},
         PF_RGB888, rgbw},
        {"RLE grey", {.imageType = 11, .depth = 8, .descriptor = kTop, .pixels = {0x83, 0x80}}, PF_I8,
         {0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080}},
        {"identification and an unused colour map",
         {.id = {'a', 'b', 'c'}, .mapType = 1, .mapLength = 2, .mapBits = 16, .descriptor = kTop, .map = {1, 2, 3, 4},
          .pixels = Join({kR, kG, kB, kW})},
         PF_RGB888, rgbw},
    };
}

} // namespace

TEST(TgaLoader, DecodesEachVariant)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeTga(c.file);
        auto p = loaders::DecodeTga(file.data(), file.size());
        ASSERT_TRUE(p);
        testfiles::ExpectPicture(*p, c.format, c.expected);
    }
}

TEST(TgaLoader, RefusesEveryShortenedFile)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeTga(c.file);
        for (std::size_t size = 0; size < file.size(); ++size) {
            Bytes cut(file.begin(), file.begin() + size);
            EXPECT_FALSE(loaders::DecodeTga(cut.data(), cut.size())) << "size " << size << " of " << file.size();
        }
    }
}

TEST(TgaLoader, RefusesHeadersThatAreNoTga)
{
    const TgaFile base = {.descriptor = kTop, .pixels = Join({kR, kG, kB, kW})};
    const struct { const char* name; std::function<void(TgaFile&)> change; } cases[] = {
        {"colour map type 2", [](TgaFile& f) { f.mapType = 2; }},
        {"no picture", [](TgaFile& f) { f.imageType = 0; }},
        {"type 4", [](TgaFile& f) { f.imageType = 4; }},
        {"type 12", [](TgaFile& f) { f.imageType = 12; }},
        {"type 34", [](TgaFile& f) { f.imageType = 34; }},
        {"interleaved", [](TgaFile& f) { f.descriptor = 0x40; }},
        {"nine alpha bits", [](TgaFile& f) { f.depth = 32, f.descriptor = 9; }},
        {"true colour at 8 bits", [](TgaFile& f) { f.depth = 8; }},
        {"true colour at 20 bits", [](TgaFile& f) { f.depth = 20; }},
        {"grey at 24 bits", [](TgaFile& f) { f.imageType = 3; }},
        {"mapped without a map", [](TgaFile& f) { f.imageType = 1, f.depth = 8; }},
        {"mapped with an empty map", [](TgaFile& f) { f.imageType = 1, f.mapType = 1, f.mapBits = 24, f.depth = 8; }},
        {"mapped at 16 bits", [](TgaFile& f) { f.imageType = 1, f.mapType = 1, f.mapLength = 1, f.mapBits = 24, f.depth = 16; }},
        {"map entries of 12 bits", [](TgaFile& f) { f.mapType = 1, f.mapLength = 1, f.mapBits = 12, f.map = {0, 0}; }},
        {"width 0", [](TgaFile& f) { f.width = 0; }},
        {"height 0", [](TgaFile& f) { f.height = 0; }},
        {"too many pixels", [](TgaFile& f) { f.width = 16384, f.height = 4096; }},
        // A few bytes cannot hold millions of pixels, even run-length encoded
        {"large RLE picture in a small file", [](TgaFile& f) { f.imageType = 10, f.width = 8000, f.height = 4000; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TgaFile f = base;
        c.change(f);
        Bytes file = MakeTga(f);
        EXPECT_FALSE(loaders::DecodeTga(file.data(), file.size()));
    }
    EXPECT_FALSE(loaders::DecodeTga(nullptr, 0));
}
