#include <QApplication>
#include <QCoreApplication>
#include <memory>

#include "app/qt/InstanceChannel.h"
#include "app/qt/StationFonts.h"
#include "app/qt/StationShell.h"
#include "log/DailyLog.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/InstanceLock.h"
#include "platform/Processes.h"
#include "settings/UMyUtils.h"

using namespace vesk;

namespace {

constexpr const char* kInstanceLockName = "维斯地磅服务.lock";

// A second start only hands the running copy a request: no window, no tray icon, no log line.
int askRunningCopy(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InstanceChannel::send(InstanceChannel::defaultServerPath(), InstanceChannel::kActivate);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    InitLogPaths();
    InitSiteSettings();

    const std::unique_ptr<InstanceLock> lock = takeInstanceLock(kInstanceLockName);
    if (lock->state() == InstanceLockState::HeldByAnother)
        return askRunningCopy(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("veskCommStartup"));
    // The window spends most of its life hidden; closing a message box must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(stationFont(20));

    if (lock->state() == InstanceLockState::Unavailable)
        WriteLogEx("实例锁不可用，按首个实例运行：" + lock->error(), kStartupLogCategory, true);

    const std::unique_ptr<HttpPort> http = makeHttpClient();
    std::unique_ptr<StationShell> shell;
    try {
        shell = std::make_unique<StationShell>(systemProcesses(), *http, systemClock(),
                                               executableFolder());
        QApplication::setWindowIcon(shell->window().windowIcon());
        shell->start(shell->window().trayAvailable());
    } catch (...) {
        // The start-up sequence reports its own errors; anything else ends the run quietly.
        return 0;
    }

    InstanceChannel channel;
    if (channel.listen(InstanceChannel::defaultServerPath()))
        shell->serve(channel);
    else
        WriteLogEx("无法接收再次启动的请求：" + channel.errorString().toStdString(),
                   kStartupLogCategory, true);

    return shell->run();
}
