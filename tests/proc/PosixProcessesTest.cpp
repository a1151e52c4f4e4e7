#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/posix/ProcFs.h"
#include "proc/StandIns.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::StandInFolder;

std::string realPath(const std::string& path) {
    return fs::canonical(path).string();
}

// Fields of /proc/PID/stat after the command name: state, ppid, pgrp, session, ...
std::vector<std::string> statFields(std::int64_t pid) {
    const std::string stat = test::readFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream rest(stat.substr(stat.rfind(')') + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

// Nothing is left for the caller to reap: no child of ours, running or zombie.
void expectNoChildLeft() {
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// No value: PATH unset.
class ScopedSearchPath {
  public:
    explicit ScopedSearchPath(const std::optional<std::string>& value) {
        if (const char* old = std::getenv("PATH"))
            saved_ = old;
        set(value);
    }
    ~ScopedSearchPath() { set(saved_); }

  private:
    static void set(const std::optional<std::string>& value) {
        if (value)
            setenv("PATH", value->c_str(), 1);
        else
            unsetenv("PATH");
    }

    std::optional<std::string> saved_;
};

class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const std::string& folder) : saved_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~ScopedCurrentFolder() { fs::current_path(saved_); }

  private:
    fs::path saved_;
};

TEST(ProcessListing, NamesEachProcessByTheBestNameItCanReadAndSkipsTheDead) {
    test::TempDir proc;
    auto process = [&](const std::string& pid, const std::string& stat) {
        test::writeFile(proc.file(pid + "/stat"), stat);
        return proc.file(pid);
    };
    fs::create_symlink("/opt/station/nginx.exe",
                       process("101", "101 (nginx.exe) S 1 1 1") + "/exe");
    // Replaced on disk while running: still the same program.
    fs::create_symlink("/opt/station/veskAutoWeight.exe (deleted)",
                       process("102", "102 (veskAutoWeight.) S 1 1 1") + "/exe");
    // The executable link of another user's process cannot be read: argv[0] is next best.
    process("103", "103 (veskAutoDoor.e) S 1 1 1");
    test::writeFile(proc.file("103/cmdline"), "C:\\Station\\veskAutoDoor.exe\0-x\0"s);
    // Nothing better than the short name, which may hold blanks and parentheses itself.
    process("104", "104 (odd) (name) R 1 1 1");
    fs::create_symlink("/opt/zombie.exe", process("105", "105 (zombie.exe) Z 1 1 1") + "/exe");
    fs::create_symlink("/opt/dead.exe", process("106", "106 (dead.exe) X 1 1 1") + "/exe");
    fs::create_directories(proc.file("107"));  // gone between listing and reading
    process("self", "1 (self) S 1 1 1");
    process("12x", "12 (x) S 1 1 1");

    std::map<std::int64_t, std::string> listed;
    for (const ProcessEntry& entry : posix::listProcesses(proc.path()))
        listed[entry.id] = entry.exeName;
    const std::map<std::int64_t, std::string> expected = {
        {101, "nginx.exe"},
        {102, "veskAutoWeight.exe"},
        {103, "C:\\Station\\veskAutoDoor.exe"},
        {104, "odd) (name"},
    };
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(posix::listProcesses(proc.file("missing")).empty());
}

TEST(ProcessListing, TheSystemSnapshotHoldsThisProgramUnderItsWholeName) {
    const auto entries = systemProcesses().snapshot();
    const auto self = std::find_if(entries.begin(), entries.end(),
                                   [](const ProcessEntry& entry) { return entry.id == getpid(); });
    ASSERT_NE(self, entries.end());
    EXPECT_EQ(self->exeName, fileNameOf(realPath("/proc/self/exe")));
}

TEST(ProcessTermination, KillsAtOnceAndRefusesWhatItCannotReach) {
    StandInFolder station;
    const std::string program = station.place("veskAutoBelt.exe");
    ASSERT_TRUE(systemProcesses().launch(program, "", ShowMode::Normal).started);
    const auto ids = test::processesRunning(program);
    ASSERT_EQ(ids.size(), 1u);

    EXPECT_TRUE(systemProcesses().terminate(ids[0]));
    EXPECT_TRUE(test::waitUntilExited(ids[0]));

    const std::int64_t pidMax = std::stoll(test::readFile("/proc/sys/kernel/pid_max"));
    EXPECT_FALSE(systemProcesses().terminate(pidMax + 1));
}

TEST(ProcessLaunch, StartsDetachedInTheAskedFolderWithNoArguments) {
    StandInFolder station;
    const std::string program = station.place("bin/veskAutoWeight.exe");
    const std::string workFolder = station.file("work");
    fs::create_directories(workFolder);

    // Show modes mean nothing here; asking for a hidden window must not fail the launch.
    const LaunchResult result = systemProcesses().launch(program, workFolder, ShowMode::Hidden);
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.error, "");
    expectNoChildLeft();

    const auto report = test::waitForReport(program);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->workFolder, realPath(workFolder));
    EXPECT_EQ(report->argc, 1);
    const std::string fdFolder = "/proc/" + std::to_string(report->pid) + "/fd/";
    for (const char* stream : {"0", "1", "2"})
        EXPECT_EQ(fs::read_symlink(fdFolder + stream), "/dev/null") << "stream " << stream;
    const auto fields = statFields(report->pid);
    ASSERT_GE(fields.size(), 4u);
    EXPECT_NE(std::stoll(fields[1]), getpid());   // parent
    EXPECT_NE(std::stoll(fields[3]), getsid(0));  // session
}

