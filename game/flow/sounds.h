// The game's side of sound: the table of effect slots and the title tune.
#pragma once

namespace game {

struct Game;

inline constexpr const char* kTunePath = "system/m013/Varnick Bozzle - Intro.mp3";

// Display set-up: selects the audio driver, then loads the five effects
// into slots 1 to 5 (the table itself is made the first time only)
void LoadSoundSlots(Game& g);
// Plays the effect in a slot on a new channel; an empty slot plays nothing
void PlaySlot(Game& g, int slot);
// The title tune: started afresh from its beginning, looping, into tuneChannel
void StartTune(Game& g);
void StopTune(Game& g);
bool TunePlaying(const Game& g);

} // namespace game
