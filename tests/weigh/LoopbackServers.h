#pragma once

#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace vesk::test {

// A real HTTP server on a free loopback port, answering with whatever handler the test gives.
class LoopbackHttpServer {
  public:
    explicit LoopbackHttpServer(httplib::Server::Handler handler) {
        server_.Post("/getdata", handler);
        server_.Get("/getdata", handler);
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0)
            throw std::runtime_error("cannot bind a loopback port");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackHttpServer() {
        server_.stop();
        thread_.join();
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/getdata"; }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// A bare TCP listener on a free loopback port for misbehaving peers: each accepted connection
// is handed to the script, which may stall or trickle; stopping() turns true at teardown.
class LoopbackRawServer {
  public:
    using Script = std::function<void(int socket, const std::function<bool()>& stopping)>;

    explicit LoopbackRawServer(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on loopback");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackRawServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    LoopbackRawServer(const LoopbackRawServer&) = delete;
    LoopbackRawServer& operator=(const LoopbackRawServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/getdata"; }

    // Sends text in one piece; false once the peer has gone.
    static bool send(int socket, const std::string& text) {
        return ::send(socket, text.data(), text.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(text.size());
    }

  private:
    void serve() {
        const auto stopping = [this] { return stop_.load(); };
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0)
                continue;
            script_(connection, stopping);
            ::close(connection);
        }
    }

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A loopback address that nothing listens on: bound once to learn a free port, then released.
inline std::string refusedUrl() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/getdata";
}

}  // namespace vesk::test
