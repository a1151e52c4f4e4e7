#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/Http.h"
#include "platform/Text.h"
#include "platform/posix/TcpSocket.h"

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

// Ends an exchange that outlives its total time, or whose reply outgrows its limit, by shutting
// the client's socket: a peer that drips a byte now and then never trips the per-read time-out,
// and one that floods header lines is never stopped by a body limit.
class ExchangeGuard {
  public:
    enum class Verdict { None, Overran, TooLarge };

    ExchangeGuard(httplib::Client& client, Clock::time_point at, std::uint64_t maxBytes)
        : client_(client), at_(at), maxBytes_(maxBytes) {
        client_.set_socket_options([this](socket_t socket) { watchSocket(socket); });
        guard_ = std::thread([this] { watch(); });
    }
    ~ExchangeGuard() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        guard_.join();
        client_.set_socket_options(nullptr);
        for (const int copy : copies_)
            ::close(copy);
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

    Verdict verdict() const {
        std::lock_guard lock(mutex_);
        if (verdict_ == Verdict::None && Clock::now() >= at_)
            return Verdict::Overran;
        return verdict_;
    }

  private:
    static constexpr auto kLookEvery = std::chrono::milliseconds(20);

    // A duplicate of the client's socket (of each one, should the client try several
    // addresses): its counters stay readable, and its number cannot be handed to another file,
    // until the guard is done.
    void watchSocket(socket_t socket) {
        const int copy = ::dup(socket);
        std::lock_guard lock(mutex_);
        if (copy >= 0)
            copies_.push_back(copy);
        socket_ = copy;
    }

    void watch() {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_until(lock, std::min(at_, Clock::now() + kLookEvery),
                                 [this] { return done_; })) {
            if (Clock::now() >= at_)
                verdict_ = Verdict::Overran;
            else if (socket_ >= 0 && socketBytesReceived(socket_) > maxBytes_)
                verdict_ = Verdict::TooLarge;
            if (verdict_ != Verdict::None) {
                const int socket = socket_;
                lock.unlock();
                client_.stop();
                if (socket >= 0)
                    abortConnection(socket);
                return;
            }
        }
    }

    httplib::Client& client_;
    Clock::time_point at_;
    std::uint64_t maxBytes_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    Verdict verdict_ = Verdict::None;
    int socket_ = -1;
    std::vector<int> copies_;
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
    auto verdict = ExchangeGuard::Verdict::None;
    {
        // Room for the status line and headers on top of the body.
        constexpr std::uint64_t kHeaderRoom = 64 * 1024;
        ExchangeGuard guard(client,
                            Clock::now() + std::chrono::milliseconds(request.totalTimeoutMs),
                            request.maxBodyBytes + kHeaderRoom);
        completed = client.send(req, res, error);
        if (!completed)
            verdict = guard.verdict();
    }
    out.status = res.status;
    if (completed)
        return out;
    out.body.clear();
    if (verdict == ExchangeGuard::Verdict::Overran)
        out.error = "the exchange with " + where + " took longer than " +
                    std::to_string(request.totalTimeoutMs) + " ms";
    else if (verdict == ExchangeGuard::Verdict::TooLarge)
        out.error = tooLarge;
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
