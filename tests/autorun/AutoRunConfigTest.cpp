#include "autorun/UnitAutoRunConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/FakeClock.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::FakeClock;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Reading and writing the configuration never touches processes.
class NoProcesses final : public ProcessPort {
  public:
    std::vector<ProcessEntry> snapshot() override { return {}; }
    bool terminate(std::int64_t) override { return false; }
    LaunchResult launch(const std::string&, const std::string&, ShowMode) override { return {}; }
    LaunchResult shellOpen(const std::string&) override { return {}; }
};

const std::string kEverythingEnabled =
    "[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\n"
    "[veskAutoWeight]\r\nAutoWeightEnable=1\r\nAutoWeightPath=w.exe\r\n"
    "[veskAutoDoor]\r\nAutoDoorEnable=1\r\nAutoDoorPath=d.exe\r\n"
    "[veskMonitorCentor]\r\nMonitorCentorEnable=1\r\nMonitorCentorPath=m.exe\r\n"
    "[veskAutoBelt]\r\nAutoBeltEnable=1\r\nAutoBeltPath=b.exe\r\n"
    "[nginx]\r\nNginxEnable=1\r\nNginxPath=n.exe\r\n"
    "[carCamera]\r\nCarCameraEnable=1\r\nCarCameraPath=c.exe\r\n";

class AutoRunConfigFile : public ::testing::Test {
  protected:
    void TearDown() override { FreeAutoRunConfig(); }

    TempDir dir;
    std::string iniPath = dir.file("bin/AutoRunConfig.ini");
    FakeClock clock{{2024, 9, 14, 8, 5, 9, 0}};
    NoProcesses processes;
    TAutoRunConfig config{dir.path(), clock, processes};
};

TEST_F(AutoRunConfigFile, CreatedFromAMissingFile) {
    CreateAutoRunConfig(dir.path(), clock, processes);
    ASSERT_TRUE(AutoRunConfig);
    const TAutoRunConfig& c = *AutoRunConfig;
    EXPECT_EQ(c.iniPath(), iniPath);
    EXPECT_FALSE(c.commEnable || c.commTimer || c.autoWeightEnable || c.autoDoorEnable ||
                 c.monitorCentorEnable || c.autoBeltEnable || c.nginxEnable || c.carCameraEnable);
    EXPECT_EQ(c.autoWeightPath + c.autoDoorPath + c.monitorCentorPath + c.autoBeltPath +
                  c.nginxPath + c.carCameraPath,
              "");
    EXPECT_EQ(c.msgInfo(), "");
    EXPECT_EQ(c.commHost, "127.0.0.1");
    EXPECT_EQ(c.weightNow + c.weightPrev + c.weightPrev2, "000");
    EXPECT_TRUE(fs::is_directory(dir.file("bin")));
    EXPECT_FALSE(fs::exists(iniPath));

    FreeAutoRunConfig();
    EXPECT_FALSE(AutoRunConfig);
    FreeAutoRunConfig();
}

TEST_F(AutoRunConfigFile, CreatingReadsTheFile) {
    writeFile(iniPath, "[veskAutoDoor]\r\nAutoDoorEnable=1\r\nAutoDoorPath=  D:\\door.exe \r\n");
    CreateAutoRunConfig(dir.path(), clock, processes);
    EXPECT_TRUE(AutoRunConfig->autoDoorEnable);
    EXPECT_EQ(AutoRunConfig->autoDoorPath, "D:\\door.exe");
    EXPECT_EQ(AutoRunConfig->msgInfo(), "门禁服务(veskAutoDoor) 等需要开机自启动!");
}

TEST_F(AutoRunConfigFile, OnlyAOneMakesAFlagTrue) {
    struct Case {
        const char* stored;
        bool expected;
    };
    const Case cases[] = {
        {"1", true},     {" 1 ", true},  {"\t1", true},  {"\"1\"", true},
        {"true", false}, {"yes", false}, {"01", false},  {"0", false},
        {"", false},     {"-1", false},  {"1.0", false},
    };
    for (const auto& c : cases) {
        writeFile(iniPath, std::string("[VESKCOMM]\r\ncommtimer=") + c.stored +
                               "\r\n[veskAutoBelt]\r\nAutoBeltEnable=" + c.stored + "\r\n");
        config.commTimer = !c.expected;
        config.autoBeltEnable = !c.expected;
        EXPECT_TRUE(config.ReadConfig(0));
        EXPECT_EQ(config.commTimer, c.expected) << "[" << c.stored << "]";
        EXPECT_EQ(config.autoBeltEnable, c.expected) << "[" << c.stored << "]";
    }
}

