// Cost of the two file paths the supervisor takes most: one log line (every weight read writes
// one) and one full read of the auto-run configuration (every start-up).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
  public:
    ScratchFolder() {
        path_ =
            fs::temp_directory_path() / ("vesk-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string path() const { return path_.string(); }

  private:
    fs::path path_;
};

void BM_WriteLogExLine(benchmark::State& state) {
    ScratchFolder folder;
    vesk::InitLogPaths(folder.path(), vesk::systemClock());
    const std::string text = "{\"code\":0,\"comm\":{\"value\":\"12.34\",\"stable\":1}} 12.34 Kg";
    for (auto _ : state)
        benchmark::DoNotOptimize(vesk::WriteLogEx(text, "veskCommLogStartup", true));
}
BENCHMARK(BM_WriteLogExLine);

void BM_ReadConfigFullFile(benchmark::State& state) {
    ScratchFolder folder;
    fs::create_directories(folder.path() + "/bin");
    std::ofstream(folder.path() + "/bin/AutoRunConfig.ini", std::ios::binary)
        << "[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\nCommUpdateTime=2024-09-14 08:05:09\r\n"
           "[veskAutoWeight]\r\nAutoWeightEnable=1\r\nAutoWeightPath=C:\\vesk\\w.exe\r\n"
           "AutoWeightUpdateTime=2024-09-14 08:05:09\r\n"
           "[veskAutoDoor]\r\nAutoDoorEnable=1\r\nAutoDoorPath=C:\\vesk\\d.exe\r\n"
           "AutoDoorUpdateTime=2024-09-14 08:05:09\r\n"
           "[veskMonitorCentor]\r\nMonitorCentorEnable=1\r\nMonitorCentorPath=C:\\vesk\\m.exe\r\n"
           "MonitorCentorUpdateTime=2024-09-14 08:05:09\r\n"
           "[veskAutoBelt]\r\nAutoBeltEnable=1\r\nAutoBeltPath=C:\\vesk\\b.exe\r\n"
           "AutoBeltUpdateTime=2024-09-14 08:05:09\r\n"
           "[nginx]\r\nNginxEnable=1\r\nNginxPath=C:\\nginx\\nginx.exe\r\n"
           "NginxUpdateTime=2024-09-14 08:05:09\r\n"
           "[carCamera]\r\nCarCameraEnable=1\r\nCarCameraPath=C:\\vesk\\c.exe\r\n"
           "CarCameraUpdateTime=2024-09-14 08:05:09\r\n";
    vesk::TAutoRunConfig config(folder.path(), vesk::systemClock(), vesk::systemProcesses());
    for (auto _ : state)
        benchmark::DoNotOptimize(config.ReadConfig(0));
}
BENCHMARK(BM_ReadConfigFullFile);

}  // namespace

BENCHMARK_MAIN();
