// What one exchange request carries, checked before anything is stored.
#pragma once
#include <cstdint>
#include <string>

namespace server {

struct PlayerEntry {
    std::u16string name;
    std::int64_t playerId = 0;
    std::int64_t best = 0;
};

// Reads the query values of one request. Empty reason when the entry is
// sound; otherwise why it was refused (for the log, never for the reply).
std::string ReadPlayerEntry(const char* gameId, const char* info, PlayerEntry& entry);

} // namespace server
