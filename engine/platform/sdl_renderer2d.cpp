// The 2D renderer calls behind renderer2d.h: textures, triangles, clip,
// clear, read-back and present, each a thin wrapper over SDL's renderer.
#include <algorithm>

#include "engine/platform/renderer2d.h"
#include "engine/platform/sdl_internal.h"

namespace engine::platform {

struct TTexture2D {
    SDL_Texture* texture = nullptr;   // null once its window has closed
    const TWindow* window = nullptr;
    SDL_BlendMode blend = SDL_BLENDMODE_INVALID;   // last set, to skip repeats
};

namespace {

// Every live texture, so that closing a window can mark its own as gone
// (the renderer frees them) and destroying one later stays safe
std::vector<TTexture2D*> gTextures;

// Multiply takes the alpha the same way as the colour: both factors
// destination times source
SDL_BlendMode SdlBlend(int blend)
{
    switch (blend) {
    case BLEND2D_ALPHA: return SDL_BLENDMODE_BLEND;
    case BLEND2D_ADD: return SDL_BLENDMODE_ADD;
    case BLEND2D_MULTIPLY: {
        static const SDL_BlendMode multiply = SDL_ComposeCustomBlendMode(
            SDL_BLENDFACTOR_DST_COLOR, SDL_BLENDFACTOR_ZERO, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_DST_ALPHA,
            SDL_BLENDFACTOR_ZERO, SDL_BLENDOPERATION_ADD);
        return multiply;
    }
    default: return SDL_BLENDMODE_NONE;
    }
}

SDL_ScaleMode SdlScale(int scaleMode)
{
    switch (scaleMode) {
    case SCALE2D_LINEAR: return SDL_ScaleModeLinear;
    case SCALE2D_BEST: return SDL_ScaleModeBest;
    default: return SDL_ScaleModeNearest;
    }
}

} // namespace

std::string RendererName(const TWindow* window)
{
    SDL_RendererInfo info;
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0) return "";
    return info.name;
}

int MaxTextureSize(const TWindow* window)
{
    SDL_RendererInfo info;
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer || SDL_GetRendererInfo(renderer, &info) != 0) return 0;
    return std::min(info.max_texture_width, info.max_texture_height);
}

TTexture2D* CreateTexture2D(TWindow* window, int width, int height, int scaleMode, std::string& error)
{
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer) {
        error = "no 2D renderer";
        return nullptr;
    }
    // RGBA32 names the byte order: R, G, B, A in memory on any machine
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, width, height);
    if (!texture) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_SetTextureScaleMode(texture, SdlScale(scaleMode));
    auto* handle = new TTexture2D{texture, window};
    gTextures.push_back(handle);
    return handle;
}

void UpdateTexture2D(TTexture2D* texture, const void* pixels, int pitch)
{
    if (texture && texture->texture) SDL_UpdateTexture(texture->texture, nullptr, pixels, pitch);
}

void DestroyTexture2D(TTexture2D* texture)
{
    if (!texture) return;
    if (texture->texture) SDL_DestroyTexture(texture->texture);
    gTextures.erase(std::remove(gTextures.begin(), gTextures.end(), texture), gTextures.end());
    delete texture;
}

void ForgetTexturesOf(const TWindow* window)
{
    for (TTexture2D* t : gTextures)
        if (t->window == window) t->texture = nullptr;
}

void DrawTriangles2D(TWindow* window, TTexture2D* texture, int blend, const Vertex2D* vertices, int vertexCount,
                     const int* indices, int indexCount)
{
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer || vertexCount <= 0 || (texture && !texture->texture)) return;
    SDL_BlendMode mode = SdlBlend(blend);
    if (texture) {
        if (texture->blend != mode) {
            SDL_SetTextureBlendMode(texture->texture, mode);
            texture->blend = mode;
        }
    } else {
        SDL_SetRenderDrawBlendMode(renderer, mode);
    }
    // Vertex2D lays out as SDL's vertex does: position, colour, texture coordinate
    static_assert(sizeof(Vertex2D) == sizeof(SDL_Vertex));
    const auto* v = reinterpret_cast<const SDL_Vertex*>(vertices);
    SDL_RenderGeometry(renderer, texture ? texture->texture : nullptr, v, vertexCount, indices, indexCount);
}

void SetClip2D(TWindow* window, const int* box)
{
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer) return;
    if (!box) {
        SDL_RenderSetClipRect(renderer, nullptr);
        return;
    }
    SDL_Rect rect{box[0], box[1], box[2], box[3]};
    SDL_RenderSetClipRect(renderer, &rect);
}

void Clear2D(TWindow* window, int red, int green, int blue)
{
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer) return;
    SDL_SetRenderDrawColor(renderer, Uint8(red), Uint8(green), Uint8(blue), 255);
    SDL_RenderClear(renderer);
}

bool ReadPixels2D(TWindow* window, int x, int y, int width, int height, void* pixels, int pitch)
{
    SDL_Renderer* renderer = RendererOf(window);
    if (!renderer) return false;
    SDL_Rect rect{x, y, width, height};
    return SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_RGBA32, pixels, pitch) == 0;
}

void Present2D(TWindow* window)
{
    if (SDL_Renderer* renderer = RendererOf(window)) SDL_RenderPresent(renderer);
}

bool SetVSync2D(TWindow* window, int interval) { return SetSwapInterval(window, interval); }

} // namespace engine::platform
