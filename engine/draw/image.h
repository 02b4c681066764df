// Images: pictures of one or more equal frames, kept as pixmaps in memory and
// uploaded to the back-end on first draw in each graphics generation.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/draw/canvas.h"
#include "engine/draw/pixmap.h"

namespace engine {

enum : int { IMAGE_MASKED = 1, IMAGE_FILTERED = 2, IMAGE_MIPMAPPED = 4, IMAGE_DYNAMIC = 8 };

class TImage {
public:
    int width = 0, height = 0;
    int flags = 0;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0.0f, handle_y = 0.0f;
    std::vector<std::shared_ptr<TPixmap>> pixmaps;
    std::vector<std::shared_ptr<TImageFrame>> frames;
    std::vector<int> seqs;   // generation each frame was uploaded in; 0 = not uploaded

    static std::shared_ptr<TImage> Create(int width, int height, int frames, int flags, int maskR, int maskG,
                                          int maskB);
    static std::shared_ptr<TImage> Load(const std::string& url, int flags, int maskR, int maskG, int maskB);
    static std::shared_ptr<TImage> LoadAnim(const std::string& url, int cellWidth, int cellHeight, int firstCell,
                                            int cellCount, int flags, int maskR, int maskG, int maskB);

    int FrameCount() const { return int(pixmaps.size()); }
    // The uploaded frame for the current display, made now if need be; null
    // when the driver cannot make it or the index is out of range
    TImageFrame* Frame(int index);
    // The frame's pixels; writing drops the uploaded frame
    std::shared_ptr<TPixmap> Lock(int index, int read, int write);
    // A masked image masks pixels without alpha by its mask colour
    void SetPixmap(int index, std::shared_ptr<TPixmap> pixmap);
};

//---- Module-wide settings

void SetMaskColor(int red, int green, int blue);
// Flags used when a loader is passed -1 (initially masked and filtered); -1 here changes nothing
void SetImageFlags(int flags);
int ImageFlags();
void AutoMidHandle(bool on);

//---- Loading and drawing

// Null when the file is missing or in no known format
std::shared_ptr<TImage> LoadImage(const std::string& url, int flags = -1);
// Cells left to right, then top to bottom; null when the picture holds fewer
// than firstCell + cellCount whole cells
std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cellWidth, int cellHeight, int firstCell,
                                      int cellCount, int flags = -1);
// An empty image to draw into
std::shared_ptr<TImage> CreateImage(int width, int height, int frames = 1, int flags = -1);
void MidHandleImage(TImage& image);
void SetImageHandle(TImage& image, float x, float y);
// The image's own handle places it; the drawing state's handle does not apply
void DrawImage(TImage& image, float x, float y, int frame = 0);
void DrawImageRect(TImage& image, float x, float y, float width, float height, int frame = 0);
// Repeats the frame over the whole viewport, lined up on (x, y)
void TileImage(TImage& image, float x = 0, float y = 0, int frame = 0);

} // namespace engine
