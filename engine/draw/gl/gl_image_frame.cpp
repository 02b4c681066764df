// Textures made from image frames: power-of-two sizes with an edge smear,
// and the quad that draws them.
#include <GL/gl.h>

#include <algorithm>

#include "engine/display/display.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/draw/gl/gl_image_frame.h"
#include "engine/runtime/error.h"

namespace engine {

namespace {

enum : int { IMAGE_FILTERED = 2, IMAGE_MIPMAPPED = 4 };

int NextPow2(int n)
{
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// Halves every dimension above 1 until the proxy texture is accepted
void ProbeTextureSize(int& tw, int& th)
{
    for (;;) {
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        if (width != 0) return;
        if (tw == 1 && th == 1) ThrowRuntimeError("Unable to calculate tex size");
        if (tw > 1) tw /= 2;
        if (th > 1) th /= 2;
    }
}

void SetTextureParameters(int flags)
{
    bool filtered = flags & IMAGE_FILTERED, mipmapped = flags & IMAGE_MIPMAPPED;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint mag = filtered ? GL_LINEAR : GL_NEAREST;
    GLint min = filtered ? (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                         : (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
}

void UploadLevel(int level, const TPixmap& p)
{
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, p.pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, p.width, p.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

// Each level halves every dimension above 1, down to 1 x 1
void UploadMipmaps(std::shared_ptr<TPixmap> level)
{
    for (int n = 1; level->width > 1 || level->height > 1; ++n) {
        level = ResizePixmap(*level, std::max(1, level->width / 2), std::max(1, level->height / 2));
        UploadLevel(n, *level);
    }
}

} // namespace

TGLImageFrame::TGLImageFrame(TGLCanvasDriver& driver, unsigned name, int textureWidth, int textureHeight,
                             float umax, float vmax)
    : driver_(driver), name_(name), textureWidth_(textureWidth), textureHeight_(textureHeight), umax_(umax),
      vmax_(vmax), generation_(GraphicsGeneration())
{
}

TGLImageFrame::~TGLImageFrame()
{
    if (generation_ != GraphicsGeneration()) return;
    driver_.ForgetTexture(name_);
    GLuint name = name_;
    glDeleteTextures(1, &name);
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty)
{
    driver_.BindTexture(name_);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    driver_.Vertex(x0, y0, tx, ty);
    glTexCoord2f(umax_, 0.0f);
    driver_.Vertex(x1, y0, tx, ty);
    glTexCoord2f(umax_, vmax_);
    driver_.Vertex(x1, y1, tx, ty);
    glTexCoord2f(0.0f, vmax_);
    driver_.Vertex(x0, y1, tx, ty);
    glEnd();
}

std::shared_ptr<TPixmap> TGLImageFrame::ReadTexture()
{
    if (generation_ != GraphicsGeneration()) return nullptr;
    auto pixels = TPixmap::Create(textureWidth_, textureHeight_, PF_RGBA8888);
    driver_.BindTexture(name_);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, pixels->pitch / 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels->pixels);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return pixels;
}

std::shared_ptr<TImageFrame> TGLCanvasDriver::CreateFrameFromPixmap(std::shared_ptr<TPixmap> pixmap, int flags)
{
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    int tw = NextPow2(pixmap->width), th = NextPow2(pixmap->height);
    ProbeTextureSize(tw, th);
    int w = std::min(pixmap->width, tw), h = std::min(pixmap->height, th);
    std::shared_ptr<TPixmap> picture = pixmap;
    if (pixmap->width > w || pixmap->height > h) picture = ResizePixmap(*pixmap, w, h);
    if (w < tw || h < th) picture = PadToTexture(*picture, tw, th);
    else if (picture->format != PF_RGBA8888) picture = picture->Convert(PF_RGBA8888);

    GLuint name = 0;
    glGenTextures(1, &name);
    BindTexture(name);
    SetTextureParameters(flags);
    UploadLevel(0, *picture);
    if (flags & IMAGE_MIPMAPPED) UploadMipmaps(picture);
    return std::make_shared<TGLImageFrame>(*this, name, tw, th, float(w) / tw, float(h) / th);
}

} // namespace engine
