#include "scores/http.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/runtime/text.h"
#include "engine/runtime/ustring.h"

namespace scores {

namespace {

int MillisUntil(THttpClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - THttpClock::now());
    return int(std::max<long long>(0, left.count()));
}

// The resolver has no time-out of its own, so it runs on a helper thread.
// When the wait ends first, the thread is left to finish on its own and
// drops its answer; the shared state keeps it valid until then.
struct Lookup {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    unsigned int address = 0;
};

void RunLookup(std::shared_ptr<Lookup> lookup, std::string name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    bool found = false;
    unsigned int address = 0;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &result) == 0 && result) {
        for (addrinfo* a = result; a; a = a->ai_next) {
            if (a->ai_family != AF_INET) continue;
            address = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
            found = true;
            break;
        }
    }
    if (result) freeaddrinfo(result);
    std::lock_guard<std::mutex> hold(lookup->lock);
    lookup->finished = true;
    lookup->found = found;
    lookup->address = address;
    lookup->done.notify_all();
}

// The first IPv4 address of the name, or false
bool ResolveIPv4(const std::string& name, int waitMillis, unsigned int& address)
{
    // A zero byte would cut the name short and look up another host
    if (name.empty() || name.find('\0') != std::string::npos) return false;
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread(RunLookup, lookup, name).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock<std::mutex> hold(lookup->lock);
    lookup->done.wait_for(hold, std::chrono::milliseconds(waitMillis), [&] { return lookup->finished; });
    if (!lookup->found) return false;
    address = lookup->address;
    return true;
}

} // namespace

//---- TSocket

TSocket::~TSocket() { Close(); }

std::shared_ptr<TSocket> TSocket::CreateTCP()
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    auto sock = std::make_shared<TSocket>();
    sock->fd = fd;
    return sock;
}

