// What every decoded picture must satisfy, checked on each fuzz input: a
// broken invariant aborts, so the fuzzer keeps the input that caused it.
#pragma once
#include <cstdlib>

#include "engine/draw/loaders/loaders.h"
#include "engine/draw/mask.h"

inline void CheckPixmap(const engine::TPixmap* p)
{
    if (!p) return;
    int bpp = engine::BytesPerPixel(p->format);
    bool sound = bpp > 0 && p->width > 0 && p->height > 0 && p->pixels &&
                 p->pitch >= p->width * bpp && p->capacity >= p->pitch * p->height &&
                 p->width <= engine::loaders::kMaxSide && p->height <= engine::loaders::kMaxSide;
    if (!sound) std::abort();
    // Reads every pixel, so ASan sees any that lies outside the pixels
    bool opaque = !engine::FormatHasAlpha(p->format);
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x)
            if (opaque && (p->ReadPixel(x, y) >> 24) != 255) std::abort();
    // The masking the image pipeline applies next must take any picture
    auto masked = engine::MaskPixmap(*p, 255, 0, 255);
    if (!masked || masked->width != p->width || masked->height != p->height) std::abort();
}
