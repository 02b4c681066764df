// The real score server binary, started on a free loopback port with its
// own database and log in a temporary folder.
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ServerProcess {
public:
    // A fresh folder for the database and the log
    ServerProcess()
    {
        char pattern[] = "/tmp/vb-server-XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        db = folder + "/scores.sqlite";
    }
    ~ServerProcess()
    {
        Kill();
        if (folder.rfind("/tmp/vb-server-", 0) == 0) std::system(("rm -rf '" + folder + "'").c_str());
    }

    // Starts the server and waits for its "listening" line; port 0 lets it choose
    bool Start(std::vector<std::string> extraArgs = {}, int wantPort = 0)
    {
        std::vector<std::string> args = {VB_SCORE_SERVER, "--port", std::to_string(wantPort), "--db", db};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::string logPath = LogPath();
        pid = fork();
        if (pid == 0) {
            FILE* log = std::fopen(logPath.c_str(), "a");
            if (!log) _exit(126);
            dup2(fileno(log), 2);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int waited = 0; waited < 5000; waited += 20) {
            std::string log = Log();
            std::size_t at = log.rfind("listening on 127.0.0.1:");
            if (at != std::string::npos && at >= logStart_) {
                port = std::atoi(log.c_str() + at + 23);
                logStart_ = log.size();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // SIGTERM, then the exit code (-1 when it did not stop in time)
    int Stop()
    {
        if (pid <= 0) return -1;
        kill(pid, SIGTERM);
        for (int waited = 0; waited < 5000; waited += 10) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Kill();
        return -1;
    }
    void Kill()
    {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    std::string LogPath() const { return folder + "/server.log"; }
    std::string Log() const { return ReadWholeFile(LogPath()); }

    std::string folder, db;
    pid_t pid = -1;
    int port = 0;

private:
    std::size_t logStart_ = 0;
};

} // namespace testsupport
