// The score server binary over real loopback sockets, with its real database.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "engine/runtime/ustring.h"
#include "scores/cipher.h"
#include "scores/exchange.h"
#include "scores/http.h"
#include "tests/server/server_process.h"

using namespace scores;
using testsupport::ServerProcess;

namespace {

std::u16string U(const std::string& s) { return engine::ToText(s); }

struct Reply {
    int status = 0;
    std::u16string text;
};

// One request exactly as the game sends it, with any path
Reply Ask(int port, const std::u16string& path)
{
    Thttp http;
    Reply reply;
    if (http.Open(u"127.0.0.1", 0, port)) reply.text = http.Get(path);
    http.Close();
    std::string line = engine::ToBytes(reply.text.substr(0, reply.text.find(u'\n')));
    if (line.size() > 9) reply.status = std::atoi(line.c_str() + 9);   // "HTTP/1.x NNN"
    return reply;
}

Reply Exchange(int port, const std::string& playerText) { return Ask(port, ExchangePath(U(playerText))); }

std::string Board(const Reply& reply) { return engine::ToBytes(ListFromReply(reply.text)); }

class ScoreServerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start({"--rate-limit", "0"})) << server.Log(); }
    ServerProcess server;
};

TEST_F(ScoreServerTest, TheGamesRequestGetsTheBoard)
{
    EXPECT_EQ(engine::ToBytes(ExchangeScoresWith(u"localhost", server.port, u"Player|123456|1520|")), "Player|1520");
    Reply r = Exchange(server.port, "Ann|7|900|");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(Board(r), "Player|1520|Ann|900");
    // An HTTP/1.0 reply, closed after replying
    EXPECT_EQ(r.text.substr(0, 16), u"HTTP/1.0 200 OK\n");
    EXPECT_NE(r.text.find(u"Connection: close"), std::u16string::npos);
}

TEST_F(ScoreServerTest, BestsOnlyRiseNamesFollowAndTiesKeepTheirOrder)
{
    Exchange(server.port, "Cy|3|500|");
    Exchange(server.port, "Ann|1|500|");
    Exchange(server.port, "Bob|2|700|");
    EXPECT_EQ(Board(Exchange(server.port, "Bob|2|100|")), "Bob|700|Cy|500|Ann|500");   // a fall is not stored
    EXPECT_EQ(Board(Exchange(server.port, "Bea|2|100|")), "Bea|700|Cy|500|Ann|500");   // the name follows the number
    EXPECT_EQ(Board(Exchange(server.port, "Cy|3|600|")), "Bea|700|Cy|600|Ann|500");
    // Reaching a tied best later ranks after whoever reached it first
    EXPECT_EQ(Board(Exchange(server.port, "Ann|1|700|")), "Bea|700|Ann|700|Cy|600");
}

TEST_F(ScoreServerTest, TheTopTenAreSent)
{
    for (int i = 1; i <= 12; i++) Exchange(server.port, "P" + std::to_string(i) + "|" + std::to_string(i) + "|" + std::to_string(i * 10) + "|");
    std::string board = Board(Exchange(server.port, "P1|1|10|"));
    EXPECT_EQ(board, "P12|120|P11|110|P10|100|P9|90|P8|80|P7|70|P6|60|P5|50|P4|40|P3|30");
}

