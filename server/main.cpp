// varnick-score-server: keeps the online score board of Varnick Bozzle.
//   varnick-score-server [--listen ADDR] [--port N] [--db FILE]
//                        [--rate-limit PER_MINUTE] [--threads N]
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/score_server.h"

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: varnick-score-server [--listen ADDR] [--port N] [--db FILE]\n"
                 "                            [--rate-limit PER_MINUTE] [--threads N]\n"
                 "  --listen      IPv4 address to listen on (default 127.0.0.1)\n"
                 "  --port        TCP port (default 8080; 0 picks a free one)\n"
                 "  --db          SQLite database file (default varnick-scores.sqlite)\n"
                 "  --rate-limit  requests per address per minute, 0 for no limit (default 60)\n"
                 "  --threads     server threads (default 2)\n");
}

bool ReadNumber(const char* text, int low, int high, int& value)
{
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (!*text || *end || n < low || n > high) return false;
    value = int(n);
    return true;
}

bool ReadOptions(int argc, char** argv, server::ServerOptions& options)
{
    for (int i = 1; i < argc; i++) {
        std::string flag = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        bool ok = true;
        if (flag == "--listen") options.listen = value;
        else if (flag == "--db") options.db = value;
        else if (flag == "--port") ok = ReadNumber(value, 0, 65535, options.port);
        else if (flag == "--rate-limit") ok = ReadNumber(value, 0, 1000000, options.rateLimit);
        else if (flag == "--threads") ok = ReadNumber(value, 1, 64, options.threads);
        else ok = false;
        if (!ok) {
            std::fprintf(stderr, "varnick-score-server: bad option %s %s\n", flag.c_str(), value);
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    server::ServerOptions options;
    if (!ReadOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    // Blocked before any server thread starts, so only sigwait below sees them
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    server::ScoreStore store;
    std::string error;
    if (!store.Open(options.db, error)) {
        std::fprintf(stderr, "varnick-score-server: %s\n", error.c_str());
        return 1;
    }
    server::ScoreServer scoreServer(options, store);
    if (!scoreServer.Start(error)) {
        std::fprintf(stderr, "varnick-score-server: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "varnick-score-server: listening on %s:%d, database %s, rate limit %d per minute\n",
                 options.listen.c_str(), scoreServer.Port(), options.db.c_str(), options.rateLimit);
    int received = 0;
    sigwait(&stopSignals, &received);
    // Requests in flight finish before the database closes
    scoreServer.Stop();
    store.Close();
    std::fprintf(stderr, "varnick-score-server: stopped\n");
    return 0;
}
