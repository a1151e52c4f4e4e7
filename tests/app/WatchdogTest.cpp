#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/SupervisionFixture.h"

namespace vesk::test {
namespace {

using Texts = std::vector<std::string>;

class WatchdogTest : public SupervisionFixture {
  protected:
    bool supervisionStopped() const {
        return !minuteTimer.enabled() && !weightTimer.enabled() &&
               view.openCommCaption == "开启定时服务" && view.openCommEnabled &&
               !view.closeCommEnabled;
    }
    void enableWeighingStation() {
        install("veskAutoWeight.exe");
        config().autoWeightEnable = true;
        config().autoWeightPath = exe("veskAutoWeight.exe");
    }
};

TEST_F(WatchdogTest, ATickShowsItsTimeAndSwitchesThePollerOnWhenItMay) {
    const struct {
        const char* name;
        bool commTimer;
        bool reading;
        bool pollerOnAfter;
    } rows[] = {{"idle poller", true, false, true},
                {"polling switched off", false, false, false},
                {"a read under way", true, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        weightTimer.setEnabled(false);
        config().commTimer = row.commTimer;
        form->readInProgress = row.reading;
        form->minuteTimerTimer();
        EXPECT_EQ(weightTimer.enabled(), row.pollerOnAfter);
        EXPECT_EQ(view.statusTime, " 2024-09-14 08:05 ");
    }
}

TEST_F(WatchdogTest, TheFirstInstalledCandidateIsTheOneSupervised) {
    const struct {
        const char* name;
        std::vector<std::string> installed;
        std::string launched;  // empty: nothing
        ShowMode mode;
    } rows[] = {
        {"nothing installed", {}, "", ShowMode::Normal},
        {"the service alone", {"veskComm.exe"}, "veskComm.exe", ShowMode::Hidden},
        {"camera before service",
         {"veskCamera.exe", "veskComm.exe"},
         "veskCamera.exe",
         ShowMode::Normal},
        {"public weight before camera",
         {"veskPublicWeight.exe", "veskCamera.exe"},
         "veskPublicWeight.exe",
         ShowMode::Normal},
        {"cement camera first of all",
         {"veskComm.exe", "veskCamera.exe", "veskPublicWeight.exe", "veskCementCamera.exe"},
         "veskCementCamera.exe",
         ShowMode::Normal},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name :
             {"veskComm.exe", "veskCamera.exe", "veskPublicWeight.exe", "veskCementCamera.exe"})
            std::filesystem::remove(exe(name));
        for (const std::string& name : row.installed)
            install(name);
        processes.launches.clear();
        processes.table.clear();

        form->minuteTimerTimer();

        if (row.launched.empty()) {
            EXPECT_TRUE(processes.launches.empty());
            continue;
        }
        ASSERT_EQ(processes.launches.size(), 1u);
        EXPECT_EQ(processes.launches[0].path, exe(row.launched));
        EXPECT_EQ(processes.launches[0].workFolder, "");
        EXPECT_EQ(processes.launches[0].mode, row.mode);
    }
}

TEST_F(WatchdogTest, AGoneServiceIsRestartedAndReportedWhereItBelongs) {
    install("veskComm.exe");
    processes.run("veskComm.exe");
    form->minuteTimerTimer();
    EXPECT_TRUE(processes.launches.empty());

    processes.table.clear();
    form->minuteTimerTimer();
    EXPECT_EQ(processes.launches.size(), 1u);
    EXPECT_EQ(view.paneTexts(), Texts{"veskComm.exe意外退出,重启启动成功！"});

    install("veskCamera.exe");
    form->minuteTimerTimer();
    EXPECT_EQ(view.paneTexts().size(), 1u);
    EXPECT_TRUE(anyHolds(startupLog(), "veskCamera.exe意外退出,重启启动"));
}

TEST_F(WatchdogTest, ARefusedLaunchIsNeverReportedAsARestart) {
    install("veskComm.exe");
    processes.launchErrors[exe("veskComm.exe")] = "permission denied";
    form->minuteTimerTimer();
    EXPECT_EQ(view.paneTexts(), Texts{"veskComm.exe意外退出,重启启动失败：permission denied"});

    install("veskCamera.exe");
    processes.launchErrors[exe("veskCamera.exe")] = "not an executable";
    form->minuteTimerTimer();
    EXPECT_EQ(startupLog().back(), "veskCamera.exe意外退出,重启启动失败：not an executable");
    EXPECT_FALSE(anyHolds(startupLog(), "成功"));
}

TEST_F(WatchdogTest, QuietTicksEarnANoteEveryHundredAndTwentyAcrossTheWrap) {
    minuteTimer.Tag = 1190;
    for (int i = 0; i < 9; ++i)
        form->minuteTimerTimer();
    EXPECT_EQ(minuteTimer.Tag, 1199);
    EXPECT_TRUE(view.pane.empty());

    form->minuteTimerTimer();
    EXPECT_EQ(minuteTimer.Tag, 0);
    EXPECT_EQ(view.paneTexts(), Texts{"veskComm.exe等正常运行中！无需重启!"});

    for (int i = 0; i < 119; ++i)
        form->minuteTimerTimer();
    EXPECT_EQ(view.pane.size(), 1u);
    form->minuteTimerTimer();
    EXPECT_EQ(minuteTimer.Tag, 120);
    EXPECT_EQ(view.pane.size(), 2u);
}

TEST_F(WatchdogTest, ACompanionPassThatLaunchedShowsItsSummaryAndLeavesTheCount) {
    enableWeighingStation();
    minuteTimer.Tag = 119;
    form->minuteTimerTimer();
    EXPECT_EQ(minuteTimer.Tag, 119);
    EXPECT_EQ(view.paneTexts(), Texts{"计量服务(veskWeight) 等意外退出已重新启动!"});

    form->minuteTimerTimer();  // now running: a quiet tick, and the note names it
    EXPECT_EQ(minuteTimer.Tag, 120);
    EXPECT_EQ(view.paneTexts().front(), "计量服务(veskWeight) 等正常运行中！无需重启!");
}

TEST_F(WatchdogTest, ACompanionThatCouldNotBeLaunchedIsNamedInThePane) {
    enableWeighingStation();
    processes.launchErrors[exe("veskAutoWeight.exe")] = "no such file";
    form->minuteTimerTimer();
    ASSERT_EQ(view.paneTexts().size(), 1u);
    EXPECT_NE(view.paneTexts()[0].find("no such file"), std::string::npos);
    EXPECT_EQ(minuteTimer.Tag, 1);
}

TEST_F(WatchdogTest, ManualRestartOfTheService) {
    const std::string closing = "veskComm.exe 服务重启成功！手工重启？OK";
    const std::string starting = "overlay text 正在处理数据【启动软件】，请稍等......";
    const struct {
        const char* name;
        bool running;
        bool refuseTermination;
        bool refuseLaunch;
        Texts timeline;
    } rows[] = {
        {"running",
         true,
         false,
         false,
         {"overlay text 正在关闭veskComm.exe, 请稍等3秒......", "overlay shown",
          "pane veskComm.exe运行中！关闭成功！", "wait 50", "wait 3000", starting,
          "pane veskComm.exe已重启成功！", "overlay hidden", "pane " + closing}},
        {"not running",
         false,
         false,
         false,
         {"overlay text 正在关闭veskComm.exe, 请稍等3秒......", "overlay shown",
          "pane veskComm.exe未运行！尝试启动中", starting, "pane veskComm.exe已重启成功！",
          "overlay hidden", "pane " + closing}},
        {"refusing termination",
         true,
         true,
         false,
         {"overlay text 正在关闭veskComm.exe, 请稍等3秒......", "overlay shown",
          "pane veskComm.exe运行中！尝试关闭失败！", "wait 50", starting,
          "pane veskComm.exe正在运行！未能重启！失败", "overlay hidden", "pane " + closing}},
        {"launch refused",
         false,
         false,
         true,
         {"overlay text 正在关闭veskComm.exe, 请稍等3秒......", "overlay shown",
          "pane veskComm.exe未运行！尝试启动中", starting,
          "pane veskComm.exe重启失败：no space left", "overlay hidden",
          "pane veskComm.exe 服务重启失败！"}},
    };
    install("veskComm.exe");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        timeline.entries.clear();
        processes.table.clear();
        processes.launches.clear();
        processes.refuseTermination.clear();
        processes.launchErrors.clear();
        if (row.running)
            processes.run("veskComm.exe");
        if (row.refuseTermination)
            processes.refuseTermination.insert("veskComm.exe");
        if (row.refuseLaunch)
            processes.launchErrors[exe("veskComm.exe")] = "no space left";

        form->BtnTestCommClick();

        EXPECT_EQ(timeline.entries, row.timeline);
        EXPECT_FALSE(view.overlayVisible);
        EXPECT_TRUE(minuteTimer.enabled());
        EXPECT_TRUE(weightTimer.enabled());
        if (!row.refuseTermination && !row.refuseLaunch) {
            ASSERT_EQ(processes.launches.size(), 1u);
            EXPECT_EQ(processes.launches[0].mode, ShowMode::Hidden);
        }
    }
}

TEST_F(WatchdogTest, ManualRestartOfAnotherCandidateReportsToTheLogFile) {
    install("veskCamera.exe");
    install("veskComm.exe");
    form->BtnTestCommClick();
    EXPECT_EQ(view.paneTexts(), Texts{"veskCamera.exe 服务重启成功！手工重启？OK"});
    const Texts log = startupLog();
    EXPECT_TRUE(anyHolds(log, "veskCamera.exe未运行！"));
    EXPECT_TRUE(anyHolds(log, "veskCamera.exe重启成功！"));
    EXPECT_TRUE(pump.waits.empty());
    ASSERT_EQ(processes.launches.size(), 1u);
    EXPECT_EQ(processes.launches[0].path, exe("veskCamera.exe"));
    EXPECT_EQ(processes.launches[0].mode, ShowMode::Normal);
}

TEST_F(WatchdogTest, ManualRestartWithNothingInstalledDoesNothing) {
    form->BtnTestCommClick();
    EXPECT_TRUE(timeline.entries.empty());
    EXPECT_TRUE(startupLog().empty());
}

TEST_F(WatchdogTest, ManualStopStopsSupervisionOnlyWhenTheTerminationWasAccepted) {
    const struct {
        const char* name;
        bool installed;
        bool running;
        bool refuse;
        bool pending;
        Texts pane;  // oldest first
        bool stopped;
    } rows[] = {
        {"not installed", false, false, false, false, {"未启用veskComm.exe 无需手工关闭！"}, false},
        {"running",
         true,
         true,
         false,
         false,
         {"veskComm.exe已运行 开始尝试关闭！需300毫秒",
          "veskComm.exe停止运行 关闭服务成功！并停止定时服务！需手工开启"},
         true},
        {"not running", true, false, false, false, {"veskComm.exe未运行 无需手工关闭！"}, true},
        {"termination refused",
         true,
         true,
         true,
         false,
         {"veskComm.exe已运行 开始尝试关闭！需300毫秒",
          "veskComm.exe正在运行 尝试关闭失败！需人工干预"},
         false},
        {"termination still under way",
         true,
         true,
         false,
         true,
         {"veskComm.exe已运行 开始尝试关闭！需300毫秒",
          "veskComm.exe正在运行 尝试关闭失败！需人工干预"},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(exe("veskComm.exe"));
        if (row.installed)
            install("veskComm.exe");
        processes.table.clear();
        if (row.running)
            processes.run("veskComm.exe");
        processes.refuseTermination.clear();
        if (row.refuse)
            processes.refuseTermination.insert("veskComm.exe");
        processes.terminationPending = row.pending;
        view.pane.clear();
        pump.waits.clear();
        form->BtnOpenCommClick();
        weightTimer.setEnabled(true);
        view.pane.clear();

        form->BtnCloseCommClick();

        const Texts newestFirst = view.paneTexts();
        EXPECT_EQ(Texts(newestFirst.rbegin(), newestFirst.rend()), row.pane);
        EXPECT_EQ(supervisionStopped(), row.stopped);
        EXPECT_EQ(pump.waits, row.running ? std::vector<int>{100} : std::vector<int>{});
    }
}

TEST_F(WatchdogTest, ResumeRestartsTheWatchdogAndTheNextTickThePoller) {
    install("veskComm.exe");
    form->BtnCloseCommClick();
    ASSERT_TRUE(supervisionStopped());
    view.pane.clear();

    form->BtnOpenCommClick();
    EXPECT_TRUE(minuteTimer.enabled());
    EXPECT_FALSE(weightTimer.enabled());
    EXPECT_EQ(view.openCommCaption, "定时服务已启动");
    EXPECT_FALSE(view.openCommEnabled);
    EXPECT_TRUE(view.closeCommEnabled);
    EXPECT_EQ(view.paneTexts(), Texts{"开启定时服务！重启成功！需30秒 "});

    form->minuteTimerTimer();
    EXPECT_TRUE(weightTimer.enabled());
}

TEST_F(WatchdogTest, ExecutablePathsFollowTheSitePrefix) {
    const struct {
        const char* name;
        const char* settings;  // content of bin/FormLayout.ini; null: no file
        std::string commPath;  // empty: beside the program
    } rows[] = {
        {"no settings file", nullptr, ""},
        {"prefix without separator", "[FrmVeskCommStartup]\r\nvpb_prefixPath= D:\\site \r\n",
         "D:\\siteveskComm.exe"},
        {"blank prefix", "[FRMVESKCOMMSTARTUP]\r\nVPB_PREFIXPATH=   \r\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir rowStation;
        InitLogPaths(rowStation.path(), clock);
        InitSiteSettings(rowStation.path());
        if (row.settings != nullptr)
            writeFile(rowStation.file("bin/FormLayout.ini"), row.settings);
        TFrmVeskCommStartup window(FormPorts{view, minuteTimer, weightTimer, pump, processes, http,
                                             clock, rowStation.path()});

        window.SetUpExecutablePaths();

        const auto expected = [&](const std::string& name) {
            return row.commPath.empty() ? rowStation.file(name) : std::string("D:\\site") + name;
        };
        EXPECT_EQ(window.commExePath, expected("veskComm.exe"));
        EXPECT_EQ(window.cameraExePath, expected("veskCamera.exe"));
        EXPECT_EQ(window.publicWeightExePath, expected("veskPublicWeight.exe"));
        EXPECT_EQ(window.cementCameraExePath, expected("veskCementCamera.exe"));
        const Texts logged = logTexts(rowStation.path(), "veskCommStartup");
        if (row.commPath.empty())
            EXPECT_TRUE(logged.empty());
        else
            EXPECT_EQ(logged,
                      (Texts{expected("veskComm.exe"), expected("veskCamera.exe"),
                             expected("veskPublicWeight.exe"), expected("veskCementCamera.exe")}));
    }
    InitLogPaths(station.path(), clock);
    InitSiteSettings(station.path());
}

TEST_F(WatchdogTest, ThePaneKeepsNewestFirstAndCutsBackTo201) {
    LogEnabled = false;  // the pane's copy in the log is written regardless
    for (int i = 1; i <= 500; ++i)
        form->ShowMsg("report " + std::to_string(i));
    EXPECT_EQ(view.pane.size(), 500u);
    EXPECT_EQ(view.pane.front(), "24-09-14 08:05:03 report 500");

    view.failPaneRemoval = true;
    form->ShowMsg("report 501");
    EXPECT_EQ(view.pane.size(), 501u);
    view.failPaneRemoval = false;
    form->ShowMsg("");
    EXPECT_EQ(view.pane.size(), 201u);
    EXPECT_EQ(view.pane.front(), "24-09-14 08:05:03 ");
    EXPECT_EQ(view.paneTexts()[1], "report 501");
    EXPECT_EQ(view.paneTexts().back(), "report 302");

    const Texts logged = startupLog();
    ASSERT_EQ(logged.size(), 502u);
    EXPECT_EQ(logged.front(), "report 1");
    EXPECT_EQ(logged.back(), "");
    LogEnabled = true;
}

}  // namespace
}  // namespace vesk::test
