// The HTTP client against real sockets on loopback.
#include <gtest/gtest.h>

#include <chrono>

#include "engine/runtime/ustring.h"
#include "scores/http.h"
#include "tests/scores/loopback_server.h"

using scores::Thttp;
using testsupport::LoopbackServer;

namespace {

std::u16string U(const std::string& bytes) { return engine::ToText(bytes); }

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(Http, GetSendsExactlyTheRequestBytes)
{
    LoopbackServer server(LoopbackServer::Answer::Reply, "HTTP/1.0 200 OK\r\n\r\n");
    Thttp http;
    ASSERT_EQ(http.Open(u"127.0.0.1", 0, server.port), 1);
    http.host = std::u16string(1, u'h');   // the Host line carries whatever name was opened
    http.Get(u"a?b=1");
    http.Close();
    EXPECT_EQ(server.Received(), std::string("GET /a?b=1 HTTP/1.0\nHost: h\nUser-Agent: TarvelThttp/1.0\n\n\r\n"));
}

TEST(Http, PostEncodesTheFieldsAndCountsTheBody)
{
    struct Case {
        std::vector<std::u16string> names, values;
        std::string head, body;
    } cases[] = {
        {{}, {}, "Content-Length: 0", ""},
        {{u"n a", u"k"}, {u"1+1", u"&"}, "Content-Length: 15", "n%20a=1+1&k=%26"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        LoopbackServer server(LoopbackServer::Answer::Reply, "HTTP/1.0 200 OK\r\n\r\n");
        Thttp http;
        ASSERT_EQ(http.Open(u"127.0.0.1", 1, server.port), 1);
        http.Post(u"p", c.names, c.values);
        std::string want = "POST /p HTTP/1.0\nHost: 127.0.0.1\nUser-Agent: TarvelThttp/1.0\n";
        want += c.head;
        want += "\nContent-Type: application/x-www-form-urlencoded\n\n";
        want += c.body;
        want += "\r\n";
        EXPECT_EQ(server.Received(), want);
    }
}

TEST(Http, ANameThatDoesNotResolveGetsNoConnection)
{
    LoopbackServer server;
    Thttp http;
    EXPECT_EQ(http.Open(u"no-such-host.invalid", 0, server.port), 0);
    EXPECT_EQ(http.stream, nullptr);
    EXPECT_EQ(http.host, u"");
    EXPECT_EQ(http.Close(), 0);
    EXPECT_EQ(http.Close(), 0);
    server.Received();
    EXPECT_FALSE(server.Connected());
}

TEST(Http, ARefusedConnectionReturnsZero)
{
    int port;
    {
        LoopbackServer gone;
        port = gone.port;
    }
    Thttp http;
    EXPECT_EQ(http.Open(u"127.0.0.1", 0, port), 0);
    EXPECT_EQ(http.Get(u"x"), u"");
    http.Close();
}

// Whether the close is seen before or after one more read decides a trailing "\n"
TEST(Http, TheReplyIsEveryLineJoinedByLineFeeds)
{
    struct Case {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\nX\n", u"HTTP/1.0 200 OK\n\nX"},
        {std::string("A\0B\nC", 5), u"A\nB\nC"},   // a zero byte ends a line like LF
        {"no line end", u"no line end"},
        {"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        LoopbackServer server(LoopbackServer::Answer::Reply, c.bytes);
        Thttp http;
        ASSERT_EQ(http.Open(u"localhost", 0, server.port), 1);
        std::u16string reply = http.Get(u"");
        http.Close();
        EXPECT_TRUE(reply == c.text || reply == c.text + u"\n") << engine::ToBytes(reply);
    }
}

TEST(Http, AutoCloseReleasesTheSocketAfterTheReply)
{
    LoopbackServer server(LoopbackServer::Answer::Reply, "HTTP/1.0 200 OK\r\n\r\nok");
    Thttp http;
    ASSERT_EQ(http.Open(u"127.0.0.1", 1, server.port), 1);
    http.Get(u"");
    EXPECT_EQ(http.sock->fd, -1);
    http.Close();
    http.Close();
}

TEST(Http, AServerThatNeverAnswersGivesEmptyTextWithinTheBound)
{
    LoopbackServer server(LoopbackServer::Answer::Silent);
    Thttp http;
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(http.Open(u"127.0.0.1", 0, server.port), 1);
    EXPECT_EQ(http.Get(u"x"), u"");
    double waited = SecondsSince(start);
    EXPECT_GE(waited, http.limits.receiveMillis / 1000.0 - 0.1);
    EXPECT_LT(waited, http.limits.receiveMillis / 1000.0 + 1.0);
    http.Close();
}

TEST(Http, ATrickleStopsAtTheWholeBound)
{
    LoopbackServer server(LoopbackServer::Answer::Trickle);
    Thttp http;
    http.limits.totalMillis = 1500;
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(http.Open(u"127.0.0.1", 0, server.port), 1);
    std::u16string reply = http.Get(u"x");
    EXPECT_LT(SecondsSince(start), 2.5);
    EXPECT_NE(reply.find(u"yyy"), std::u16string::npos);   // what came before the bound is kept
    http.Close();
}

TEST(Http, AnEndlessReplyStopsAtTheCap)
{
    LoopbackServer server(LoopbackServer::Answer::Endless);
    Thttp http;
    ASSERT_EQ(http.Open(u"127.0.0.1", 0, server.port), 1);
    std::u16string reply = http.Get(u"x");
    http.Close();
    EXPECT_EQ(reply.size(), http.limits.maxReplyBytes);   // one long line, no line ends added
}

TEST(Http, UrlEncodeAndDecode)
{
    EXPECT_EQ(Thttp::UrlEncode(u"a b+c"), u"a%20b+c");
    EXPECT_EQ(Thttp::UrlEncode(u"Az09-._~/\u00e9\u0141"), u"Az09-._%7E%2F%E9%41");
    EXPECT_EQ(Thttp::UrlDecode(u"%41%42"), u"AB");
    EXPECT_EQ(Thttp::UrlDecode(u"%4a"), u"?");   // lower-case digits are not recognised
    EXPECT_EQ(Thttp::UrlDecode(u"a+b%20c"), u"a+b c");
    EXPECT_EQ(Thttp::UrlDecode(Thttp::UrlEncode(U("x=1&y=\xff"))), U("x=1&y=\xff"));
}

} // namespace
