// The main of a test binary that runs the game's own code on a real display.
#pragma once
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/xvfb.h"

namespace testsupport {

// The game finds its files relative to its own folder; a fresh copy of the
// staged folder keeps the save file of one run from steering the next
inline int RunTestsInGameFolder(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    std::string folder = CopyStageFolder();
    if (folder.empty() || chdir(folder.c_str()) != 0) return 1;
    AddXvfbEnvironment(1024, 768, 24);
    int result = RUN_ALL_TESTS();
    RemoveFolder(folder);
    return result;
}

} // namespace testsupport
