#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/qt/QtEventPump.h"
#include "app/qt/QtTimer.h"

using namespace vesk;

class QtPortsTest : public QObject {
    Q_OBJECT

  private slots:
    // The window must keep answering while a slow exchange runs: here the work can only end
    // once a timer on this thread has fired.
    void workRunsElsewhileEventsKeepFlowing() {
        QtEventPump pump;
        std::atomic<bool> ticked{false};
        QTimer::singleShot(20, [&ticked] { ticked = true; });
        std::thread::id workThread;
        pump.runWhilePumping([&] {
            workThread = std::this_thread::get_id();
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!ticked && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        QVERIFY(ticked);
        QVERIFY(workThread != std::this_thread::get_id());
    }

    void aFailureInTheWorkReachesTheCaller() {
        QtEventPump pump;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 pump.runWhilePumping([] { throw std::runtime_error("gone"); }));
    }

    void switchingOnARunningTimerKeepsItsNextTick() {
        QtTimer timer(30000);
        timer.setEnabled(true);
        QTest::qWait(50);
        timer.setEnabled(true);
        QVERIFY(timer.remainingMs() < 29990);
        timer.setEnabled(false);
        QVERIFY(!timer.enabled());
    }
};

QTEST_GUILESS_MAIN(QtPortsTest)
#include "QtPortsTest.moc"
