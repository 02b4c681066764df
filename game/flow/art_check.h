// Whether the two main art files are the ones the game was shipped with.
#pragma once
#include <string>

namespace game {

inline constexpr const char* kPlayerSheetPath = "system/m013/varnicka.png";
inline constexpr const char* kGfxSheetPath = "system/m013/gfx.png";
inline constexpr const char* kParticleSheetPath = "system/m013/particles.png";
inline constexpr const char* kBarImagePath = "system/m013/bar.png";
inline constexpr const char* kTitleFontPath = "system/m013/clasict1.ttf";
inline constexpr const char* kDigitFontPath = "system/m013/circulate brk.ttf";

// 1 when a running byte sum over the first 5000 bytes of the player sheet
// and then the first 17000 of the object sheet differs from the shipped
// sums after any block of 1000, else 0. All 22 blocks are always read.
// -1 with a reason when a file cannot be opened or is shorter than that.
int ArtModified(const std::string& playerSheet, const std::string& gfxSheet, std::string& error);

} // namespace game
