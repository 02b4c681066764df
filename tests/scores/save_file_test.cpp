// The save file in a temporary folder: format, fallbacks and safe replacing
#include "scores/save_file.h"

#include "scores/cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace scores;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Line(std::u16string_view digits) { return std::string(digits.begin(), digits.end()) + "\r\n"; }

// The values at program start, with the example's best total and number
PersistentValues ExampleValues()
{
    PersistentValues values;
    values.bestScore = 1520;
    values.playerId = 123456;
    values.screenDepth = 0;
    return values;
}

PersistentValues OtherValues()
{
    PersistentValues values;
    values.playerName = u"Ann Other";
    values.bestScore = 990;
    values.playerId = 37171650;
    values.screenDepth = 32;
    values.musicOn = 0;
    values.rendererChoice = 0;
    values.scoreBoardText = u"Bob|10|Al|20|Cy|30|";
    return values;
}

void ExpectSameValues(const PersistentValues& a, const PersistentValues& b)
{
    EXPECT_EQ(a.playerName, b.playerName);
    EXPECT_EQ(a.bestScore, b.bestScore);
    EXPECT_EQ(a.playerId, b.playerId);
    EXPECT_EQ(a.screenDepth, b.screenDepth);
    EXPECT_EQ(a.musicOn, b.musicOn);
    EXPECT_EQ(a.rendererChoice, b.rendererChoice);
    EXPECT_EQ(a.scoreBoardText, b.scoreBoardText);
}

// Runs body in a child process and returns its wait status
template <class Body> int InChild(Body body)
{
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

class SaveFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vb-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        folder_ = root_ + "/system/m013";
        fs::create_directories(folder_);
        path_ = folder_ + "/ironing.hat";
    }
    void TearDown() override
    {
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root_);
    }

    // A player-number source that counts its calls
    std::function<int()> NewId(int id)
    {
        return [this, id] {
            ++idCalls_;
            return id;
        };
    }

    // Names in the save folder, to see that no temporary file is left behind
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    PersistentValues ReadBack()
    {
        PersistentValues values;
        ReadSaveFile(values, NewId(4242), path_);
        return values;
    }

    std::string root_, folder_, path_;
    int idCalls_ = 0;
};

//---- The format

TEST_F(SaveFileTest, TheExampleProfileAndItsBytes)
{
    const PersistentValues values = ExampleValues();
    EXPECT_EQ(ProfileText(values), u"Player|1520|123456|0|1|1|");
    const std::string expected = Line(u"F0B899EC6FBB2496C7BDD05DB5424DF0BEB36C7B4DA55800313F227E8A") + "\r\n";
    EXPECT_EQ(SaveFileBytes(values), expected);
    WriteSaveFile(values, path_);
    EXPECT_EQ(ReadBytes(path_), expected);
    EXPECT_EQ(ReadBytes(path_).size(), 58u + 2 + 2);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, TwoScrambledLinesEachEndingInCrLf)
{
    const PersistentValues values = OtherValues();
    WriteSaveFile(values, path_);
    const std::string bytes = ReadBytes(path_);
    const std::u16string profile = ProfileText(values);
    EXPECT_EQ(profile, u"Ann Other|990|37171650|32|0|0|");
    EXPECT_EQ(bytes, Line(ScrambleText(profile, u"Quill Sunny", 12)) +
                         Line(ScrambleText(values.scoreBoardText, u"Quill Dim", 12)));
    EXPECT_EQ(bytes.size(), 2 * (profile.size() + 4) + 2 + 2 * (values.scoreBoardText.size() + 4) + 2);
}

TEST_F(SaveFileTest, ValuesRoundTrip)
{
    PersistentValues values = OtherValues();
    for (std::int32_t best : {0, -5, 2147483647, -2147483647 - 1}) {
        values.bestScore = best;
        WriteSaveFile(values, path_);
        ExpectSameValues(ReadBack(), values);
    }
    EXPECT_EQ(idCalls_, 0);
}

TEST_F(SaveFileTest, RewritingUnchangedValuesGivesTheSameBytes)
{
    WriteSaveFile(OtherValues(), path_);
    const std::string first = ReadBytes(path_);
    PersistentValues values = ReadBack();
    WriteSaveFile(values, path_);
    EXPECT_EQ(ReadBytes(path_), first);
}

