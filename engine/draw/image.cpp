#include "engine/draw/image.h"

#include <cmath>

#include "engine/display/display.h"
#include "engine/draw/mask.h"
#include "engine/draw/pixmap_loader.h"

namespace engine {

namespace {

struct ImageSettings {
    int maskR = 0, maskG = 0, maskB = 0;
    int flags = IMAGE_MASKED | IMAGE_FILTERED;
    bool autoMidHandle = false;
};
ImageSettings gSettings;

int FlagsOrDefault(int flags) { return flags == -1 ? gSettings.flags : flags; }

void FinishLoad(TImage& image)
{
    if (gSettings.autoMidHandle) MidHandleImage(image);
}

} // namespace

std::shared_ptr<TImage> TImage::Create(int width, int height, int frames, int flags, int maskR, int maskG,
                                       int maskB)
{
    auto image = std::make_shared<TImage>();
    image->width = width;
    image->height = height;
    image->flags = flags;
    image->mask_r = maskR, image->mask_g = maskG, image->mask_b = maskB;
    image->pixmaps.resize(std::size_t(std::max(frames, 0)));
    image->frames.resize(image->pixmaps.size());
    image->seqs.assign(image->pixmaps.size(), 0);
    return image;
}

std::shared_ptr<TImage> TImage::Load(const std::string& url, int flags, int maskR, int maskG, int maskB)
{
    std::shared_ptr<TPixmap> pixmap = LoadPixmap(url);
    if (!pixmap) return nullptr;
    auto image = Create(pixmap->width, pixmap->height, 1, flags, maskR, maskG, maskB);
    image->SetPixmap(0, pixmap);
    return image;
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::string& url, int cellWidth, int cellHeight, int firstCell,
                                         int cellCount, int flags, int maskR, int maskG, int maskB)
{
    if (cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0) return nullptr;
    std::shared_ptr<TPixmap> pixmap = LoadPixmap(url);
    if (!pixmap) return nullptr;
    // Partial cells at the right and bottom edges are not cells
    int across = pixmap->width / cellWidth, down = pixmap->height / cellHeight;
    if ((long long)across * down < (long long)firstCell + cellCount) return nullptr;
    auto image = Create(cellWidth, cellHeight, cellCount, flags, maskR, maskG, maskB);
    for (int i = firstCell; i < firstCell + cellCount; ++i) {
        std::shared_ptr<TPixmap> cell =
            pixmap->Window(cellWidth * (i % across), cellHeight * (i / across), cellWidth, cellHeight);
        image->SetPixmap(i - firstCell, cell->Copy());
    }
    return image;
}

TImageFrame* TImage::Frame(int index)
{
    if (index < 0 || index >= FrameCount()) return nullptr;
    if (seqs[index] == GraphicsGeneration()) return frames[index].get();
    TCanvasDriver* driver = CurrentCanvasDriver();
    if (!driver) return nullptr;
    frames[index] = driver->CreateFrameFromPixmap(Lock(index, 1, 0), flags);
    seqs[index] = frames[index] ? GraphicsGeneration() : 0;
    return frames[index].get();
}

std::shared_ptr<TPixmap> TImage::Lock(int index, int, int write)
{
    if (index < 0 || index >= FrameCount()) return nullptr;
    if (write) {
        seqs[index] = 0;
        frames[index].reset();
    }
    if (!pixmaps[index]) pixmaps[index] = TPixmap::Create(width, height, PF_RGBA8888);
    return pixmaps[index];
}

void TImage::SetPixmap(int index, std::shared_ptr<TPixmap> pixmap)
{
    if (index < 0 || index >= FrameCount()) return;
    // Pixels that carry alpha already say what is transparent
    if ((flags & IMAGE_MASKED) && pixmap && !FormatHasAlpha(pixmap->format))
        pixmap = MaskPixmap(*pixmap, mask_r, mask_g, mask_b);
    pixmaps[index] = std::move(pixmap);
    seqs[index] = 0;
    frames[index].reset();
}

void SetMaskColor(int red, int green, int blue)
{
    gSettings.maskR = red, gSettings.maskG = green, gSettings.maskB = blue;
}

void SetImageFlags(int flags)
{
    if (flags != -1) gSettings.flags = flags;
}

int ImageFlags() { return gSettings.flags; }
void AutoMidHandle(bool on) { gSettings.autoMidHandle = on; }

std::shared_ptr<TImage> LoadImage(const std::string& url, int flags)
{
    auto image = TImage::Load(url, FlagsOrDefault(flags), gSettings.maskR, gSettings.maskG, gSettings.maskB);
    if (image) FinishLoad(*image);
    return image;
}

std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cellWidth, int cellHeight, int firstCell,
                                      int cellCount, int flags)
{
    auto image = TImage::LoadAnim(url, cellWidth, cellHeight, firstCell, cellCount, FlagsOrDefault(flags),
                                  gSettings.maskR, gSettings.maskG, gSettings.maskB);
    if (image) FinishLoad(*image);
    return image;
}

std::shared_ptr<TImage> CreateImage(int width, int height, int frames, int flags)
{
    auto image = TImage::Create(width, height, frames, FlagsOrDefault(flags) | IMAGE_DYNAMIC, gSettings.maskR,
                                gSettings.maskG, gSettings.maskB);
    FinishLoad(*image);
    return image;
}

void MidHandleImage(TImage& image) { SetImageHandle(image, image.width * 0.5f, image.height * 0.5f); }

void SetImageHandle(TImage& image, float x, float y)
{
    image.handle_x = x;
    image.handle_y = y;
}

void DrawImage(TImage& image, float x, float y, int frame)
{
    TCanvasGraphics* canvas = CurrentCanvas();
    if (!canvas) return;
    TImageFrame* f = image.Frame(frame);
    if (!f) return;
    f->Draw(-image.handle_x, -image.handle_y, image.width - image.handle_x, image.height - image.handle_y,
            x + canvas->origin_x, y + canvas->origin_y);
}

void DrawImageRect(TImage& image, float x, float y, float width, float height, int frame)
{
    TCanvasGraphics* canvas = CurrentCanvas();
    if (!canvas || image.width <= 0 || image.height <= 0) return;
    TImageFrame* f = image.Frame(frame);
    if (!f) return;
    // The handle scales with the picture
    float hx = image.handle_x * width / image.width, hy = image.handle_y * height / image.height;
    f->Draw(-hx, -hy, width - hx, height - hy, x + canvas->origin_x, y + canvas->origin_y);
}

void TileImage(TImage& image, float x, float y, int frame)
{
    TCanvasGraphics* canvas = CurrentCanvas();
    if (!canvas || image.width <= 0 || image.height <= 0) return;
    TImageFrame* f = image.Frame(frame);
    if (!f) return;
    float w = float(image.width), h = float(image.height);
    float startX = x - image.handle_x + canvas->origin_x, startY = y - image.handle_y + canvas->origin_y;
    // Back up to the first column and row that reach into the viewport
    float left = float(canvas->viewport_x), top = float(canvas->viewport_y);
    startX -= std::ceil((startX - left) / w) * w;
    startY -= std::ceil((startY - top) / h) * h;
    for (float ty = startY; ty < top + canvas->viewport_h; ty += h)
        for (float tx = startX; tx < left + canvas->viewport_w; tx += w) f->Draw(0, 0, w, h, tx, ty);
}

} // namespace engine
