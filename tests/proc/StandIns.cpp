#include "proc/StandIns.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vesk::test {
namespace fs = std::filesystem;
namespace {

constexpr auto patience = std::chrono::seconds(10);

template <typename Condition>
bool waitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string canonicalOrSame(const std::string& path) {
    std::error_code ec;
    const auto canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// Every live process with the full path of its executable; a zombie has none to read.
template <typename Visit>
void forEachProcessExecutable(Visit visit) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator("/proc", ec)) {
        const std::string name = item.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code linkError;
        const auto exe = fs::read_symlink(item.path() / "exe", linkError);
        if (!linkError)
            visit(std::stoll(name), exe.string());
    }
}

}  // namespace

std::string placeStandIn(const std::string& path, const std::string& builtName) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(fs::path(VESK_STANDIN_DIR) / builtName, path,
                  fs::copy_options::overwrite_existing);
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    return path;
}

std::optional<StandInReport> waitForReport(const std::string& path) {
    const std::string reportPath = path + ".ran";
    if (!waitFor([&] { return fs::exists(reportPath); }))
        return std::nullopt;
    std::ifstream in(reportPath);
    StandInReport report;
    std::string line;
    std::getline(in, line);
    report.pid = std::stoll(line);
    std::getline(in, report.workFolder);
    std::getline(in, line);
    report.argc = std::stoi(line);
    while (std::getline(in, line))
        report.arguments.push_back(line);
    return report;
}

std::vector<std::int64_t> processesRunning(const std::string& path) {
    const std::string wanted = canonicalOrSame(path);
    std::vector<std::int64_t> ids;
    forEachProcessExecutable([&](std::int64_t id, const std::string& exe) {
        if (exe == wanted)
            ids.push_back(id);
    });
    return ids;
}

std::vector<std::int64_t> processesUnder(const std::string& folder) {
    const std::string prefix = canonicalOrSame(folder) + "/";
    std::vector<std::int64_t> ids;
    forEachProcessExecutable([&](std::int64_t id, const std::string& exe) {
        if (exe.starts_with(prefix))
            ids.push_back(id);
    });
    return ids;
}

char processState(std::int64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size())
        return '\0';
    return stat[close + 2];
}

bool waitUntilExited(std::int64_t pid) {
    return waitFor([&] {
        const char state = processState(pid);
        return state == '\0' || state == 'Z' || state == 'X';
    });
}

std::int64_t startChild(const std::string& path) {
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        throw std::runtime_error("cannot start " + path);
    return pid;
}

void reapChild(std::int64_t pid) {
    waitpid(static_cast<pid_t>(pid), nullptr, 0);
}

FixedNamesLock::FixedNamesLock() {
    const std::string path = (fs::temp_directory_path() / "vesk-fixed-process-names.lock").string();
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw std::runtime_error("cannot open " + path);
    while (flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR)
            throw std::runtime_error("cannot lock " + path);
    }
}

FixedNamesLock::~FixedNamesLock() {
    close(fd_);
}

StandInFolder::~StandInFolder() {
    killAll();
}

void StandInFolder::killAll() const {
    for (const std::int64_t id : processesUnder(path())) {
        kill(static_cast<pid_t>(id), SIGKILL);
        waitUntilExited(id);
    }
}

}  // namespace vesk::test
