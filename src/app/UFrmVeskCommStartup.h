#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ActivityPane.h"
#include "app/EventPump.h"
#include "app/MainWindowView.h"
#include "app/Timer.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Processes.h"

namespace vesk {

struct WeightReading;
struct WeightFailure;
struct ServiceCandidate;

// Everything the main window needs from outside the core.
struct FormPorts {
    MainWindowView& view;
    Timer& minuteTimer;
    Timer& weightTimer;
    EventPump& pump;
    ProcessPort& processes;
    HttpPort& http;
    const Clock& clock;
    std::string exeFolder;  // the station folder, without a trailing separator
};

// Mouse events the tray icon reports.
enum class TrayMouse { LeftDown, LeftDoubleClick, RightDown, Other };

// The main window's rules, free of any toolkit: start-up, show and hide, the tray, exit, the
// activity pane, the weight poller, the watchdog, the service buttons and the settings page.
// The Qt shell forwards every event here and mirrors what this class tells its view.
class TFrmVeskCommStartup {
  public:
    explicit TFrmVeskCommStartup(FormPorts ports);
    ~TFrmVeskCommStartup();

    TFrmVeskCommStartup(const TFrmVeskCommStartup&) = delete;
    TFrmVeskCommStartup& operator=(const TFrmVeskCommStartup&) = delete;

    // Start-up sequence; the window stays hidden.
    void FormCreate();

    // Window events.
    void FormShow();
    void FormActivate();
    bool FormCloseQuery();
    void FormClose();
    void N1Click();
    void N2Click();
    void N3Click();
    void BtnMIniClick();
    void edt_weightValueClick();
    void WMTrayIcon(TrayMouse event);
    // A minimise request: true when it was taken over (hidden to the tray instead).
    bool WMSysCommandMinimise();
    void WMRestoreApp();

    // Timers and the service buttons.
    void minuteTimerTimer();
    void weightTimerTimer();
    void BtnTestCommClick();
    void BtnOpenCommClick();
    void BtnCloseCommClick();

    // Settings page.
    void BtnSaveAutoConfigClick();
    void SpeedButton2Click();
    void BtnWeightClick();
    void BtnDoorClick();
    void BtnMonitorCentorClick();
    void BtnBeltClick();
    void browseForPath(PathEdit edit);  // the six "选" buttons

    // Activity pane.
    void ShowMsg(const std::string& text);

    void LoadPathPrefix(int mode);
    // Names the supervised executables and builds their full paths from the site's path prefix,
    // or from the program's own folder when the site sets none.
    void SetUpExecutablePaths();
    void GetWeightJson(const std::string& url, std::string& reply);

    // The window's private state, readable for the shell and the tests.
    std::string versionText;
    bool exiting = false;
    bool firstShowPending = true;
    bool visible = false;  // the form's own visible flag, apart from the platform window's
    std::string pathPrefix;
    std::string commExeName, commExePath;
    std::string cameraExeName, cameraExePath;
    std::string publicWeightExeName, publicWeightExePath;
    std::string cementCameraExeName, cementCameraExePath;
    bool readInProgress = false;
    std::int32_t busyTickCount = 0;

  private:
    FormPorts ports_;
    ActivityPane activityPane_;

    // Weight poller steps.
    bool weightPollingAllowed() const;
    bool exitedDuringRead() const;
    bool takeBusyTick();
    void readWeight();
    void showReading(const WeightReading& reading);
    void countFailedRead(const WeightFailure& failure);
    void restartCommAfterFailedReads();
    void endRead();

    // Watchdog and manual control steps.
    std::vector<ServiceCandidate> serviceCandidates() const;
    void runCompanionPass();
    void restartIfGone(const ServiceCandidate& program);
    bool stopForManualRestart(const ServiceCandidate& program);
    bool startForManualRestart(const ServiceCandidate& program);
    void reportSupervision(const ServiceCandidate& program, const std::string& text);
};

}  // namespace vesk
