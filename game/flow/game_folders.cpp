#include "game/flow/game_folders.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/runtime/error.h"
#include "scores/save_file.h"

#ifndef VB_INSTALLED_DATA_DIR
#define VB_INSTALLED_DATA_DIR "../share/games/varnick-bozzle"
#endif

namespace game {

static std::string ProgramFolder()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) engine::Fatal("Unable to find the program's own folder");
    std::string folder(path, std::size_t(n));
    folder.erase(folder.find_last_of('/') + 1);
    return folder;
}

static bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EnterGameFolder()
{
    const std::string program = ProgramFolder();
    // The installed data folder is given relative to the program's, so that
    // an install under another prefix finds its data too
    const std::string installed = program + VB_INSTALLED_DATA_DIR;
    const bool portable = IsFolder(program + "system/m013") || !IsFolder(installed + "/system/m013");
    const std::string folder = portable ? program : installed;
    if (chdir(folder.c_str()) != 0) engine::Fatal("Unable to enter the game's folder " + folder);
    return portable;
}

std::string PlayerDataFolder()
{
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/varnick-bozzle";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/varnick-bozzle";
    return "";
}

// mkdir -p, private to the player like the rest of their data
static void MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) break;
    }
}

std::string ChooseSaveFile(bool portable)
{
    if (portable && ::access("system/m013", W_OK) == 0) return scores::kSaveFilePath;
    const std::string folder = PlayerDataFolder();
    if (folder.empty()) return "";
    // A folder that cannot be made leaves the saves failing, and the values
    // live in memory only
    MakeFolders(folder);
    return folder + "/ironing.hat";
}

} // namespace game
