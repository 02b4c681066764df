// The online score board exchange with the score server.
#pragma once
#include <string>

namespace scores {

// Sends the player text (name|number|best|) to the score server and returns
// the plain list text it answers, or empty text when anything failed
std::u16string ExchangeScores(const std::u16string& playerText);

} // namespace scores
