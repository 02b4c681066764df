// The real binary exchanging scores with the real server on loopback: a
// right-button hold on the title brings the board into the save file, and a
// stopped server leaves an empty board without stalling the game.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "scores/exchange.h"
#include "scores/save_file.h"
#include "tests/server/server_process.h"
#include "tests/support/process.h"
#include "tests/support/x11_screen.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

bool ServerIsLocal()
{
    std::string host = VB_SCORE_HOST;
    return host == "localhost" || host == "127.0.0.1";
}

std::u16string SavedBoard(const std::string& folder)
{
    scores::PersistentValues values;
    values.scoreBoardText = u"(not read)";
    scores::ReadSaveFile(values, [] { return 1; }, folder + "/system/m013/ironing.hat");
    return values.scoreBoardText;
}

// Holds the right button on the title until the saved board becomes want;
// false when it has not after timeoutMillis
bool HoldRightUntilBoard(const std::string& folder, const std::string& window, const std::u16string& want,
                         int timeoutMillis)
{
    RunCommand("xdotool windowfocus --sync " + window + " mousemove --window " + window + " 400 300");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (std::chrono::steady_clock::now() < deadline) {
        RunCommand("xdotool mousedown 3 && sleep 0.3 && xdotool mouseup 3");
        if (SavedBoard(folder) == want) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

struct Game {
    std::string folder;
    Child child;
    std::string window;
};

void StartGame(Game& game, const std::u16string& oldBoard)
{
    game.folder = CopyStageFolder();
    scores::PersistentValues start;
    start.playerName = u"Alice";
    start.bestScore = 300;
    start.playerId = 4242;
    start.scoreBoardText = oldBoard;
    scores::WriteSaveFile(start, game.folder + "/system/m013/ironing.hat");
    ASSERT_TRUE(Spawn({game.folder + "/varnick-bozzle"}, "/", game.child));
    game.window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(game.window.empty()) << game.child.stderrText;
}

// White text pixels in the name column of board row 1 to 10 (the window of a
// bare X server sits at 32, 32); the backdrop behind has no pure white
std::vector<int> BoardRowInk(const std::string& shotName)
{
    std::vector<int> ink;
    ScreenShot shot;
    if (!GrabScreen(shot)) return ink;
    for (int row = 1; row <= 10; ++row) {
        int white = 0;
        for (int y = 340 + 20 * row; y < 360 + 20 * row; ++y)
            for (int x = 450; x < 640; ++x) {
                Rgb p = shot.At(32 + x, 32 + y);
                white += p.r > 245 && p.g > 245 && p.b > 245;
            }
        ink.push_back(white);
    }
    SaveScreenShot(shot, "/tmp/vb-board-" + shotName + ".png");
    return ink;
}

TEST(ScoreBoard, ARightButtonHoldBringsTheServersBoard)
{
    if (!ServerIsLocal()) GTEST_SKIP() << "the game is built for a score server on " << VB_SCORE_HOST;
    ServerProcess server;
    ASSERT_TRUE(server.Start({"--rate-limit", "0"}, VB_SCORE_PORT)) << server.Log();
    // Two players already on the board, one above and one below
    ASSERT_EQ(scores::ExchangeScoresWith(u"127.0.0.1", server.port, u"Ann|1|900|"), u"Ann|900");
    ASSERT_EQ(scores::ExchangeScoresWith(u"127.0.0.1", server.port, u"Bob|2|100|"), u"Ann|900|Bob|100");

    Game game;
    StartGame(game, u"Old|1");
    RunCommand("sleep 1.5");
    std::vector<int> before = BoardRowInk("before");
    EXPECT_TRUE(HoldRightUntilBoard(game.folder, game.window, u"Ann|900|Alice|300|Bob|100", 15000))
        << "saved board: " << std::string(SavedBoard(game.folder).begin(), SavedBoard(game.folder).end())
        << "\n" << server.Log();
    // The rows show the new board from the next frame on: rows 2 and 3 held
    // end markers and now hold names; row 5 holds an end marker before and after
    RunCommand("sleep 0.3");
    std::vector<int> after = BoardRowInk("after");
    ASSERT_EQ(before.size(), 10u);
    ASSERT_EQ(after.size(), 10u);
    EXPECT_NE(before[1], after[1]);
    EXPECT_NE(before[2], after[2]);
    EXPECT_NEAR(before[4], after[4], before[4] / 20 + 2);
    EXPECT_GT(after[4], 0);
    // Holding again in the same title visit exchanges nothing more
    RunCommand("xdotool mousedown 3 && sleep 0.3 && xdotool mouseup 3 && sleep 0.3");
    RunCommand("xdotool mousedown 3 && sleep 0.3 && xdotool mouseup 3 && sleep 0.3");
    EXPECT_EQ(QuitWithEscape(game.child, game.window, 10000), 0) << game.child.stderrText;
    std::string log = server.Log();
    std::string line = "/zuscoreme.php 200 player 4242 best 300";
    std::size_t first = log.find(line);
    EXPECT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(line, first + 1), std::string::npos) << log;
    RemoveFolder(game.folder);
}

TEST(ScoreBoard, AStoppedServerLeavesAnEmptyBoardAndAResponsiveGame)
{
    if (!ServerIsLocal()) GTEST_SKIP() << "the game is built for a score server on " << VB_SCORE_HOST;
    Game game;
    StartGame(game, u"Old|1");
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(HoldRightUntilBoard(game.folder, game.window, u"", 12000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    EXPECT_EQ(QuitWithEscape(game.child, game.window, 10000), 0) << game.child.stderrText;
    RemoveFolder(game.folder);
}

// A server that takes connections and never answers them
TEST(ScoreBoard, AServerThatNeverAnswersOnlyHoldsTheGameForTheBound)
{
    if (!ServerIsLocal()) GTEST_SKIP() << "the game is built for a score server on " << VB_SCORE_HOST;
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(VB_SCORE_PORT);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(listen(listener, 8), 0);   // the kernel completes the connect; nobody reads

    Game game;
    StartGame(game, u"Old|1");
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(HoldRightUntilBoard(game.folder, game.window, u"", 15000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    EXPECT_EQ(QuitWithEscape(game.child, game.window, 10000), 0) << game.child.stderrText;
    close(listener);
    RemoveFolder(game.folder);
}

} // namespace
