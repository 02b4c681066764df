// PNG through libpng. libpng reports errors by longjmp, which would skip the
// destructors of C++ objects on the way; so only the two small functions that
// call setjmp touch libpng's decoding, and they own nothing but plain data.
#include <png.h>

#include <cstring>
#include <vector>

#include "engine/draw/loaders/loaders.h"

namespace engine::loaders {

namespace {

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

// All a decode needs across the setjmp boundary, held by the caller
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source{};
    png_uint_32 width = 0, height = 0;
    int channels = 0;
    std::size_t rowBytes = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->pos) png_error(png, "truncated");
    std::memcpy(out, source->data + source->pos, count);
    source->pos += count;
}

// Silent: a damaged file is an ordinary mismatch, not a message on stderr
void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Eight-bit grey, RGB or RGBA out of whatever the file holds
void SetTransforms(png_structp png, png_infop info)
{
    int type = png_get_color_type(png, info);
    png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparent) png_set_tRNS_to_alpha(png);
    // Grey with alpha goes out as RGBA, there being no grey-alpha format
    if (type == PNG_COLOR_TYPE_GRAY_ALPHA || (type == PNG_COLOR_TYPE_GRAY && transparent)) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
}

bool ReadHeader(PngRead& d)
{
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_set_read_fn(d.png, &d.source, ReadBytes);
    png_set_user_limits(d.png, png_uint_32(kMaxSide), png_uint_32(kMaxSide));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer cannot forge checksums; without this it never gets past them
    png_set_crc_action(d.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_read_info(d.png, d.info);
    SetTransforms(d.png, d.info);
    png_read_update_info(d.png, d.info);
    d.width = png_get_image_width(d.png, d.info);
    d.height = png_get_image_height(d.png, d.info);
    d.channels = png_get_channels(d.png, d.info);
    d.rowBytes = png_get_rowbytes(d.png, d.info);
    return true;
}

bool ReadRows(PngRead& d, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_read_image(d.png, rows);
    return true;
}

int FormatFor(int channels)
{
    switch (channels) {
    case 1: return PF_I8;
    case 3: return PF_RGB888;
    case 4: return PF_RGBA8888;
    default: return 0;
    }
}

std::shared_ptr<TPixmap> Decode(PngRead& d)
{
    if (!ReadHeader(d) || !SaneSize(d.width, d.height)) return nullptr;
    int format = FormatFor(d.channels);
    if (format == 0 || d.rowBytes != std::size_t(d.width) * d.channels) return nullptr;
    auto out = TPixmap::Create(int(d.width), int(d.height), format);
    if (!out) return nullptr;
    std::vector<png_bytep> rows(d.height);
    for (png_uint_32 y = 0; y < d.height; ++y) rows[y] = out->PixelPtr(0, int(y));
    return ReadRows(d, rows.data()) ? out : nullptr;
}

} // namespace

std::shared_ptr<TPixmap> DecodePng(const std::uint8_t* data, std::size_t size)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
    PngRead d;
    d.source = PngSource{data, size, 0};
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!d.png) return nullptr;
    d.info = png_create_info_struct(d.png);
    std::shared_ptr<TPixmap> out;
    // Decode may throw (out of memory); libpng's structures are freed either way
    try {
        if (d.info) out = Decode(d);
    } catch (...) {
        png_destroy_read_struct(&d.png, &d.info, nullptr);
        throw;
    }
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    return out;
}

} // namespace engine::loaders
