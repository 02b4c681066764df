// A one-connection TCP server on 127.0.0.1 for client tests: it records the
// request bytes, then answers as the test scripts it.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace testsupport {

class LoopbackServer {
public:
    enum class Answer { Reply, Silent, Endless, Trickle };

    explicit LoopbackServer(Answer answer = Answer::Reply, std::string reply = "")
        : answer_(answer), reply_(std::move(reply))
    {
        listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listenFd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
        listen(listenFd_, 4);
        socklen_t size = sizeof at;
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&at), &size);
        port = ntohs(at.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(listenFd_);
    }

    int port = 0;
    // Valid once the client is done, e.g. after its Get returned
    std::string Received()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return received_;
    }
    bool Connected() const { return connected_; }

private:
    void Serve()
    {
        pollfd p{listenFd_, POLLIN, 0};
        while (!stop_ && poll(&p, 1, 50) == 0) {}
        if (stop_) return;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        connected_ = true;
        ReadRequest(fd);
        if (answer_ == Answer::Reply) send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        std::string filler(4096, 'x');
        while (!stop_ && answer_ == Answer::Endless && send(fd, filler.data(), filler.size(), MSG_NOSIGNAL) > 0) {}
        while (!stop_ && answer_ == Answer::Trickle && send(fd, "y", 1, MSG_NOSIGNAL) == 1) usleep(300000);
        while (!stop_ && answer_ == Answer::Silent) usleep(10000);
        // Anything sent after the request still counts as received
        ReadFor(fd, 100);
        close(fd);
    }
    // Up to the end of a request, then a little longer for bytes that should not come
    void ReadRequest(int fd)
    {
        for (int idle = 0; idle < 40 && !EndsWithLineEnd(); idle++) ReadFor(fd, 50);
        ReadFor(fd, 50);
    }
    // Every request the client sends ends with CR LF, its only CR
    bool EndsWithLineEnd() const
    {
        return received_.size() >= 2 && received_.compare(received_.size() - 2, 2, "\r\n") == 0;
    }
    void ReadFor(int fd, int millis)
    {
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        while (poll(&p, 1, millis) > 0) {
            ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n <= 0) return;
            received_.append(buf, std::size_t(n));
        }
    }

    Answer answer_;
    std::string reply_;
    int listenFd_ = -1;
    std::string received_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> connected_{false};
    std::thread thread_;
};

} // namespace testsupport
