// The game's own minimal HTTP/1.0 client: one connection, one request, the
// whole reply as text once the server closes.
#pragma once
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace scores {

// How long each blocking step may wait. A score server that never answers,
// or keeps the connection open, must not freeze the game, and an endless
// reply must not fill memory: past a bound the connection counts as broken.
struct THttpLimits {
    int lookupMillis = 3000;    // name lookup
    int connectMillis = 3000;   // TCP connect
    int receiveMillis = 3000;   // each wait for more reply bytes (and each send)
    int totalMillis = 9000;     // from the start of Open to the end of the reply
    std::size_t maxReplyBytes = 64 * 1024;
};

using THttpClock = std::chrono::steady_clock;

// An IPv4 TCP socket; fd is -1 once closed
class TSocket {
public:
    ~TSocket();
    static std::shared_ptr<TSocket> CreateTCP();
    // Blocks until connected, refused or the deadline; false unless connected
    bool Connect(unsigned int addressNetworkOrder, int port, THttpClock::time_point deadline);
    void Close();   // a second close does nothing
    int fd = -1;
};

// Bytes over a socket, read through a small buffer. Closing the stream
// closes the socket. Reads wait at most limits.receiveMillis each, never past
// the deadline, and stop for good after limits.maxReplyBytes.
class TSocketStream {
public:
    TSocketStream(std::shared_ptr<TSocket> sock, THttpLimits limits, THttpClock::time_point deadline);
    // True without waiting when there is no socket, or when the peer has
    // closed (the socket is then closed); false while more may come
    bool Eof();
    // Bytes up to LF, a zero byte or a failed read; CR bytes dropped
    std::u16string ReadLine();
    // The low byte of every character, then CR LF
    void WriteLine(const std::u16string& text);
    void Close();

private:
    bool ReadByte(unsigned char& byte);
    bool Fill();
    void Fail();
    int WaitMillis() const;

    std::shared_ptr<TSocket> sock_;
    THttpLimits limits_;
    THttpClock::time_point deadline_;
    std::string buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t received_ = 0;
};

class Thttp {
public:
    std::shared_ptr<TSocket> sock;
    std::shared_ptr<TSocketStream> stream;
    std::u16string host;
    std::u16string agent = u"TarvelThttp/1.0";
    int autoClose = 0;
    THttpLimits limits;

    ~Thttp() = default;
    // 1 when connected to the host's first IPv4 address, 0 when not; a name
    // without an IPv4 address gets no connection attempt
    int Open(const std::u16string& hostName, int autoCloseFlag, int port = 80);
    // One request each per connection; the reply is every line the server
    // sent, joined by "\n", read until the server closes
    std::u16string Get(const std::u16string& path);
    std::u16string Post(const std::u16string& path, const std::vector<std::u16string>& names,
                        const std::vector<std::u16string>& values);
    int Close();   // harmless when repeated

    // Letters, digits and "+-._" stay; every other character becomes "%XX"
    static std::u16string UrlEncode(const std::u16string& text);
    // "%XX" with upper-case digits becomes one character; the rest is copied
    static std::u16string UrlDecode(const std::u16string& text);

private:
    std::u16string Exchange(const std::u16string& request);
    THttpClock::time_point deadline_{};
};

} // namespace scores
