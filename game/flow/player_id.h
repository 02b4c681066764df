// The player's number for the online score board.
#pragma once
#include <cstdint>
#include <string>

#include "engine/random/random.h"

namespace game {

// Reseeds the shared generator from the clock and mixes in the time of day
// and the date; never negative
int NewPlayerId();

// The same from given readings of the clock, time text ("%H:%M:%S") and date
// text ("%d %b %Y"), drawing from the given generator state (already seeded)
int PlayerIdFrom(std::uint32_t millis, const std::u16string& time, const std::u16string& date,
                 engine::RandomState& random);

} // namespace game
