// Running the real binary and the X tools from end-to-end tests.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct Child {
    pid_t pid = -1;
    int stderrFd = -1;
    std::string stderrText;   // filled by WaitExit
};

// Starts argv[0] in cwd with extra environment entries ("NAME=value");
// stderr is captured
bool Spawn(const std::vector<std::string>& argv, const std::string& cwd, Child& child,
           const std::vector<std::string>& env = {});
// The exit code, or -1 when the child still runs after timeoutMillis (it is
// then killed, unless told to keep running)
int WaitExit(Child& child, int timeoutMillis, bool killOnTimeout = true);
void Kill(Child& child);

// Output of a shell command
std::string RunCommand(const std::string& command);

// A fresh copy of the staged game folder (binary and system/m013) in a
// temporary folder, so a test may change or delete files
std::string CopyStageFolder();
void RemoveFolder(const std::string& folder);

// The X window id of the first window with this exact title, waiting up to
// timeoutMillis; empty when none appears
std::string WaitForWindow(const std::string& title, int timeoutMillis);

// Presses Escape (held across a few frames, as the game reads its held state)
// until the game ends; its exit code, or -1 when it still runs after timeoutMillis
int QuitWithEscape(Child& child, const std::string& window, int timeoutMillis);

} // namespace testsupport
