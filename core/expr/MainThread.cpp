#include "core/expr/MainThread.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {
// Static initialisation runs on the thread that starts the process, before any loader thread.
std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};

std::mutex gTaskMutex;
std::deque<std::function<void()>> gTasks;
std::function<void()> gWakeUp;  // under gTaskMutex
}  // namespace

bool IsMainThread() {
    return std::this_thread::get_id() == gMainThread.load(std::memory_order_relaxed);
}

void SetMainThread() {
    gMainThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

void PostToMainThread(std::function<void()> task) {
    if (!task) {
        return;
    }
    const std::lock_guard<std::mutex> lock(gTaskMutex);
    gTasks.push_back(std::move(task));
    if (gWakeUp) {
        gWakeUp();
    }
}

bool HasMainThreadTasks() {
    const std::lock_guard<std::mutex> lock(gTaskMutex);
    return !gTasks.empty();
}

void SetMainThreadWakeUp(std::function<void()> wakeUp) {
    const std::lock_guard<std::mutex> lock(gTaskMutex);
    gWakeUp = std::move(wakeUp);
}

void RunMainThreadTasks() {
    // One task at a time, outside the lock: a task may post more, and a loader may post
    // meanwhile.
    for (;;) {
        std::function<void()> task;
        {
            const std::lock_guard<std::mutex> lock(gTaskMutex);
            if (gTasks.empty()) {
                return;
            }
            task = std::move(gTasks.front());
            gTasks.pop_front();
        }
        task();
    }
}
