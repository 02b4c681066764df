// The screens around a run: the title with its name editing and option keys,
// the run frame, the pause after a run and the score tally. Each screen is a
// frame function that returns the stage the flow goes to next.
#pragma once
#include "game/play/steps.h"
#include <memory>
#include <string>
#include <vector>

#include "engine/draw/font.h"
#include "game/flow/game.h"

namespace game {

//---- Text and input helpers of every screen

// Draws text in the current font at x - (width div 2) x centreX,
// y - (height div 2) x centreY: 1, 1 centres it on (x, y), 0, 0 puts its
// top-left corner there
void DrawTextAt(int x, int y, std::u16string_view text, int centreX, int centreY);
// The mouse within x..x+w and y..y+h, every edge included, and the held
// directions (0 W/Up, 3 A/Left, 5 D/Right, 8 S/Down): shared with the run
using play::MouseInBox;
using play::DirectionHeld;

// One text a screen draws: null font means the built-in one
struct ScreenText {
    std::shared_ptr<engine::TImageFont> font;
    std::u16string text;
    int x = 0, y = 0;
    int centred = 0;   // 1 centred on x, y; 0 top-left corner at x, y
};
void DrawScreenTexts(const std::vector<ScreenText>& texts);

//---- The title screen

// Every text of the title in drawing order (the crosshair goes after the
// first kTitleTextsBeforeCrosshair of them)
std::vector<ScreenText> TitleTexts(const Game& g);
inline constexpr int kTitleTextsBeforeCrosshair = 5;
// The two texts of board row 1 to 10: the name padded with dots to 10,
// the score padded with zeros to 8
std::u16string BoardRowName(const std::u16string& board, int row);
std::u16string BoardRowScore(const std::u16string& board, int row);
// Name editing, then the option keys and their labels
void TitleInput(Game& g);
// One typed character and the frame's Backspace hits applied to the name
void EditName(std::u16string& name, int typed, int backspaceHits);
// F2, F3, F1 in that order; may set rebuildDisplay and stop the tune
void OptionKeys(Game& g);
std::vector<ScreenText> OptionLabels(const Game& g);

//---- A run

Stage BeginRun(Game& g);
Stage RunFrame(Game& g);
// The 500 ms with the run's last frame on screen
Stage EndOfRun(Game& g);

//---- The score tally

Stage ScoreTally(Game& g);
Stage TallyFrame(Game& g);
// What the tally shows for its current counts, in drawing order
std::vector<ScreenText> TallyTexts(const Game& g);
// The total of the counts shown so far, never below 0
int ShownTotal(const Game& g);

// The last n characters of padding followed by text
std::u16string PadLeft(std::u16string_view padding, std::u16string_view text);

} // namespace game
