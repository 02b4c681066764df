#include "scores/save_file.h"

#include "engine/runtime/line_io.h"
#include "engine/runtime/text.h"
#include "scores/cipher.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scores {

static constexpr std::u16string_view kProfileKey = u"Quill Sunny";
static constexpr std::u16string_view kScoreListKey = u"Quill Dim";
static constexpr int kSaveRounds = 12;

static SaveWriteTestHook gWriteTestHook = nullptr;

void SetSaveWriteTestHook(SaveWriteTestHook hook) { gWriteTestHook = hook; }

//---- Reading

void ReadSaveLines(PersistentValues& values, std::FILE* file, const std::function<int()>& newPlayerId)
{
    const std::u16string line1 = engine::ReadLine(file);
    const std::u16string line2 = engine::ReadLine(file);
    const std::u16string profile = UnscrambleText(line1, kProfileKey, kSaveRounds);
    values.scoreBoardText = UnscrambleText(line2, kScoreListKey, kSaveRounds);
    // A damaged profile is empty text: fields 1 and 2 are empty, 3 to 6 the
    // end marker, which reads as 0 like any text without digits
    values.playerName = FieldOf(profile, u'|', 1);
    values.bestScore = engine::ParseInt(FieldOf(profile, u'|', 2));
    values.playerId = engine::ParseInt(FieldOf(profile, u'|', 3));
    values.screenDepth = engine::ParseInt(FieldOf(profile, u'|', 4));
    values.musicOn = engine::ParseInt(FieldOf(profile, u'|', 5));
    values.rendererChoice = engine::ParseInt(FieldOf(profile, u'|', 6));
    if (values.playerId == 0 && newPlayerId) values.playerId = newPlayerId();
}

void ReadSaveFile(PersistentValues& values, const std::function<int()>& newPlayerId, const std::string& path)
{
    // Non-blocking, so that a FIFO at the path cannot stall the start-up;
    // anything but a regular file counts as no file
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return;
    }
    ReadSaveLines(values, file, newPlayerId);
    std::fclose(file);
}

//---- Writing

std::u16string ProfileText(const PersistentValues& values)
{
    std::u16string text = values.playerName;
    for (std::int32_t number : {values.bestScore, values.playerId, values.screenDepth, values.musicOn,
                                values.rendererChoice}) {
        text += u'|';
        text += engine::IntToText(number);
    }
    text += u'|';
    return text;
}

std::string SaveFileBytes(const PersistentValues& values)
{
    std::string bytes;
    engine::AppendLine(bytes, ScrambleText(ProfileText(values), kProfileKey, kSaveRounds));
    engine::AppendLine(bytes, ScrambleText(values.scoreBoardText, kScoreListKey, kSaveRounds));
    return bytes;
}

static std::string FolderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates the temporary file beside the save; one left by an earlier process
// of the same number is replaced
static int CreateTemporary(const std::string& temporary)
{
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(temporary.c_str(), flags, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(temporary.c_str()) == 0) fd = ::open(temporary.c_str(), flags, 0666);
    return fd;
}

// Writes all bytes and forces them to the disk; false on any failure
static bool WriteDurably(int fd, const std::string& bytes, const std::string& path)
{
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    // The replacement keeps the permissions of the save it replaces
    struct stat info {};
    if (ok && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(fd, info.st_mode & 07777);
    ok = ok && ::fsync(fd) == 0;
    return std::fclose(file) == 0 && ok;
}

void WriteSaveFile(const PersistentValues& values, const std::string& path)
{
    // A new file renamed over the old one: a crash or a full disk while
    // writing leaves the previous save whole
    const std::string bytes = SaveFileBytes(values);
    const std::string temporary = path + ".tmp." + std::to_string(::getpid());
    int fd = CreateTemporary(temporary);
    if (fd < 0) return;
    if (!WriteDurably(fd, bytes, path)) {
        ::unlink(temporary.c_str());
        return;
    }
    if (gWriteTestHook) gWriteTestHook(temporary);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return;
    }
    // Best effort: make the rename itself survive a power cut
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace scores