TEST_F(ScoreServerTest, MalformedRequestsAreRefusedAndNothingIsStored)
{
    auto info = [](const std::string& text) { return engine::ToBytes(ScrambleText(U(text), kExchangeKey, kExchangeRounds)); };
    std::string good = info("Ann|1|5|");
    std::string changed = good;
    changed[10] = changed[10] == '0' ? '1' : '0';
    struct Case {
        const char* why;
        std::string path;
    } cases[] = {
        {"wrong game id", "zuscoreme.php?gameid=16&info=" + good},
        {"no game id", "zuscoreme.php?info=" + good},
        {"no info", "zuscoreme.php?gameid=15"},
        {"failed checksum", "zuscoreme.php?gameid=15&info=" + changed},
        {"other key", "zuscoreme.php?gameid=15&info=" + engine::ToBytes(ScrambleText(u"Ann|1|5|", u"Quill Dim", 12))},
        {"two fields", "zuscoreme.php?gameid=15&info=" + info("Ann|1|")},
        {"four fields", "zuscoreme.php?gameid=15&info=" + info("Ann|1|5|6|")},
        {"no final bar", "zuscoreme.php?gameid=15&info=" + info("Ann|1|5")},
        {"empty name", "zuscoreme.php?gameid=15&info=" + info("|1|5|")},
        {"long name", "zuscoreme.php?gameid=15&info=" + info("ElevenChars|1|5|")},
        {"control in name", "zuscoreme.php?gameid=15&info=" + info("A\tn|1|5|")},
        {"negative best", "zuscoreme.php?gameid=15&info=" + info("Ann|1|-5|")},
        {"ten-digit best", "zuscoreme.php?gameid=15&info=" + info("Ann|1|1000000000|")},
        {"best with a letter", "zuscoreme.php?gameid=15&info=" + info("Ann|1|5x|")},
        {"empty best", "zuscoreme.php?gameid=15&info=" + info("Ann|1||")},
        {"leading zero", "zuscoreme.php?gameid=15&info=" + info("Ann|1|05|")},
        {"number past 32 bits", "zuscoreme.php?gameid=15&info=" + info("Ann|2147483648|5|")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Reply r = Ask(server.port, U(c.path));
        EXPECT_EQ(r.status, 400);
        // The body is empty: nothing follows the last line end
        ASSERT_FALSE(r.text.empty());
        EXPECT_EQ(r.text.back(), u'\n');
        EXPECT_EQ(ListFromReply(r.text), u"");
    }
    EXPECT_EQ(Ask(server.port, U("other.php")).status, 404);
    // Nothing of the above was stored, and the longest valid entry passes
    EXPECT_EQ(Board(Exchange(server.port, "TenCharsOk|2147483647|999999999|")), "TenCharsOk|999999999");
}

TEST_F(ScoreServerTest, EachRequestGetsOneLogLineAndSigtermStopsCleanly)
{
    Exchange(server.port, "Ann|1|5|");
    Ask(server.port, u"zuscoreme.php?gameid=1&info=00");
    EXPECT_EQ(server.Stop(), 0);
    std::string log = server.Log();
    EXPECT_NE(log.find("/zuscoreme.php 200 player 1 best 5"), std::string::npos) << log;
    EXPECT_NE(log.find("/zuscoreme.php 400 refused: wrong game id"), std::string::npos) << log;
    EXPECT_NE(log.find("stopped"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4) << log;   // start, two requests, stop
}

TEST_F(ScoreServerTest, AnOversizedRequestIsRefused)
{
    Reply r = Ask(server.port, u"zuscoreme.php?gameid=15&info=" + std::u16string(20000, u'A'));
    EXPECT_NE(r.status, 200);
    EXPECT_EQ(ListFromReply(r.text), u"");
    EXPECT_EQ(Exchange(server.port, "Ann|1|5|").status, 200);   // and the server carries on
}

TEST(ScoreServerLimit, AFloodFromOneAddressIsRefused)
{
    ServerProcess server;
    ASSERT_TRUE(server.Start({"--rate-limit", "5"})) << server.Log();
    int ok = 0, refused = 0;
    for (int i = 0; i < 20; i++) {
        int status = Exchange(server.port, "Ann|1|" + std::to_string(i) + "|").status;
        ok += status == 200;
        refused += status == 429;
    }
    EXPECT_EQ(ok, 5);
    EXPECT_EQ(refused, 15);
}

// The best stored for each player number, read straight from the file
std::map<int, int> StoredBests(const std::string& db)
{
    std::map<int, int> bests;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(handle, "SELECT id, best FROM players", -1, &s, nullptr);
        while (s && sqlite3_step(s) == SQLITE_ROW) bests[sqlite3_column_int(s, 0)] = sqlite3_column_int(s, 1);
        sqlite3_finalize(s);
    }
    sqlite3_close(handle);
    return bests;
}

TEST(ScoreServerCrash, AcknowledgedScoresSurviveAKillUnderLoad)
{
    ServerProcess server;
    ASSERT_TRUE(server.Start({"--rate-limit", "0"})) << server.Log();
    std::mutex lock;
    std::map<int, int> acknowledged;   // player number -> highest best answered with 200
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int c = 0; c < 4; c++) {
        clients.emplace_back([&, c] {
            for (int n = 1; !stop; n++) {
                int id = 1000 + c * 100 + n % 50;
                int best = n;
                if (Exchange(server.port, "P" + std::to_string(id) + "|" + std::to_string(id) + "|" +
                                              std::to_string(best) + "|").status == 200) {
                    std::lock_guard<std::mutex> hold(lock);
                    acknowledged[id] = std::max(acknowledged[id], best);
                }
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    server.Kill();
    stop = true;
    for (std::thread& t : clients) t.join();
    ASSERT_GT(acknowledged.size(), 100u);

    ASSERT_TRUE(server.Start({"--rate-limit", "0"})) << server.Log();
    EXPECT_EQ(Exchange(server.port, "Late|1|1|").status, 200);   // the reopened database takes writes
    EXPECT_EQ(server.Stop(), 0);
    std::map<int, int> stored = StoredBests(server.db);
    for (auto [id, best] : acknowledged) EXPECT_GE(stored[id], best) << "player " << id;
}

} // namespace
