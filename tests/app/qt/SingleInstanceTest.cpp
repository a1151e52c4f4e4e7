#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

#include "app/qt/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "support/TempDir.h"

using namespace vesk;

namespace {

// Each test takes its own lock name, so a supervisor running on this machine is left alone.
std::string uniqueLockName(const char* what) {
    return std::string("vesk-test-") + what + "-" + std::to_string(getpid()) + ".lock";
}

// A socket file with nobody behind it, as a killed copy leaves one.
void leaveStaleSocket(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    QVERIFY(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    close(fd);
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() {
        for (const char* what : {"one", "dies", "children"})
            unlink((userRuntimeFolder() + "/" + uniqueLockName(what)).c_str());
    }

    void theLockAdmitsOneHolderUntilItLetsGo() {
        const std::string name = uniqueLockName("one");
        auto first = takeInstanceLock(name);
        QCOMPARE(first->state(), InstanceLockState::Acquired);
        QCOMPARE(takeInstanceLock(name)->state(), InstanceLockState::HeldByAnother);
        first.reset();
        QCOMPARE(takeInstanceLock(name)->state(), InstanceLockState::Acquired);
    }

    void aHolderThatDiesFreesTheLock() {
        const std::string name = uniqueLockName("dies");
        int ready[2];
        QVERIFY(pipe(ready) == 0);
        const pid_t child = fork();
        if (child == 0) {
            auto lock = takeInstanceLock(name);
            const char state = lock->state() == InstanceLockState::Acquired ? 'A' : 'x';
            (void)!write(ready[1], &state, 1);
            pause();
            _exit(0);
        }
        char state = 0;
        QVERIFY(read(ready[0], &state, 1) == 1);
        QCOMPARE(state, 'A');
        QCOMPARE(takeInstanceLock(name)->state(), InstanceLockState::HeldByAnother);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        QCOMPARE(takeInstanceLock(name)->state(), InstanceLockState::Acquired);
        close(ready[0]);
        close(ready[1]);
    }

    void programsStartedByTheHolderDoNotKeepTheLock() {
        const std::string name = uniqueLockName("children");
        auto lock = takeInstanceLock(name);
        QCOMPARE(lock->state(), InstanceLockState::Acquired);
        // The pipe's write end closes at exec, which tells the parent the child runs "sleep".
        int execed[2];
        QVERIFY(pipe2(execed, O_CLOEXEC) == 0);
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(execed[1]);
        char byte;
        QCOMPARE(read(execed[0], &byte, 1), ssize_t(0));
        close(execed[0]);
        lock.reset();
        QCOMPARE(takeInstanceLock(name)->state(), InstanceLockState::Acquired);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    void theRuntimeFolderIsPrivate() {
        const QFileInfo folder(QString::fromStdString(userRuntimeFolder()));
        QVERIFY(folder.isDir());
        QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                         QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
    }

    void requestsReachTheListenerAndGarbageIsIgnored() {
        test::TempDir folder;
        const QString path = QString::fromStdString(folder.file("s.socket"));
        leaveStaleSocket(path.toStdString());
        InstanceChannel channel;
        QVERIFY2(channel.listen(path), qPrintable(channel.errorString()));
        const QFileInfo socketFile(path);
        QVERIFY(!(socketFile.permissions() & (QFile::WriteGroup | QFile::WriteOther)));

        QSignalSpy activations(&channel, &InstanceChannel::activateRequested);
        QSignalSpy restores(&channel, &InstanceChannel::restoreRequested);
        QVERIFY(InstanceChannel::send(path, "shutdown"));
        QVERIFY(InstanceChannel::send(path, InstanceChannel::kRestore));
        QVERIFY(InstanceChannel::send(path, InstanceChannel::kActivate));
        QTRY_COMPARE(activations.size(), 1);
        QCOMPARE(restores.size(), 1);
    }

    // A copy that could not take the lock runs anyway; it must not steal the running copy's
    // socket, or later starts would reach the wrong copy or none.
    void aLiveSocketIsNotTakenOver() {
        test::TempDir folder;
        const QString path = QString::fromStdString(folder.file("s.socket"));
        InstanceChannel running;
        QVERIFY(running.listen(path));
        InstanceChannel lockless;
        QVERIFY(!lockless.listen(path));
        QVERIFY(lockless.errorString().contains(path));

        QSignalSpy reached(&running, &InstanceChannel::activateRequested);
        QSignalSpy stolen(&lockless, &InstanceChannel::activateRequested);
        QVERIFY(InstanceChannel::send(path, InstanceChannel::kActivate));
        QTRY_COMPARE(reached.size(), 1);
        QCOMPARE(stolen.size(), 0);
    }

    void withoutARuntimeFolderTheChannelSaysWhy() {
        InstanceChannel channel;
        QVERIFY(!channel.listen(QString()));
        QVERIFY(!channel.errorString().isEmpty());
    }

    void nobodyListeningMeansTheSecondStartEndsQuietly() {
        test::TempDir folder;
        QVERIFY(!InstanceChannel::send(QString::fromStdString(folder.file("none.socket")),
                                       InstanceChannel::kActivate, 500));
        QVERIFY(!InstanceChannel::send(QString(), InstanceChannel::kActivate, 500));
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
