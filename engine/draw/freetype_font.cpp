// TrueType (and any other FreeType face) as a font source: opening at a pixel
// height, the size metrics, and glyphs rendered into alpha-only pixmaps.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

#include "engine/draw/font.h"
#include "engine/runtime/file.h"

namespace engine {

namespace {

// Made on first use and kept: faces may be closed at any time up to exit
FT_Library Library()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    return library;
}

// "path::face": the face index is decimal digits, or nothing for 0
bool ParseFaceIndex(const std::string& text, FT_Long& index)
{
    if (text.size() > 6) return false;
    index = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        index = index * 10 + (c - '0');
    }
    return true;
}

// A "::" at the very start is part of a path, not a resource separator
bool OpenFace(const std::string& url, TFreeTypeFont& font)
{
    FT_Library library = Library();
    if (!library) return false;
    std::size_t split = url.size() > 1 ? url.find("::", 1) : std::string::npos;
    if (split == std::string::npos) return FT_New_Face(library, url.c_str(), 0, &font._ft_face) == 0;

    FT_Long index;
    if (!ParseFaceIndex(url.substr(split + 2), index)) return false;
    if (!ReadWholeFile(url.substr(0, split), font._buf) || font._buf.empty()) return false;
    return FT_New_Memory_Face(library, font._buf.data(), FT_Long(font._buf.size()), index, &font._ft_face) == 0;
}

// Bitmap-only faces offer a few heights; take the largest one not above size
bool SetPixelSize(FT_Face face, int size)
{
    for (; size > 0; --size)
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) == 0) return true;
    return false;
}

// The address of the top row: an upward-flowing bitmap starts at the bottom
const unsigned char* TopRow(const FT_Bitmap& bitmap)
{
    const unsigned char* row = bitmap.buffer;
    if (bitmap.pitch < 0) row -= std::ptrdiff_t(bitmap.pitch) * (std::ptrdiff_t(bitmap.rows) - 1);
    return row;
}

std::shared_ptr<TPixmap> GreyCoverage(const FT_Bitmap& bitmap)
{
    auto pixmap = TPixmap::Create(int(bitmap.width), int(bitmap.rows), PF_A8);
    if (!pixmap) return nullptr;
    const int top = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    const unsigned char* row = TopRow(bitmap);
    for (int y = 0; y < pixmap->height; ++y, row += bitmap.pitch) {
        std::uint8_t* out = pixmap->PixelPtr(0, y);
        for (int x = 0; x < pixmap->width; ++x) out[x] = std::uint8_t(top == 255 ? row[x] : row[x] * 255 / top);
    }
    return pixmap;
}

// Bit 7 of each byte is the leftmost pixel
std::shared_ptr<TPixmap> MonoCoverage(const FT_Bitmap& bitmap)
{
    auto pixmap = TPixmap::Create(int(bitmap.width), int(bitmap.rows), PF_A8);
    if (!pixmap) return nullptr;
    const unsigned char* row = TopRow(bitmap);
    for (int y = 0; y < pixmap->height; ++y, row += bitmap.pitch) {
        std::uint8_t* out = pixmap->PixelPtr(0, y);
        for (int x = 0; x < pixmap->width; ++x) out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return pixmap;
}

// Other pixel modes (colour, sub-pixel) carry no single coverage to take
std::shared_ptr<TPixmap> Coverage(const FT_Bitmap& bitmap)
{
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return GreyCoverage(bitmap);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return MonoCoverage(bitmap);
    return nullptr;
}

// A transparent pixel all round, so filtering at the image's edges fades
// into nothing instead of smearing the outermost coverage; the rectangle
// moves up and left by one so the glyph stays where it was
void AddSmoothBorder(TFreeTypeGlyph& glyph)
{
    auto padded = TPixmap::Create(glyph._pixmap->width + 2, glyph._pixmap->height + 2, PF_A8);
    if (!padded) {
        glyph._pixmap.reset();
        return;
    }
    padded->Paste(*glyph._pixmap, 1, 1);
    glyph._pixmap = padded;
    glyph._x -= 1, glyph._y -= 1;
    glyph._w += 2, glyph._h += 2;
}

class TFreeTypeFontLoader final : public TFontLoader {
public:
    std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) override
    {
        return TFreeTypeFont::Load(url, size, style);
    }
};

} // namespace

void TFreeTypeGlyph::GetRect(int& x, int& y, int& w, int& h)
{
    x = _x, y = _y, w = _w, h = _h;
}

TFreeTypeFont::~TFreeTypeFont()
{
    if (_ft_face) FT_Done_Face(_ft_face);
}

std::shared_ptr<TFreeTypeFont> TFreeTypeFont::Load(const std::string& url, int size, int style)
{
    if (size < 1) return nullptr;
    auto font = std::make_shared<TFreeTypeFont>();
    if (!OpenFace(url, *font)) {
        font->_ft_face = nullptr;
        return nullptr;
    }
    if (!SetPixelSize(font->_ft_face, size)) return nullptr;
    const FT_Size_Metrics& metrics = font->_ft_face->size->metrics;
    font->_style = style;
    font->_height = int(metrics.height >> 6);
    font->_ascend = int(metrics.ascender >> 6);
    font->_descend = int(metrics.descender >> 6);
    font->_glyphs.resize(std::size_t(font->_ft_face->num_glyphs));
    return font;
}

int TFreeTypeFont::CharToGlyph(int ch)
{
    if (ch < 0) return -1;
    return int(FT_Get_Char_Index(_ft_face, FT_ULong(ch))) - 1;
}

std::shared_ptr<TGlyph> TFreeTypeFont::LoadGlyph(int index)
{
    if (index < 0 || index >= CountGlyphs()) return nullptr;
    if (!_glyphs[index]) _glyphs[index] = RenderGlyph(index);
    return _glyphs[index];
}

// A glyph FreeType cannot load stays blank: no picture, no advance
std::shared_ptr<TFreeTypeGlyph> TFreeTypeFont::RenderGlyph(int index)
{
    auto glyph = std::make_shared<TFreeTypeGlyph>();
    if (FT_Load_Glyph(_ft_face, FT_UInt(index + 1), FT_LOAD_RENDER) != 0) return glyph;
    const FT_GlyphSlot slot = _ft_face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->_x = slot->bitmap_left;
    glyph->_y = _ascend - slot->bitmap_top;
    glyph->_w = int(bitmap.width);
    glyph->_h = int(bitmap.rows);
    glyph->_advance = float(slot->advance.x >> 6);
    if (bitmap.width == 0 || bitmap.rows == 0) return glyph;
    glyph->_pixmap = Coverage(bitmap);
    if (glyph->_pixmap && (_style & FONT_SMOOTH)) AddSmoothBorder(*glyph);
    return glyph;
}

std::shared_ptr<TFontLoader> FreeTypeFontLoader() { return std::make_shared<TFreeTypeFontLoader>(); }

} // namespace engine
