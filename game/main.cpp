// The program entry: run from the game's folder, start, loop, quit.
#include "engine/runtime/error.h"
#include "game/flow/game.h"
#include "game/flow/game_folders.h"
#include "scores/save_file.h"

int main()
{
    const bool portable = game::EnterGameFolder();
    // Every later read and write of the save goes to the place chosen here
    scores::SetSaveFilePath(game::ChooseSaveFile(portable));
    try {
        game::Game g;
        game::RunGame(g);
    } catch (const std::exception& e) {
        engine::Fatal(e.what());
    }
    return 0;
}
