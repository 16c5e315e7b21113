#include "platform/QuitSignal.h"

#include <atomic>
#include <csignal>

namespace {

// The handlers run on whichever thread the kernel picks (a loader's as often as the main
// loop's): a volatile flag is no synchronisation between threads, a lock-free atomic is, and
// stays safe to touch in a handler.
static_assert(std::atomic<bool>::is_always_lock_free);

std::atomic<bool> gQuitSignal{false};

std::atomic<bool> gStatisticsSignal{false};

extern "C" void HandleQuitSignal(int) {
    gQuitSignal.store(true);
}

extern "C" void HandleStatisticsSignal(int) {
    gStatisticsSignal.store(true);
}

}  // namespace

void InstallQuitSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = HandleQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = HandleStatisticsSignal;
    sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &action, nullptr);
    sigaction(SIGXFSZ, &action, nullptr);
}

bool QuitSignalReceived() {
    return gQuitSignal.load();
}

void ClearQuitSignal() {
    gQuitSignal.store(false);
}

bool TakeStatisticsSignal() {
    return gStatisticsSignal.exchange(false);
}
