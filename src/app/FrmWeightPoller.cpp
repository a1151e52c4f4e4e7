#include <exception>
#include <optional>
#include <string>

#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "platform/FileSystem.h"
#include "proc/ProcessUtils.h"
#include "weigh/WeightClient.h"
#include "weigh/WeightFormat.h"
#include "weigh/WeightReading.h"

namespace vesk {
namespace {

constexpr const char* kCommExeName = "veskComm.exe";
constexpr const char* kFailedReadPrompt = "读取地磅数值失败，请稍等5秒 或 重启地磅服务【旧电脑】";

void logTimer(const std::string& text) {
    WriteLogEx(text, kWeightTimerLogCategory, true);
}

void logWeight(const std::string& text) {
    WriteLogEx(text, kWeightLogCategory, true);
}

bool anyNonZero(const TAutoRunConfig& config) {
    return weightTextToNumber(config.weightNow) != 0.0 ||
           weightTextToNumber(config.weightPrev) != 0.0 ||
           weightTextToNumber(config.weightPrev2) != 0.0;
}

LaunchResult launchHidden(ProcessPort& processes, const std::string& path) {
    try {
        return processes.launch(path, "", ShowMode::Hidden);
    } catch (const std::exception& e) {
        return {false, e.what()};
    }
}

}  // namespace

void TFrmVeskCommStartup::GetWeightJson(const std::string& url, std::string& reply) {
    if (isBlankWeightUrl(url)) {
        reply = blankUrlReply();
        return;
    }
    const HttpRequest request = makeWeightRequest(url);
    ports_.pump.processMessages();
    HttpResponse response;
    try {
        HttpPort& http = ports_.http;
        ports_.pump.runWhilePumping(
            [&http, &request, &response] { response = http.post(request); });
    } catch (const std::exception& e) {
        response = {-1, {}, e.what()};
    }
    const bool exchanged = exchangeSucceeded(response);
    if (exchanged)
        ports_.pump.processMessages();
    const WeightClientReply result = weightClientReply(response);
    reply = result.text;
    if (result.failed)
        ports_.pump.processMessages();
}

void TFrmVeskCommStartup::weightTimerTimer() {
    if (!weightPollingAllowed())
        return;
    if (readInProgress && !takeBusyTick())
        return;
    readWeight();
}

bool TFrmVeskCommStartup::weightPollingAllowed() const {
    return !exitedDuringRead() && AutoRunConfig->commTimer && ports_.minuteTimer.enabled() &&
           !AutoRunConfig->commHost.empty();
}

// Exit frees the configuration while a read may be waiting for its reply; the read then must
// not touch it again.
bool TFrmVeskCommStartup::exitedDuringRead() const {
    return exiting || !AutoRunConfig;
}

// A tick that found a read under way. Returns true when the read has hung long enough that
// this tick forces a read of its own.
bool TFrmVeskCommStartup::takeBusyTick() {
    TAutoRunConfig& config = *AutoRunConfig;
    const int tick = ++busyTickCount;
    if (tick <= 8) {
        logTimer("重量定时器-小过程" + std::to_string(tick) + ": " + config.weightNow);
        if (tick > 3) {
            config.weightPrev2 = "0";
            config.weightPrev = "0";
            ports_.view.setWeightColour(clRed);
        }
        return false;
    }
    logTimer("重量定时器-大过程" + std::to_string(tick) + ": " + config.weightNow);
    logWeight("强制读取当前重量: " + config.weightNow);
    return true;
}

void TFrmVeskCommStartup::readWeight() {
    {
        TAutoRunConfig& config = *AutoRunConfig;
        config.weightPrev2 = config.weightPrev;
        config.weightPrev = config.weightNow;
    }
    std::optional<std::string> error;
    try {
        ports_.pump.processMessages();
        if (exitedDuringRead())
            return endRead();
        readInProgress = true;
        ports_.weightTimer.setEnabled(false);
        logTimer("重量定时器-开始: " + AutoRunConfig->weightNow);
        std::string replyText;
        GetWeightJson(weightUrl(AutoRunConfig->commHost), replyText);
        if (exitedDuringRead())
            return endRead();
        const WeightReply reply = readWeightReply(replyText);
        if (reply.kind == WeightReply::Kind::Reading)
            showReading(reply.reading);
        else if (reply.kind == WeightReply::Kind::Failure)
            countFailedRead(reply.failure);
        else
            error = reply.error;
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (exitedDuringRead())
        return endRead();
    endRead();
    if (error)
        logWeight("读取当前重量: 失败异常" + std::to_string(ports_.weightTimer.Tag) + *error);
    logTimer("重量定时器-结束: " + AutoRunConfig->weightNow);
}

void TFrmVeskCommStartup::showReading(const WeightReading& reading) {
    TAutoRunConfig& config = *AutoRunConfig;
    config.weightNow = formatWeight(reading.value);
    ports_.view.setWeightCaption(config.weightNow + " Kg");
    ports_.view.setWeightColour(readingColour(isStableText(reading.stable), config.weightNow,
                                              config.weightPrev, config.weightPrev2));
    if (anyNonZero(config))
        logWeight("读取当前重量: " + config.weightNow + "-" + reading.time);
    if (ports_.weightTimer.Tag > 0) {
        ports_.weightTimer.Tag = 0;
        ShowMsg("重新读取地磅数值成功！" + config.weightNow);
        logWeight("重新读取地磅数值成功！" + config.weightNow + "-" + reading.time);
    }
}

void TFrmVeskCommStartup::countFailedRead(const WeightFailure& failure) {
    TAutoRunConfig& config = *AutoRunConfig;
    config.weightNow = "0.001";
    ports_.view.setWeightCaption("0.001 Kg");
    ports_.view.setWeightColour(clRed);
    const int failures = ++ports_.weightTimer.Tag;
    logWeight("读取当前重量: 失败" + std::to_string(failures) + failure.message);
    if (failures % 10 == 0 && failure.commonCode == "-1")
        ShowMsg(kFailedReadPrompt);
    if (failures >= 10 && isLocalCommHost(config.commHost))
        restartCommAfterFailedReads();
}

// Only the copy beside this program is restarted here; the watchdog knows the installation's
// other candidates.
void TFrmVeskCommStartup::restartCommAfterFailedReads() {
    const std::string path = joinPath(ports_.exeFolder, kCommExeName);
    if (!fileExists(path))
        return;
    if (IsProcessRunning(kCommExeName, ports_.processes)) {
        logWeight("veskComm服务 正常运行中!失败检测");
        return;
    }
    const LaunchResult launched = launchHidden(ports_.processes, path);
    logWeight(launched.started ? std::string("veskComm服务 意外关闭，重新启动")
                               : "veskComm服务 意外关闭，重新启动失败：" + launched.error);
}

void TFrmVeskCommStartup::endRead() {
    readInProgress = false;
    busyTickCount = 0;
    if (!exitedDuringRead() && !ports_.weightTimer.enabled() && AutoRunConfig->commTimer)
        ports_.weightTimer.setEnabled(true);
}

}  // namespace vesk
