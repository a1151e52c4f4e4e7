#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/UFrmVeskCommStartup.h"
#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "settings/UMyUtils.h"
#include "support/FakeClock.h"
#include "support/FormFakes.h"
#include "support/LogLines.h"
#include "support/TempDir.h"

namespace vesk::test {

// A station in a temporary folder with the main window wired to fakes, before its start-up
// sequence has run.
class FormFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        InitLogPaths(station.path(), clock);
        InitSiteSettings(station.path());
        form = std::make_unique<TFrmVeskCommStartup>(FormPorts{
            view, minuteTimer, weightTimer, pump, processes, http, clock, station.path()});
    }
    void TearDown() override { FreeAutoRunConfig(); }

    std::vector<std::string> log(const std::string& category) const {
        return logTexts(station.path(), category);
    }
    std::vector<std::string> startupLog() const { return log("veskCommStartup"); }

    TempDir station;
    FakeClock clock;
    RecordingView view;
    FakeTimer minuteTimer;
    FakeTimer weightTimer;
    FakePump pump;
    FakeProcesses processes;
    ScriptedHttp http;
    std::unique_ptr<TFrmVeskCommStartup> form;
};

// The same with supervision running (both timers' switches as after the first watchdog tick)
// and polling switched on.
class SupervisionFixture : public FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        view.timeline = &timeline;
        pump.timeline = &timeline;
        form->SetUpExecutablePaths();
        CreateAutoRunConfig(station.path(), clock, processes);
        AutoRunConfig->commTimer = true;
        minuteTimer.setEnabled(true);
        weightTimer.setEnabled(true);
    }

    TAutoRunConfig& config() { return *AutoRunConfig; }
    std::string exe(const std::string& name) const { return station.file(name); }
    void install(const std::string& name) { writeFile(exe(name), "stand-in program"); }
    std::vector<std::string> weightLog() const { return log("veskCommLogStartup"); }
    std::vector<std::string> timerLog() const { return log("veskWeightTimerStartup"); }

    Timeline timeline;
};

inline std::string reading(const std::string& value, const std::string& stable,
                           const std::string& time = "08:05:03") {
    return R"({"code":0,"comm":{"value":)" + value + R"(,"stable":)" + stable + R"(,"time":")" +
           time + R"("}})";
}

// Whether any text holds the part.
inline bool anyHolds(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts) {
        if (text.find(part) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace vesk::test