TEST_F(SaveFileTest, TheDefaultPathIsRelativeToTheWorkingDirectory)
{
    EXPECT_STREQ(kSaveFilePath, "system/m013/ironing.hat");
    const fs::path before = fs::current_path();
    fs::current_path(root_);
    WriteSaveFile(OtherValues());
    PersistentValues values;
    ReadSaveFile(values, NewId(1));
    fs::current_path(before);
    ExpectSameValues(values, OtherValues());
    EXPECT_EQ(ReadBytes(path_), SaveFileBytes(OtherValues()));
}

//---- Reading what is not a good file

TEST_F(SaveFileTest, NoFileKeepsTheStartValues)
{
    PersistentValues values;
    values.playerId = 99;
    ReadSaveFile(values, NewId(1), path_);
    PersistentValues expected;
    expected.playerId = 99;
    ExpectSameValues(values, expected);
    EXPECT_EQ(idCalls_, 0);
}

TEST_F(SaveFileTest, ADirectoryAtThePathCountsAsNoFile)
{
    fs::create_directory(path_);
    PersistentValues values = OtherValues();
    ReadSaveFile(values, NewId(1), path_);
    ExpectSameValues(values, OtherValues());
    WriteSaveFile(ExampleValues(), path_);
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, AFifoAtThePathCountsAsNoFile)
{
    ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
    PersistentValues values = OtherValues();
    ReadSaveFile(values, NewId(1), path_);   // must not wait for a writer
    ExpectSameValues(values, OtherValues());
}

TEST_F(SaveFileTest, ADamagedProfileLineGivesTheFallbacks)
{
    const std::string good1 = Line(ScrambleText(ProfileText(OtherValues()), u"Quill Sunny", 12));
    const std::string good2 = Line(ScrambleText(OtherValues().scoreBoardText, u"Quill Dim", 12));
    std::string changed = good1, lower = good1;
    changed[7] = changed[7] == '0' ? '1' : '0';
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string lines1[] = {
        "\r\n", changed, lower, Line(ScrambleText(ProfileText(OtherValues()), u"Quill Dim", 12)),
        Line(ScrambleText(ProfileText(OtherValues()), u"Quill Sunny", 11)), "garbage\xff\x01\r\n",
    };
    for (const auto& line1 : lines1) {
        SCOPED_TRACE(line1);
        WriteBytes(path_, line1 + good2);
        idCalls_ = 0;
        PersistentValues values = ReadBack();
        EXPECT_EQ(values.playerName, u"");
        EXPECT_EQ(values.bestScore, 0);
        EXPECT_EQ(values.playerId, 4242);
        EXPECT_EQ(idCalls_, 1);
        EXPECT_EQ(values.screenDepth, 0);
        EXPECT_EQ(values.musicOn, 0);
        EXPECT_EQ(values.rendererChoice, 0);
        EXPECT_EQ(values.scoreBoardText, OtherValues().scoreBoardText);
    }
}

TEST_F(SaveFileTest, AnEmptyFileReadsAsTwoDamagedLines)
{
    WriteBytes(path_, "");
    PersistentValues values = ReadBack();
    EXPECT_EQ(values.playerName, u"");
    EXPECT_EQ(values.playerId, 4242);
    EXPECT_EQ(values.rendererChoice, 0);
    EXPECT_EQ(values.scoreBoardText, u"");
}

TEST_F(SaveFileTest, AMissingOrDamagedScoreLineGivesAnEmptyList)
{
    const std::string digits1 = Line(ScrambleText(ProfileText(OtherValues()), u"Quill Sunny", 12));
    std::string good2 = Line(ScrambleText(OtherValues().scoreBoardText, u"Quill Dim", 12));
    std::string changed2 = good2;
    changed2[0] = changed2[0] == 'A' ? 'B' : 'A';
    const std::string files[] = {digits1, digits1.substr(0, digits1.size() - 2), digits1 + "\r\n",
                                 digits1 + changed2, digits1 + Line(ScrambleText(u"Bob|10|", u"Quill Sunny", 12))};
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        WriteBytes(path_, file);
        PersistentValues expected = OtherValues();
        expected.scoreBoardText.clear();
        ExpectSameValues(ReadBack(), expected);
    }
}

