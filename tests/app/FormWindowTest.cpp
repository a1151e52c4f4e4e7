#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SupervisionFixture.h"
#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "settings/UMyUtils.h"
#include "support/FakeClock.h"
#include "support/FormFakes.h"
#include "support/LogLines.h"
#include "support/TempDir.h"

namespace vesk::test {
namespace {

using FormWindowTest = FormFixture;

TEST_F(FormWindowTest, StartUpRunsItsStepsAndLeavesTheWindowHidden) {
    form->FormCreate();
    EXPECT_EQ(view.versionText, "20240914.36");
    EXPECT_EQ(view.statusTime, " 2024-09-14 08:05  软件打开时间");
    EXPECT_TRUE(view.closeBoxDisabled);
    EXPECT_TRUE(view.trayIcon);
    EXPECT_FALSE(view.windowShown);
    EXPECT_TRUE(view.activityPageSelected);
    ASSERT_TRUE(AutoRunConfig);
    EXPECT_EQ(view.paneTexts(), (std::vector<std::string>{"开启定时服务！重启成功！需30秒 ",
                                                          "20240914.36读取配置成功 - "}));
    EXPECT_TRUE(minuteTimer.enabled());
    EXPECT_FALSE(weightTimer.enabled());
    EXPECT_EQ(form->commExePath, station.file("veskComm.exe"));
    EXPECT_EQ(startupLog(),
              (std::vector<std::string>{"20240914.36读取配置成功 - ", "启动定时服务 --- 30秒 ",
                                        "开启定时服务！重启成功！需30秒 "}));
}

TEST_F(FormWindowTest, AnErrorEndsStartUpInAMessageBoxAndSupervisionNeverStarts) {
    view.failTrayIconAdd = "tray refused";
    form->FormCreate();
    EXPECT_EQ(view.messageBoxes, std::vector<std::string>{"tray refused"});
    EXPECT_EQ(view.versionText, "20240914.36");
    EXPECT_FALSE(AutoRunConfig);
    EXPECT_FALSE(minuteTimer.enabled());
    EXPECT_TRUE(view.pane.empty());
    EXPECT_TRUE(startupLog().empty());

    // The window is still there; saving without a configuration is refused, not a crash.
    form->BtnSaveAutoConfigClick();
    EXPECT_EQ(view.messageBoxes.back(), "配置未加载，无法保存！");
}

TEST_F(FormWindowTest, AllowedCloseStopsTheTimersWaitsAndLogs) {
    form->FormCreate();
    EXPECT_FALSE(form->FormCloseQuery());
    EXPECT_TRUE(minuteTimer.enabled());

    form->N3Click();
    EXPECT_TRUE(view.quitRequested);
    EXPECT_FALSE(view.trayIcon);
    EXPECT_FALSE(AutoRunConfig);
    ASSERT_TRUE(form->FormCloseQuery());
    form->FormClose();
    EXPECT_FALSE(minuteTimer.enabled());
    EXPECT_EQ(pump.waits, std::vector<int>{3000});
    EXPECT_EQ(startupLog().back(), "关闭定时服务 --- 30秒 ");
}

TEST_F(FormWindowTest, RestoreRequestRestoresOnlyAMinimisedWindow) {
    form->FormCreate();
    form->WMRestoreApp();
    EXPECT_EQ(view.restoreCalls, 0);
    EXPECT_EQ(view.bringToFrontCalls, 1);
    view.minimised = true;
    form->WMRestoreApp();
    EXPECT_EQ(view.restoreCalls, 1);
    EXPECT_EQ(view.bringToFrontCalls, 1);
    EXPECT_FALSE(view.windowShown);
}

}  // namespace
}  // namespace vesk::test
