// The sky and dune rows that scroll behind the title and every run, and the
// pulsing sun.
#include <cmath>

#include "engine/draw/canvas.h"
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "engine/random/random.h"
#include "game/flow/game.h"

namespace game {

using namespace engine;

namespace {

constexpr int kRows = 25;
constexpr int kWrap = 8000;   // a whole number of screen widths at every row speed
constexpr int kBarWidth = 800;
constexpr float kSunX = 700, kSunY = 60;

// Rows 14 to 19 are the dunes, each nearer one faster; the rest drift slowly
double RowSpeed(int row) { return (row >= 14 && row <= 19) ? 0.2 * (row - 13) : 0.1; }

void DrawRows(Game& g)
{
    for (int r = 0; r < kRows; ++r) {
        if (r <= 13) SetColor(100, 100 + 4 * r, 255);
        else SetColor(255, 200, 100);
        SetAlpha(0.75f - r / 100.0f);
        int o = BackdropRowOffset(g.scrollPos, r);
        float y = float((r - 1) * 32);
        DrawImage(*g.res.barImage, float(-o - kBarWidth), y, 0);
        DrawImage(*g.res.barImage, float(-o), y, 0);
        DrawImage(*g.res.barImage, float(-o + kBarWidth), y, 0);
    }
}

// The first ray layer breathes: each scale turns back with a new random
// speed once it passes 1.3 or 1.0
void PulseSun(Game& g)
{
    g.sunScaleX += g.sunSpeedX / 10;
    g.sunScaleY += g.sunSpeedY / 10;
    if (g.sunScaleX > 1.3f) g.sunSpeedX = -float(RandomFloat(0.01, 0.04));
    if (g.sunScaleY > 1.3f) g.sunSpeedY = -float(RandomFloat(0.01, 0.04));
    if (g.sunScaleX < 1.0f) g.sunSpeedX = float(RandomFloat(0.01, 0.04));
    if (g.sunScaleY < 1.0f) g.sunSpeedY = float(RandomFloat(0.01, 0.04));
}

// Still in the colour of the last row
void DrawSun(Game& g)
{
    TImage& gfx = *g.res.gfxSheet;
    SetAlpha(0.75f);
    DrawImage(gfx, kSunX, kSunY, 30);
    PulseSun(g);
    g.frameCounter += 1;
    g.shotPending = TakeMouseHits(MOUSE_LEFT);
    SetAlpha(0.5f);
    SetScale(g.sunScaleX, g.sunScaleY);
    SetRotation(float(g.frameCounter));
    DrawImage(gfx, kSunX, kSunY, 31);
    SetAlpha(0.25f);
    // The second layer swaps the axes and turns the other way
    SetScale(2.3f - g.sunScaleY, 2.3f - g.sunScaleX);
    SetRotation(float(-g.frameCounter));
    DrawImage(gfx, kSunX, kSunY, 31);
    ResetDrawState();
}

} // namespace

int BackdropRowOffset(int scrollPos, int row) { return int(std::fmod(scrollPos * RowSpeed(row), 800.0)); }

void StepBackdrop(Game& g)
{
    g.scrollPos += 4;
    if (g.scrollPos > kWrap) g.scrollPos -= kWrap;
    DrawRows(g);
    DrawSun(g);
}

} // namespace game
