// The online score board exchange with the score server.
#pragma once
#include <string>
#include <string_view>

namespace scores {

// Sends the player text (name|number|best|) to the score server and returns
// the plain list text it answers, or empty text when anything failed
std::u16string ExchangeScores(const std::u16string& playerText);

//---- Pieces of the above, for the tests and the score server

inline constexpr int kGameId = 15;
inline constexpr std::u16string_view kExchangeKey = u"Dang Fine Parrot, Oh Bother";
inline constexpr int kExchangeRounds = 16;

// The request path given to Thttp::Get for a player text
std::u16string ExchangePath(const std::u16string& playerText);

// The last line of a reply with visible text, the search ending early at a
// line that reads "-+-"; empty text for an empty reply
std::u16string LastReplyLine(std::u16string_view reply);

// The list text in a reply, or empty text
std::u16string ListFromReply(std::u16string_view reply);

// ExchangeScores against any host and port
std::u16string ExchangeScoresWith(const std::u16string& host, int port, const std::u16string& playerText);

} // namespace scores
