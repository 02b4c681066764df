// A private X server for tests that need a real display.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct XServer {
    pid_t pid = -1;
    int display = -1;
    std::string name;   // ":N"
};

// Starts Xvfb on a free display number with one screen of the given size
// and sets DISPLAY to it. False with a reason when Xvfb cannot start.
bool StartXvfb(int width, int height, int depth, XServer& server, std::string& error,
               const std::vector<std::string>& extraArgs = {});
void StopXvfb(XServer& server);

// For a whole test binary: one server for every test in it
class XvfbEnvironment;
XvfbEnvironment* AddXvfbEnvironment(int width = 1024, int height = 768, int depth = 24);

} // namespace testsupport