TEST_F(SaveFileTest, OtherLineEndsStillRead)
{
    const std::u16string line1 = ScrambleText(ProfileText(OtherValues()), u"Quill Sunny", 12);
    const std::u16string line2 = ScrambleText(OtherValues().scoreBoardText, u"Quill Dim", 12);
    const std::string a(line1.begin(), line1.end()), b(line2.begin(), line2.end());
    for (const auto& file : {a + "\n" + b, a + "\r\r\n" + b + "\r\nextra\r\n", a + '\0' + b,
                             a.substr(0, 10) + "\r" + a.substr(10) + "\n" + b}) {
        SCOPED_TRACE(file);
        WriteBytes(path_, file);
        ExpectSameValues(ReadBack(), OtherValues());
    }
}

//---- Names and numbers that do not come back as they went

TEST_F(SaveFileTest, ANameWithTheSeparatorMovesTheLaterFields)
{
    PersistentValues values = ExampleValues();
    values.playerName = u"A|7";
    WriteSaveFile(values, path_);
    PersistentValues back = ReadBack();
    EXPECT_EQ(back.playerName, u"A");
    EXPECT_EQ(back.bestScore, 7);
    EXPECT_EQ(back.playerId, 1520);
    EXPECT_EQ(back.screenDepth, 123456);
    EXPECT_EQ(back.musicOn, 0);
    EXPECT_EQ(back.rendererChoice, 1);
}

TEST_F(SaveFileTest, LeadingBlanksOfTheNameAreLostTrailingOnesKept)
{
    const struct { std::u16string written, read; } cases[] = {
        {u"  Bob", u"Bob"}, {u"Bob  ", u"Bob  "}, {u" B o b ", u"B o b "}, {u"   ", u""}, {u"", u""},
        {u"\tTab", u"Tab"},
    };
    for (const auto& c : cases) {
        PersistentValues values = OtherValues();
        values.playerName = c.written;
        WriteSaveFile(values, path_);
        PersistentValues back = ReadBack();
        EXPECT_EQ(back.playerName, c.read);
        EXPECT_EQ(back.bestScore, values.bestScore);
        EXPECT_EQ(back.rendererChoice, values.rendererChoice);
    }
}

TEST_F(SaveFileTest, APlayerNumberOfZeroIsReplacedAndWrittenNextTime)
{
    PersistentValues values = OtherValues();
    values.playerId = 0;
    WriteSaveFile(values, path_);
    const std::string bytes = ReadBytes(path_);
    PersistentValues back = ReadBack();
    EXPECT_EQ(back.playerId, 4242);
    EXPECT_EQ(idCalls_, 1);
    EXPECT_EQ(ReadBytes(path_), bytes);   // reading writes nothing
    WriteSaveFile(back, path_);
    EXPECT_EQ(ReadBack().playerId, 4242);
    EXPECT_EQ(idCalls_, 1);               // now the file has a number of its own
}

TEST_F(SaveFileTest, CharactersAbove255InTheNameDamageTheProfile)
{
    PersistentValues values = OtherValues();
    values.playerName = u"Zo\u00eb\u0107";
    WriteSaveFile(values, path_);
    PersistentValues back = ReadBack();
    EXPECT_EQ(back.playerName, u"");
    EXPECT_EQ(back.playerId, 4242);
    EXPECT_EQ(back.scoreBoardText, values.scoreBoardText);
}

//---- Writing where it cannot be written

TEST_F(SaveFileTest, AMissingFolderKeepsTheValuesInMemoryOnly)
{
    const std::string path = root_ + "/nowhere/ironing.hat";
    WriteSaveFile(OtherValues(), path);
    EXPECT_FALSE(fs::exists(root_ + "/nowhere"));
}

