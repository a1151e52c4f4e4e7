#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/SupervisionFixture.h"

namespace vesk::test {
namespace {

constexpr const char* kPrompt = "读取地磅数值失败，请稍等5秒 或 重启地磅服务【旧电脑】";

class WeightPollerTest : public SupervisionFixture {
  protected:
    void queue(const std::string& body) { http.replies.push_back(ScriptedHttp::ok(body)); }
    void setHistory(const std::string& now, const std::string& prev, const std::string& prev2) {
        config().weightNow = now;
        config().weightPrev = prev;
        config().weightPrev2 = prev2;
    }
};

TEST_F(WeightPollerTest, StableReadingsTurnLimeOnlyOnceThreeAgree) {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < 3; ++i) {
        queue(reading("12340", "true"));
        form->weightTimerTimer();
        colours.push_back(view.weightColour);
    }
    EXPECT_EQ(colours, (std::vector<std::uint32_t>{clBlack, clBlack, clLime}));
    EXPECT_EQ(view.weightCaption, "12340 Kg");
    EXPECT_EQ(http.requests.front().url, "http://127.0.0.1:44444/getdata");
    EXPECT_EQ(weightLog(), std::vector<std::string>(3, "读取当前重量: 12340-08:05:03"));
    EXPECT_EQ(timerLog(),
              (std::vector<std::string>{"重量定时器-开始: 0", "重量定时器-结束: 12340",
                                        "重量定时器-开始: 12340", "重量定时器-结束: 12340",
                                        "重量定时器-开始: 12340", "重量定时器-结束: 12340"}));
    EXPECT_TRUE(weightTimer.enabled());
    EXPECT_FALSE(form->readInProgress);
}

TEST_F(WeightPollerTest, ZeroIsNeverLimeAndAllZeroHistoryIsNotLogged) {
    for (int i = 0; i < 3; ++i) {
        queue(reading("0", "true"));
        form->weightTimerTimer();
        EXPECT_EQ(view.weightColour, clBlack);
    }
    EXPECT_EQ(weightLog(), std::vector<std::string>{});
    queue(reading("0.0", "true"));
    setHistory("0", "5", "0");
    form->weightTimerTimer();
    EXPECT_EQ(weightLog(), std::vector<std::string>{"读取当前重量: 0-08:05:03"});
}

TEST_F(WeightPollerTest, ShowsEachReadingFormattedInItsColour) {
    const struct {
        const char* value;
        const char* stable;
        const char* history;  // the weight text of the two reads before
        const char* caption;
        std::uint32_t colour;
    } rows[] = {
        {"12.34567", "true", "0", "12.3457 Kg", clBlack},
        {"\"12.5\"", "\"TRUE\"", "12.5", "12.5 Kg", clLime},
        {"\"abc\"", "true", "0", "0 Kg", clBlack},
        {"-0.00004", "true", "0", "0 Kg", clBlack},
        {"12340", "false", "12340", "12340 Kg", clRed},
        {"12340", "\"yes\"", "0", "12340 Kg", clRed},
        {"12340", "true", "12340.000", "12340 Kg", clLime},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value + std::string(" ") + row.stable);
        setHistory(row.history, row.history, "0");
        queue(reading(row.value, row.stable));
        form->weightTimerTimer();
        EXPECT_EQ(view.weightCaption, row.caption);
        EXPECT_EQ(view.weightColour, row.colour);
        EXPECT_EQ(config().weightNow + " Kg", row.caption);
    }
}

TEST_F(WeightPollerTest, FailedReadsAreCountedAndPromptOnlyWhenTheServiceIsUnreachable) {
    for (int i = 0; i < 20; ++i)
        form->weightTimerTimer();  // nothing scripted: every exchange is refused
    EXPECT_EQ(view.weightCaption, "0.001 Kg");
    EXPECT_EQ(view.weightColour, clRed);
    EXPECT_EQ(config().weightNow, "0.001");
    EXPECT_EQ(weightTimer.Tag, 20);
    EXPECT_EQ(view.paneTexts(), (std::vector<std::string>{kPrompt, kPrompt}));
    const auto lines = weightLog();
    EXPECT_TRUE(anyHolds(lines, "读取当前重量: 失败1could not connect (refused)"));
    EXPECT_TRUE(anyHolds(lines, "读取当前重量: 失败20could not connect (refused)"));

    for (const char* reply :
         {R"({"code":2,"message":"busy"})", R"({"code":2,"_COMMON_CODE_":"404","message":"x"})"}) {
        SCOPED_TRACE(reply);
        view.pane.clear();
        weightTimer.Tag = 0;
        for (int i = 0; i < 10; ++i)
            queue(reply);
        for (int i = 0; i < 10; ++i)
            form->weightTimerTimer();
        EXPECT_EQ(weightTimer.Tag, 10);
        EXPECT_EQ(view.paneTexts(), std::vector<std::string>{});
    }
}

