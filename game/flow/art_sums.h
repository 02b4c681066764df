#pragma once

// Running byte sums of the shipped art, after each 1000 bytes of the
// player sheet and then of the object sheet. Start-up compares them to
// tell a copy with changed art; written by tools/art_sums.py from the
// files in system/m013/, so regenerate it whenever those change.

namespace game {
inline constexpr int kPlayerSheetSums[5] = {121699, 255206, 395059, 537387, 668422};
inline constexpr int kGfxSheetSums[17] = {799503, 935461, 1067276, 1202842, 1333377, 1463307, 1591391, 1711228, 1836974, 1968767, 2092614, 2211971, 2335994, 2463957, 2594303, 2719141, 2828707};
}  // namespace game
