// Runs the real veskComm.exe against a pseudo-terminal standing in for the indicator's port.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using nlohmann::json;

const std::string kStx12340 =
    "\x02+0123400"
    "1F\x03";
const std::string kStx5000 =
    "\x02+0050000"
    "1E\x03";

// A pseudo-terminal: the service opens the slave side by name, the test writes the master.
class Pty {
  public:
    Pty() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        slaveName_ = name;
    }
    ~Pty() { close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slaveName() const { return slaveName_; }
    void write(const std::string& bytes) {
        if (master_ >= 0) {
            [[maybe_unused]] auto written = ::write(master_, bytes.data(), bytes.size());
        }
    }
    void close() {
        if (master_ >= 0) {
            ::close(master_);
            ::close(slave_);
            master_ = slave_ = -1;
        }
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

// Writes the current frame into the pty ten times a second, like a streaming indicator.
class Indicator {
  public:
    explicit Indicator(Pty* pty) : pty_(pty) {
        thread_ = std::thread([this] {
            while (running_) {
                {
                    std::lock_guard lock(mutex_);
                    if (pty_ != nullptr && !frame_.empty()) {
                        pty_->write(frame_);
                    }
                }
                std::this_thread::sleep_for(100ms);
            }
        });
    }
    ~Indicator() {
        running_ = false;
        thread_.join();
    }
    void send(const std::string& frame) {
        std::lock_guard lock(mutex_);
        frame_ = frame;
    }
    void attach(Pty* pty) {
        std::lock_guard lock(mutex_);
        pty_ = pty;
    }

  private:
    std::mutex mutex_;
    Pty* pty_;
    std::string frame_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

int freeLoopbackPort() {
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(sock);
    return ntohs(address.sin_port);
}

class ServiceProcess {
  public:
    explicit ServiceProcess(const std::string& configPath) {
        std::string exe = VESK_COMM_EXE;
        std::string option = "--config";
        std::string config = configPath;
        char* argv[] = {exe.data(), option.data(), config.data(), nullptr};
        if (posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
    }
    ~ServiceProcess() {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool running() const { return pid_ > 0 && !exited_; }

    // The exit status once the process has ended within `limit`, or -1.
    int waitForExit(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (running() && Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(20ms);
        }
        return exited_ ? exitStatus_ : -1;
    }

    int stop() {
        kill(pid_, SIGTERM);
        return waitForExit(10s);
    }

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int exitStatus_ = -1;
};

class ServiceProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        httpPort_ = freeLoopbackPort();
        linkPath_ = dir_.file("ttyScale");
        pointLinkAt(pty_->slaveName());
        configPath_ = dir_.file("veskComm.ini");
        vesk::test::writeFile(configPath_, "[Serial]\r\nPort=" + linkPath_ +
                                               "\r\nBaudRate=9600\r\nProtocol=auto\r\n"
                                               "[Http]\r\nPort=" +
                                               std::to_string(httpPort_) + "\r\n");
    }

    void pointLinkAt(const std::string& target) {
        ::unlink(linkPath_.c_str());
        ASSERT_EQ(symlink(target.c_str(), linkPath_.c_str()), 0);
    }

    // Polls /getdata until `accept` holds or `limit` passes; returns the last reply.
    json waitForReply(const std::function<bool(const json&)>& accept,
                      std::chrono::milliseconds limit = 10s) {
        httplib::Client client("127.0.0.1", httpPort_);
        client.set_connection_timeout(1);
        client.set_read_timeout(2);
        json last;
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            const auto response = client.Post("/getdata", "", "application/x-www-form-urlencoded");
            if (response && response->status == 200) {
                EXPECT_EQ(response->get_header_value("Content-Type"),
                          "application/json; charset=utf-8");
                last = json::parse(response->body);
                if (accept(last)) {
                    return last;
                }
            }
            std::this_thread::sleep_for(50ms);
        }
        ADD_FAILURE() << "no accepted reply in time; last: " << last.dump();
        return last;
    }

    static std::function<bool(const json&)> servingValue(int value, bool stable) {
        return [value, stable](const json& reply) {
            return reply.value("code", -1) == 0 && reply["comm"]["value"] == value &&
                   reply["comm"]["stable"] == stable;
        };
    }
    static std::function<bool(const json&)> answeringCode(int code) {
        return [code](const json& reply) { return reply.value("code", -1) == code; };
    }

    vesk::test::TempDir dir_;
    std::unique_ptr<Pty> pty_ = std::make_unique<Pty>();
    int httpPort_ = 0;
    std::string linkPath_;
    std::string configPath_;
};

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

TEST_F(ServiceProcessTest, ServesTheIndicatorsWeightAndSaysWhenItStops) {
    Indicator indicator(pty_.get());
    indicator.send(kStx12340);
    const std::string before = nowText();
    ServiceProcess service(configPath_);

    const json reading = waitForReply(servingValue(12340, true));
    const std::string time = reading["comm"]["time"];
    EXPECT_TRUE(std::regex_match(time, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << time;
    EXPECT_GE(time, before);
    EXPECT_LE(time, nowText());

    indicator.send("");
    const json silent = waitForReply(answeringCode(2));
    EXPECT_FALSE(silent.contains("_COMMON_CODE_"));
    EXPECT_FALSE(silent.value("message", "").empty());

    EXPECT_EQ(service.stop(), 0);
}

TEST_F(ServiceProcessTest, RecoversWhenThePortGoesAwayAndComesBack) {
    Indicator indicator(pty_.get());
    indicator.send(kStx12340);
    ServiceProcess service(configPath_);
    waitForReply(servingValue(12340, true));

    // The adapter is unplugged: its device disappears and its line goes dead.
    indicator.attach(nullptr);
    ::unlink(linkPath_.c_str());
    pty_->close();
    const json lost = waitForReply(answeringCode(1));
    EXPECT_NE(lost.value("message", "").find(linkPath_), std::string::npos) << lost.dump();

    // Plugged in again, as a new device under the same name.
    pty_ = std::make_unique<Pty>();
    pointLinkAt(pty_->slaveName());
    indicator.send(kStx5000);
    indicator.attach(pty_.get());
    waitForReply(servingValue(5000, true), 15s);
    EXPECT_TRUE(service.running());
    EXPECT_EQ(service.stop(), 0);
}

TEST_F(ServiceProcessTest, ASecondCopyFindsThePortTakenAndExits) {
    Indicator indicator(pty_.get());
    indicator.send(kStx12340);
    ServiceProcess first(configPath_);
    waitForReply(servingValue(12340, true));

    ServiceProcess second(configPath_);
    const int status = second.waitForExit(10s);
    EXPECT_NE(status, -1) << "the second copy is still running";
    EXPECT_EQ(status, 2) << "the port-taken exit, not a crash or another failure";

    waitForReply(servingValue(12340, true), 2s);
    EXPECT_EQ(first.stop(), 0);
}

}  // namespace
