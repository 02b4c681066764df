// The program entry: run from the program's own folder, start, loop, quit.
#include <climits>
#include <unistd.h>

#include <string>

#include "engine/runtime/error.h"
#include "game/flow/game.h"

// Every path the game uses is relative to the folder that holds the program
static void EnterProgramFolder()
{
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) engine::Fatal("Unable to find the program's own folder");
    std::string folder(path, std::size_t(n));
    folder.erase(folder.find_last_of('/') + 1);
    if (chdir(folder.c_str()) != 0) engine::Fatal("Unable to enter the program's folder " + folder);
}

int main()
{
    EnterProgramFolder();
    try {
        game::Game g;
        game::RunGame(g);
    } catch (const std::exception& e) {
        engine::Fatal(e.what());
    }
    return 0;
}