TEST_F(AutoRunConfigFile, ReadTakesPathsAsStoredAndSummarisesEnabledPrograms) {
    writeFile(iniPath,
              "[veskAutoWeight]\r\nAutoWeightEnable=1\r\nAutoWeightPath= C:\\vesk\\w.exe \r\n"
              "[veskAutoDoor]\r\nAutoDoorEnable=0\r\nAutoDoorPath=C:\\vesk\\d.exe\r\n"
              "[veskAutoBelt]\r\nAutoBeltEnable=1\r\n"
              "[nginx]\r\nNginxEnable=1\r\nNginxPath=C:\\nowhere\\nginx.exe\r\n");
    EXPECT_TRUE(config.ReadConfig(0));
    EXPECT_EQ(config.autoWeightPath, "C:\\vesk\\w.exe");
    EXPECT_FALSE(config.autoDoorEnable);
    EXPECT_EQ(config.autoDoorPath, "C:\\vesk\\d.exe");  // taken though disabled
    EXPECT_TRUE(config.autoBeltEnable);
    EXPECT_EQ(config.autoBeltPath, "");  // enabled with no path: read as it stands
    EXPECT_EQ(config.nginxPath, "C:\\nowhere\\nginx.exe");
    EXPECT_EQ(config.msgInfo(),
              "计量服务(veskAutoWeight),流量秤服务(veskAutoBelt),Nginx 等需要开机自启动!");
}

TEST_F(AutoRunConfigFile, ModeSelectsTheSectionsRead) {
    struct Case {
        int mode;
        const char* enabledFlags;  // comm, weight, door, monitor, belt, nginx, camera
        const char* summary;
    };
    const Case cases[] = {
        {0, "1111111",
         "计量服务(veskAutoWeight),门禁服务(veskAutoDoor),监控中心服务(veskMonitorCentor),"
         "流量秤服务(veskAutoBelt),Nginx,CarCamera 等需要开机自启动!"},
        {-3, "1111111", nullptr},
        {1, "1000000", ""},
        {3, "0010000", "门禁服务(veskAutoDoor) 等需要开机自启动!"},
        {11, "0000010", "Nginx 等需要开机自启动!"},
        {99, "0000001", "CarCamera 等需要开机自启动!"},
        {6, "0000000", ""},
    };
    writeFile(iniPath, kEverythingEnabled);
    for (const auto& c : cases) {
        TAutoRunConfig fresh(dir.path(), clock, processes);
        EXPECT_TRUE(fresh.ReadConfig(c.mode));
        const std::string flags = {
            fresh.commEnable ? '1' : '0',     fresh.autoWeightEnable ? '1' : '0',
            fresh.autoDoorEnable ? '1' : '0', fresh.monitorCentorEnable ? '1' : '0',
            fresh.autoBeltEnable ? '1' : '0', fresh.nginxEnable ? '1' : '0',
            fresh.carCameraEnable ? '1' : '0'};
        EXPECT_EQ(flags, c.enabledFlags) << c.mode;
        if (c.summary != nullptr) {
            EXPECT_EQ(fresh.msgInfo(), c.summary) << c.mode;
        }
    }
}

TEST_F(AutoRunConfigFile, WriteCreatesEverySectionAndKeyInOrder) {
    config.commEnable = true;
    config.autoWeightEnable = true;
    config.autoWeightPath = " C:\\vesk\\veskAutoWeight.exe ";
    config.autoDoorPath = "C:\\vesk\\veskAutoDoor.exe";
    config.nginxEnable = true;
    config.nginxPath = "C:\\nginx\\nginx.exe";
    EXPECT_TRUE(config.WriteConfig(0));
    const std::string t = "2024-09-14 08:05:09";
    EXPECT_EQ(
        readFile(iniPath),
        "[veskComm]\r\nCommEnable=1\r\nCommTimer=0\r\nCommUpdateTime=" + t +
            "\r\n"
            "[veskAutoWeight]\r\nAutoWeightEnable=1\r\n"
            "AutoWeightPath=C:\\vesk\\veskAutoWeight.exe\r\nAutoWeightUpdateTime=" +
            t +
            "\r\n"
            "[veskAutoDoor]\r\nAutoDoorEnable=0\r\nAutoDoorPath=C:\\vesk\\veskAutoDoor.exe\r\n"
            "AutoDoorUpdateTime=" +
            t +
            "\r\n"
            "[veskMonitorCentor]\r\nMonitorCentorEnable=0\r\nMonitorCentorPath=\r\n"
            "MonitorCentorUpdateTime=" +
            t +
            "\r\n"
            "[veskAutoBelt]\r\nAutoBeltEnable=0\r\nAutoBeltPath=\r\nAutoBeltUpdateTime=" +
            t +
            "\r\n"
            "[nginx]\r\nNginxEnable=1\r\nNginxPath=C:\\nginx\\nginx.exe\r\nNginxUpdateTime=" +
            t +
            "\r\n"
            "[carCamera]\r\nCarCameraEnable=0\r\nCarCameraPath=\r\nCarCameraUpdateTime=" +
            t + "\r\n");
    EXPECT_EQ(config.msgInfo(), "计量服务(veskAutoWeight),Nginx 等实时监控服务!");
    EXPECT_EQ(config.lastWriteError(), "");

    TAutoRunConfig reread(dir.path(), clock, processes);
    reread.ReadConfig(0);
    EXPECT_TRUE(reread.commEnable && reread.autoWeightEnable && reread.nginxEnable);
    EXPECT_EQ(reread.autoWeightPath, "C:\\vesk\\veskAutoWeight.exe");
    EXPECT_EQ(reread.msgInfo(), "计量服务(veskAutoWeight),Nginx 等需要开机自启动!");
}

