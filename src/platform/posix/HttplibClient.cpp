#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Http.h"
#include "platform/Text.h"

namespace vesk {
namespace {

using Clock = std::chrono::steady_clock;

struct Target {
    std::string host;
    int port = 80;
    std::string path;
};

// Only plain "http://host[:port][/path]" addresses: the weight service speaks nothing else.
std::optional<Target> parseHttpUrl(const std::string& url) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() < kScheme.size() ||
        !equalsIgnoreAsciiCase(std::string_view(url).substr(0, kScheme.size()), kScheme))
        return std::nullopt;
    const std::string rest = url.substr(kScheme.size());
    const auto pathStart = rest.find_first_of("/?#");
    const std::string authority = rest.substr(0, pathStart);
    Target target;
    target.path = pathStart == std::string::npos ? "/" : rest.substr(pathStart);
    if (target.path.front() != '/')
        target.path.insert(0, "/");
    const auto colon = authority.rfind(':');
    const bool bracketed = !authority.empty() && authority.front() == '[';
    const bool hasPort = colon != std::string::npos && (!bracketed || authority[colon - 1] == ']');
    target.host = hasPort ? authority.substr(0, colon) : authority;
    if (bracketed && target.host.size() >= 2 && target.host.back() == ']')
        target.host = target.host.substr(1, target.host.size() - 2);
    if (target.host.empty())
        return std::nullopt;
    if (hasPort) {
        const std::string portText = authority.substr(colon + 1);
        if (portText.empty() || portText.size() > 5 ||
            portText.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        target.port = std::stoi(portText);
        if (target.port < 1 || target.port > 65535)
            return std::nullopt;
    }
    return target;
}

void setTimeout(int milliseconds, const std::function<void(time_t, time_t)>& set) {
    const int ms = milliseconds > 0 ? milliseconds : 1;
    set(ms / 1000, static_cast<time_t>(ms % 1000) * 1000);
}

// Ends an exchange that outlives its total time by shutting the client's socket: a peer that
// drips a byte now and then never trips the per-read time-out.
class Deadline {
  public:
    Deadline(httplib::Client& client, Clock::time_point at) : client_(client), at_(at) {
        guard_ = std::thread([this] { watch(); });
    }
    ~Deadline() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        guard_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

    bool passed() const {
        std::lock_guard lock(mutex_);
        return fired_ || Clock::now() >= at_;
    }

  private:
    void watch() {
        std::unique_lock lock(mutex_);
        if (wake_.wait_until(lock, at_, [this] { return done_; }))
            return;
        fired_ = true;
        lock.unlock();
        client_.stop();
    }

    httplib::Client& client_;
    Clock::time_point at_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool fired_ = false;
    std::thread guard_;
};

std::string describeError(httplib::Error error, const std::string& where, const HttpRequest& r) {
    const std::string ms = std::to_string(r.readTimeoutMs) + " ms";
    switch (error) {
        case httplib::Error::Connection:
            return "could not connect to " + where + " (refused or unreachable)";
        case httplib::Error::ConnectionTimeout:
            return "connecting to " + where + " timed out after " +
                   std::to_string(r.connectTimeoutMs) + " ms";
        case httplib::Error::Read:
            return "reading the reply from " + where +
                   " failed: the connection closed or stayed silent for " + ms;
        case httplib::Error::Write:
            return "sending the request to " + where + " failed";
        case httplib::Error::Compression:
            return "the reply from " + where + " could not be decompressed";
        default:
            return "the exchange with " + where + " failed (" + httplib::to_string(error) + ")";
    }
}

class HttplibClient final : public HttpPort {
  public:
    HttpResponse post(const HttpRequest& request) override;
};

HttpResponse HttplibClient::post(const HttpRequest& request) {
    HttpResponse out;
    const auto target = parseHttpUrl(request.url);
    if (!target) {
        out.error = "not an http:// address: " + request.url;
        return out;
    }
    const std::string where = target->host + ":" + std::to_string(target->port);
    httplib::Client client(target->host, target->port);
    setTimeout(request.connectTimeoutMs,
               [&](time_t s, time_t us) { client.set_connection_timeout(s, us); });
    setTimeout(request.readTimeoutMs, [&](time_t s, time_t us) { client.set_read_timeout(s, us); });
    setTimeout(request.readTimeoutMs,
               [&](time_t s, time_t us) { client.set_write_timeout(s, us); });
    client.set_keep_alive(false);
    client.set_follow_location(false);

    httplib::Request req;
    req.method = "POST";
    req.path = target->path;
    for (const auto& [name, value] : request.headers)
        req.set_header(name, value);
    if (!request.contentType.empty())
        req.set_header("Content-Type", request.contentType);
    req.body = request.body;

    std::string abortReason;
    const std::string tooLarge = "the reply from " + where + " is larger than " +
                                 std::to_string(request.maxBodyBytes) + " bytes";
    req.response_handler = [&](const httplib::Response& res) {
        const auto announced = res.get_header_value<uint64_t>("Content-Length");
        if (res.has_header("Content-Length") && announced > request.maxBodyBytes) {
            abortReason = tooLarge;
            return false;
        }
        return true;
    };
    req.content_receiver = [&](const char* data, size_t length, uint64_t, uint64_t) {
        if (out.body.size() + length > request.maxBodyBytes) {
            abortReason = tooLarge;
            return false;
        }
        out.body.append(data, length);
        return true;
    };

    httplib::Response res;
    auto error = httplib::Error::Success;
    bool completed = false;
    bool overran = false;
    {
        Deadline deadline(client, Clock::now() + std::chrono::milliseconds(request.totalTimeoutMs));
        completed = client.send(req, res, error);
        overran = !completed && deadline.passed();
    }
    out.status = res.status;
    if (completed)
        return out;
    out.body.clear();
    if (overran)
        out.error = "the exchange with " + where + " took longer than " +
                    std::to_string(request.totalTimeoutMs) + " ms";
    else if (!abortReason.empty())
        out.error = abortReason;
    else
        out.error = describeError(error, where, request);
    return out;
}

}  // namespace

std::unique_ptr<HttpPort> makeHttpClient() {
    return std::make_unique<HttplibClient>();
}

}  // namespace vesk
