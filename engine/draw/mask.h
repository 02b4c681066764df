// Masking: turning a key colour of an opaque picture into transparency.
#pragma once
#include <memory>

#include "engine/draw/pixmap.h"

namespace engine {

// The RGBA copy of source in which every pixel of exactly the colour r, g, b
// has alpha 0 and, as its colour, the average of its non-key neighbours (so
// filtering at an edge does not bleed the key colour into the picture);
// every other pixel has alpha 255. Any alpha of the source is ignored: the
// caller decides whether a picture is to be masked at all.
std::shared_ptr<TPixmap> MaskPixmap(const TPixmap& source, int r, int g, int b);

} // namespace engine
