// The title screen: its entry, its frame, and the name the player types.
#include "engine/display/display.h"
#include "engine/draw/canvas.h"
#include "engine/draw/image.h"
#include "engine/input/input.h"
#include "engine/runtime/text.h"
#include "game/flow/game.h"
#include "game/flow/screens.h"
#include "game/flow/sounds.h"
#include "scores/cipher.h"
#include "scores/exchange.h"

namespace game {

using namespace engine;

namespace {

constexpr int kNameLength = 10;
constexpr std::u16string_view kNameDots = u"..........";
constexpr std::u16string_view kScoreZeros = u"00000000";
constexpr std::u16string_view kForcedName = u"Dag Nabbit";

void StartTitleTune(Game& g)
{
    StartTune(g);
    ++g.tuneStarts;
}

// Art that is not the shipped art earns no name and no score
void ForceModifiedData(Game& g)
{
    if (!g.dataModified) return;
    g.saved.bestScore = 0;
    g.saved.playerName = std::u16string(kForcedName);
}

// The board text is name, score, name, score, ... separated by "|"
std::u16string BoardField(const std::u16string& board, int index)
{
    return scores::FieldOf(board, u'|', index);
}

void DrawCrosshair(Game& g)
{
    DrawImage(*g.res.gfxSheet, float(MousePosX()), float(MousePosY()), 50);
}

// The right button asks the score server once per visit to the title
void ExchangeOnRightButton(Game& g)
{
    if (!MouseIsDown(MOUSE_RIGHT) || !g.boardUpdateAllowed) return;
    std::u16string message = g.saved.playerName + u"|" + IntToText(g.saved.playerId) + u"|" +
                             IntToText(g.saved.bestScore) + u"|";
    g.saved.scoreBoardText = scores::ExchangeScores(message);
    scores::WriteSaveFile(g.saved);
    g.boardUpdateAllowed = 0;
}

// Escape quits only once a title frame has seen it up: the press that
// ended a run, still held, does not
void WatchEscape(Game& g)
{
    if (!KeyIsDown(KEY_ESCAPE)) g.escapeLatch = 0;
    else if (g.escapeLatch == 0) g.quitRequested = 1;
}

} // namespace

std::u16string BoardRowName(const std::u16string& board, int row)
{
    return PadLeft(kNameDots, BoardField(board, 2 * row - 1));
}

std::u16string BoardRowScore(const std::u16string& board, int row)
{
    return PadLeft(kScoreZeros, BoardField(board, 2 * row));
}

std::vector<ScreenText> TitleTexts(const Game& g)
{
    const Resources& r = g.res;
    std::vector<ScreenText> texts = {
        {r.bigFont, u"Varnick", 350, 100, 1},
        {r.bigFont, u"Bozzle", 450, 150, 1},
        {r.bigFont, u"Shoot to start", 400, 200, 1},
        {r.smallFont, u"W or Up to Jump", 400, 240, 1},
        {r.smallFont, u"S or Down to Duck", 400, 260, 1},
        {r.smallFont, u"Type to change name", 200, 380, 1},
        {r.smallFont, u"Your score", 200, 460, 1},
        {r.digitFont, PadLeft(kNameDots, g.saved.playerName), 200, 400, 1},
        {r.digitFont, PadLeft(kScoreZeros, IntToText(g.saved.bestScore)), 200, 480, 1},
    };
    for (int i = 1; i <= 10; ++i) {
        texts.push_back({r.digitFont, BoardRowName(g.saved.scoreBoardText, i), 450, 340 + 20 * i, 0});
        texts.push_back({r.digitFont, BoardRowScore(g.saved.scoreBoardText, i), 650, 340 + 20 * i, 0});
    }
    texts.push_back({r.smallFont, u"Online Scores", 650, 320, 1});
    texts.push_back({r.smallFont, u"Right Click to Update", 650, 340, 1});
    return texts;
}

void EditName(std::u16string& name, int typed, int backspaceHits)
{
    // Codes above 255 would not survive the one-byte save file, and "|"
    // separates the save record's fields
    bool printable = typed > 32 && typed <= 255 && typed != '|';
    if (printable && name.size() < std::size_t(kNameLength)) name.push_back(char16_t(typed));
    // One character goes per frame, however many hits were counted
    if (backspaceHits > 0 && !name.empty()) name.pop_back();
}

void TitleInput(Game& g)
{
    int typed = PopTypedChar();
    EditName(g.saved.playerName, typed, TakeKeyHits(KEY_BACKSPACE));
    OptionKeys(g);
}

Stage EnterTitle(Game& g)
{
    g.escapeLatch = 1;
    g.frameCounter = 0;
    g.sunScaleX = g.sunScaleY = 1.2f;
    g.sunSpeedX = g.sunSpeedY = 0.01f;
    g.rebuildDisplay = 0;
    if (g.saved.musicOn == 1) StartTitleTune(g);
    // A click made before the title shows (in the pause after a run, say)
    // must not start the next run
    TakeMouseHits(MOUSE_LEFT);
    g.boardUpdateAllowed = 1;
    FlushInput();
    ForceModifiedData(g);
    scores::WriteSaveFile(g.saved);
    return Stage::Title;
}

Stage TitleFrame(Game& g)
{
    Cls();
    ResetDrawState();
    StepBackdrop(g);
    ResetDrawState();
    std::vector<ScreenText> texts = TitleTexts(g);
    DrawScreenTexts({texts.begin(), texts.begin() + kTitleTextsBeforeCrosshair});
    DrawCrosshair(g);
    DrawScreenTexts({texts.begin() + kTitleTextsBeforeCrosshair, texts.end()});
    if (g.runTotal > g.saved.bestScore) {
        g.saved.bestScore = g.runTotal;
        g.runTotal = 0;
        scores::WriteSaveFile(g.saved);
    }
    ExchangeOnRightButton(g);
    SetImageFont(nullptr);
    TitleInput(g);
    // Neither a rebuild nor a run presents this frame
    if (g.rebuildDisplay) return Stage::SetUpDisplay;
    if (g.saved.musicOn == 1 && !TunePlaying(g)) StartTitleTune(g);
    ForceModifiedData(g);
    if (g.saved.playerName.size() > std::size_t(kNameLength)) g.saved.playerName.resize(kNameLength);
    ResetDrawState();
    if (g.shotPending) {
        PlaySlot(g, 1);
        StopTune(g);
        return Stage::BeginRun;
    }
    Flip(-1);
    WatchEscape(g);
    return g.quitRequested ? Stage::Quit : Stage::Title;
}

} // namespace game
