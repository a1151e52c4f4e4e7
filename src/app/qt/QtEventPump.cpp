#include "app/qt/QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <chrono>
#include <exception>
#include <thread>

namespace vesk {

void QtEventPump::processMessages() {
    QCoreApplication::processEvents();
}

void QtEventPump::runWhilePumping(const std::function<void()>& work) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued, so a quit posted before exec() starts is still seen by it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    // The loop also ends early when the application quits (Exit); the work still has to
    // finish before the stack it uses goes away.
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

void QtEventPump::blockingWait(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vesk
