// How fast a reading gets from the indicator's wire to the supervisor, and how /getdata holds
// up while other clients hammer it. Everything runs on 127.0.0.1 and a pseudo-terminal.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "IndicatorFeed.h"
#include "ReadingStore.h"
#include "SerialReader.h"
#include "WeightHttpServer.h"

namespace {

using namespace std::chrono_literals;

// The service's reading side and HTTP side in this process, reading the slave of a pty.
class LocalService {
  public:
    LocalService()
        : store_(vesk::systemClock(), vesk::steadyClock()),
          feed_({vesk::Protocol::Stx, 1000, vesk::DecimalValue{}}, store_, vesk::steadyClock(),
                [](const std::string&) {}),
          server_(store_) {
        char name[256] = {};
        openpty(&master_, &slave_, name, nullptr, nullptr);
        vesk::SerialSettings serial;
        serial.portName = name;
        server_.bind(0);
        http_ = std::thread([this] { server_.listen(); });
        reader_ = std::thread([this, serial] {
            vesk::SerialReader(serial, feed_, store_, vesk::steadyClock(), [](const std::string&) {
            }).run(stop_);
        });
    }
    ~LocalService() {
        stop_ = true;
        server_.stop();
        http_.join();
        reader_.join();
        close(master_);
        close(slave_);
    }
    LocalService(const LocalService&) = delete;
    LocalService& operator=(const LocalService&) = delete;

    void write(const std::string& frame) {
        [[maybe_unused]] auto written = ::write(master_, frame.data(), frame.size());
    }
    int port() const { return server_.port(); }

  private:
    vesk::ReadingStore store_;
    vesk::IndicatorFeed feed_;
    vesk::WeightHttpServer server_;
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread http_;
    std::thread reader_;
};

const std::string kFrames[] = {
    "\x02+0123400"
    "1F\x03",
    "\x02+0123600"
    "1D\x03"};
const int kValues[] = {12340, 12360};

bool serves(httplib::Client& client, int value) {
    const auto response = client.Post("/getdata", "", "application/x-www-form-urlencoded");
    if (!response) {
        return false;
    }
    const auto reply = nlohmann::json::parse(response->body, nullptr, false);
    return reply.value("code", -1) == 0 && reply["comm"]["value"] == value;
}

void BM_FrameToServedReading(benchmark::State& state) {
    LocalService service;
    httplib::Client client("127.0.0.1", service.port());
    client.set_keep_alive(true);
    int index = 0;
    for (auto _ : state) {
        index = 1 - index;
        service.write(kFrames[index]);
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (!serves(client, kValues[index]) && std::chrono::steady_clock::now() < deadline) {
        }
    }
}
BENCHMARK(BM_FrameToServedReading)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GetdataUnderLoad(benchmark::State& state) {
    LocalService service;
    service.write(kFrames[0]);
    std::atomic<bool> done{false};
    std::vector<std::thread> load;
    for (int i = 0; i < state.range(0); ++i) {
        load.emplace_back([&] {
            httplib::Client client("127.0.0.1", service.port());
            client.set_keep_alive(true);
            // Bounded even if the timed loop stalls.
            for (int n = 0; n < 20000 && !done; ++n) {
                client.Post("/getdata", "", "application/x-www-form-urlencoded");
            }
        });
    }
    httplib::Client client("127.0.0.1", service.port());
    for (auto _ : state) {
        benchmark::DoNotOptimize(client.Post("/getdata", "", "application/x-www-form-urlencoded"));
    }
    done = true;
    for (auto& thread : load) {
        thread.join();
    }
}
BENCHMARK(BM_GetdataUnderLoad)
    ->Arg(0)
    ->Arg(4)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
