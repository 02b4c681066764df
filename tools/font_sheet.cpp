// A specimen sheet of the game's fonts, written as a PNG, for judging by eye
// how the shipped faces look at the sizes the game uses. Needs a display
// (run it under xvfb-run); see the usage line below.
#include <png.h>

#include <cstdio>
#include <string>

#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/font.h"
#include "engine/draw/gl/gl_canvas_driver.h"
#include "engine/platform/platform.h"
#include "engine/runtime/ustring.h"

using namespace engine;

namespace {

constexpr int kWidth = 1000, kHeight = 1000;

const std::string kData = std::string(VB_SOURCE_DIR) + "/system/m013/";

struct Fonts {
    std::shared_ptr<TImageFont> big, small, digit;
};

bool WritePng(const std::string& path, const TPixmap& picture)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.PixelPtr(0, y));
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

// As the title screen places its texts: centred, or top-left
void DrawTextAt(int x, int y, const std::u16string& text, int centre)
{
    DrawText(text, float(x - TextWidth(text) / 2 * centre), float(y - TextHeight() / 2 * centre));
}

void DrawSpecimen(const std::shared_ptr<TImageFont>& font, const char* label, int& y)
{
    SetImageFont(nullptr);
    SetColor(255, 255, 160);
    DrawText(ToText(label), 10, float(y));
    SetImageFont(font);
    SetColor(255, 255, 255);
    DrawText(u"Varnick Bozzle", 10, float(y + 16));
    DrawText(u"0123456789 .........-+-", 10, float(y + 16 + TextHeight()));
    y += 16 + 2 * TextHeight() + 4;
}

// The backdrop's sky rows, as the title shows them behind its texts (row 0
// lies above the screen)
void DrawSky(int top)
{
    for (int r = 1; r < 20; ++r) {
        if (r < 14) SetColor(100, 100 + 4 * r, 255);
        else SetColor(255, 200, 100);
        SetAlpha(0.75f - r / 100.0f);
        DrawRect(0, float(top + r * 32 - 32), 800, 32);
    }
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
}

void DrawTitle(const Fonts& fonts, int top)
{
    DrawSky(top);
    SetImageFont(fonts.big);
    DrawTextAt(350, top + 100, u"Varnick", 1);
    DrawTextAt(450, top + 150, u"Bozzle", 1);
    DrawTextAt(400, top + 200, u"Shoot to start", 1);
    SetImageFont(fonts.small);
    DrawTextAt(400, top + 240, u"W or Up to Jump", 1);
    DrawTextAt(400, top + 260, u"S or Down to Duck", 1);
    DrawTextAt(200, top + 380, u"Type to change name", 1);
    DrawTextAt(200, top + 460, u"Your score", 1);
    DrawTextAt(650, top + 320, u"Online Scores", 1);
    DrawTextAt(650, top + 340, u"Right Click to Update", 1);
    SetImageFont(fonts.digit);
    DrawTextAt(200, top + 400, u"....Player", 1);
    DrawTextAt(200, top + 480, u"00001230", 1);
    const char16_t* names[] = {u".....Alice", u"..Bartleby", u"-+-", u"........Zo"};
    const char16_t* scores[] = {u"00004815", u"00001623", u"-+-", u"00000042"};
    for (int i = 1; i <= 10; ++i) {
        DrawTextAt(450, top + 340 + 20 * i, i <= 4 ? names[i - 1] : u"..........", 0);
        DrawTextAt(650, top + 340 + 20 * i, i <= 4 ? scores[i - 1] : u"00000000", 0);
    }
    SetImageFont(nullptr);
    DrawTextAt(0, top + 0, u"(F1) Switch to Fullscreen", 0);
    DrawTextAt(0, top + 10, u"(F2) Switch Music Off", 0);
    DrawTextAt(0, top + 20, u"(F3) Switch to OpenGL", 0);
}

bool LoadFonts(const std::string& titleFont, const std::string& digitFont, Fonts& fonts)
{
    fonts.big = LoadImageFont(titleFont, 64, FONT_SMOOTH);
    fonts.small = LoadImageFont(titleFont, 24, FONT_SMOOTH);
    fonts.digit = LoadImageFont(digitFont, 24, FONT_SMOOTH);
    if (!fonts.big || !fonts.small) std::fprintf(stderr, "Unable to load %s\n", titleFont.c_str());
    if (!fonts.digit) std::fprintf(stderr, "Unable to load %s\n", digitFont.c_str());
    return fonts.big && fonts.small && fonts.digit;
}

bool OpenDisplay()
{
    std::string error;
    if (!platform::Startup(error)) {
        std::fprintf(stderr, "Unable to reach a display: %s\n", error.c_str());
        return false;
    }
    SetGraphicsDriver(GLCanvasDriver());
    if (OpenGraphics(kWidth, kHeight, 0, 60, 0)) return true;
    std::fprintf(stderr, "Unable to open the display: %s\n", GraphicsError().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc == 3 || argc > 4) {
        std::fprintf(stderr, "usage: font_sheet OUT.png [TITLE_FONT DIGIT_FONT]\n");
        return 2;
    }
    std::string titleFont = argc == 4 ? argv[2] : kData + "clasict1.ttf";
    std::string digitFont = argc == 4 ? argv[3] : kData + "circulate brk.ttf";
    if (!OpenDisplay()) return 1;
    RegisterFontLoaders();
    Fonts fonts;
    if (!LoadFonts(titleFont, digitFont, fonts)) return 1;

    SetBlend(BLEND_ALPHA);
    SetClsColor(0, 0, 0);
    Cls();
    int y = 4;
    DrawSpecimen(fonts.big, "title font, 64 pixels", y);
    DrawSpecimen(fonts.small, "title font, 24 pixels", y);
    DrawSpecimen(fonts.digit, "digit font, 24 pixels", y);
    DrawSpecimen(nullptr, "built-in font", y);
    // The mock title screen below the specimens
    DrawTitle(fonts, y + 4);

    std::shared_ptr<TPixmap> picture = GrabPixmap(0, 0, kWidth, kHeight);
    Flip(0);
    CloseGraphics();
    if (picture && WritePng(argv[1], *picture)) return 0;
    std::fprintf(stderr, "Unable to write %s\n", argv[1]);
    return 1;
}
