#include "tests/support/process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace testsupport {

bool Spawn(const std::vector<std::string>& argv, const std::string& cwd, Child& child,
           const std::vector<std::string>& env)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        // In the sanitizer build the leak check at exit would sometimes report
        // the X and OpenGL libraries' own buffers, whose broken stacks no
        // suppression can match; the in-process tests keep it for our code
        putenv(const_cast<char*>("ASAN_OPTIONS=detect_leaks=0"));
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return false;
    }
    child.pid = pid;
    child.stderrFd = fds[0];
    child.stderrText.clear();
    return true;
}

static void DrainStderr(Child& child, int waitMillis)
{
    pollfd p{child.stderrFd, POLLIN, 0};
    char buf[512];
    while (poll(&p, 1, waitMillis) > 0) {
        ssize_t n = read(child.stderrFd, buf, sizeof buf);
        if (n <= 0) break;
        child.stderrText.append(buf, std::size_t(n));
    }
}

int WaitExit(Child& child, int timeoutMillis, bool killOnTimeout)
{
    if (child.pid <= 0) return -1;
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    for (;;) {
        pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            if (!killOnTimeout) return -1;
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            child.pid = -1;
            DrainStderr(child, 0);
            close(child.stderrFd);
            return -1;
        }
        DrainStderr(child, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    child.pid = -1;
    DrainStderr(child, 100);
    close(child.stderrFd);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

void Kill(Child& child)
{
    if (child.pid > 0) {
        kill(child.pid, SIGKILL);
        WaitExit(child, 2000);
    }
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

std::string CopyStageFolder()
{
    char folder[] = "/tmp/vb-e2e-XXXXXX";
    if (!mkdtemp(folder)) return "";
    RunCommand(std::string("cp -r '") + VB_STAGE_DIR + "/.' '" + folder + "'");
    RunCommand(std::string("rm -f '") + folder + "/system/m013/ironing.hat'");
    return folder;
}

void RemoveFolder(const std::string& folder)
{
    if (folder.rfind("/tmp/vb-e2e-", 0) == 0) RunCommand("rm -rf '" + folder + "'");
}

std::string WaitForWindow(const std::string& title, int timeoutMillis)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string id = RunCommand("xdotool search --name \"^" + title + "$\" 2>/dev/null | head -n 1");
        while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
        if (!id.empty()) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "";
}

int QuitWithEscape(Child& child, const std::string& window, int timeoutMillis)
{
    // The game may still be loading when its window appears, and entering
    // the title screen forgets keys pressed before it: press until it ends
    RunCommand("xdotool windowfocus --sync " + window);
    for (int waited = 0; waited < timeoutMillis; waited += 500) {
        RunCommand("xdotool keydown Escape && sleep 0.15 && xdotool keyup Escape");
        int code = WaitExit(child, 350, false);
        if (code != -1) return code;
    }
    Kill(child);
    return -1;
}

} // namespace testsupport
