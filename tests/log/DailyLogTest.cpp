#include "log/DailyLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/FakeClock.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::FakeClock;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::vector<std::string> filesBelow(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), root).string());
    }
    return files;
}

class DailyLog : public ::testing::Test {
  protected:
    void SetUp() override { InitLogPaths(station, clock); }

    std::string logFile(const std::string& relative) const {
        return station + "/Log/Debug/" + relative;
    }

    TempDir dir;
    std::string station = dir.file("station");
    FakeClock clock{{2024, 9, 14, 8, 5, 3, 27}};
};

TEST_F(DailyLog, InitSetsTheGlobalsAndCreatesTheFolders) {
    EXPECT_TRUE(LogEnabled);
    EXPECT_EQ(defaultLogCategory, "debugLog");
    EXPECT_EQ(logDebugDir, station + "/Log/Debug");
    EXPECT_TRUE(fs::is_directory(logDebugDir));
    EXPECT_TRUE(fs::is_directory(station + "/bin"));
}

TEST_F(DailyLog, CategoryChoosesFolderAndFile) {
    struct Case {
        const char* category;
        const char* file;
    };
    const Case cases[] = {
        {"veskCommStartup", "2024-09/veskCommStartup_20240914.txt"},
        {" veskCommLogStartup \t", "2024-09/14/veskCommLogStartup_20240914.txt"},
        {"VESKCOMMLOGSTARTUP", "2024-09/14/VESKCOMMLOGSTARTUP_20240914.txt"},
        {"veskweighttimerstartup", "2024-09/14/veskweighttimerstartup_20240914.txt"},
        {"veskCommLogStartupX", "2024-09/veskCommLogStartupX_20240914.txt"},  // A: whole name
        {"lane2ImgUpload", "2024-09/14/lane2ImgUpload_20240914.txt"},         // B: contained
        {"lane2imgupload", "2024-09/lane2imgupload_20240914.txt"},            // B: exact case
        {"", "2024-09/debugLog_20240914.txt"},
        {" \t\r\n", "2024-09/debugLog_20240914.txt"},
    };
    for (const auto& c : cases) {
        TempDir own;
        InitLogPaths(own.path(), clock);
        EXPECT_TRUE(WriteLog("line", c.category)) << c.category;
        EXPECT_EQ(filesBelow(own.path() + "/Log/Debug"), std::vector<std::string>{c.file})
            << "[" << c.category << "]";
    }
}

TEST_F(DailyLog, LinesAreStampedAndWrittenUnchanged) {
    writeFile(logFile("2024-09/veskCommStartup_20240914.txt"), "kept\r\n");
    EXPECT_TRUE(WriteLogEx("veskComm.exe已重启成功！", "veskCommStartup", true));
    clock.set({2024, 9, 14, 23, 59, 59, 999});
    EXPECT_TRUE(WriteLog("", "veskCommStartup"));
    EXPECT_TRUE(WriteLog("two\nlines \"as is\"", "veskCommStartup"));
    EXPECT_EQ(readFile(logFile("2024-09/veskCommStartup_20240914.txt")),
              "kept\r\n"
              "2024-09-14 08:05:03.027 veskComm.exe已重启成功！\r\n"
              "2024-09-14 23:59:59.999 \r\n"
              "2024-09-14 23:59:59.999 two\nlines \"as is\"\r\n");
}

TEST_F(DailyLog, ANewDayAndANewMonthStartNewFiles) {
    struct Case {
        LocalTime before;
        LocalTime after;
        const char* dayFile;
        const char* monthFile;
    };
    const Case cases[] = {
        {{2024, 9, 14, 23, 59, 59, 999},
         {2024, 9, 15, 0, 0, 0, 0},
         "2024-09/15/veskCommLogStartup_20240915.txt",
         "2024-09/veskCommStartup_20240915.txt"},
        {{2024, 9, 30, 23, 59, 59, 999},
         {2024, 10, 1, 0, 0, 0, 0},
         "2024-10/01/veskCommLogStartup_20241001.txt",
         "2024-10/veskCommStartup_20241001.txt"},
        {{2024, 12, 31, 23, 59, 59, 999},
         {2025, 1, 1, 0, 0, 0, 0},
         "2025-01/01/veskCommLogStartup_20250101.txt",
         "2025-01/veskCommStartup_20250101.txt"},
    };
    for (const auto& c : cases) {
        TempDir own;
        InitLogPaths(own.path(), clock);
        clock.set(c.before);
        WriteLog("before", "veskCommLogStartup");
        WriteLog("before", "veskCommStartup");
        clock.set(c.after);
        WriteLog("after", "veskCommLogStartup");
        WriteLog("after", "veskCommStartup");
        const std::string debug = own.path() + "/Log/Debug/";
        EXPECT_EQ(filesBelow(debug).size(), 4u) << c.dayFile;
        EXPECT_EQ(readFile(debug + c.dayFile).substr(24), "after\r\n");
        EXPECT_EQ(readFile(debug + c.monthFile).substr(24), "after\r\n");
    }
}

