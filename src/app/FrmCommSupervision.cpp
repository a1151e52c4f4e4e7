#include <exception>
#include <string>
#include <vector>

#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "proc/ProcessUtils.h"
#include "settings/UMyUtils.h"
#include "weigh/ServiceCandidates.h"

namespace vesk {
namespace {

constexpr const char* kCommStoppedByHand = "开启定时服务";
constexpr const char* kSupervisionRunning = "定时服务已启动";

void logStartup(const std::string& text) {
    WriteLogEx(text, kStartupLogCategory, true);
}

ShowMode showModeFor(const ServiceCandidate& program) {
    return program.isComm ? ShowMode::Hidden : ShowMode::Normal;
}

// Launches never raise towards the handlers: a platform error becomes a failed launch.
LaunchResult launchProgram(ProcessPort& processes, const ServiceCandidate& program) {
    try {
        return processes.launch(program.path, "", showModeFor(program));
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
}

}  // namespace

void TFrmVeskCommStartup::SetUpExecutablePaths() {
    commExeName = "veskComm.exe";
    cameraExeName = "veskCamera.exe";
    publicWeightExeName = "veskPublicWeight.exe";
    cementCameraExeName = "veskCementCamera.exe";
    pathPrefix.clear();
    LoadPathPrefix(0);
    const std::string prefix = trimText(pathPrefix);
    // The prefix is joined as written: a folder prefix carries its own trailing separator.
    const auto fullPath = [&](const std::string& name) {
        return prefix.empty() ? joinPath(ports_.exeFolder, name) : prefix + name;
    };
    commExePath = fullPath(commExeName);
    cameraExePath = fullPath(cameraExeName);
    publicWeightExePath = fullPath(publicWeightExeName);
    cementCameraExePath = fullPath(cementCameraExeName);
    if (prefix.empty())
        return;
    for (const std::string* path :
         {&commExePath, &cameraExePath, &publicWeightExePath, &cementCameraExePath})
        WriteLog(*path, kStartupLogCategory);
}

void TFrmVeskCommStartup::LoadPathPrefix(int mode) {
    std::string value = pathPrefix;
    const bool found = ReadSiteValue("FrmVeskCommStartup", "vpb_prefixPath", value, mode);
    if (!found || mode != 0)
        return;
    const std::string trimmed = trimText(value);
    if (!trimmed.empty())
        pathPrefix = trimmed;
}

// In the order they are tried: a station runs the first of these that is installed.
std::vector<ServiceCandidate> TFrmVeskCommStartup::serviceCandidates() const {
    return {{cementCameraExeName, cementCameraExePath, false},
            {publicWeightExeName, publicWeightExePath, false},
            {cameraExeName, cameraExePath, false},
            {commExeName, commExePath, true}};
}

void TFrmVeskCommStartup::reportSupervision(const ServiceCandidate& program,
                                            const std::string& text) {
    if (program.isComm)
        ShowMsg(text);
    else
        logStartup(text);
}

void TFrmVeskCommStartup::minuteTimerTimer() {
    if (exiting || !AutoRunConfig)
        return;
    ports_.view.setStatusTime(formatLocalTime(ports_.clock.now(), " yyyy-MM-dd HH:mm "));
    if (!ports_.weightTimer.enabled() && !readInProgress && AutoRunConfig->commTimer)
        ports_.weightTimer.setEnabled(true);
    runCompanionPass();
    if (const auto program = supervisedProgram(serviceCandidates()))
        restartIfGone(*program);
}

void TFrmVeskCommStartup::runCompanionPass() {
    TAutoRunConfig& config = *AutoRunConfig;
    const bool launched = config.StartAll(0);
    if (launched)
        ShowMsg(config.msgInfo());
    for (const std::string& failure : config.launchFailures())
        ShowMsg(failure);
    if (launched)
        return;
    const QuietTick tick = nextQuietTick(ports_.minuteTimer.Tag);
    ports_.minuteTimer.Tag = tick.count;
    if (tick.note)
        ShowMsg(trimText(config.msgInfo2()).empty() ? kAllRunningNote : config.msgInfo2());
}

void TFrmVeskCommStartup::restartIfGone(const ServiceCandidate& program) {
    if (IsProcessRunning(program.name, ports_.processes))
        return;
    const LaunchResult launched = launchProgram(ports_.processes, program);
    if (!launched.started)
        reportSupervision(program, program.name + "意外退出,重启启动失败：" + launched.error);
    else
        reportSupervision(program, program.name + (program.isComm ? "意外退出,重启启动成功！"
                                                                  : "意外退出,重启启动"));
}

void TFrmVeskCommStartup::BtnTestCommClick() {
    const auto program = supervisedProgram(serviceCandidates());
    if (!program)
        return;
    ports_.view.setOverlayText("正在关闭" + program->name + ", 请稍等3秒......");
    ports_.view.setOverlayVisible(true);
    if (stopForManualRestart(*program))
        ports_.pump.blockingWait(3000);
    ports_.view.setOverlayText("正在处理数据【启动软件】，请稍等......");
    const bool launchRefused = !startForManualRestart(*program);
    ports_.view.setOverlayVisible(false);
    ShowMsg(program->name + (launchRefused ? " 服务重启失败！" : " 服务重启成功！手工重启？OK"));
}

// True when a termination was accepted.
bool TFrmVeskCommStartup::stopForManualRestart(const ServiceCandidate& program) {
    if (!program.isComm) {
        const bool killed = KillProcessByName(program.name, ports_.processes);
        if (!killed)
            logStartup(program.name + "未运行！");
        return killed;
    }
    if (!IsProcessRunning(program.name, ports_.processes)) {
        ShowMsg(program.name + "未运行！尝试启动中");
        return false;
    }
    const bool killed = KillProcessByName(program.name, ports_.processes);
    ShowMsg(program.name + (killed ? "运行中！关闭成功！" : "运行中！尝试关闭失败！"));
    ports_.pump.blockingWait(50);
    return killed;
}

// False only when the platform refused to launch the program.
bool TFrmVeskCommStartup::startForManualRestart(const ServiceCandidate& program) {
    if (IsProcessRunning(program.name, ports_.processes)) {
        reportSupervision(
            program, program.name + (program.isComm ? "正在运行！未能重启！失败" : "正在运行！"));
        return true;
    }
    const LaunchResult launched = launchProgram(ports_.processes, program);
    if (!launched.started)
        reportSupervision(program, program.name + "重启失败：" + launched.error);
    else
        reportSupervision(program, program.name + (program.isComm ? "已重启成功！" : "重启成功！"));
    return launched.started;
}

void TFrmVeskCommStartup::BtnCloseCommClick() {
    if (!fileExists(commExePath)) {
        ShowMsg("未启用veskComm.exe 无需手工关闭！");
        return;
    }
    bool stopped = true;
    if (IsProcessRunning(commExeName, ports_.processes)) {
        ShowMsg("veskComm.exe已运行 开始尝试关闭！需300毫秒");
        stopped = KillProcessByName(commExeName, ports_.processes);
        ports_.pump.blockingWait(100);
        if (IsProcessRunning(commExeName, ports_.processes))
            ShowMsg("veskComm.exe正在运行 尝试关闭失败！需人工干预");
        else
            ShowMsg("veskComm.exe停止运行 关闭服务成功！并停止定时服务！需手工开启");
    } else {
        ShowMsg("veskComm.exe未运行 无需手工关闭！");
    }
    // A termination still under way counts: the service is on its way down.
    if (!stopped)
        return;
    ports_.minuteTimer.setEnabled(false);
    ports_.weightTimer.setEnabled(false);
    ports_.view.setOpenCommButton(kCommStoppedByHand, true);
    ports_.view.setCloseCommEnabled(false);
}

void TFrmVeskCommStartup::BtnOpenCommClick() {
    if (!ports_.minuteTimer.enabled())
        ports_.minuteTimer.setEnabled(true);
    ports_.view.setOpenCommButton(kSupervisionRunning, false);
    ShowMsg("开启定时服务！重启成功！需30秒 ");
    ports_.view.setCloseCommEnabled(true);
}

}  // namespace vesk
