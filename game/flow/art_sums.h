#pragma once

// Running byte sums of the shipped art, after each 1000 bytes of the
// player sheet and then of the object sheet. Start-up compares them to
// tell a copy with changed art; written by tools/art_sums.py from the
// files in system/m013/, so regenerate it whenever those change.

namespace game {
inline constexpr int kPlayerSheetSums[5] = {121699, 255206, 395059, 537387, 668422};
inline constexpr int kGfxSheetSums[17] = {800488, 933232, 1061415, 1197222, 1331045, 1459655, 1590462, 1712916, 1843223, 1979199, 2103314, 2229157, 2351661, 2477785, 2604450, 2728193, 2843353};
}  // namespace game
