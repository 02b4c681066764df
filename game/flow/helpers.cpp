#include "engine/draw/font.h"
#include "engine/input/input.h"
#include "engine/runtime/text.h"
#include "game/flow/screens.h"

namespace game {

using namespace engine;

void DrawTextAt(int x, int y, std::u16string_view text, int centreX, int centreY)
{
    int left = x - (TextWidth(text) / 2) * centreX;
    int top = y - (TextHeight() / 2) * centreY;
    DrawText(text, float(left), float(top));
}

bool MouseInBox(int x, int y, int w, int h)
{
    int mx = MousePosX(), my = MousePosY();
    return mx >= x && mx <= x + w && my >= y && my <= y + h;
}

bool DirectionHeld(int direction)
{
    switch (direction) {
    case 0: return KeyIsDown(KEY_W) || KeyIsDown(KEY_UP);
    case 3: return KeyIsDown(KEY_A) || KeyIsDown(KEY_LEFT);
    case 5: return KeyIsDown(KEY_D) || KeyIsDown(KEY_RIGHT);
    case 8: return KeyIsDown(KEY_S) || KeyIsDown(KEY_DOWN);
    default: return false;
    }
}

void DrawScreenTexts(const std::vector<ScreenText>& texts)
{
    for (const ScreenText& t : texts) {
        SetImageFont(t.font);
        DrawTextAt(t.x, t.y, t.text, t.centred, t.centred);
    }
}

std::u16string PadLeft(std::u16string_view padding, std::u16string_view text)
{
    return Right(std::u16string(padding) + std::u16string(text), int(padding.size()));
}

} // namespace game
