#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/InstanceLock.h"

namespace vesk {

namespace {

// Another user could have planted a link or opened up the folder to steal the socket, so a
// folder counts only when it is a real folder of ours that nobody else may enter.
bool isPrivateFolder(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

class FlockInstanceLock final : public InstanceLock {
  public:
    explicit FlockInstanceLock(const std::string& name) {
        const std::string folder = userRuntimeFolder();
        if (folder.empty()) {
            fail("没有可用的用户运行目录");
            return;
        }
        const std::string path = folder + "/" + name;
        // Close-on-exec: a supervised program started later must not inherit the lock and keep
        // it after the supervisor has gone.
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            fail(path + ": " + std::strerror(errno));
            return;
        }
        if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            state_ = InstanceLockState::Acquired;
            return;
        }
        const int cause = errno;
        close(fd_);
        fd_ = -1;
        if (cause == EWOULDBLOCK)
            state_ = InstanceLockState::HeldByAnother;
        else
            fail(path + ": " + std::strerror(cause));
    }

    ~FlockInstanceLock() override {
        if (fd_ >= 0)
            close(fd_);
    }

    InstanceLockState state() const override { return state_; }
    const std::string& error() const override { return error_; }

  private:
    void fail(std::string why) {
        state_ = InstanceLockState::Unavailable;
        error_ = std::move(why);
    }

    int fd_ = -1;
    InstanceLockState state_ = InstanceLockState::Unavailable;
    std::string error_;
};

}  // namespace

std::string userRuntimeFolder() {
    const std::string uid = std::to_string(getuid());
    const std::string sessionFolder = "/run/user/" + uid;
    if (isPrivateFolder(sessionFolder))
        return sessionFolder;
    const std::string ownFolder = "/tmp/veskCommStartup-" + uid;
    if (mkdir(ownFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(ownFolder) ? ownFolder : std::string();
}

std::unique_ptr<InstanceLock> takeInstanceLock(const std::string& name) {
    return std::make_unique<FlockInstanceLock>(name);
}

}  // namespace vesk
