#include "game/flow/player_id.h"

#include <climits>

#include "engine/platform/platform.h"
#include "engine/runtime/text.h"
#include "engine/runtime/ustring.h"

namespace game {

using namespace engine;

int PlayerIdFrom(std::uint32_t millis, const std::u16string& time, const std::u16string& date,
                 RandomState& random)
{
    // 32-bit arithmetic that wraps, as the number always was
    std::uint32_t id = millis + std::uint32_t(RandomInt(37171650, 1, random));
    id += std::uint32_t(ParseInt(Replace(time, u":", u"")));
    id -= std::uint32_t(ParseInt(Left(date, 2) + Right(date, 4)));
    if (id == 0) id = std::uint32_t(RandomInt(37171650, 1, random));
    int signedId = int(id);
    // The absolute value of the most negative int is not an int
    if (signedId == INT_MIN) return INT_MAX;
    return signedId < 0 ? -signedId : signedId;
}

int NewPlayerId()
{
    SeedRandom(int(platform::SystemMillis() * 100u));
    return PlayerIdFrom(platform::SystemMillis(), ToText(platform::TimeString()), ToText(platform::DateString()),
                        gRandom);
}

} // namespace game
