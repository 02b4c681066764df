// The save file: profile and last score list, each line scrambled.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace scores {

// Relative to the working directory, which the game sets to its own folder
inline constexpr const char* kSaveFilePath = "system/m013/ironing.hat";

// Where ReadSaveFile and WriteSaveFile go when given no path: kSaveFilePath
// until the game chooses another place (an installed game saves in the
// player's data folder)
void SetSaveFilePath(const std::string& path);
const std::string& SaveFilePath();

// The persistent game values, with their values at program start
struct PersistentValues {
    std::u16string playerName = u"Player";
    std::int32_t bestScore = 0;
    std::int32_t playerId = 0;
    std::int32_t screenDepth = 0;      // 0 window, 32 full screen
    std::int32_t musicOn = 1;
    std::int32_t rendererChoice = 1;   // 0 OpenGL, 1 the second back-end
    std::u16string scoreBoardText;     // names and scores separated by "|"
};

// Loads the values from the file. Without a readable regular file at the
// path every value stays; a damaged line gives empty text and the fallbacks
// that follow from it. A player number of 0 is replaced by newPlayerId().
void ReadSaveFile(PersistentValues& values, const std::function<int()>& newPlayerId,
                  const std::string& path = SaveFilePath());

// Replaces the file with both lines of the current values. The new file is
// written beside the old one and renamed over it, so a crash or a full disk
// keeps the previous save; a folder that cannot be written keeps the values
// in memory only. No message either way. A link at the path is written
// through to its target; a save without write permission is left as it is;
// temporary files left by writers that died are removed.
void WriteSaveFile(const PersistentValues& values, const std::string& path = SaveFilePath());

//---- Pieces of the above, for the tests and the fuzz target

// The plain profile text: six fields, each followed by "|"
std::u16string ProfileText(const PersistentValues& values);

// The exact bytes of the file: two scrambled lines, each ending in CR LF
std::string SaveFileBytes(const PersistentValues& values);

// Reads both lines from an open file, as ReadSaveFile does after opening it
void ReadSaveLines(PersistentValues& values, std::FILE* file, const std::function<int()>& newPlayerId);

// Test hook: when set, called in WriteSaveFile once the temporary file is
// complete and flushed to disk, just before it is renamed over the old file
using SaveWriteTestHook = void (*)(const std::string& temporaryPath);
void SetSaveWriteTestHook(SaveWriteTestHook hook);

} // namespace scores
