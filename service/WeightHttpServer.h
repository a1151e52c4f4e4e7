#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "ReadingStore.h"

namespace httplib {
class Server;
}

namespace vesk {

// Serves "/getdata" (POST and GET) from the store on the loopback interface only; every other
// path is 404.
class WeightHttpServer {
  public:
    static constexpr const char* kHost = "127.0.0.1";
    static constexpr std::size_t kMaxRequestBody = 64 * 1024;

    explicit WeightHttpServer(const ReadingStore& store);
    ~WeightHttpServer();
    WeightHttpServer(const WeightHttpServer&) = delete;
    WeightHttpServer& operator=(const WeightHttpServer&) = delete;

    // Port 0 picks a free port. False when the port is taken (usually by another copy).
    bool bind(int port);
    int port() const { return port_; }
    // Serves until stop() is called; returns at once when not bound or already stopped.
    void listen();
    // May come from another thread at any time, before listen() included.
    void stop();

  private:
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> listenEntered_{false};
    std::atomic<bool> listenEnded_{false};
};

}  // namespace vesk
