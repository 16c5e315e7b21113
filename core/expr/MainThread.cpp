#include "core/expr/MainThread.h"

#include <atomic>
#include <thread>

namespace {
// Static initialisation runs on the thread that starts the process, before any loader thread.
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};
}  // namespace

bool IsMainThread() {
    return std::this_thread::get_id() == gMainThread.load(std::memory_order_relaxed);
}

void SetMainThread() {
    gMainThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
}
