// JPEG through libjpeg. Its default error handler ends the process, so ours
// jumps back instead; as with PNG, only the functions that call setjmp touch
// the decoder, and they hold nothing that needs a destructor.
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "engine/draw/loaders/loaders.h"

namespace engine::loaders {

namespace {

struct JpegErrors {
    jpeg_error_mgr base;   // first, so libjpeg's pointer to it is ours too
    std::jmp_buf jump;
};

void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Warnings about damaged data would go to stderr; a decode is quiet
void OnMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}

// All the bytes are given at the start, so a request for more means the file
// is cut short: that is an error here, not a picture padded with grey
boolean FillInput(j_decompress_ptr info)
{
    info->err->msg_code = JERR_INPUT_EOF;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    return FALSE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* src = info->src;
    if (count <= 0) return;
    if (std::size_t(count) > src->bytes_in_buffer) FillInput(info);
    src->next_input_byte += count;
    src->bytes_in_buffer -= std::size_t(count);
}

void TermSource(j_decompress_ptr) {}

struct JpegRead {
    jpeg_decompress_struct info;
    JpegErrors errors;
    jpeg_source_mgr source;
};

void SetSource(JpegRead& d, const std::uint8_t* data, std::size_t size)
{
    d.source.next_input_byte = data;
    d.source.bytes_in_buffer = size;
    d.source.init_source = InitSource;
    d.source.fill_input_buffer = FillInput;
    d.source.skip_input_data = SkipInput;
    d.source.resync_to_restart = jpeg_resync_to_restart;
    d.source.term_source = TermSource;
    d.info.src = &d.source;
}

bool ReadHeader(JpegRead& d)
{
    if (setjmp(d.errors.jump)) return false;
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = d.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    return true;
}

bool Start(JpegRead& d)
{
    if (setjmp(d.errors.jump)) return false;
    jpeg_start_decompress(&d.info);
    return true;
}

bool ReadRows(JpegRead& d, TPixmap& out)
{
    if (setjmp(d.errors.jump)) return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = out.PixelPtr(0, int(d.info.output_scanline));
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    return true;
}

std::shared_ptr<TPixmap> Decode(JpegRead& d)
{
    if (!ReadHeader(d) || !SaneSize(d.info.image_width, d.info.image_height) || !Start(d)) return nullptr;
    int channels = d.info.output_components;
    if (channels != 1 && channels != 3) return nullptr;
    auto out = TPixmap::Create(int(d.info.output_width), int(d.info.output_height), channels == 1 ? PF_I8 : PF_RGB888);
    // The trailer after the last row is not read: all the pixels are in
    if (!out || !ReadRows(d, *out)) return nullptr;
    return out;
}

// Creating the decoder can fail too, and reports it the same way
bool Create(JpegRead& d)
{
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    return true;
}

} // namespace

std::shared_ptr<TPixmap> DecodeJpeg(const std::uint8_t* data, std::size_t size)
{
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return nullptr;
    auto d = std::make_unique<JpegRead>();
    d->info.err = jpeg_std_error(&d->errors.base);
    d->errors.base.error_exit = OnError;
    d->errors.base.output_message = OnMessage;
    if (!Create(*d)) {
        jpeg_destroy_decompress(&d->info);
        return nullptr;
    }
    SetSource(*d, data, size);
    std::shared_ptr<TPixmap> out;
    try {
        out = Decode(*d);
    } catch (...) {
        jpeg_destroy_decompress(&d->info);
        throw;
    }
    jpeg_destroy_decompress(&d->info);
    return out;
}

} // namespace engine::loaders
