// The score server's HTTP side: one GET per connection, answered and closed.
#pragma once
#include <cstdint>
#include <string>

#include "server/rate_limit.h"
#include "server/score_store.h"

struct MHD_Daemon;

namespace server {

struct ServerOptions {
    std::string listen = "127.0.0.1";
    int port = 8080;
    std::string db = "varnick-scores.sqlite";
    int rateLimit = 60;   // requests per address per minute, 0 for none
    int threads = 2;
};

class ScoreServer {
public:
    ScoreServer(const ServerOptions& options, ScoreStore& store);
    ~ScoreServer();
    // Starts listening; false with a reason
    bool Start(std::string& error);
    int Port() const;   // the bound port, useful with --port 0
    void Stop();

    // For the HTTP library's callbacks
    ScoreStore& store;
    RateLimit rateLimit;

private:
    ServerOptions options_;
    MHD_Daemon* daemon_ = nullptr;
};

} // namespace server