TEST_F(SaveFileTest, AFolderThatCannotBeWrittenKeepsTheOldSave)
{
    WriteSaveFile(ExampleValues(), path_);
    const std::string before = ReadBytes(path_);
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    // Root writes anywhere, so the writer drops to an ordinary user first
    int status = InChild([this] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        if (access(folder_.c_str(), W_OK) == 0) _exit(3);
        WriteSaveFile(OtherValues(), path_);
    });
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) != 0) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, AFullDiskKeepsTheOldSave)
{
    WriteSaveFile(ExampleValues(), path_);
    const std::string before = ReadBytes(path_);
    // A file-size limit makes the write fail part of the way, as a full disk does
    int status = InChild([this] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{20, 20};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        WriteSaveFile(OtherValues(), path_);
    });
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, TheReplacementKeepsTheFilePermissions)
{
    WriteSaveFile(ExampleValues(), path_);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteSaveFile(OtherValues(), path_);
    EXPECT_EQ(fs::status(path_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

//---- A writer that dies in the middle of a save

TEST_F(SaveFileTest, TheTemporaryFileIsCompleteBeforeTheRename)
{
    WriteSaveFile(ExampleValues(), path_);
    static std::string seenTemporary, seenSave, savePath;
    savePath = path_;
    SetSaveWriteTestHook([](const std::string& temporary) {
        seenTemporary = ReadBytes(temporary);
        seenSave = ReadBytes(savePath);
    });
    WriteSaveFile(OtherValues(), path_);
    SetSaveWriteTestHook(nullptr);
    EXPECT_EQ(seenTemporary, SaveFileBytes(OtherValues()));
    EXPECT_EQ(seenSave, SaveFileBytes(ExampleValues()));
    EXPECT_EQ(ReadBytes(path_), SaveFileBytes(OtherValues()));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, AWriterKilledBeforeTheRenameLeavesThePreviousSave)
{
    WriteSaveFile(ExampleValues(), path_);
    int status = InChild([this] {
        SetSaveWriteTestHook([](const std::string&) { std::raise(SIGKILL); });
        WriteSaveFile(OtherValues(), path_);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    // The new save was written in full beside the old one, which is untouched
    EXPECT_EQ(FolderEntries().size(), 2u);
    ExpectSameValues(ReadBack(), ExampleValues());
    EXPECT_EQ(ReadBytes(path_), SaveFileBytes(ExampleValues()));
    // The next save goes through as usual and clears the dead writer's file
    WriteSaveFile(OtherValues(), path_);
    ExpectSameValues(ReadBack(), OtherValues());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, ATemporaryFileOfAWriterStillRunningIsLeftAlone)
{
    // Our parent (the test runner) is alive; a number past the kernel's
    // largest is certainly gone
    const std::string live = "ironing.hat.tmp." + std::to_string(getppid());
    WriteBytes(folder_ + "/" + live, "half a save");
    WriteBytes(folder_ + "/ironing.hat.tmp.999999999", "half a save");
    WriteBytes(folder_ + "/ironing.hat.tmp.notanumber", "someone else's");
    WriteSaveFile(ExampleValues(), path_);
    std::vector<std::string> expected = {"ironing.hat", live, "ironing.hat.tmp.notanumber"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(), expected);
}

TEST_F(SaveFileTest, ALinkAtThePathIsWrittenThroughToItsTarget)
{
    const std::string elsewhere = root_ + "/synced";
    fs::create_directories(elsewhere);
    WriteSaveFile(ExampleValues(), elsewhere + "/save.hat");
    // A relative link, through a second link
    fs::create_symlink("../../synced/save.hat", folder_ + "/middle.hat");
    fs::create_symlink("middle.hat", path_);
    WriteSaveFile(OtherValues(), path_);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_TRUE(fs::is_symlink(folder_ + "/middle.hat"));
    EXPECT_EQ(ReadBytes(elsewhere + "/save.hat"), SaveFileBytes(OtherValues()));
    ExpectSameValues(ReadBack(), OtherValues());
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
}

TEST_F(SaveFileTest, ALinkToNothingYetMakesItsTarget)
{
    fs::create_symlink(root_ + "/first.hat", path_);
    WriteSaveFile(OtherValues(), path_);
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(ReadBytes(root_ + "/first.hat"), SaveFileBytes(OtherValues()));
}

TEST_F(SaveFileTest, ASaveMadeReadOnlyIsLeftUnwritten)
{
    WriteSaveFile(ExampleValues(), path_);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    WriteSaveFile(OtherValues(), path_);
    EXPECT_EQ(ReadBytes(path_), SaveFileBytes(ExampleValues()));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"ironing.hat"});
}

TEST_F(SaveFileTest, AWriterKilledAtAnyMomentLeavesOneWholeSave)
{
    WriteSaveFile(ExampleValues(), path_);
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> delay(0, 3000);
    for (int attempt = 0; attempt < 30; ++attempt) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int k = 0;; ++k) WriteSaveFile(k % 2 ? ExampleValues() : OtherValues(), path_);
        }
        usleep(useconds_t(delay(gen)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const std::string bytes = ReadBytes(path_);
        ASSERT_TRUE(bytes == SaveFileBytes(ExampleValues()) || bytes == SaveFileBytes(OtherValues()))
            << "attempt " << attempt << ": " << bytes;
    }
    std::printf("kills that left a temporary file: %zu of 30\n", FolderEntries().size() - 1);
}

} // namespace
