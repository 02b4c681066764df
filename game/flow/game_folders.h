// Where the game finds its shipped files and keeps its save: beside the
// program in a portable folder, or in the system's and the player's data
// folders once installed.
#pragma once
#include <string>

namespace game {

// Makes the folder that holds system/m013 the working directory: the
// program's own folder when the data lies beside it (portable), else the
// installed data folder. False when it is the installed one.
bool EnterGameFolder();

// The save file for this layout: the portable folder's own while its
// system/m013 can be written, else ironing.hat in the player's data folder
// ($XDG_DATA_HOME/varnick-bozzle, else ~/.local/share/varnick-bozzle),
// made here when missing. Empty when there is no home to save in.
std::string ChooseSaveFile(bool portable);

// The player's data folder for the game, not yet created; empty without a home
std::string PlayerDataFolder();

} // namespace game
