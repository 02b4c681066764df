#include "tests/support/xvfb.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace testsupport {

bool StartXvfb(int width, int height, int depth, XServer& server, std::string& error,
               const std::vector<std::string>& extraArgs)
{
    int fds[2];
    if (pipe(fds) != 0) {
        error = "pipe failed";
        return false;
    }
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::string fd = std::to_string(fds[1]);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, 1);
            dup2(devnull, 2);
        }
        std::vector<std::string> args = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp",
                                         "-noreset"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        error = "fork failed";
        return false;
    }
    // Xvfb writes the display number once it accepts connections
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        error = "Xvfb did not start (is the xvfb package installed?)";
        return false;
    }
    server.pid = pid;
    server.display = std::atoi(number.c_str());
    server.name = ":" + number;
    setenv("DISPLAY", server.name.c_str(), 1);
    return true;
}

void StopXvfb(XServer& server)
{
    if (server.pid <= 0) return;
    kill(server.pid, SIGTERM);
    waitpid(server.pid, nullptr, 0);
    server.pid = -1;
}

class XvfbEnvironment : public ::testing::Environment {
public:
    XvfbEnvironment(int w, int h, int d) : width_(w), height_(h), depth_(d) {}
    void SetUp() override
    {
        std::string error;
        if (!StartXvfb(width_, height_, depth_, server_, error)) FAIL() << error;
    }
    void TearDown() override { StopXvfb(server_); }

private:
    int width_, height_, depth_;
    XServer server_;
};

XvfbEnvironment* AddXvfbEnvironment(int width, int height, int depth)
{
    auto* env = new XvfbEnvironment(width, height, depth);
    ::testing::AddGlobalTestEnvironment(env);
    return env;
}

} // namespace testsupport
