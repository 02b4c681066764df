#include "scores/exchange.h"

#include "engine/runtime/text.h"
#include "scores/cipher.h"
#include "scores/http.h"

#ifndef VB_SCORE_HOST
#define VB_SCORE_HOST "localhost"
#endif
#ifndef VB_SCORE_PORT
#define VB_SCORE_PORT 80
#endif

namespace scores {

std::u16string ExchangePath(const std::u16string& playerText)
{
    return u"zuscoreme.php?gameid=" + engine::IntToText(kGameId) + u"&info=" +
           ScrambleText(playerText, kExchangeKey, kExchangeRounds);
}

// Asking FieldOf for line 0, 1, 2, ... until the end marker rescans the
// reply for every line, which a reply of thousands of short lines turns into
// seconds of a frozen game. One pass over the same lines gives the same
// answer: the trimmed reply cut at every LF, stopping before a "-+-" line.
std::u16string LastReplyLine(std::u16string_view reply)
{
    std::u16string text = engine::TrimString(reply);
    std::u16string last;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(u'\n', start);
        std::u16string_view line = std::u16string_view(text).substr(start, end - start);
        if (line == kFieldEnd) return last;
        last = line;
        if (end == std::u16string::npos) return last;
        start = end + 1;
    }
}

std::u16string ListFromReply(std::u16string_view reply)
{
    std::u16string line = LastReplyLine(reply);
    if (line.empty()) return u"";
    return UnscrambleText(line, kExchangeKey, kExchangeRounds);
}

std::u16string ExchangeScoresWith(const std::u16string& host, int port, const std::u16string& playerText)
{
    std::u16string path = ExchangePath(playerText);
    Thttp http;
    std::u16string reply;
    if (http.Open(host, 0, port)) reply = http.Get(path);
    http.Close();
    return ListFromReply(reply);
}

std::u16string ExchangeScores(const std::u16string& playerText)
{
    static const std::u16string host = [] {
        std::u16string h;
        for (const char* c = VB_SCORE_HOST; *c; c++) h.push_back(char16_t(static_cast<unsigned char>(*c)));
        return h;
    }();
    return ExchangeScoresWith(host, VB_SCORE_PORT, playerText);
}

} // namespace scores