TEST(ProcessLaunch, TakesBlanksQuotesAndSemicolonsAsPartOfThePath) {
    StandInFolder station;
    const std::string folder = station.file("Station dir; touch hacked");
    const std::string program = station.place("Station dir; touch hacked/it's a \"copy\" $(x).exe");

    const LaunchResult result = systemProcesses().launch(program, folder, ShowMode::Normal);
    ASSERT_TRUE(result.started) << result.error;
    const auto report = test::waitForReport(program);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->workFolder, realPath(folder));
    EXPECT_EQ(report->argc, 1);
    EXPECT_FALSE(fs::exists(station.file("hacked")));
    EXPECT_FALSE(fs::exists(folder + "/hacked"));
}

TEST(ProcessLaunch, ARelativePathIsTheCallersNotTheWorkFolders) {
    StandInFolder station;
    const std::string program = station.place("bin/veskAutoWeight.exe");
    fs::create_directories(station.file("work"));
    {
        ScopedCurrentFolder inStation(station.path());
        const LaunchResult result =
            systemProcesses().launch("bin/veskAutoWeight.exe", "work", ShowMode::Normal);
        ASSERT_TRUE(result.started) << result.error;
    }
    const auto report = test::waitForReport(program);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->workFolder, realPath(station.file("work")));
}

TEST(ProcessLaunch, ReportsWhyAProgramCouldNotStart) {
    StandInFolder station;
    const std::string runnable = station.place("ok/nginx.exe");
    const std::string notExecutable = station.place("plain/nginx.exe");
    fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
    const std::string notAProgram = station.file("text/nginx.exe");
    test::writeFile(notAProgram, "just some words\n");
    fs::permissions(notAProgram, fs::perms::owner_all);
    fs::create_directories(station.file("folder.exe"));

    struct Case {
        std::string path;
        std::string workFolder;
        std::string reason;
    };
    const Case cases[] = {
        {station.file("missing/nginx.exe"), "", "文件不存在 " + station.file("missing/nginx.exe")},
        {"", "", "文件不存在"},
        {notExecutable, "", "没有执行权限 " + notExecutable},
        {station.file("folder.exe"), "", "没有执行权限 " + station.file("folder.exe")},
        {notAProgram, "", "不是可执行的程序 " + notAProgram},
        {runnable, station.file("nowhere"), "工作目录无法进入 " + station.file("nowhere")},
    };
    for (const Case& c : cases) {
        const LaunchResult result =
            systemProcesses().launch(c.path, c.workFolder, ShowMode::Normal);
        EXPECT_FALSE(result.started) << c.path;
        EXPECT_NE(result.error.find(c.reason), std::string::npos)
            << "got '" << result.error << "', expected '" << c.reason << "'";
        EXPECT_NE(result.error.find('('), std::string::npos) << "no system text: " << result.error;
    }
    expectNoChildLeft();
    EXPECT_TRUE(test::processesUnder(station.path()).empty());
}

TEST(ShellOpenPort, RunsAProgramInTheCurrentFolderAndHandsAnythingElseToTheOpener) {
    StandInFolder station;
    const std::string program = station.place("bin/carCamera.exe");
    const std::string opener = station.place("tools/xdg-open", "xdg-open");
    const std::string document = station.file("readme.txt");
    test::writeFile(document, "hello\n");
    ScopedSearchPath onlyTools(station.file("empty") + ":" + station.file("tools"));

    ASSERT_TRUE(systemProcesses().shellOpen(program).started);
    const auto ran = test::waitForReport(program);
    ASSERT_TRUE(ran);
    EXPECT_EQ(ran->workFolder, fs::current_path().string());
    EXPECT_EQ(ran->argc, 1);

    for (const std::string& target : {station.path(), document}) {
        fs::remove(opener + ".ran");
        const LaunchResult result = systemProcesses().shellOpen(target);
        ASSERT_TRUE(result.started) << result.error;
        const auto opened = test::waitForReport(opener);
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->arguments, std::vector<std::string>{target});
    }
    expectNoChildLeft();
}

TEST(ShellOpenPort, SaysSoWhenNoOpenerIsInstalled) {
    StandInFolder station;
    fs::create_directories(station.file("empty"));
    // An opener in the current folder is no installed opener, PATH or not.
    const std::string planted = station.place("xdg-open", "xdg-open");
    ScopedCurrentFolder inStation(station.path());
    std::vector<std::optional<std::string>> searchPaths = {station.file("empty")};
    const bool systemOpener = fs::exists("/usr/local/bin/xdg-open") ||
                              fs::exists("/usr/bin/xdg-open") || fs::exists("/bin/xdg-open");
    if (!systemOpener)
        searchPaths.push_back(std::nullopt);
    for (const auto& searchPath : searchPaths) {
        ScopedSearchPath onlyThat(searchPath);
        const LaunchResult result = systemProcesses().shellOpen(station.path());
        EXPECT_FALSE(result.started) << searchPath.value_or("(unset)");
        EXPECT_NE(result.error.find("xdg-open"), std::string::npos) << result.error;
    }
    EXPECT_FALSE(fs::exists(planted + ".ran"));
}

}  // namespace
}  // namespace vesk
