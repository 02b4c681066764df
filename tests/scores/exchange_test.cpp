// The score exchange: the request it sends and the reply line it takes.
#include <gtest/gtest.h>

#include "engine/runtime/ustring.h"
#include "scores/cipher.h"
#include "scores/exchange.h"
#include "tests/scores/loopback_server.h"

using namespace scores;
using testsupport::LoopbackServer;

namespace {

std::u16string Scrambled(const std::u16string& list) { return ScrambleText(list, kExchangeKey, kExchangeRounds); }

// The search as FieldOf defines it, line by line until the end marker
std::u16string LastLineByFieldOf(std::u16string_view reply)
{
    std::u16string last;
    for (int i = 0;; i++) {
        std::u16string line = FieldOf(reply, u'\n', i);
        if (line == kFieldEnd) return last;
        last = line;
    }
}

TEST(Exchange, ThePlayerTextGoesScrambledInTheQuery)
{
    std::u16string path = ExchangePath(u"Player|123456|1520|");
    std::u16string prefix = u"zuscoreme.php?gameid=15&info=";
    ASSERT_EQ(path.substr(0, prefix.size()), prefix);
    std::u16string info = path.substr(prefix.size());
    EXPECT_EQ(info.size(), 46u);
    EXPECT_EQ(UnscrambleText(info, u"Dang Fine Parrot, Oh Bother", 16), u"Player|123456|1520|");
}

TEST(Exchange, TheLastVisibleLineIsTaken)
{
    std::u16string s = Scrambled(u"Ann|900|Bob|800");
    struct Case {
        std::u16string reply;
        std::u16string line;
    } cases[] = {
        {u"HTTP/1.0 200 OK\n\n" + s, s},
        {u"HTTP/1.0 200 OK\n\n" + s + u"\n\n  \n \t", s},        // CR LF and blanks after it
        {u"HTTP/1.0 200 OK\n\n" + s + u"\nmore", u"more"},      // another visible line wins
        {u"HTTP/1.0 200 OK\n" + s + u"\n-+-\nlater", s},        // the end marker stops the search
        {u"-+-\n" + s, u""},
        {u"one line", u"one line"},
        {u"", u""},
        {u"a\n\nb\n", u"b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(engine::ToBytes(c.reply));
        EXPECT_EQ(LastReplyLine(c.reply), c.line);
        EXPECT_EQ(LastReplyLine(c.reply), LastLineByFieldOf(c.reply));
    }
    EXPECT_EQ(ListFromReply(u"HTTP/1.0 200 OK\n\n" + s + u"\n \n"), u"Ann|900|Bob|800");
    EXPECT_EQ(ListFromReply(u"HTTP/1.0 200 OK\n\n" + s + u"\nX"), u"");
    EXPECT_EQ(ListFromReply(u"HTTP/1.0 404 Not Found\n\nNot here"), u"");
}

TEST(Exchange, AManyLineReplyIsSearchedQuickly)
{
    std::u16string reply;
    for (int i = 0; i < 30000; i++) reply += u"a\n";
    reply += Scrambled(u"Ann|1");
    EXPECT_EQ(ListFromReply(reply), u"Ann|1");
}

TEST(Exchange, AWholeExchangeOverLoopback)
{
    LoopbackServer server(LoopbackServer::Answer::Reply,
                          "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" +
                              engine::ToBytes(Scrambled(u"Ann|900|Player|1520")) + "\r\n");
    EXPECT_EQ(ExchangeScoresWith(u"localhost", server.port, u"Player|123456|1520|"), u"Ann|900|Player|1520");
    std::string request = server.Received();
    std::string expected = "GET /" + engine::ToBytes(ExchangePath(u"Player|123456|1520|")) +
                           " HTTP/1.0\nHost: localhost\nUser-Agent: TarvelThttp/1.0\n\n\r\n";
    EXPECT_EQ(request, expected);
}

TEST(Exchange, FailuresGiveEmptyText)
{
    int port;
    {
        LoopbackServer gone;
        port = gone.port;
    }
    EXPECT_EQ(ExchangeScoresWith(u"127.0.0.1", port, u"Player|1|0|"), u"");
    EXPECT_EQ(ExchangeScoresWith(u"no-such-host.invalid", 80, u"Player|1|0|"), u"");
    LoopbackServer wrongKey(LoopbackServer::Answer::Reply,
                            "HTTP/1.0 200 OK\r\n\r\n" + engine::ToBytes(ScrambleText(u"Ann|1", u"Quill Dim", 12)));
    EXPECT_EQ(ExchangeScoresWith(u"127.0.0.1", wrongKey.port, u"Player|1|0|"), u"");
}

} // namespace
