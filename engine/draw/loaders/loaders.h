// The built-in decoders, callable on their own (the fuzz targets do), and the
// limits they share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/draw/pixmap.h"

namespace engine::loaders {

// No picture a game can use is larger; beyond this a header is hostile or
// damaged, and refusing it early keeps a tiny file from claiming gigabytes
constexpr long long kMaxSide = 16384;
constexpr long long kMaxPixels = 1LL << 25;

inline bool SaneSize(long long width, long long height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// PNG: grey as format 1, grey with alpha and anything with transparency as
// RGBA, RGB as format 4, RGBA as format 6
std::shared_ptr<TPixmap> DecodePng(const std::uint8_t* data, std::size_t size);
// JPEG: grey as format 1, colour as format 4
std::shared_ptr<TPixmap> DecodeJpeg(const std::uint8_t* data, std::size_t size);
// BMP: format 4, or format 6 when bit fields give an alpha mask
std::shared_ptr<TPixmap> DecodeBmp(const std::uint8_t* data, std::size_t size);
// TGA: grey as format 1, colour as format 4, format 6 when it has alpha bits
std::shared_ptr<TPixmap> DecodeTga(const std::uint8_t* data, std::size_t size);

} // namespace engine::loaders
