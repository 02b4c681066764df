// Wall time from process start to the first presented title frame. The
// program runs itself as a child many times: the parent notes the time just
// before exec, the child starts the game as the real binary does, presents
// one title frame and reports the time it ended.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/display/display.h"
#include "game/flow/game.h"
#include "tests/support/xvfb.h"

namespace {

double NowMillis()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

int RunChild(int reportFd)
{
    if (chdir(VB_STAGE_DIR) != 0) return 1;
    game::Game g;
    game::Stage stage = game::Startup(g);
    while (stage != game::Stage::Title) stage = game::Step(g, stage);
    game::TitleFrame(g);
    double done = NowMillis();
    if (write(reportFd, &done, sizeof done) != sizeof done) return 1;
    engine::CloseGraphics();
    return 0;
}

double RunOnce(const char* self)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    double start = NowMillis();
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execl(self, self, "--child", fd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    double done = -1;
    if (read(fds[0], &done, sizeof done) != sizeof done) done = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return done < 0 ? -1 : done - start;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return RunChild(std::atoi(argv[2]));
    testsupport::XServer server;
    std::string error;
    if (!testsupport::StartXvfb(1024, 768, 24, server, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double t = RunOnce("/proc/self/exe");
        if (t < 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            continue;
        }
        times.push_back(t);
    }
    testsupport::StopXvfb(server);
    if (times.empty()) return 1;
    std::sort(times.begin(), times.end());
    std::printf("process start to first presented frame over %zu runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
                times.size(), times[times.size() / 2], times.front(), times.back());
    return 0;
}
