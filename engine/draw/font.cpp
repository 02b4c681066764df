// The font loader list, image fonts, and drawing and measuring text through
// the current drawing state.
#include "engine/draw/font.h"

#include <algorithm>

namespace engine {

TFontLoaderList gFontLoaders;

void RegisterFontLoaders(TFontLoaderList& list)
{
    if (list.builtIn) return;
    list.builtIn = true;
    AddFontLoader(FreeTypeFontLoader(), list);
}

void AddFontLoader(std::shared_ptr<TFontLoader> loader, TFontLoaderList& list)
{
    if (loader) list.loaders.push_back(std::move(loader));
}

std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style, const TFontLoaderList& list)
{
    for (const auto& loader : list.loaders)
        if (std::shared_ptr<TFont> font = loader->LoadFont(url, size, style)) return font;
    return nullptr;
}

void TImageGlyph::GetRect(int& x, int& y, int& w, int& h) const
{
    x = _x, y = _y, w = _w, h = _h;
}

std::shared_ptr<TImageFont> TImageFont::Load(const std::string& url, int size, int style,
                                             const TFontLoaderList& list)
{
    std::shared_ptr<TFont> source = LoadFont(url, size, style, list);
    if (!source) return nullptr;
    auto font = std::make_shared<TImageFont>();
    font->_src_font = source;
    font->_glyphs.resize(std::size_t(std::max(source->CountGlyphs(), 0)));
    font->_imageFlags = (style & FONT_SMOOTH) ? IMAGE_FILTERED | IMAGE_MIPMAPPED : 0;
    return font;
}

int TImageFont::Style() { return _src_font ? _src_font->Style() : 0; }
int TImageFont::Height() { return _src_font ? _src_font->Height() : 16; }

int TImageFont::CharToGlyph(int ch)
{
    if (_src_font) return _src_font->CharToGlyph(ch);
    return ch >= 32 && ch < 128 ? ch - 32 : -1;
}

// The image keeps its own copy of the coverage, uploaded as white with the
// coverage as alpha, so text takes the drawing colour
TImageGlyph* TImageFont::LoadGlyph(int index)
{
    if (index < 0 || index >= CountGlyphs()) return nullptr;
    if (_glyphs[index]) return _glyphs[index].get();
    auto glyph = std::make_shared<TImageGlyph>();
    std::shared_ptr<TGlyph> source = _src_font ? _src_font->LoadGlyph(index) : nullptr;
    if (source) {
        glyph->_advance = source->Advance();
        source->GetRect(glyph->_x, glyph->_y, glyph->_w, glyph->_h);
        if (std::shared_ptr<TPixmap> pixels = source->Pixels()) {
            glyph->_image = TImage::Create(pixels->width, pixels->height, 1, _imageFlags, 0, 0, 0);
            glyph->_image->SetPixmap(0, pixels->Copy());
        }
    }
    _glyphs[index] = glyph;
    return glyph.get();
}

void TImageFont::Draw(std::u16string_view text, float x, float y, float ix, float iy, float jx, float jy)
{
    for (char16_t ch : text) {
        TImageGlyph* glyph = LoadGlyph(CharToGlyph(ch));
        if (!glyph) continue;
        if (glyph->_image) {
            if (TImageFrame* frame = glyph->_image->Frame(0)) {
                float tx = x + glyph->_x * ix + glyph->_y * iy, ty = y + glyph->_x * jx + glyph->_y * jy;
                frame->Draw(0, 0, float(glyph->_image->width), float(glyph->_image->height), tx, ty);
            }
        }
        x += ix * glyph->_advance;
        y += jx * glyph->_advance;
    }
}

namespace {

// A state whose font was never set draws with the built-in one
TImageFont* CurrentFont()
{
    TCanvasGraphics* canvas = CurrentCanvas();
    if (!canvas) return nullptr;
    if (!canvas->image_font) canvas->image_font = DefaultImageFont();
    return canvas->image_font.get();
}

} // namespace

std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size, int style)
{
    return TImageFont::Load(url, size, style);
}

void SetImageFont(std::shared_ptr<TImageFont> font)
{
    TCanvasGraphics* canvas = CurrentCanvas();
    if (!canvas) return;
    canvas->image_font = font ? std::move(font) : DefaultImageFont();
}

std::shared_ptr<TImageFont> GetImageFont()
{
    return CurrentFont() ? CurrentCanvas()->image_font : nullptr;
}

// The handle turns and stretches with the text, about the given point
void DrawText(std::u16string_view text, float x, float y)
{
    TImageFont* font = CurrentFont();
    if (!font) return;
    const TCanvasGraphics& c = *CurrentCanvas();
    float px = x + c.origin_x + c.handle_x * c.tform_ix + c.handle_y * c.tform_iy;
    float py = y + c.origin_y + c.handle_x * c.tform_jx + c.handle_y * c.tform_jy;
    font->Draw(text, px, py, c.tform_ix, c.tform_iy, c.tform_jx, c.tform_jy);
}

int TextWidth(std::u16string_view text)
{
    TImageFont* font = CurrentFont();
    if (!font) return 0;
    int width = 0;
    for (char16_t ch : text)
        if (TImageGlyph* glyph = font->LoadGlyph(font->CharToGlyph(ch))) width = int(float(width) + glyph->_advance);
    return width;
}

int TextHeight()
{
    TImageFont* font = CurrentFont();
    return font ? font->Height() : 0;
}

} // namespace engine
