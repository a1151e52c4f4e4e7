// veskComm.exe: reads the weighing indicator and serves the weight on 127.0.0.1 "/getdata".
// The supervisor starts it without arguments; "--config FILE" points it at another ini file.

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "IndicatorFeed.h"
#include "MonotonicClock.h"
#include "ReadingStore.h"
#include "SerialReader.h"
#include "ServiceSettings.h"
#include "SimulatorSource.h"
#include "StopSignal.h"
#include "WeightHttpServer.h"
#include "log/DailyLog.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitPortTaken = 2;

void logLine(const std::string& text) {
    vesk::WriteLogEx(text, "veskCommService", true);
}

std::optional<std::string> configPath(int argc, char** argv) {
    if (argc == 1) {
        return vesk::joinPath(vesk::joinPath(vesk::executableFolder(), "bin"), "veskComm.ini");
    }
    if (argc == 3 && std::string(argv[1]) == "--config") {
        return std::string(argv[2]);
    }
    return std::nullopt;
}

// Runs the reading side on its own thread until `stop`.
std::thread startSource(const vesk::ServiceSettings& settings, vesk::IndicatorFeed& feed,
                        vesk::ReadingStore& store, const std::atomic<bool>& stop) {
    const auto& clock = vesk::steadyClock();
    if (settings.usesSimulator()) {
        const auto seed = static_cast<std::uint64_t>(clock.nowMs());
        return std::thread([&feed, &store, &clock, &stop, seed] {
            vesk::SimulatorSource(seed, feed, store, clock).run(stop);
        });
    }
    return std::thread([settings, &feed, &store, &clock, &stop] {
        vesk::SerialReader(settings.serial, feed, store, clock, logLine).run(stop);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const auto iniPath = configPath(argc, argv);
    if (!iniPath) {
        std::fprintf(stderr, "usage: %s [--config FILE]\n", argv[0]);
        return kExitUsage;
    }
    vesk::InitLogPaths();
    const auto settings = vesk::loadServiceSettings(*iniPath, logLine);
    logLine("veskComm启动：" + vesk::describeSettings(settings));

    vesk::ReadingStore store(vesk::systemClock(), vesk::steadyClock());
    vesk::WeightHttpServer server(store);
    if (!server.bind(settings.httpPort)) {
        const std::string why = "HTTP端口" + std::string(vesk::WeightHttpServer::kHost) + ":" +
                                std::to_string(settings.httpPort) +
                                "已被占用(可能已有一个veskComm.exe在运行)，本进程退出";
        logLine(why);
        std::fprintf(stderr, "%s\n", why.c_str());
        return kExitPortTaken;
    }

    std::atomic<bool> stop{false};
    vesk::callOnStopRequest([&] {
        stop = true;
        server.stop();
    });
    const vesk::IndicatorFeed::Options options{settings.protocol, settings.stableWindowMs,
                                               settings.division};
    vesk::IndicatorFeed feed(options, store, vesk::steadyClock(), logLine);
    std::thread source = startSource(settings, feed, store, stop);
    server.listen();
    stop = true;
    source.join();
    logLine("veskComm退出");
    return 0;
}