bool TSocket::Connect(unsigned int addressNetworkOrder, int port, THttpClock::time_point deadline)
{
    if (fd < 0) return false;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(std::uint16_t(port));
    to.sin_addr.s_addr = addressNetworkOrder;
    if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return true;
    if (errno != EINPROGRESS) return false;
    pollfd p{fd, POLLOUT, 0};
    int ready;
    do ready = poll(&p, 1, MillisUntil(deadline));
    while (ready < 0 && errno == EINTR);
    if (ready <= 0) return false;
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

void TSocket::Close()
{
    if (fd >= 0) close(fd);
    fd = -1;
}

//---- TSocketStream

TSocketStream::TSocketStream(std::shared_ptr<TSocket> sock, THttpLimits limits,
                             THttpClock::time_point deadline)
    : sock_(std::move(sock)), limits_(limits), deadline_(deadline)
{
}

int TSocketStream::WaitMillis() const
{
    return std::min(limits_.receiveMillis, MillisUntil(deadline_));
}

// A stalled, endless or broken reply all end the same way: no more bytes
void TSocketStream::Fail()
{
    if (sock_) sock_->Close();
}

bool TSocketStream::Eof()
{
    if (bufferPos_ < buffer_.size()) return false;
    if (!sock_ || sock_->fd < 0) return true;
    pollfd p{sock_->fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return false;
    int pending = 0;
    if (ioctl(sock_->fd, FIONREAD, &pending) == 0 && pending > 0) return false;
    sock_->Close();
    return true;
}

bool TSocketStream::Fill()
{
    if (!sock_ || sock_->fd < 0) return false;
    if (received_ >= limits_.maxReplyBytes) {
        Fail();
        return false;
    }
    char chunk[4096];
    std::size_t want = std::min(sizeof chunk, limits_.maxReplyBytes - received_);
    for (;;) {
        ssize_t n = recv(sock_->fd, chunk, want, 0);
        if (n > 0) {
            buffer_.assign(chunk, std::size_t(n));
            bufferPos_ = 0;
            received_ += std::size_t(n);
            return true;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) break;
        pollfd p{sock_->fd, POLLIN, 0};
        if (errno != EINTR && poll(&p, 1, WaitMillis()) <= 0) break;
    }
    Fail();
    return false;
}

bool TSocketStream::ReadByte(unsigned char& byte)
{
    if (bufferPos_ >= buffer_.size() && !Fill()) return false;
    byte = static_cast<unsigned char>(buffer_[bufferPos_++]);
    return true;
}

std::u16string TSocketStream::ReadLine()
{
    std::u16string line;
    unsigned char byte;
    while (ReadByte(byte) && byte != '\n' && byte != 0) {
        if (byte != '\r') line.push_back(char16_t(byte));
    }
    return line;
}

void TSocketStream::WriteLine(const std::u16string& text)
{
    std::string bytes = engine::ToBytes(text) + "\r\n";
    std::size_t sent = 0;
    while (sock_ && sock_->fd >= 0 && sent < bytes.size()) {
        ssize_t n = send(sock_->fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        pollfd p{sock_->fd, POLLOUT, 0};
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) &&
            (errno == EINTR || poll(&p, 1, WaitMillis()) > 0)) continue;
        Fail();
    }
}

void TSocketStream::Close()
{
    if (sock_) sock_->Close();
}

//---- Thttp

int Thttp::Open(const std::u16string& hostName, int autoCloseFlag, int port)
{
    deadline_ = THttpClock::now() + std::chrono::milliseconds(limits.totalMillis);
    sock = TSocket::CreateTCP();
    if (!sock) return 0;
    unsigned int address = 0;
    int lookupMillis = std::min(limits.lookupMillis, MillisUntil(deadline_));
    if (!ResolveIPv4(engine::ToBytes(hostName), lookupMillis, address)) return 0;
    auto connectBy = std::min(deadline_, THttpClock::now() + std::chrono::milliseconds(limits.connectMillis));
    if (!sock->Connect(address, port, connectBy)) return 0;
    host = hostName;
    stream = std::make_shared<TSocketStream>(sock, limits, deadline_);
    autoClose = autoCloseFlag;
    return 1;
}

std::u16string Thttp::Exchange(const std::u16string& request)
{
    std::u16string reply;
    if (stream) {
        stream->WriteLine(request);
        while (!stream->Eof()) reply += stream->ReadLine() + u"\n";
    }
    if (autoClose) Close();
    if (!reply.empty()) reply.pop_back();
    return reply;
}

std::u16string Thttp::Get(const std::u16string& path)
{
    return Exchange(u"GET /" + path + u" HTTP/1.0\nHost: " + host + u"\nUser-Agent: " + agent + u"\n\n");
}

std::u16string Thttp::Post(const std::u16string& path, const std::vector<std::u16string>& names,
                           const std::vector<std::u16string>& values)
{
    std::u16string body;
    for (std::size_t i = 0; i < names.size(); i++) {
        std::u16string value = i < values.size() ? values[i] : u"";
        body += UrlEncode(names[i]) + u"=" + UrlEncode(value) + u"&";
    }
    if (!body.empty()) body.pop_back();
    return Exchange(u"POST /" + path + u" HTTP/1.0\nHost: " + host + u"\nUser-Agent: " + agent +
                    u"\nContent-Length: " + engine::IntToText(std::int32_t(body.size())) +
                    u"\nContent-Type: application/x-www-form-urlencoded\n\n" + body);
}

int Thttp::Close()
{
    if (stream) stream->Close();
    if (sock) sock->Close();
    return 0;
}

std::u16string Thttp::UrlEncode(const std::u16string& text)
{
    static const char16_t* kHex = u"0123456789ABCDEF";
    std::u16string out;
    for (char16_t c : text) {
        bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                     c == u'+' || c == u'-' || c == u'.' || c == u'_';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back(u'%');
            out.push_back(kHex[(c >> 4) & 15]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::u16string Thttp::UrlDecode(const std::u16string& text)
{
    // 1-based place in the digit list, 0 for anything else (lower case too)
    auto place = [](std::u16string_view digits, std::size_t i) {
        if (i >= digits.size()) return 0;
        std::size_t at = std::u16string_view(u"0123456789ABCDEF").find(digits[i]);
        return at == std::u16string_view::npos ? 0 : int(at) + 1;
    };
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] != u'%') {
            out.push_back(text[i]);
            continue;
        }
        out.push_back(char16_t(16 * place(text, i + 1) + place(text, i + 2) - 17));
        i += 2;
    }
    return out;
}

} // namespace scores
