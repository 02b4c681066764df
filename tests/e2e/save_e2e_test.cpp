// The real binary and its save file: written at the title, kept between
// runs, and forced to "Dag Nabbit" when the art is not the shipped art.
#include <zlib.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "scores/save_file.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

void RunAndQuit(const std::string& folder)
{
    Child game;
    ASSERT_TRUE(Spawn({folder + "/varnick-bozzle"}, "/", game));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game.stderrText;
    EXPECT_EQ(QuitWithEscape(game, window, 10000), 0) << game.stderrText;
}

scores::PersistentValues ReadBack(const std::string& folder)
{
    scores::PersistentValues values;
    values.playerName = u"(not read)";
    scores::ReadSaveFile(values, [] { return -1; }, folder + "/system/m013/ironing.hat");
    return values;
}

// The same pixels in other bytes: a text chunk after the header, which any
// reader skips, moves every later byte
void AddTextChunk(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string body = std::string("tEXt") + "Comment" + '\0' + "edited";
    unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    std::string chunk;
    for (int shift : {24, 16, 8, 0}) chunk += char((body.size() - 4) >> shift);
    chunk += body;
    for (int shift : {24, 16, 8, 0}) chunk += char(crc >> shift);
    png.insert(8 + 25, chunk);   // signature, then the 25-byte header chunk
    std::ofstream(path, std::ios::binary) << png;
}

TEST(SaveFile, TheFirstRunWritesTheStartValues)
{
    std::string folder = CopyStageFolder();
    RunAndQuit(folder);
    scores::PersistentValues saved = ReadBack(folder);
    EXPECT_EQ(saved.playerName, u"Player");
    EXPECT_EQ(saved.bestScore, 0);
    EXPECT_GT(saved.playerId, 0);
    EXPECT_EQ(saved.screenDepth, 0);
    EXPECT_EQ(saved.musicOn, 1);
    EXPECT_EQ(saved.rendererChoice, 1);
    // The next run keeps the number it was given
    RunAndQuit(folder);
    EXPECT_EQ(ReadBack(folder).playerId, saved.playerId);
    RemoveFolder(folder);
}

TEST(SaveFile, ArtThatIsNotTheShippedArtForcesTheNameAndZero)
{
    std::string folder = CopyStageFolder();
    scores::PersistentValues before;
    before.playerName = u"Alice";
    before.bestScore = 900;
    before.playerId = 4242;
    scores::WriteSaveFile(before, folder + "/system/m013/ironing.hat");
    AddTextChunk(folder + "/system/m013/gfx.png");
    RunAndQuit(folder);
    scores::PersistentValues after = ReadBack(folder);
    EXPECT_EQ(after.playerName, u"Dag Nabbit");
    EXPECT_EQ(after.bestScore, 0);
    EXPECT_EQ(after.playerId, 4242);
    RemoveFolder(folder);
}

} // namespace
