// One weight read against a loopback service, and one watchdog tick on a station that has all
// six companion programs enabled (files real, process table fake: every program "running").

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "platform/Clock.h"
#include "settings/UMyUtils.h"
#include "support/Companions.h"
#include "support/FormFakes.h"
#include "support/TempDir.h"
#include "weigh/LoopbackServers.h"

namespace {

using namespace vesk;

// Every companion (and the service) installed in the station folder as a file of its own name.
std::string install(const test::TempDir& station, const std::string& name) {
    const std::string file = station.file(name);
    test::writeFile(file, "stand-in");
    return file;
}

// Answers every request with one fixed weight reply, as the service does.
test::LoopbackHttpServer weightService() {
    return test::LoopbackHttpServer([](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            R"({"code":0,"comm":{"value":12340,"stable":true,"time":"2024-09-14 08:05:03"}})",
            "application/json");
    });
}

struct Window {
    explicit Window(const test::TempDir& station, HttpPort& http)
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
    test::TempDir station;
    const test::LoopbackHttpServer service = weightService();
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
    test::TempDir station;
    test::ScriptedHttp http;
    Window window(station, http);
    TAutoRunConfig& config = *AutoRunConfig;
    for (const auto& companion : test::kCompanions) {
        config.*companion.enabled = true;
        config.*companion.path = install(station, companion.exeName);
        window.processes.run(companion.exeName);
    }
    install(station, "veskComm.exe");
    window.processes.run("veskComm.exe");
    for (auto _ : state)
        window.form.minuteTimerTimer();
    if (!window.processes.launches.empty())
        state.SkipWithError("a tick launched a program that was running");
}
BENCHMARK(BM_WatchdogTickSixCompanions)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