TEST_F(AutoRunConfigFile, WriteKeepsWhatItDoesNotOwnAndModeOneWritesOnlyTheService) {
    writeFile(iniPath,
              "; hand notes\r\n[veskComm]\r\nCommTimer=1\r\nCommPort=COM3\r\n\r\n"
              "[nginx]\r\nNginxEnable=1\r\n[other]\r\nx=1\r\n");
    config.commEnable = true;
    config.nginxEnable = false;
    clock.set({2024, 12, 31, 23, 59, 58, 0});
    EXPECT_TRUE(config.WriteConfig(1));
    EXPECT_EQ(readFile(iniPath),
              "; hand notes\r\n[veskComm]\r\nCommTimer=0\r\nCommPort=COM3\r\n"
              "CommEnable=1\r\nCommUpdateTime=2024-12-31 23:59:58\r\n\r\n"
              "[nginx]\r\nNginxEnable=1\r\n[other]\r\nx=1\r\n");
    EXPECT_EQ(config.msgInfo(), "");

    config.WriteConfig(0);  // nothing enabled: every key written, no summary
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_EQ(IniFile(iniPath).readString("nginx", "NginxEnable", ""), "0");
    EXPECT_EQ(IniFile(iniPath).readString("carCamera", "CarCameraPath", "absent"), "");
    EXPECT_EQ(IniFile(iniPath).readString("other", "x", ""), "1");
}

TEST_F(AutoRunConfigFile, FailedWriteStopsAtThatKey) {
    config.autoWeightEnable = true;
    config.autoDoorEnable = true;
    config.autoDoorPath = "C:\\door\n[veskComm]\nCommEnable=1";  // cannot be one line
    config.nginxEnable = true;
    EXPECT_FALSE(config.WriteConfig(0));
    EXPECT_EQ(config.msgInfo(), ",计量服务(veskAutoWeight)");
    EXPECT_NE(config.lastWriteError().find(iniPath), std::string::npos) << config.lastWriteError();
    IniFile ini(iniPath);
    EXPECT_EQ(ini.readString("veskComm", "CommEnable", ""), "0");
    EXPECT_TRUE(ini.valueExists("veskAutoWeight", "AutoWeightUpdateTime"));
    EXPECT_EQ(ini.readString("veskAutoDoor", "AutoDoorEnable", ""), "1");
    EXPECT_FALSE(ini.valueExists("veskAutoDoor", "AutoDoorPath"));
    EXPECT_FALSE(ini.sectionExists("nginx"));

    config.autoDoorPath = "C:\\door.exe";
    EXPECT_TRUE(config.WriteConfig(0));
    EXPECT_EQ(config.lastWriteError(), "");
}

TEST_F(AutoRunConfigFile, UnwritableFileGivesFalseNamingIt) {
    fs::create_directories(iniPath);  // a folder where the file belongs
    config.nginxEnable = true;
    EXPECT_FALSE(config.WriteConfig(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_NE(config.lastWriteError().find(iniPath), std::string::npos);
}

TEST_F(AutoRunConfigFile, MissingBinFolderThatCannotBeMade) {
    writeFile(dir.file("bin"), "a file where the folder belongs");
    config.nginxEnable = true;
    config.nginxPath = "n.exe";
    EXPECT_FALSE(config.OpenIni());
    EXPECT_TRUE(config.CloseIni());

    EXPECT_TRUE(config.ReadConfig(0));
    EXPECT_TRUE(config.nginxEnable);  // fields keep their values
    EXPECT_EQ(config.msgInfo(), "");

    // Nothing was saved, and the caller learns so.
    EXPECT_FALSE(config.WriteConfig(0));
    EXPECT_EQ(config.msgInfo(), "");
    EXPECT_NE(config.lastWriteError().find(iniPath), std::string::npos);
    EXPECT_EQ(readFile(dir.file("bin")), "a file where the folder belongs");
}

}  // namespace
}  // namespace vesk