// Each reading steps a millisecond over midnight, so mixed readings would split one line's
// folder, file name and stamp across two days.
class ClockCrossingMidnight final : public Clock {
  public:
    LocalTime now() const override {
        return readings_++ % 2 == 0 ? LocalTime{2024, 9, 30, 23, 59, 59, 999}
                                    : LocalTime{2024, 10, 1, 0, 0, 0, 0};
    }

  private:
    mutable int readings_ = 0;
};

TEST_F(DailyLog, OneLineTakesOneInstant) {
    ClockCrossingMidnight crossing;
    InitLogPaths(station, crossing);
    EXPECT_TRUE(WriteLog("x", "veskCommLogStartup"));
    EXPECT_EQ(filesBelow(logDebugDir),
              std::vector<std::string>{"2024-09/30/veskCommLogStartup_20240930.txt"});
    EXPECT_EQ(readFile(logFile("2024-09/30/veskCommLogStartup_20240930.txt")),
              "2024-09-30 23:59:59.999 x\r\n");
    InitLogPaths(station, clock);
}

TEST_F(DailyLog, NothingIsWrittenBeforeThePathsAreSet) {
    TempDir current;
    const fs::path saved = fs::current_path();
    fs::current_path(current.path());
    logDebugDir.clear();
    EXPECT_FALSE(WriteLog("x", "veskCommStartup"));
    EXPECT_FALSE(WriteLogEx("x", "", true));
    fs::current_path(saved);
    EXPECT_TRUE(fs::is_empty(current.path()));
}

TEST_F(DailyLog, DisabledWritesNothing) {
    EXPECT_FALSE(WriteLogEx("x", "veskCommLogStartup", false));
    EXPECT_TRUE(filesBelow(logDebugDir).empty());
    EXPECT_FALSE(fs::exists(logFile("2024-09")));
}

TEST_F(DailyLog, DeletedLogFolderIsRecreated) {
    fs::remove_all(station + "/Log");
    EXPECT_TRUE(WriteLog("back", "veskCommLogStartup"));
    EXPECT_TRUE(fs::is_regular_file(logFile("2024-09/14/veskCommLogStartup_20240914.txt")));
}

TEST_F(DailyLog, UnwritablePlacesGiveFalseWithoutRaising) {
    // A folder where the day's file belongs.
    fs::create_directories(logFile("2024-09/veskCommStartup_20240914.txt"));
    EXPECT_FALSE(WriteLog("x", "veskCommStartup"));
    // A file where the day folder belongs.
    writeFile(logFile("2024-09/14"), "");
    EXPECT_FALSE(WriteLog("x", "veskCommLogStartup"));
    // A name longer than the file system allows.
    EXPECT_FALSE(WriteLog("x", std::string(300, 'n')));
    // A file where the Log folder belongs: nothing can be created below it.
    fs::remove_all(station + "/Log");
    writeFile(station + "/Log", "not a folder");
    EXPECT_NO_THROW(InitLogPaths(station, clock));
    EXPECT_FALSE(WriteLog("x", "veskCommStartup"));
    EXPECT_EQ(readFile(station + "/Log"), "not a folder");

    EXPECT_FALSE(AppendLogLine("/proc/vesk-log-test/x.txt", "x"));
    EXPECT_FALSE(AppendLogLine(dir.path(), "x"));
    EXPECT_FALSE(AppendLogLine("", "x"));
}

TEST_F(DailyLog, AppendLogLineCreatesFoldersAndAppends) {
    const std::string path = dir.file("elsewhere/deep/trace.txt");
    EXPECT_TRUE(AppendLogLine(path, "one"));
    EXPECT_TRUE(AppendLogLine(path, "two"));
    EXPECT_EQ(readFile(path), "2024-09-14 08:05:03.027 one\r\n2024-09-14 08:05:03.027 two\r\n");
}

TEST_F(DailyLog, CategoryCannotLeadOutOfTheLogFolder) {
    const std::string categories[] = {
        "../../../../escape",   "..\\..\\escape", "sub/dir", "/etc/vesk", "C:evil", "..",
        std::string("a\0b", 3),
    };
    for (const auto& category : categories) {
        TempDir own;
        InitLogPaths(own.file("station"), clock);
        EXPECT_TRUE(WriteLog("x", category)) << category;
        const auto files = filesBelow(own.path());
        ASSERT_EQ(files.size(), 1u) << category;
        EXPECT_EQ(fs::path(files[0]).parent_path(), "station/Log/Debug/2024-09") << files[0];
    }
}

}  // namespace
}  // namespace vesk
