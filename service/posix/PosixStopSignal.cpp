#include <pthread.h>
#include <signal.h>

#include <thread>

#include "StopSignal.h"

namespace vesk {

void callOnStopRequest(std::function<void()> onStop) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // Also keeps a dropped HTTP connection from killing the process.
    signal(SIGPIPE, SIG_IGN);
    std::thread([signals, onStop = std::move(onStop)] {
        int received = 0;
        sigwait(&signals, &received);
        onStop();
    }).detach();
}

}  // namespace vesk
