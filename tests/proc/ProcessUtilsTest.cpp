#include "proc/ProcessUtils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "proc/StandIns.h"

namespace vesk {
namespace {

using test::StandInFolder;

// A process table filled by hand, for the rules that do not depend on the system.
class FakeProcessTable final : public ProcessPort {
  public:
    std::vector<ProcessEntry> entries;
    bool acceptTerminate = true;
    std::vector<std::int64_t> terminated;
    std::vector<std::string> opened;

    std::vector<ProcessEntry> snapshot() override { return entries; }
    bool terminate(std::int64_t id) override {
        terminated.push_back(id);
        return acceptTerminate;
    }
    LaunchResult launch(const std::string&, const std::string&, ShowMode) override {
        return {false, "unused"};
    }
    LaunchResult shellOpen(const std::string& path) override {
        opened.push_back(path);
        return {false, "找不到桌面打开程序 xdg-open"};
    }
};

TEST(ProcessNameRule, MatchesWholeNameOrLastComponentFoldingOnlyAsciiLetters) {
    struct Case {
        const char* reported;
        const char* asked;
        bool matches;
    };
    const Case cases[] = {
        {"veskComm.exe", "veskComm.exe", true},
        {"VESKCOMM.EXE", "veskComm.exe", true},
        {"C:\\Station\\veskComm.exe", "veskComm.exe", true},
        {"C:veskComm.exe", "veskComm.exe", true},
        {"/opt/station/veskComm.exe", "veskComm.exe", true},
        {"C:\\Station\\veskComm.exe", "C:\\STATION\\VESKCOMM.EXE", true},
        {"veskComm.exe", " veskComm.exe", false},
        {"veskComm.exe", "veskComm.exe ", false},
        {"veskComm.exe", "veskComm", false},
        {"veskComm.exe\\", "veskComm.exe", false},
        {"veskComm.exe\\other.exe", "veskComm.exe", false},
        {"xveskComm.exe", "veskComm.exe", false},
        // Only a to z fold: the same letters outside ASCII stay distinct.
        {"称重É.exe", "称重é.exe", false},
        {"称重É.exe", "称重É.EXE", true},
        {"veskComm.exe", "", false},
        {"C:\\Station\\", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(processNameMatches(c.reported, c.asked), c.matches)
            << "reported '" << c.reported << "', asked '" << c.asked << "'";
    }
}

TEST(KillProcessByName, EndsOnlyTheFirstMatchInSnapshotOrder) {
    FakeProcessTable table;
    table.entries = {{40, "nginx.exe"}, {12, "C:\\a\\NGINX.EXE"}, {7, "nginx.exe"}};
    EXPECT_TRUE(IsProcessRunning("nginx.exe", table));
    EXPECT_TRUE(KillProcessByName("Nginx.exe", table));
    EXPECT_EQ(table.terminated, std::vector<std::int64_t>{40});
}

TEST(KillProcessByName, FalseWhenRefusedOrNothingMatches) {
    FakeProcessTable table;
    table.entries = {{5, "veskComm.exe"}};
    table.acceptTerminate = false;
    EXPECT_FALSE(KillProcessByName("veskComm.exe", table));

    table.terminated.clear();
    EXPECT_FALSE(KillProcessByName("veskComm", table));
    EXPECT_FALSE(KillProcessByName("", table));
    table.entries.clear();
    EXPECT_FALSE(KillProcessByName("veskComm.exe", table));
    EXPECT_FALSE(IsProcessRunning("veskComm.exe", table));
    EXPECT_TRUE(table.terminated.empty());
}

TEST(ShellOpen, TrimsThePathAndOpensTheProgramFolderForABlankOne) {
    struct Case {
        const char* given;
        std::string opened;
    };
    const Case cases[] = {
        {"", executableFolder()},
        {" \t\r\n", executableFolder()},
        {"  /srv/station/Log\t", "/srv/station/Log"},
        {"/no/such/folder", "/no/such/folder"},
    };
    for (const Case& c : cases) {
        FakeProcessTable table;
        // The opener's failure (here: none installed) never reaches the caller.
        EXPECT_TRUE(ShellOpen(c.given, table));
        EXPECT_EQ(table.opened, std::vector<std::string>{c.opened}) << "given '" << c.given << "'";
    }
}

// Launches through the system and fails the test when the launch is refused.
void launchStandIn(const std::string& path) {
    const LaunchResult result = systemProcesses().launch(path, folderOf(path), ShowMode::Normal);
    ASSERT_TRUE(result.started) << result.error;
}

TEST(ProcessNameRuleOnLiveProcesses, FindsTheWholeNameInAnyCaseAndNothingElse) {
    test::FixedNamesLock namesToOurselves;
    StandInFolder station;
    launchStandIn(station.place("VESKCOMM.EXE", "VESKCOMM.EXE"));
    launchStandIn(station.place("veskPublicWeight.exe", "veskPublicWeight.exe"));

    struct Case {
        const char* asked;
        bool running;
    };
    const Case cases[] = {
        {"veskComm.exe", true},
        {"VESKCOMM.EXE", true},
        {" veskComm.exe", false},
        {"veskComm.exe ", false},
        {"veskComm", false},
        // Longer than the kernel's 15-character short name: found by its whole name only.
        {"veskPublicWeight.exe", true},
        {"VESKPUBLICWEIGHT.EXE", true},
        {"veskPublicWeigh", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsProcessRunning(c.asked), c.running) << "asked '" << c.asked << "'";
}

// Names only this test program uses, so that a kill never reaches a process another test
// (or the station itself) runs.
std::string ownName(const std::string& stem) {
    return stem + std::to_string(getpid()) + ".exe";
}

TEST(KillProcessByNameOnLiveProcesses, EndsOneOfTwoAndTheNameStillRuns) {
    StandInFolder station;
    const std::string name = ownName("veskCementCamera");
    const std::string first = station.place("a/" + name, "veskCementCamera.exe");
    const std::string second = station.place("b/" + name, "veskCementCamera.exe");
    launchStandIn(first);
    launchStandIn(second);
    const auto ids = test::processesUnder(station.path());
    ASSERT_EQ(ids.size(), 2u);

    std::int64_t firstListed = 0;
    for (const ProcessEntry& entry : systemProcesses().snapshot()) {
        if (entry.exeName == name) {
            firstListed = entry.id;
            break;
        }
    }
    ASSERT_NE(firstListed, 0);

    ASSERT_TRUE(KillProcessByName(name));
    ASSERT_TRUE(test::waitUntilExited(firstListed));
    EXPECT_EQ(test::processesUnder(station.path()).size(), 1u);
    EXPECT_TRUE(IsProcessRunning(name));

    ASSERT_TRUE(KillProcessByName(name));
    for (const std::int64_t id : ids)
        ASSERT_TRUE(test::waitUntilExited(id));
    EXPECT_FALSE(IsProcessRunning(name));
    EXPECT_FALSE(KillProcessByName(name));
}

TEST(IsProcessRunningOnLiveProcesses, AKilledChildNotYetReapedNoLongerCounts) {
    StandInFolder station;
    const std::string name = ownName("veskCamera");
    const std::int64_t child = test::startChild(station.place(name, "veskCementCamera.exe"));
    ASSERT_TRUE(IsProcessRunning(name));

    ASSERT_TRUE(KillProcessByName(name));
    ASSERT_TRUE(test::waitUntilExited(child));
    EXPECT_EQ(test::processState(child), 'Z');  // still ours to reap, so a zombie
    EXPECT_FALSE(IsProcessRunning(name));
    const auto entries = systemProcesses().snapshot();
    EXPECT_TRUE(std::none_of(entries.begin(), entries.end(),
                             [&](const ProcessEntry& entry) { return entry.id == child; }));
    test::reapChild(child);
}

}  // namespace
}  // namespace vesk
