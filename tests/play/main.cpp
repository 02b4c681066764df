#include "tests/support/game_folder.h"

int main(int argc, char** argv) { return testsupport::RunTestsInGameFolder(argc, argv); }
