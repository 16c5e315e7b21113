#include "platform/QuitSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t gQuitSignal = 0;

volatile std::sig_atomic_t gStatisticsSignal = 0;

extern "C" void HandleQuitSignal(int) {
    gQuitSignal = 1;
}

extern "C" void HandleStatisticsSignal(int) {
    gStatisticsSignal = 1;
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
    return gQuitSignal != 0;
}

void ClearQuitSignal() {
    gQuitSignal = 0;
}

bool TakeStatisticsSignal() {
    if (gStatisticsSignal == 0) {
        return false;
    }
    gStatisticsSignal = 0;
    return true;
}
