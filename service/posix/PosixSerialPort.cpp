#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "NativeSerialPort.h"

namespace vesk {
namespace {

std::string systemError(const std::string& what) {
    return what + "：" + std::strerror(errno);
}

std::optional<speed_t> toSpeed(int baudRate) {
    static constexpr std::array<std::pair<int, speed_t>, 18> kSpeeds{{
        {50, B50},
        {75, B75},
        {110, B110},
        {150, B150},
        {300, B300},
        {600, B600},
        {1200, B1200},
        {2400, B2400},
        {4800, B4800},
        {9600, B9600},
        {19200, B19200},
        {38400, B38400},
        {57600, B57600},
        {115200, B115200},
        {230400, B230400},
        {460800, B460800},
        {921600, B921600},
        {1000000, B1000000},
    }};
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baudRate) {
            return speed;
        }
    }
    return std::nullopt;
}

tcflag_t characterSize(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

void applyParity(termios& options, Parity parity) {
    options.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (parity) {
        case Parity::None:
            return;
        case Parity::Odd:
            options.c_cflag |= PARENB | PARODD;
            return;
        case Parity::Even:
            options.c_cflag |= PARENB;
            return;
        case Parity::Mark:
            options.c_cflag |= PARENB | PARODD | CMSPAR;
            return;
        case Parity::Space:
            options.c_cflag |= PARENB | CMSPAR;
            return;
    }
}

class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
        struct stat info {};
        fstat(fd_, &info);
        device_ = info.st_rdev;
        inode_ = info.st_ino;
    }
    ~PosixSerialPort() override { close(fd_); }
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    ReadResult read(char* buffer, std::size_t capacity, int timeoutMs) override {
        pollfd request{fd_, POLLIN, 0};
        const int ready = poll(&request, 1, timeoutMs);
        if (ready < 0) {
            return errno == EINTR ? ReadResult{} : ReadResult{0, true, systemError("读串口失败")};
        }
        if (ready == 0) {
            return {};
        }
        const ssize_t count = ::read(fd_, buffer, capacity);
        if (count > 0) {
            return {static_cast<std::size_t>(count), false, {}};
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
            return {};
        }
        // Readable but nothing to read: the other end has hung up.
        return {0, true, count == 0 ? "串口已断开" : systemError("读串口失败")};
    }

    bool stillPresent() const override {
        struct stat info {};
        return stat(path_.c_str(), &info) == 0 && info.st_rdev == device_ && info.st_ino == inode_;
    }

  private:
    int fd_;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

bool configure(int fd, const SerialSettings& settings, std::string& error) {
    const auto speed = toSpeed(settings.baudRate);
    if (!speed) {
        error = "串口" + settings.portName + "不支持波特率" + std::to_string(settings.baudRate);
        return false;
    }
    termios options{};
    if (tcgetattr(fd, &options) != 0) {
        error = systemError("串口" + settings.portName + "设置失败");
        return false;
    }
    cfmakeraw(&options);
    cfsetispeed(&options, *speed);
    cfsetospeed(&options, *speed);
    options.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | CRTSCTS);
    options.c_cflag |= characterSize(settings.dataBits) | CLOCAL | CREAD;
    if (settings.stopBits == 2) {
        options.c_cflag |= CSTOPB;
    }
    applyParity(options, settings.parity);
    options.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    options.c_cc[VMIN] = 0;
    options.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &options) != 0) {
        error = systemError("串口" + settings.portName + "设置失败");
        return false;
    }
    // Pseudo-terminals have no modem lines; for them this fails and nothing needs lowering.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
    return true;
}

}  // namespace

std::unique_ptr<SerialPort> openNativeSerialPort(const SerialSettings& settings,
                                                 std::string& error) {
    const int fd = open(settings.portName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("串口" + settings.portName + "打开失败");
        return nullptr;
    }
    if (!isatty(fd)) {
        error = "串口" + settings.portName + "打开失败：不是串口设备";
        close(fd);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = "串口" + settings.portName + "已被其他程序占用";
        close(fd);
        return nullptr;
    }
    if (!configure(fd, settings, error)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixSerialPort>(fd, settings.portName);
}

bool claimSerialPort(sp_port* port) {
    int fd = -1;
    if (sp_get_port_handle(port, &fd) != SP_OK) {
        return false;
    }
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace vesk
