// Fonts and text: sources that render glyphs (TrueType through FreeType),
// and image fonts that draw text as one small image per glyph through the
// drawing state, so colour, alpha, blend, rotation and scale apply to text.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/draw/image.h"
#include "engine/draw/pixmap.h"

struct FT_FaceRec_;

namespace engine {

// Style bits: smoothing pads glyphs and filters their images; bold and
// italic are only remembered
enum : int { FONT_BOLD = 1, FONT_ITALIC = 2, FONT_SMOOTH = 4 };

//---- Font sources
// A glyph's rectangle is its picture's place relative to the pen: x to the
// right, y downward from the top of the line.

class TGlyph {
public:
    virtual ~TGlyph() = default;
    // Coverage as an alpha-only pixmap; null for a blank glyph (a space)
    virtual std::shared_ptr<TPixmap> Pixels() = 0;
    virtual float Advance() = 0;
    virtual void GetRect(int& x, int& y, int& w, int& h) = 0;
};

class TFont {
public:
    virtual ~TFont() = default;
    virtual int Style() = 0;
    virtual int Height() = 0;
    virtual int CountGlyphs() = 0;
    // -1 for a character the font lacks
    virtual int CharToGlyph(int ch) = 0;
    // Rendered on first request and kept; null outside 0..CountGlyphs()-1
    virtual std::shared_ptr<TGlyph> LoadGlyph(int index) = 0;
};

// Opens one kind of font file; null when the file is not of that kind
class TFontLoader {
public:
    virtual ~TFontLoader() = default;
    virtual std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) = 0;
};

// The loaders in the order they are tried; the program uses gFontLoaders
struct TFontLoaderList {
    std::vector<std::shared_ptr<TFontLoader>> loaders;
    bool builtIn = false;   // the TrueType loader is in the list
};
extern TFontLoaderList gFontLoaders;

// Adds the TrueType loader once; later calls do nothing
void RegisterFontLoaders(TFontLoaderList& list = gFontLoaders);
void AddFontLoader(std::shared_ptr<TFontLoader> loader, TFontLoaderList& list = gFontLoaders);
// The font of the first loader that opens the url; null when none does
std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style,
                                const TFontLoaderList& list = gFontLoaders);

//---- TrueType fonts

class TFreeTypeGlyph final : public TGlyph {
public:
    std::shared_ptr<TPixmap> _pixmap;   // PF_A8, or null
    float _advance = 0.0f;
    int _x = 0, _y = 0, _w = 0, _h = 0;

    std::shared_ptr<TPixmap> Pixels() override { return _pixmap; }
    float Advance() override { return _advance; }
    void GetRect(int& x, int& y, int& w, int& h) override;
};

// A face opened at one pixel height. Slot i of _glyphs holds the face's
// glyph i + 1, so the face's missing-character glyph 0 is never drawn.
class TFreeTypeFont final : public TFont {
public:
    FT_FaceRec_* _ft_face = nullptr;
    int _style = 0;
    int _height = 0, _ascend = 0, _descend = 0;   // pixels; _descend is negative below the baseline
    std::vector<std::shared_ptr<TFreeTypeGlyph>> _glyphs;
    std::vector<std::uint8_t> _buf;   // the file's bytes when opened from memory; the face reads them

    TFreeTypeFont() = default;
    TFreeTypeFont(const TFreeTypeFont&) = delete;
    TFreeTypeFont& operator=(const TFreeTypeFont&) = delete;
    ~TFreeTypeFont() override;

    // url is a file path, or "path::face": the file read whole into memory
    // and the face of that index in it (0 when empty). A size the face
    // cannot take falls back to the next smaller one; null when none works,
    // for a size below 1, or when the file is missing or no font.
    static std::shared_ptr<TFreeTypeFont> Load(const std::string& url, int size, int style);

    int Style() override { return _style; }
    int Height() override { return _height; }
    int CountGlyphs() override { return int(_glyphs.size()); }
    int CharToGlyph(int ch) override;
    std::shared_ptr<TGlyph> LoadGlyph(int index) override;

private:
    std::shared_ptr<TFreeTypeGlyph> RenderGlyph(int index);
};

std::shared_ptr<TFontLoader> FreeTypeFontLoader();

//---- Image fonts: what the drawing state holds

class TImageGlyph {
public:
    std::shared_ptr<TImage> _image;   // one frame, or null for a blank glyph
    float _advance = 0.0f;
    int _x = 0, _y = 0, _w = 0, _h = 0;

    std::shared_ptr<TImage> Pixels() const { return _image; }
    float Advance() const { return _advance; }
    void GetRect(int& x, int& y, int& w, int& h) const;
};

class TImageFont {
public:
    std::shared_ptr<TFont> _src_font;   // null for the built-in font
    std::vector<std::shared_ptr<TImageGlyph>> _glyphs;
    int _imageFlags = 0;

    int Style();
    int Height();
    int CountGlyphs() { return int(_glyphs.size()); }
    int CharToGlyph(int ch);
    // Made from the source glyph on first use; null outside the glyph range
    TImageGlyph* LoadGlyph(int index);
    // The pen starts at (x, y) and steps along (ix, jx); each glyph's
    // rectangle goes through the matrix (ix, iy, jx, jy)
    void Draw(std::u16string_view text, float x, float y, float ix, float iy, float jx, float jy);

    // Smooth fonts get filtered, mipmapped glyph images
    static std::shared_ptr<TImageFont> Load(const std::string& url, int size, int style,
                                            const TFontLoaderList& list = gFontLoaders);
    // The 8 x 16 font for the characters 32 to 127
    static std::shared_ptr<TImageFont> CreateDefault();
};

// The built-in font, made on first use and shared by every drawing state
std::shared_ptr<TImageFont> DefaultImageFont();

//---- Text through the current drawing state

// Null when the font cannot be opened
std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size, int style);
// Null selects the built-in font
void SetImageFont(std::shared_ptr<TImageFont> font);
std::shared_ptr<TImageFont> GetImageFont();
// The text's top-left corner (or the drawing handle) at (x, y)
void DrawText(std::u16string_view text, float x, float y);
// Whole pixels; characters the font lacks add nothing. 0 without a display.
int TextWidth(std::u16string_view text);
int TextHeight();

} // namespace engine
