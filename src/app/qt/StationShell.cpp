#include "app/qt/StationShell.h"

#include <QApplication>

#include "app/qt/InstanceChannel.h"
#include "log/DailyLog.h"

namespace vesk {

StationShell::StationShell(ProcessPort& processes, HttpPort& http, const Clock& clock,
                           std::string exeFolder)
    : form_(FormPorts{window_, minuteTimer_, weightTimer_, pump_, processes, http, clock,
                      std::move(exeFolder)}) {
    window_.attach(form_);
    minuteTimer_.setHandler([this] { form_.minuteTimerTimer(); });
    weightTimer_.setHandler([this] { form_.weightTimerTimer(); });
}

void StationShell::start(bool trayAvailable) {
    form_.FormCreate();
    if (trayAvailable)
        return;
    WriteLogEx("系统托盘不可用：主界面保持显示；隐藏后再次启动本程序即可重新打开主界面",
               kStartupLogCategory, true);
    form_.N1Click();
}

int StationShell::run() {
    // An Exit chosen while the start-up sequence still ran (from its error message box) asked
    // a loop to end that has since returned; the main loop would never hear of it.
    if (form_.exiting)
        return 0;
    return QApplication::exec();
}

void StationShell::serve(InstanceChannel& channel) {
    QObject::connect(&channel, &InstanceChannel::activateRequested, &window_,
                     [this] { activateFromOutside(); });
    QObject::connect(&channel, &InstanceChannel::restoreRequested, &window_,
                     [this] { form_.WMRestoreApp(); });
}

void StationShell::activateFromOutside() {
    window_.showFromOutside();
    // Without a window manager no activation event may come; the form's own check makes a
    // second call harmless.
    form_.FormActivate();
}

}  // namespace vesk
