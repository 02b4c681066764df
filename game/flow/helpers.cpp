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