TEST_F(WeightPollerTest, FromTheTenthFailureTheLocalServiceIsRestartedWhenGone) {
    install("veskComm.exe");
    for (int i = 0; i < 9; ++i)
        form->weightTimerTimer();
    EXPECT_TRUE(processes.launches.empty());

    form->weightTimerTimer();
    ASSERT_EQ(processes.launches.size(), 1u);
    EXPECT_EQ(processes.launches[0].path, exe("veskComm.exe"));
    EXPECT_EQ(processes.launches[0].workFolder, "");
    EXPECT_EQ(processes.launches[0].mode, ShowMode::Hidden);
    EXPECT_EQ(weightLog().back(), "veskComm服务 意外关闭，重新启动");

    form->weightTimerTimer();
    EXPECT_EQ(processes.launches.size(), 1u);
    EXPECT_EQ(weightLog().back(), "veskComm服务 正常运行中!失败检测");
}

TEST_F(WeightPollerTest, ARefusedRestartIsLoggedAsFailed) {
    install("veskComm.exe");
    processes.launchErrors[exe("veskComm.exe")] = "exec format error";
    for (int i = 0; i < 10; ++i)
        form->weightTimerTimer();
    const auto lines = weightLog();
    EXPECT_EQ(lines.back(), "veskComm服务 意外关闭，重新启动失败：exec format error");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "veskComm服务 意外关闭，重新启动"), 0);
}

TEST_F(WeightPollerTest, NoRestartForARemoteServiceOrWithoutTheProgram) {
    for (int i = 0; i < 12; ++i)
        form->weightTimerTimer();
    config().commHost = "192.168.1.20";
    install("veskComm.exe");
    for (int i = 0; i < 12; ++i)
        form->weightTimerTimer();
    EXPECT_TRUE(processes.launches.empty());
    EXPECT_EQ(http.requests.back().url, "http://192.168.1.20:44444/getdata");
}

TEST_F(WeightPollerTest, TheFirstReadingAfterFailuresResetsTheCountAndSaysSo) {
    for (int i = 0; i < 3; ++i)
        form->weightTimerTimer();
    queue(reading("12340", "true", "08:06:00"));
    queue(reading("12340", "true", "08:06:01"));
    form->weightTimerTimer();
    form->weightTimerTimer();
    EXPECT_EQ(weightTimer.Tag, 0);
    EXPECT_EQ(view.paneTexts(), std::vector<std::string>{"重新读取地磅数值成功！12340"});
    EXPECT_TRUE(anyHolds(weightLog(), "重新读取地磅数值成功！12340-08:06:00"));
    EXPECT_FALSE(anyHolds(weightLog(), "重新读取地磅数值成功！12340-08:06:01"));
}

TEST_F(WeightPollerTest, AReadingWithoutCommIsAnErrorThatLeavesTheDisplay) {
    setHistory("5", "4", "3");
    view.setWeightCaption("5 Kg");
    weightTimer.Tag = 2;
    queue(R"({"code":0})");
    form->weightTimerTimer();
    EXPECT_EQ(view.weightCaption, "5 Kg");
    EXPECT_EQ(weightTimer.Tag, 2);
    EXPECT_EQ(config().weightNow, "5");
    EXPECT_EQ(config().weightPrev, "5");
    EXPECT_EQ(config().weightPrev2, "4");
    ASSERT_FALSE(weightLog().empty());
    EXPECT_EQ(weightLog().back().rfind("读取当前重量: 失败异常2", 0), 0u) << weightLog().back();
    EXPECT_NE(weightLog().back().find("comm"), std::string::npos);
    EXPECT_EQ(timerLog().back(), "重量定时器-结束: 5");
    EXPECT_TRUE(weightTimer.enabled());
    EXPECT_FALSE(form->readInProgress);
}

