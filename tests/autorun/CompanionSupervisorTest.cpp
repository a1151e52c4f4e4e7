#include <gtest/gtest.h>

#include <filesystem>

#include "autorun/UnitAutoRunConfig.h"
#include "proc/StandIns.h"
#include "support/Companions.h"
#include "support/FakeClock.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;

const std::string allLaunched =
    "计量服务(veskWeight),门禁服务(veskAutoDoor),监控中心服务(veskMonitorCentor),"
    "流量秤服务(veskAutoBelt),Nginx服务,CarCamera服务 等意外退出已重新启动!";
const std::string allRunning =
    "计量服务(veskWeight),门禁服务(veskAutoDoor),监控中心服务(veskMonitorCentor),"
    "流量秤服务(veskAutoBelt),Nginx服务,CarCamera服务 等正常运行中！无需重启!";

using Program = test::Companion;
constexpr const auto& programs = test::kCompanions;

class CompanionPass : public ::testing::Test {
  protected:
    // Installs the program's stand-in in a folder of its own and enables it there.
    std::string enable(const Program& program, const std::string& fileName = "") {
        const std::string path = station.place(std::string("programs/") + program.exeName + "/" +
                                                   (fileName.empty() ? program.exeName : fileName),
                                               program.exeName);
        config.*program.enabled = true;
        config.*program.path = path;
        return path;
    }
    void enableAll() {
        for (const Program& program : programs)
            enable(program);
    }
    // A copy of the program started by hand from somewhere else, as an operator might.
    void startElsewhere(const std::string& fileName, const std::string& builtName) {
        const std::string path = station.place("elsewhere/" + fileName, builtName);
        ASSERT_TRUE(systemProcesses().launch(path, "", ShowMode::Normal).started);
    }
    std::size_t runningFrom(const std::string& path) { return test::processesRunning(path).size(); }

    test::FixedNamesLock namesToOurselves;
    test::StandInFolder station;
    test::FakeClock clock;
    TAutoRunConfig config{station.path(), clock, systemProcesses()};
};

TEST_F(CompanionPass, NothingEnabledLaunchesNothing) {
    enableAll();
    for (const Program& program : programs)
        config.*program.enabled = false;

    EXPECT_FALSE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(config.msgInfo2(), "");
    EXPECT_TRUE(test::processesUnder(station.path()).empty());
}

TEST_F(CompanionPass, LaunchesAStoppedProgramFromItsOwnFolderWithNoArguments) {
    const std::string path = enable(programs[0]);
    config.autoWeightPath = "  " + path + " \t";

    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "计量服务(veskWeight) 等意外退出已重新启动!");
    EXPECT_EQ(config.msgInfo2(), "");
    EXPECT_TRUE(config.launchFailures().empty());
    const auto report = test::waitForReport(path);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->workFolder, fs::canonical(fs::path(path).parent_path()).string());
    EXPECT_EQ(report->argc, 1);
}

TEST_F(CompanionPass, LaunchesEveryProgramOnceThenFindsThemAllRunning) {
    enableAll();

    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), allLaunched);
    EXPECT_EQ(config.msgInfo2(), "");

    EXPECT_FALSE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(config.msgInfo2(), allRunning);
    for (const Program& program : programs)
        EXPECT_EQ(runningFrom(config.*program.path), 1u) << program.exeName;
}

TEST_F(CompanionPass, ProgramRunningFromAnotherFolderCountsAndTheOtherIsLaunched) {
    const std::string weighing = enable(programs[0]);
    const std::string gate = enable(programs[1]);
    startElsewhere("veskAutoWeight.exe", "veskAutoWeight.exe");

    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "门禁服务(veskAutoDoor) 等意外退出已重新启动!");
    EXPECT_EQ(config.msgInfo2(), "计量服务(veskWeight) 等正常运行中！无需重启!");
    EXPECT_EQ(runningFrom(weighing), 0u);
    EXPECT_EQ(runningFrom(gate), 1u);
}

TEST_F(CompanionPass, NameInOtherLetterCaseCountsAsRunning) {
    const std::string nginx = enable(programs[4]);
    startElsewhere("NGINX.EXE", "NGINX.EXE");

    EXPECT_FALSE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(config.msgInfo2(), "Nginx服务 等正常运行中！无需重启!");
    EXPECT_EQ(runningFrom(nginx), 0u);
}

TEST_F(CompanionPass, AFileNotNamedAsTheProgramIsLaunchedAgainOnEveryPass) {
    const std::string copy = enable(programs[3], "veskAutoBelt-copy.exe");

    EXPECT_TRUE(config.StartAll(0));
    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "流量秤服务(veskAutoBelt) 等意外退出已重新启动!");
    EXPECT_EQ(runningFrom(copy), 2u);
}

TEST_F(CompanionPass, ModeSelectsOneProgramByCodeOrAllAtZeroAndBelow) {
    enableAll();
    struct Case {
        int mode;
        std::string launched;
    };
    const Case cases[] = {
        {1, ""},
        {6, ""},
        {100, ""},
        {2, "计量服务(veskWeight) 等意外退出已重新启动!"},
        {4, "监控中心服务(veskMonitorCentor) 等意外退出已重新启动!"},
        {11, "Nginx服务 等意外退出已重新启动!"},
        {99, "CarCamera服务 等意外退出已重新启动!"},
        {-1, allLaunched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(config.StartAll(c.mode), !c.launched.empty()) << "mode " << c.mode;
        EXPECT_EQ(config.msgInfo(), c.launched) << "mode " << c.mode;
        EXPECT_EQ(config.msgInfo2(), "") << "mode " << c.mode;
        station.killAll();
    }
}

TEST_F(CompanionPass, EnabledProgramWithoutAFileIsSkippedSilently) {
    enableAll();
    config.autoWeightPath = "";
    config.autoDoorPath = " \t ";
    config.monitorCentorPath = fs::path(config.monitorCentorPath).parent_path().string();
    config.autoBeltPath += ".missing";
    config.nginxEnable = false;
    config.carCameraEnable = false;

    EXPECT_FALSE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(config.msgInfo2(), "");
    EXPECT_TRUE(config.launchFailures().empty());
    EXPECT_TRUE(test::processesUnder(station.path()).empty());
}

TEST_F(CompanionPass, ALaunchTheSystemRefusesIsAFailureNotARestart) {
    const std::string nginx = enable(programs[4]);
    enable(programs[5]);
    fs::permissions(nginx, fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "CarCamera服务 等意外退出已重新启动!");
    ASSERT_EQ(config.launchFailures().size(), 1u);
    EXPECT_TRUE(config.launchFailures()[0].starts_with("Nginx服务启动失败：没有执行权限 " + nginx))
        << config.launchFailures()[0];

    // Only the refused one left to start: nothing was launched.
    EXPECT_FALSE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(config.msgInfo2(), "CarCamera服务 等正常运行中！无需重启!");
    EXPECT_EQ(config.launchFailures().size(), 1u);

    fs::permissions(nginx, fs::perms::owner_exec, fs::perm_options::add);
    EXPECT_TRUE(config.StartAll(0));
    EXPECT_EQ(config.msgInfo(), "Nginx服务 等意外退出已重新启动!");
    EXPECT_TRUE(config.launchFailures().empty());
    EXPECT_EQ(runningFrom(nginx), 1u);
}

}  // namespace
}  // namespace vesk
