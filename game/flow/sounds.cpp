#include "game/flow/sounds.h"

#include "game/flow/game.h"

namespace game {

// The engine has no sound layer yet: the game runs silently
void LoadSoundSlots(Game&) {}
void PlaySlot(Game&, int) {}
void StartTune(Game&) {}
void StopTune(Game&) {}
bool TunePlaying(const Game&) { return false; }

} // namespace game
