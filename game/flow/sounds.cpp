#include "game/flow/sounds.h"

#include <string>

#include "engine/audio/audio.h"
#include "engine/runtime/error.h"
#include "game/flow/game.h"

namespace game {

using namespace engine;

constexpr int kSoundSlots = 100;
constexpr int kEffects = 5;

// "system/m013/001.wav" for slot 1: the last three characters of "000" and n
static std::string EffectPath(int slot)
{
    std::string number = "000" + std::to_string(slot);
    return "system/m013/" + number.substr(number.size() - 3) + ".wav";
}

void LoadSoundSlots(Game& g)
{
    // A machine without a sound device is left with the silent driver,
    // and the game plays on without sound
    SetAudioDriver("directsound");
    if (g.res.sounds.empty()) g.res.sounds.resize(kSoundSlots);
    for (int slot = 1; slot <= kEffects; ++slot) {
        std::string path = EffectPath(slot);
        g.res.sounds[std::size_t(slot)] = LoadSound(path, 0);
        // Like the art, the effects are part of the game
        if (!g.res.sounds[std::size_t(slot)]) Fatal("Unable to load " + path);
    }
}

void PlaySlot(Game& g, int slot)
{
    if (slot < 0 || slot >= int(g.res.sounds.size())) return;
    PlaySound(g.res.sounds[std::size_t(slot)]);
}

void StartTune(Game& g)
{
    StopChannel(g.tuneChannel);
    try {
        g.tuneChannel = PlayMusic(kTunePath, 1, 0);
    } catch (const TRuntimeError& e) {
        Fatal(std::string(e.what()) + ": " + kTunePath);
    }
}

void StopTune(Game& g) { StopChannel(g.tuneChannel); }

bool TunePlaying(const Game& g) { return ChannelPlaying(g.tuneChannel) != 0; }

} // namespace game