TEST_F(WeightPollerTest, TicksDuringAHungReadAreLoggedThenRedThenForceARead) {
    setHistory("7", "7", "7");
    struct Seen {
        std::uint32_t colour;
        std::string prev;
    };
    std::vector<Seen> seen;
    pump.duringExchange = [&] {
        for (int tick = 1; tick <= 9; ++tick) {
            form->weightTimerTimer();
            seen.push_back({view.weightColour, config().weightPrev});
        }
    };
    queue(reading("8", "true"));  // taken by the forced read
    queue(reading("9", "true"));  // then by the hung read, when it resumes
    form->weightTimerTimer();

    ASSERT_EQ(seen.size(), 9u);
    EXPECT_EQ(seen[2].colour, clBlack);
    EXPECT_EQ(seen[2].prev, "7");
    EXPECT_EQ(seen[3].colour, clRed);
    EXPECT_EQ(seen[3].prev, "0");
    EXPECT_EQ(http.requests.size(), 2u);
    EXPECT_EQ(view.weightCaption, "9 Kg");
    EXPECT_FALSE(form->readInProgress);
    EXPECT_EQ(form->busyTickCount, 0);
    EXPECT_EQ(timerLog(),
              (std::vector<std::string>{
                  "重量定时器-开始: 7", "重量定时器-小过程1: 7", "重量定时器-小过程2: 7",
                  "重量定时器-小过程3: 7", "重量定时器-小过程4: 7", "重量定时器-小过程5: 7",
                  "重量定时器-小过程6: 7", "重量定时器-小过程7: 7", "重量定时器-小过程8: 7",
                  "重量定时器-大过程9: 7", "重量定时器-开始: 7", "重量定时器-结束: 8",
                  "重量定时器-结束: 9"}));
    EXPECT_TRUE(anyHolds(weightLog(), "强制读取当前重量: 7"));
}

TEST_F(WeightPollerTest, AManualStopDuringAReadLeavesLaterTicksIdle) {
    install("veskComm.exe");
    processes.run("veskComm.exe");
    pump.duringExchange = [&] { form->BtnCloseCommClick(); };
    queue(reading("12340", "true"));
    form->weightTimerTimer();
    EXPECT_FALSE(minuteTimer.enabled());
    EXPECT_TRUE(weightTimer.enabled());  // the read's end starts it again
    form->weightTimerTimer();
    EXPECT_EQ(http.requests.size(), 1u);
}

TEST_F(WeightPollerTest, PollingSwitchedOffDuringAReadStaysOff) {
    pump.duringExchange = [&] { config().commTimer = false; };
    queue(reading("12340", "true"));
    form->weightTimerTimer();
    EXPECT_FALSE(weightTimer.enabled());
    form->minuteTimerTimer();
    EXPECT_FALSE(weightTimer.enabled());
}

TEST_F(WeightPollerTest, TheEntryCheckMakesATickDoNothing) {
    const struct {
        const char* name;
        bool commTimer;
        bool minuteTimerOn;
        const char* host;
    } rows[] = {{"polling off", false, true, "127.0.0.1"},
                {"supervision stopped", true, false, "127.0.0.1"},
                {"no host", true, true, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        config().commTimer = row.commTimer;
        minuteTimer.setEnabled(row.minuteTimerOn);
        config().commHost = row.host;
        queue(reading("12340", "true"));
        form->weightTimerTimer();
        EXPECT_TRUE(http.requests.empty());
        EXPECT_EQ(config().weightPrev, "0");
        EXPECT_TRUE(timerLog().empty());
        http.replies.clear();
    }
}

// Exit frees the configuration; a read suspended at any of its message-processing points must
// come back without touching it (the sanitizer build reports any use after free).
TEST_F(WeightPollerTest, ExitDuringAReadLeavesTheFreedConfigurationAlone) {
    for (int exitAt = 0; exitAt <= 3; ++exitAt) {
        SCOPED_TRACE("exit at point " + std::to_string(exitAt));
        if (!AutoRunConfig)
            CreateAutoRunConfig(station.path(), clock, processes);
        config().commTimer = true;
        form->exiting = false;
        minuteTimer.setEnabled(true);
        weightTimer.setEnabled(true);
        const auto linesBefore = timerLog().size();
        const auto exitNow = [&] { form->N3Click(); };
        int pumps = 0;
        pump.onProcessMessages = [&] {
            if (++pumps == exitAt)
                exitNow();
        };
        if (exitAt == 0)
            pump.duringExchange = exitNow;
        queue(reading("12340", "true"));

        form->weightTimerTimer();

        EXPECT_EQ(AutoRunConfig, nullptr);
        EXPECT_FALSE(form->readInProgress);
        EXPECT_FALSE(weightTimer.enabled());
        const auto lines = timerLog();
        EXPECT_FALSE(
            anyHolds(std::vector<std::string>(lines.begin() + linesBefore, lines.end()), "结束"));
        form->weightTimerTimer();
        form->minuteTimerTimer();
        pump.onProcessMessages = nullptr;
        http.replies.clear();
    }
}

TEST_F(WeightPollerTest, ABlankAddressMakesNoRequest) {
    std::string reply;
    form->GetWeightJson("  ", reply);
    EXPECT_EQ(reply, R"({"code":-1,"_COMMON_CODE_":"200","message":"post请求地址 url不能为空"})");
    EXPECT_TRUE(http.requests.empty());
    EXPECT_TRUE(weightLog().empty());
}

}  // namespace
}  // namespace vesk::test
