// The real binary and its save file: written at the title, kept between
// runs, and forced to "Dag Nabbit" when the art is not the shipped art.
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

#include <gtest/gtest.h>

#include "scores/save_file.h"
#include "tests/support/process.h"
#include "tests/support/xvfb.h"

using namespace testsupport;

namespace {

const char* kTitle = "Orvo's Pollux Framework";

void RunAndQuit(const std::string& folder, const std::string& binary = "varnick-bozzle",
                const std::vector<std::string>& env = {})
{
    Child game;
    ASSERT_TRUE(Spawn({folder + "/" + binary}, "/", game, env));
    std::string window = WaitForWindow(kTitle, 10000);
    ASSERT_FALSE(window.empty()) << game.stderrText;
    EXPECT_EQ(QuitWithEscape(game, window, 10000), 0) << game.stderrText;
}

scores::PersistentValues ReadSaveAt(const std::string& path)
{
    scores::PersistentValues values;
    values.playerName = u"(not read)";
    scores::ReadSaveFile(values, [] { return -1; }, path);
    return values;
}

scores::PersistentValues ReadBack(const std::string& folder) { return ReadSaveAt(folder + "/system/m013/ironing.hat"); }

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The staged folder laid out as a package installs it under a prefix: the
// program in games/, the shipped files in share/games/varnick-bozzle/
std::string InstalledLayout()
{
    std::string prefix = CopyStageFolder();
    RunCommand("cd '" + prefix + "' && mkdir -p games share/games/varnick-bozzle home && mv varnick-bozzle games/ && "
               "mv system share/games/varnick-bozzle/ && chmod -R a-w share");
    return prefix;
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

TEST(SaveFile, AnInstalledGameSavesInThePlayersDataFolder)
{
    std::string prefix = InstalledLayout();
    const std::string home = prefix + "/home";
    const std::string save = home + "/.local/share/varnick-bozzle/ironing.hat";
    RunAndQuit(prefix, "games/varnick-bozzle", {"HOME=" + home, "XDG_DATA_HOME="});
    ASSERT_TRUE(Exists(save));
    EXPECT_FALSE(Exists(prefix + "/share/games/varnick-bozzle/system/m013/ironing.hat"));
    scores::PersistentValues first = ReadSaveAt(save);
    EXPECT_EQ(first.playerName, u"Player");
    EXPECT_GT(first.playerId, 0);

    // What is saved there is read back at the next start
    first.playerName = u"Zed";
    first.bestScore = 70;
    scores::WriteSaveFile(first, save);
    RunAndQuit(prefix, "games/varnick-bozzle", {"HOME=" + home, "XDG_DATA_HOME="});
    scores::PersistentValues second = ReadSaveAt(save);
    EXPECT_EQ(second.playerName, u"Zed");
    EXPECT_EQ(second.bestScore, 70);
    EXPECT_EQ(second.playerId, first.playerId);

    // The data folder the desktop names wins over the home folder's
    RunAndQuit(prefix, "games/varnick-bozzle", {"HOME=" + home, "XDG_DATA_HOME=" + prefix + "/xdg"});
    EXPECT_TRUE(Exists(prefix + "/xdg/varnick-bozzle/ironing.hat"));
    RunCommand("chmod -R u+w '" + prefix + "'");
    RemoveFolder(prefix);
}

TEST(SaveFile, WithNowhereToSaveTheGameStillRuns)
{
    std::string prefix = InstalledLayout();
    RunAndQuit(prefix, "games/varnick-bozzle", {"HOME=/proc/no-such-home", "XDG_DATA_HOME="});
    RunAndQuit(prefix, "games/varnick-bozzle", {"HOME=", "XDG_DATA_HOME="});
    RunCommand("chmod -R u+w '" + prefix + "'");
    RemoveFolder(prefix);
}

} // namespace
