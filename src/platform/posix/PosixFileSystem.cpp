#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace vesk {

char pathSeparator() {
    return '/';
}

bool flushToDisk(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

std::string executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return ".";
    return folderOf(std::string(buffer, static_cast<std::size_t>(length)));
}

}  // namespace vesk
