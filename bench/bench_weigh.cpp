// One weight read against a loopback service, and one watchdog tick on a station that has all
// six companion programs enabled (files real, process table fake: every program "running").

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "platform/Clock.h"
#include "settings/UMyUtils.h"
#include "support/FormFakes.h"

namespace {

using namespace vesk;

// A throw-away station folder.
class Station {
  public:
    Station() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vesk-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
    }
    ~Station() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }
    std::string install(const std::string& name) const {
        const std::string file = path_ + "/" + name;
        std::ofstream(file) << "stand-in";
        return file;
    }

  private:
    std::string path_;
};

// Answers every connection with one fixed weight reply, as the service does.
class WeightService {
  public:
    WeightService() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 64) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~WeightService() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/getdata"; }

  private:
    void serve() {
        const std::string body =
            R"({"code":0,"comm":{"value":12340,"stable":true,"time":"2024-09-14 08:05:03"}})";
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
            "Connection: close\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body;
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Window {
    explicit Window(const Station& station, HttpPort& http)
        : form(FormPorts{view, minuteTimer, weightTimer, pump, processes, http, systemClock(),
                         station.path()}) {
        InitLogPaths(station.path(), systemClock());
        InitSiteSettings(station.path());
        form.SetUpExecutablePaths();
        CreateAutoRunConfig(station.path(), systemClock(), processes);
        minuteTimer.setEnabled(true);
    }
    ~Window() { FreeAutoRunConfig(); }

    test::RecordingView view;
    test::FakeTimer minuteTimer;
    test::FakeTimer weightTimer;
    test::FakePump pump;
    test::FakeProcesses processes;
    TFrmVeskCommStartup form;
};

void BM_GetWeightJsonRoundTrip(benchmark::State& state) {
    Station station;
    WeightService service;
    const auto http = makeHttpClient();
    Window window(station, *http);
    std::string reply;
    for (auto _ : state) {
        window.form.GetWeightJson(service.url(), reply);
        benchmark::DoNotOptimize(reply);
    }
    if (reply.find("\"code\":0") == std::string::npos)
        state.SkipWithError("the weight read failed");
}
BENCHMARK(BM_GetWeightJsonRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_WatchdogTickSixCompanions(benchmark::State& state) {
    Station station;
    test::ScriptedHttp http;
    Window window(station, http);
    TAutoRunConfig& config = *AutoRunConfig;
    const struct {
        bool TAutoRunConfig::*enabled;
        std::string TAutoRunConfig::*path;
        const char* exeName;
    } companions[] = {
        {&TAutoRunConfig::autoWeightEnable, &TAutoRunConfig::autoWeightPath, "veskAutoWeight.exe"},
        {&TAutoRunConfig::autoDoorEnable, &TAutoRunConfig::autoDoorPath, "veskAutoDoor.exe"},
        {&TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath,
         "veskMonitorCentor.exe"},
        {&TAutoRunConfig::autoBeltEnable, &TAutoRunConfig::autoBeltPath, "veskAutoBelt.exe"},
        {&TAutoRunConfig::nginxEnable, &TAutoRunConfig::nginxPath, "nginx.exe"},
        {&TAutoRunConfig::carCameraEnable, &TAutoRunConfig::carCameraPath, "carCamera.exe"},
    };
    for (const auto& companion : companions) {
        config.*companion.enabled = true;
        config.*companion.path = station.install(companion.exeName);
        window.processes.run(companion.exeName);
    }
    station.install("veskComm.exe");
    window.processes.run("veskComm.exe");
    for (auto _ : state)
        window.form.minuteTimerTimer();
    if (!window.processes.launches.empty())
        state.SkipWithError("a tick launched a program that was running");
}
BENCHMARK(BM_WatchdogTickSixCompanions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
