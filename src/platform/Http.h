#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vesk {

struct HttpRequest {
    std::string url;  // "http://host:port/path"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string contentType;  // sent as Content-Type together with the body
    std::string body;
    int connectTimeoutMs = 1500;
    int readTimeoutMs = 1500;    // longest silence while waiting for reply data
    int totalTimeoutMs = 10000;  // the whole exchange, however the data trickles
    std::size_t maxBodyBytes = 1024 * 1024;
};

struct HttpResponse {
    // The number of the reply's status line; -1 when no status line was received.
    int status = -1;
    std::string body;
    // Empty when the exchange completed (whatever its status); otherwise what went wrong.
    std::string error;
};

// One HTTP exchange per call; nothing is kept between calls. Safe to call from a helper
// thread.
class HttpPort {
  public:
    virtual ~HttpPort() = default;
    virtual HttpResponse post(const HttpRequest& request) = 0;
};

std::unique_ptr<HttpPort> makeHttpClient();

}  // namespace vesk
