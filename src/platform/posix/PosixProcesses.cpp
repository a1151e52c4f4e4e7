#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string_view>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/posix/ProcFs.h"

extern char** environ;

namespace vesk {
namespace posix {
namespace {

// Reads at most `limit` bytes of a small procfs file relative to an open folder.
std::string readSmallFile(int folderFd, const std::string& relative, std::size_t limit) {
    const int fd = openat(folderFd, relative.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string content(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t got = read(fd, content.data() + filled, limit - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    close(fd);
    content.resize(filled);
    return content;
}

std::string lastComponent(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The kernel marks the link of an executable that was replaced or removed on disk; the
// program still runs under its name (a companion updated in place must not look stopped).
std::string exeLinkName(int folderFd, const std::string& pid) {
    char target[4096];
    const ssize_t length = readlinkat(folderFd, (pid + "/exe").c_str(), target, sizeof target);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
        return {};
    std::string_view link(target, static_cast<std::size_t>(length));
    constexpr std::string_view deleted = " (deleted)";
    if (link.size() > deleted.size() && link.ends_with(deleted))
        link.remove_suffix(deleted.size());
    return lastComponent(link);
}

std::string argumentZero(int folderFd, const std::string& pid) {
    const std::string cmdline = readSmallFile(folderFd, pid + "/cmdline", 4096);
    return cmdline.substr(0, cmdline.find('\0'));
}

struct StatLine {
    bool readable = false;
    char state = '?';
    std::string shortName;
};

// "pid (comm) S ...": comm may itself hold blanks and parentheses, so the last ')' ends it.
StatLine readStat(int folderFd, const std::string& pid) {
    const std::string stat = readSmallFile(folderFd, pid + "/stat", 512);
    const auto open = stat.find('(');
    const auto close = stat.rfind(')');
    StatLine line;
    if (open == std::string::npos || close == std::string::npos || close < open ||
        close + 2 >= stat.size()) {
        return line;
    }
    line.readable = true;
    line.shortName = stat.substr(open + 1, close - open - 1);
    line.state = stat[close + 2];
    return line;
}

bool isProcessFolderName(std::string_view name, std::int64_t& pid) {
    if (name.empty())
        return false;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end == name.data() + name.size() && pid > 0;
}

}  // namespace

std::vector<ProcessEntry> listProcesses(const std::string& procRoot) {
    std::vector<ProcessEntry> entries;
    DIR* folder = opendir(procRoot.c_str());
    if (folder == nullptr)
        return entries;
    const int folderFd = dirfd(folder);
    while (const dirent* item = readdir(folder)) {
        std::int64_t pid = 0;
        if (!isProcessFolderName(item->d_name, pid))
            continue;
        const std::string name = item->d_name;
        const StatLine stat = readStat(folderFd, name);
        if (!stat.readable || stat.state == 'Z' || stat.state == 'X' || stat.state == 'x')
            continue;  // gone meanwhile, or exited and not yet reaped
        std::string exeName = exeLinkName(folderFd, name);
        if (exeName.empty())
            exeName = argumentZero(folderFd, name);
        if (exeName.empty())
            exeName = stat.shortName;
        entries.push_back({pid, std::move(exeName)});
    }
    closedir(folder);
    return entries;
}

}  // namespace posix

namespace {

// What the detached grandchild sends back when it cannot become the program.
struct ChildFailure {
    enum Stage : int { Fork = 1, WorkFolder = 2, NullStreams = 3, Exec = 4 };
    int stage = 0;
    int error = 0;
};

std::string systemErrorText(int error) {
    return std::generic_category().message(error);
}

std::string describeFailure(const ChildFailure& failure, const std::string& program,
                            const std::string& workFolder) {
    std::string reason;
    switch (failure.stage) {
        case ChildFailure::Fork:
            reason = "无法创建进程";
            break;
        case ChildFailure::WorkFolder:
            reason = "工作目录无法进入 " + workFolder;
            break;
        case ChildFailure::NullStreams:
            reason = "无法打开 /dev/null";
            break;
        default:
            switch (failure.error) {
                case ENOENT:
                case ENOTDIR:
                    reason = "文件不存在 " + program;
                    break;
                case EACCES:
                case EPERM:
                    reason = "没有执行权限 " + program;
                    break;
                case ENOEXEC:
                    reason = "不是可执行的程序 " + program;
                    break;
                case ETXTBSY:
                    reason = "文件正在被写入 " + program;
                    break;
                default:
                    reason = "无法执行 " + program;
                    break;
            }
    }
    return reason + " (" + systemErrorText(failure.error) + ")";
}

// Runs in the forked children: only async-signal-safe calls from here on.
[[noreturn]] void reportAndExit(int pipeFd, ChildFailure::Stage stage, int error) {
    const ChildFailure failure{stage, error};
    [[maybe_unused]] const ssize_t written = write(pipeFd, &failure, sizeof failure);
    _exit(127);
}

[[noreturn]] void becomeProgram(char* const argv[], const char* workFolder, int pipeFd) {
    if (workFolder != nullptr && chdir(workFolder) != 0)
        reportAndExit(pipeFd, ChildFailure::WorkFolder, errno);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull < 0)
        reportAndExit(pipeFd, ChildFailure::NullStreams, errno);
    for (int stream = 0; stream <= 2; ++stream) {
        if (dup2(devNull, stream) < 0)
            reportAndExit(pipeFd, ChildFailure::NullStreams, errno);
    }
    if (devNull > 2)
        close(devNull);
    // The program must not inherit our sockets, lock files or blocked and ignored signals.
    close_range(3, std::numeric_limits<unsigned int>::max(), CLOSE_RANGE_CLOEXEC);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &byDefault, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(argv[0], argv, environ);
    reportAndExit(pipeFd, ChildFailure::Exec, errno);
}

pid_t waitForExit(pid_t child) {
    pid_t result;
    do {
        result = waitpid(child, nullptr, 0);
    } while (result < 0 && errno == EINTR);
    return result;
}

// Reads the grandchild's report; end of file means exec succeeded (the pipe closes on exec).
bool readFailure(int pipeFd, ChildFailure& failure) {
    ssize_t got;
    do {
        got = read(pipeFd, &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof failure);
}

// Double fork: the program lives in a session of its own, is reparented away from us and
// therefore reaped by the system, and we never hold a zombie.
LaunchResult spawnDetached(std::vector<std::string> argvText, const std::string& workFolder) {
    std::vector<char*> argv;
    for (std::string& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const char* folder = workFolder.empty() ? nullptr : workFolder.c_str();

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return {false, "无法创建进程 (" + systemErrorText(errno) + ")"};
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(pipeFds[0]);
        close(pipeFds[1]);
        return {false, "无法创建进程 (" + systemErrorText(error) + ")"};
    }
    if (child == 0) {
        close(pipeFds[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0)
            reportAndExit(pipeFds[1], ChildFailure::Fork, errno);
        if (grandchild > 0)
            _exit(0);
        becomeProgram(argv.data(), folder, pipeFds[1]);
    }
    close(pipeFds[1]);
    waitForExit(child);
    ChildFailure failure;
    const bool failed = readFailure(pipeFds[0], failure);
    close(pipeFds[0]);
    if (failed)
        return {false, describeFailure(failure, argvText.front(), workFolder)};
    return {true, {}};
}

// After the chdir in the child a relative path would point elsewhere; pin it to our folder.
std::string absoluteProgramPath(const std::string& path) {
    if (path.front() == '/')
        return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

bool isExecutableFile(const std::string& path) {
    return fileExists(path) && access(path.c_str(), X_OK) == 0;
}

std::string findOnSearchPath(const std::string& name) {
    // Without PATH, look where the system keeps its programs, never in the current folder.
    const char* searchPath = std::getenv("PATH");
    std::string_view rest = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        const std::string candidate = joinPath(folder.empty() ? "." : folder, name);
        if (isExecutableFile(candidate))
            return absoluteProgramPath(candidate);
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}

class PosixProcesses final : public ProcessPort {
  public:
    std::vector<ProcessEntry> snapshot() override { return posix::listProcesses("/proc"); }

    bool terminate(std::int64_t id) override {
        // Zero and negative ids address process groups or everything: never a single program.
        if (id <= 0 || id > std::numeric_limits<pid_t>::max())
            return false;
        return kill(static_cast<pid_t>(id), SIGKILL) == 0;
    }

    LaunchResult launch(const std::string& path, const std::string& workFolder,
                        ShowMode /*mode: windows are the program's own business on X11*/) override {
        if (path.empty())
            return {false, "文件不存在 (路径为空)"};
        return spawnDetached({absoluteProgramPath(path)}, workFolder);
    }

    LaunchResult shellOpen(const std::string& path) override {
        if (!path.empty() && isExecutableFile(path))
            return launch(path, "", ShowMode::Normal);
        const std::string opener = findOnSearchPath("xdg-open");
        if (opener.empty())
            return {false, "找不到桌面打开程序 xdg-open，无法打开 " + path};
        return spawnDetached({opener, path}, "");
    }
};

}  // namespace

ProcessPort& systemProcesses() {
    static PosixProcesses processes;
    return processes;
}

}  // namespace vesk
