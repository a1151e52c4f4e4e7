#include "app/UFrmVeskCommStartup.h"

#include <exception>

#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "proc/ProcessUtils.h"

namespace vesk {

namespace {

void writeAlways(const std::string& text) {
    WriteLogEx(text, kStartupLogCategory, true);
}

// Setting the form's own visible flag puts the window on screen and runs FormShow.
void setVisibleFlag(TFrmVeskCommStartup& form, MainWindowView& view) {
    if (form.visible)
        return;
    form.visible = true;
    view.showWindow();
    form.FormShow();
}

void hideToTray(TFrmVeskCommStartup& form, MainWindowView& view) {
    form.visible = false;
    view.hideWindow();
}

void showFromTray(TFrmVeskCommStartup& form, MainWindowView& view, bool restore) {
    setVisibleFlag(form, view);
    view.showWindow();
    if (restore)
        view.restoreWindow();
    view.bringToFront();
}

// One companion program of the settings page: the page's row, the configuration's fields and
// the Save's messages for a path that is blank or names no file.
struct CompanionRow {
    AutoStartRow page;
    bool TAutoRunConfig::*enable;
    std::string TAutoRunConfig::*path;
    const char* emptyMessage;
    const char* missingMessage;
};

// In the order of the configuration's sections, which is not the order on the page.
const CompanionRow kCompanionRows[] = {
    {kAutoStartRows[0], &TAutoRunConfig::autoWeightEnable, &TAutoRunConfig::autoWeightPath,
     "计量服务(veskAutoWeight)自启动，绝对路径不能为空！",
     "计量服务(veskAutoWeight)自启动，绝对路径不存在！错误"},
    {kAutoStartRows[1], &TAutoRunConfig::autoDoorEnable, &TAutoRunConfig::autoDoorPath,
     "门禁服务(veskAutoDoor)自启动，绝对路径不能为空！",
     "门禁服务(veskAutoDoor)自启动，绝对路径不存在！错误"},
    {kAutoStartRows[2], &TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath,
     "监控中心服务(veskMonitorCentor)自启动，绝对路径不能为空！",
     "监控中心服务(veskMonitorCentor)自启动，绝对路径不存在！错误"},
    {kAutoStartRows[3], &TAutoRunConfig::autoBeltEnable, &TAutoRunConfig::autoBeltPath,
     "流量秤服务(veskAutoBelt)自启动，绝对路径不能为空！",
     "流量秤服务(veskAutoBelt)自启动，绝对路径不存在！错误"},
    {kAutoStartRows[4], &TAutoRunConfig::nginxEnable, &TAutoRunConfig::nginxPath,
     "nginx自启动，绝对路径不能为空！", "nginx自启动，绝对路径不存在！错误"},
    {kAutoStartRows[5], &TAutoRunConfig::carCameraEnable, &TAutoRunConfig::carCameraPath,
     "抓拍服务自启动，绝对路径不能为空！", "抓拍服务自启动，绝对路径不存在！错误"},
};

AutoStartPage pageFrom(const TAutoRunConfig& config) {
    AutoStartPage page;
    page.commEnable = config.commEnable;
    page.commTimer = config.commTimer;
    for (const CompanionRow& row : kCompanionRows) {
        page.*row.page.enable = config.*row.enable;
        page.*row.page.path = config.*row.path;
    }
    return page;
}

// Takes one row over into the configuration; the message of the failing check otherwise.
const char* takeOver(const CompanionRow& row, const AutoStartPage& page, TAutoRunConfig& config) {
    const std::string path = trimText(page.*row.page.path);
    if (page.*row.page.enable) {
        if (path.empty())
            return row.emptyMessage;
        if (!fileExists(path))
            return row.missingMessage;
    }
    config.*row.enable = page.*row.page.enable;
    config.*row.path = path;
    return nullptr;
}

}  // namespace

TFrmVeskCommStartup::TFrmVeskCommStartup(FormPorts ports) : ports_(std::move(ports)) {}

TFrmVeskCommStartup::~TFrmVeskCommStartup() = default;

void TFrmVeskCommStartup::FormCreate() {
    MainWindowView& view = ports_.view;
    try {
        versionText = "20240914.36";
        view.setVersionText(versionText);
        view.setStatusTime(formatLocalTime(ports_.clock.now(), " yyyy-MM-dd HH:mm ") +
                           " 软件打开时间");
        LogEnabled = true;
        exiting = false;
        view.disableCloseBox();
        firstShowPending = true;
        view.addTrayIcon();
        SetUpExecutablePaths();
        CreateAutoRunConfig(ports_.exeFolder, ports_.clock, ports_.processes);
        view.fillSettingsPage(pageFrom(*AutoRunConfig));
        ShowMsg(versionText + "读取配置成功 - " + AutoRunConfig->msgInfo());
        view.selectActivityPage();
        writeAlways("启动定时服务 --- 30秒 ");
        ports_.weightTimer.Tag = 0;
        ports_.weightTimer.setEnabled(false);
        readInProgress = false;
        busyTickCount = 0;
        view.setWeightCaption("0 Kg");
        ports_.minuteTimer.Tag = 0;
        ports_.minuteTimer.setEnabled(true);
        BtnOpenCommClick();
    } catch (const std::exception& error) {
        view.showMessageBox(error.what());
    } catch (...) {
        view.showMessageBox("启动时发生未知错误");
    }
}

void TFrmVeskCommStartup::FormShow() {
    if (!firstShowPending)
        return;
    firstShowPending = false;
    writeAlways("显示定时服务 --- 首次打开窗体 ");
}

void TFrmVeskCommStartup::FormActivate() {
    // Put on screen from outside (a second start) before the operator ever opened it.
    if (visible || !firstShowPending)
        return;
    writeAlways("显示定时服务 --- 首次激活窗体 ");
    setVisibleFlag(*this, ports_.view);
}

bool TFrmVeskCommStartup::FormCloseQuery() {
    if (!exiting) {
        // A close, a log-off or a shut-down never ends supervision: the window retreats.
        ports_.view.addTrayIcon();
        ports_.view.hideWindow();
    }
    return exiting;
}

void TFrmVeskCommStartup::FormClose() {
    ports_.minuteTimer.setEnabled(false);
    ports_.weightTimer.setEnabled(false);
    ports_.pump.blockingWait(3000);
    writeAlways("关闭定时服务 --- 30秒 ");
}

void TFrmVeskCommStartup::N1Click() {
    showFromTray(*this, ports_.view, false);
}

void TFrmVeskCommStartup::N2Click() {
    hideToTray(*this, ports_.view);
}

void TFrmVeskCommStartup::N3Click() {
    // No question and no log line; the supervised programs keep running on their own.
    ports_.view.removeTrayIcon();
    exiting = true;
    ports_.minuteTimer.setEnabled(false);
    ports_.weightTimer.setEnabled(false);
    FreeAutoRunConfig();
    ports_.view.quitApplication();
}

void TFrmVeskCommStartup::BtnMIniClick() {
    hideToTray(*this, ports_.view);
}

void TFrmVeskCommStartup::edt_weightValueClick() {
    ShellOpen(joinPath(joinPath(ports_.exeFolder, "Log"), "Debug"), ports_.processes);
}

void TFrmVeskCommStartup::WMTrayIcon(TrayMouse event) {
    switch (event) {
        case TrayMouse::LeftDown:
            hideToTray(*this, ports_.view);
            break;
        case TrayMouse::LeftDoubleClick:
            showFromTray(*this, ports_.view, true);
            break;
        case TrayMouse::RightDown:
            ports_.view.popupTrayMenuAtCursor();
            break;
        case TrayMouse::Other:
            break;
    }
}

bool TFrmVeskCommStartup::WMSysCommandMinimise() {
    ports_.view.addTrayIcon();
    hideToTray(*this, ports_.view);
    return true;
}

void TFrmVeskCommStartup::WMRestoreApp() {
    if (ports_.view.isMinimised())
        ports_.view.restoreWindow();
    else
        ports_.view.bringToFront();
}

void TFrmVeskCommStartup::BtnSaveAutoConfigClick() {
    MainWindowView& view = ports_.view;
    if (!AutoRunConfig) {
        view.showMessageBox("配置未加载，无法保存！");
        return;
    }
    TAutoRunConfig& config = *AutoRunConfig;
    const AutoStartPage page = view.readSettingsPage();
    if (page.commEnable && !fileExists(joinPath(ports_.exeFolder, "veskComm.exe"))) {
        view.showMessageBox("veskComm不存在！");
        return;
    }
    config.commEnable = page.commEnable;
    config.commTimer = page.commTimer;
    for (const CompanionRow& row : kCompanionRows) {
        if (const char* failure = takeOver(row, page, config)) {
            view.showMessageBox(failure);
            return;
        }
    }
    const bool written = config.WriteConfig(0);
    // A write that did not reach the file must not read as a success to the operator.
    if (!written || !config.lastWriteError().empty()) {
        const std::string why = config.lastWriteError().empty() ? config.iniPath() + " 写入失败"
                                                                : config.lastWriteError();
        ShowMsg("更新配置失败：" + why);
        return;
    }
    ShowMsg("更新配置成功" + config.msgInfo());
}

void TFrmVeskCommStartup::SpeedButton2Click() {
    ShellOpen(allUsersStartupFolder(), ports_.processes);
}

void TFrmVeskCommStartup::BtnWeightClick() {
    ports_.view.setPathEditText(PathEdit::AutoWeight,
                                joinPath(ports_.exeFolder, "veskAutoWeight.exe"));
}

void TFrmVeskCommStartup::BtnDoorClick() {
    ports_.view.setPathEditText(PathEdit::AutoDoor, joinPath(ports_.exeFolder, "veskAutoDoor.exe"));
}

void TFrmVeskCommStartup::BtnMonitorCentorClick() {
    ports_.view.setPathEditText(PathEdit::MonitorCentor,
                                joinPath(ports_.exeFolder, "veskMonitorCentor.exe"));
}

void TFrmVeskCommStartup::BtnBeltClick() {
    ports_.view.setPathEditText(PathEdit::AutoBelt, joinPath(ports_.exeFolder, "veskAutoBelt.exe"));
}

void TFrmVeskCommStartup::browseForPath(PathEdit edit) {
    const std::optional<std::string> chosen = ports_.view.browseForFile();
    if (chosen && !chosen->empty())
        ports_.view.setPathEditText(edit, *chosen);
}

}  // namespace vesk
