#include "scores/save_file.h"

#include "engine/runtime/line_io.h"
#include "engine/runtime/text.h"
#include "scores/cipher.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scores {

static constexpr std::u16string_view kProfileKey = u"Quill Sunny";
static constexpr std::u16string_view kScoreListKey = u"Quill Dim";
static constexpr int kSaveRounds = 12;

static SaveWriteTestHook gWriteTestHook = nullptr;

void SetSaveWriteTestHook(SaveWriteTestHook hook) { gWriteTestHook = hook; }

static std::string& SavePathSetting()
{
    static std::string path = kSaveFilePath;
    return path;
}

void SetSaveFilePath(const std::string& path) { SavePathSetting() = path; }
const std::string& SaveFilePath() { return SavePathSetting(); }

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

// Where the bytes really go: a save path that is a symbolic link (a player
// keeping the save in a synced folder, say) is followed to its target, so the
// link stays a link and the target gets the new save
static std::string FollowLinks(const std::string& path)
{
    std::string target = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[4096];
        ssize_t length = ::readlink(target.c_str(), link, sizeof link - 1);
        if (length < 0) return target;
        std::string next(link, std::size_t(length));
        if (next.empty()) return target;
        target = next[0] == '/' ? next : FolderOf(target) + "/" + next;
    }
    return target;
}

// A save the player made read-only stays as it is. Root may open any file
// for writing, so the missing write bits are what tell
static bool ReadOnlySave(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

// Temporary files of writers that died before their rename: "<save>.tmp.<pid>"
// whose process is gone
static void RemoveLeftovers(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + ".tmp.";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        pid_t pid = pid_t(std::stol(digits));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

void WriteSaveFile(const PersistentValues& values, const std::string& savePath)
{
    // No place to save (no home folder): the values live in memory only
    if (savePath.empty()) return;
    const std::string path = FollowLinks(savePath);
    if (ReadOnlySave(path)) return;
    RemoveLeftovers(path);
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
