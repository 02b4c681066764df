#include "tests/draw/image_files.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

namespace testfiles {

void PutU16(Bytes& out, unsigned value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

static void WriteBytes(png_structp png, png_bytep data, png_size_t count)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

static void FlushNothing(png_structp) {}

static void SetChunks(png_structp png, png_infop info, const PngPicture& s)
{
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < s.palette.size(); i += 3)
        palette.push_back({s.palette[i], s.palette[i + 1], s.palette[i + 2]});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (s.trns.empty()) return;
    if (s.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_tRNS(png, info, s.trns.data(), int(s.trns.size()), nullptr);
    } else {
        png_color_16 colour{};
        colour.gray = colour.red = std::uint16_t(s.trns[0] << 8 | s.trns[1]);
        if (s.trns.size() >= 6) {
            colour.green = std::uint16_t(s.trns[2] << 8 | s.trns[3]);
            colour.blue = std::uint16_t(s.trns[4] << 8 | s.trns[5]);
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
}

static bool WritePng(png_structp png, png_infop info, const PngPicture& s, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    SetChunks(png, info, s);
    png_write_info(png, info);
    if (s.interlaced) png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

Bytes MakePng(const PngPicture& picture)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, WriteBytes, FlushNothing);
    std::vector<Bytes> rows = picture.rows;
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows) pointers.push_back(row.data());
    if (!WritePng(png, info, picture, pointers.data())) out.clear();
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeJpeg(int width, int height, int components, const Bytes& pixels, int quality)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + std::size_t(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void ExpectPicture(const engine::TPixmap& picture, int format, const std::vector<std::uint32_t>& expected)
{
    EXPECT_EQ(picture.format, format);
    ASSERT_EQ(std::size_t(picture.width * picture.height), expected.size());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            EXPECT_EQ(picture.ReadPixel(x, y), expected[y * picture.width + x]) << "pixel " << x << "," << y;
}

} // namespace testfiles
