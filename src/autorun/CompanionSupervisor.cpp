#include <string_view>

#include "autorun/SummaryText.h"
#include "autorun/UnitAutoRunConfig.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "proc/ProcessUtils.h"

namespace vesk {
namespace {

struct Companion {
    int code;
    bool TAutoRunConfig::*enabled;
    std::string TAutoRunConfig::*path;
    // Looked for among the running processes whatever file the path names, so that a
    // companion started by hand from another folder is not started twice.
    const char* exeName;
    // The pass names programs its own way, not as the configuration summaries do.
    const char* fragment;
};

constexpr Companion companions[] = {
    {2, &TAutoRunConfig::autoWeightEnable, &TAutoRunConfig::autoWeightPath, "veskAutoWeight.exe",
     ",计量服务(veskWeight)"},
    {3, &TAutoRunConfig::autoDoorEnable, &TAutoRunConfig::autoDoorPath, "veskAutoDoor.exe",
     ",门禁服务(veskAutoDoor)"},
    {4, &TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath,
     "veskMonitorCentor.exe", ",监控中心服务(veskMonitorCentor)"},
    {5, &TAutoRunConfig::autoBeltEnable, &TAutoRunConfig::autoBeltPath, "veskAutoBelt.exe",
     ",流量秤服务(veskAutoBelt)"},
    {11, &TAutoRunConfig::nginxEnable, &TAutoRunConfig::nginxPath, "nginx.exe", ",Nginx服务"},
    {99, &TAutoRunConfig::carCameraEnable, &TAutoRunConfig::carCameraPath, "carCamera.exe",
     ",CarCamera服务"},
};

LaunchResult launchCompanion(ProcessPort& processes, const std::string& path) {
    try {
        return processes.launch(path, folderOf(path), ShowMode::Normal);
    } catch (...) {
        return {false, "启动时出错 " + path};
    }
}

}  // namespace

bool TAutoRunConfig::StartAll(int mode) {
    bool launchedAny = false;
    msgInfo_.clear();
    msgInfo2_.clear();
    launchFailures_.clear();
    try {
        for (const Companion& companion : companions) {
            if (!modeSelects(mode, companion.code) || !(this->*companion.enabled))
                continue;
            const std::string path = trimText(this->*companion.path);
            if (!fileExists(path))
                continue;
            if (IsProcessRunning(companion.exeName, processes_)) {
                msgInfo2_ += companion.fragment;
                continue;
            }
            const LaunchResult launch = launchCompanion(processes_, path);
            if (launch.started) {
                launchedAny = true;
                msgInfo_ += companion.fragment;
            } else {
                // Reporting a refused launch as a restart would hide a broken path for good.
                const std::string program = std::string(companion.fragment).substr(1);
                launchFailures_.push_back(program + "启动失败：" + launch.error);
            }
        }
    } catch (...) {
        return false;
    }
    closeSummary(msgInfo_, " 等意外退出已重新启动!");
    closeSummary(msgInfo2_, " 等正常运行中！无需重启!");
    return launchedAny;
}

}  // namespace vesk
