#include "server/player_entry.h"

#include <cstring>

#include "scores/cipher.h"
#include "scores/exchange.h"

namespace server {

namespace {

constexpr std::size_t kMaxNameLength = 10;
constexpr std::size_t kMaxBestDigits = 9;
constexpr std::size_t kMaxIdDigits = 10;           // a non-negative 32-bit number
constexpr std::int64_t kMaxPlayerId = 2147483647;
// A player text is at most a 10-character name, a 10-digit number, a 9-digit
// best and three "|", which scrambles into 2 * (32 + 4) digits
constexpr std::size_t kMaxInfoLength = 72;

bool IsDecimal(const std::u16string& text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits) return false;
    for (char16_t c : text)
        if (c < u'0' || c > u'9') return false;
    // Numbers on the wire have no leading zeros
    return text.size() == 1 || text[0] != u'0';
}

std::int64_t DecimalValue(const std::u16string& text)
{
    std::int64_t value = 0;
    for (char16_t c : text) value = value * 10 + (c - u'0');
    return value;
}

// C0 and C1 controls and DEL would break the board's lines or the log
bool IsControl(char16_t c) { return c < 32 || (c >= 127 && c < 160); }

std::string CheckName(const std::u16string& name)
{
    if (name.empty()) return "empty name";
    if (name.size() > kMaxNameLength) return "name longer than 10 characters";
    for (char16_t c : name) {
        if (c == u'|') return "name holds |";
        if (IsControl(c)) return "name holds a control character";
    }
    return "";
}

// The plain text cut at every "|": exactly three fields, each followed by "|"
bool SplitFields(const std::u16string& text, std::u16string fields[3])
{
    std::size_t start = 0;
    for (int i = 0; i < 3; i++) {
        std::size_t bar = text.find(u'|', start);
        if (bar == std::u16string::npos) return false;
        fields[i] = text.substr(start, bar - start);
        start = bar + 1;
    }
    return start == text.size();
}

} // namespace

std::string ReadPlayerEntry(const char* gameId, const char* info, PlayerEntry& entry)
{
    if (!gameId || std::strcmp(gameId, "15") != 0) return "wrong game id";
    if (!info || !*info) return "no info";
    std::size_t length = std::strlen(info);
    if (length > kMaxInfoLength) return "info too long";
    std::u16string scrambled(info, info + length);
    std::u16string plain = scores::UnscrambleText(scrambled, scores::kExchangeKey, scores::kExchangeRounds);
    if (plain.empty()) return "failed checksum";
    std::u16string fields[3];
    if (!SplitFields(plain, fields)) return "not three fields";
    std::string bad = CheckName(fields[0]);
    if (!bad.empty()) return bad;
    if (!IsDecimal(fields[1], kMaxIdDigits) || DecimalValue(fields[1]) > kMaxPlayerId)
        return "player number not a 32-bit decimal";
    if (!IsDecimal(fields[2], kMaxBestDigits)) return "best not a decimal of at most 9 digits";
    entry.name = fields[0];
    entry.playerId = DecimalValue(fields[1]);
    entry.best = DecimalValue(fields[2]);
    return "";
}

} // namespace server
