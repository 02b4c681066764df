// Small picture files made at run time, so each test shows the bytes it
// feeds the loaders.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/draw/pixmap.h"

namespace testfiles {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, unsigned value);
void PutU32(Bytes& out, std::uint32_t value);
void Append(Bytes& out, const Bytes& more);

// A PNG written by libpng; rows are in the file's own layout (packed low bit
// depths, big-endian 16-bit samples), palette as RGB triples
struct PngPicture {
    int width = 0, height = 0;
    int colorType = 0, bitDepth = 8;
    std::vector<Bytes> rows;
    Bytes palette;
    Bytes trns;           // palette alphas, or the transparent grey/RGB sample as 16-bit values
    bool interlaced = false;
};
Bytes MakePng(const PngPicture& picture);

// Checks a decoded picture's format and every pixel (0xAARRGGBB, rows from the top)
void ExpectPicture(const engine::TPixmap& picture, int format, const std::vector<std::uint32_t>& expected);

// A JPEG written by libjpeg from rows of 1 or 3 bytes a pixel
Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality);

} // namespace testfiles
