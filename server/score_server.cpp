#include "server/score_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>


namespace server {

namespace {

constexpr const char* kExchangePath = "/zuscoreme.php";
// The game's request is under 200 bytes; a connection's whole buffer is this
constexpr std::size_t kRequestMemory = 8 * 1024;
constexpr unsigned kIdleSeconds = 10;
constexpr unsigned kMaxConnections = 1000;

// What one request did, for its line in the log
struct RequestLog {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string path;
    int status = 0;
    std::string detail;
};

// The path as the log shows it: printable bytes only, cut at the query
std::string LoggedPath(const char* uri)
{
    std::string out;
    for (const char* c = uri; c && *c && *c != '?' && out.size() < 80; c++) {
        unsigned char b = static_cast<unsigned char>(*c);
        out.push_back(b > 32 && b < 127 ? char(b) : '?');
    }
    return out;
}

std::string AddressText(MHD_Connection* connection, std::uint32_t& address)
{
    address = 0;
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr || info->client_addr->sa_family != AF_INET) return "?";
    const sockaddr_in* in = reinterpret_cast<const sockaddr_in*>(info->client_addr);
    address = in->sin_addr.s_addr;
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    return text;
}

void* StartLog(void*, const char* uri, MHD_Connection*)
{
    RequestLog* log = new RequestLog;
    log->path = LoggedPath(uri);
    return log;
}

void WriteLog(void*, MHD_Connection* connection, void** context, MHD_RequestTerminationCode end)
{
    RequestLog* log = static_cast<RequestLog*>(*context);
    if (!log) return;
    *context = nullptr;
    std::uint32_t address;
    std::string from = AddressText(connection, address);
    double millis = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - log->start).count();
    char when[32];
    std::time_t now = std::time(nullptr);
    std::tm utc;
    gmtime_r(&now, &utc);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    const char* ended = end == MHD_REQUEST_TERMINATED_COMPLETED_OK ? "" : " (connection ended early)";
    std::fprintf(stderr, "%s %s %s %d %s %.2f ms%s\n", when, from.c_str(), log->path.c_str(), log->status,
                 log->detail.c_str(), millis, ended);
    delete log;
}

MHD_Result Answer(MHD_Connection* connection, RequestLog* log, int status, const std::string& body,
                  const std::string& detail)
{
    if (log) {
        log->status = status;
        log->detail = detail;
    }
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain");
    // An HTTP/1.0 reply and one exchange per connection, as the game expects
    MHD_set_response_options(response, MHD_ResponseFlags(MHD_RF_HTTP_1_0_SERVER | MHD_RF_HTTP_1_0_COMPATIBLE_STRICT), MHD_RO_END);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    MHD_Result queued = MHD_queue_response(connection, unsigned(status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result HandleExchange(ScoreServer& server, MHD_Connection* connection, RequestLog* log)
{
    const char* gameId = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "gameid");
    const char* info = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "info");
    PlayerEntry entry;
    std::string refused = ReadPlayerEntry(gameId, info, entry);
    if (!refused.empty()) return Answer(connection, log, MHD_HTTP_BAD_REQUEST, "", "refused: " + refused);
    std::u16string board;
    std::string scrambled;
    std::string who = "player " + std::to_string(entry.playerId) + " best " + std::to_string(entry.best);
    if (!server.store.Record(entry, board, scrambled))
        return Answer(connection, log, MHD_HTTP_SERVICE_UNAVAILABLE, "", who + ": database failed");
    return Answer(connection, log, MHD_HTTP_OK, scrambled + "\r\n", who);
}

MHD_Result HandleRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                         const char*, const char*, size_t* uploadSize, void** context)
{
    ScoreServer& server = *static_cast<ScoreServer*>(cls);
    RequestLog* log = static_cast<RequestLog*>(*context);
    // A body has no use here; the reply was queued at the first call
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    std::uint32_t address;
    AddressText(connection, address);
    if (!server.rateLimit.Allow(address))
        return Answer(connection, log, MHD_HTTP_TOO_MANY_REQUESTS, "", "refused: rate limit");
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) != 0)
        return Answer(connection, log, MHD_HTTP_METHOD_NOT_ALLOWED, "", "refused: not GET");
    if (std::strcmp(url, kExchangePath) != 0) return Answer(connection, log, MHD_HTTP_NOT_FOUND, "", "refused: no such path");
    return HandleExchange(server, connection, log);
}

} // namespace

ScoreServer::ScoreServer(const ServerOptions& options, ScoreStore& scoreStore)
    : store(scoreStore), rateLimit(options.rateLimit), options_(options)
{
}

ScoreServer::~ScoreServer() { Stop(); }

bool ScoreServer::Start(std::string& error)
{
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(std::uint16_t(options_.port));
    if (inet_pton(AF_INET, options_.listen.c_str(), &at.sin_addr) != 1) {
        error = "not an IPv4 address to listen on: " + options_.listen;
        return false;
    }
    // Turbo: no checks for the platform quirks Linux does not have
    unsigned int flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO;
    daemon_ = MHD_start_daemon(flags, 0, nullptr, nullptr, HandleRequest, this,
                               MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&at),
                               MHD_OPTION_THREAD_POOL_SIZE, unsigned(options_.threads),
                               MHD_OPTION_CONNECTION_MEMORY_LIMIT, kRequestMemory,
                               MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
                               MHD_OPTION_CONNECTION_LIMIT, kMaxConnections,
                               MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u,
                               MHD_OPTION_URI_LOG_CALLBACK, StartLog, nullptr,
                               MHD_OPTION_NOTIFY_COMPLETED, WriteLog, nullptr,
                               MHD_OPTION_END);
    if (!daemon_) error = "cannot listen on " + options_.listen + ":" + std::to_string(options_.port);
    return daemon_ != nullptr;
}

int ScoreServer::Port() const
{
    const MHD_DaemonInfo* info = daemon_ ? MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    return info ? info->port : 0;
}

void ScoreServer::Stop()
{
    if (daemon_) MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

} // namespace server
