// The start-up check of the shipped art against its byte sums.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/flow/art_check.h"

namespace {

const std::string kArt = std::string(VB_SOURCE_DIR) + "/system/m013/";

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string WriteTemp(const std::string& name, const std::vector<char>& bytes)
{
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

TEST(ArtCheck, TheShippedArtPasses)
{
    std::string error;
    EXPECT_EQ(game::ArtModified(kArt + "varnicka.png", kArt + "gfx.png", error), 0) << error;
}

// One changed byte anywhere in the checked range shows, in either file
TEST(ArtCheck, OneChangedByteInTheCheckedRangeSetsTheFlag)
{
    std::vector<char> player = ReadAll(kArt + "varnicka.png"), gfx = ReadAll(kArt + "gfx.png");
    const struct {
        bool inPlayer;
        std::size_t at;
        int delta;
        int want;
    } cases[] = {
        {true, 0, 1, 1}, {true, 2500, -1, 1}, {true, 4999, 1, 1}, {false, 0, 1, 1}, {false, 16999, -1, 1},
        // Past the checked range nothing is looked at
        {true, 5000, 1, 0}, {false, 17000, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.inPlayer ? "player sheet byte " : "object sheet byte ") << c.at);
        std::vector<char> p = player, g = gfx;
        std::vector<char>& target = c.inPlayer ? p : g;
        // Move the byte away from its bounds so the change cannot wrap
        unsigned char byte = static_cast<unsigned char>(target[c.at]);
        target[c.at] = char(byte >= 128 ? byte - std::abs(c.delta) : byte + std::abs(c.delta));
        std::string error;
        EXPECT_EQ(game::ArtModified(WriteTemp("p.png", p), WriteTemp("g.png", g), error), c.want) << error;
    }
}

// An equal and opposite change within one block leaves every running sum as it was
TEST(ArtCheck, OffsettingChangesInOneBlockPass)
{
    std::vector<char> player = ReadAll(kArt + "varnicka.png");
    std::size_t a = 1100, b = 1900;
    if (static_cast<unsigned char>(player[a]) == 255 || static_cast<unsigned char>(player[b]) == 0) a = 1101;
    player[a] = char(static_cast<unsigned char>(player[a]) + 1);
    player[b] = char(static_cast<unsigned char>(player[b]) - 1);
    std::string error;
    EXPECT_EQ(game::ArtModified(WriteTemp("p.png", player), kArt + "gfx.png", error), 0);
}

TEST(ArtCheck, MissingOrShortFilesAreReadFailures)
{
    std::string error;
    EXPECT_EQ(game::ArtModified("/nonexistent/varnicka.png", kArt + "gfx.png", error), -1);
    EXPECT_NE(error.find("/nonexistent/varnicka.png"), std::string::npos) << error;
    std::vector<char> gfx = ReadAll(kArt + "gfx.png");
    gfx.resize(16999);
    std::string shortGfx = WriteTemp("short.png", gfx);
    EXPECT_EQ(game::ArtModified(kArt + "varnicka.png", shortGfx, error), -1);
    EXPECT_NE(error.find(shortGfx), std::string::npos) << error;
}

} // namespace
