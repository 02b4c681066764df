#pragma once

// Running byte sums of the shipped art, after each 1000 bytes of the
// player sheet and then of the object sheet. Start-up compares them to
// tell a copy with changed art; written by tools/art_sums.py from the
// files in system/m013/, so regenerate it whenever those change.

namespace game {
inline constexpr int kPlayerSheetSums[5] = {121699, 255206, 395059, 537387, 668422};
inline constexpr int kGfxSheetSums[17] = {797421, 937774, 1061181, 1194402, 1324691, 1448926, 1578112, 1697794, 1830576, 1960564, 2079778, 2196657, 2320917, 2445278, 2575136, 2696494, 2822234};
}  // namespace game
