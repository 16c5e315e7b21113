#pragma once
// Keeps a second copy of the game from running at the same time: an exclusive lock on a file in
// the per-user folder. The system drops the lock when the process ends, also on a crash, so a
// stale lock file never blocks the next start.

#include <string>

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on path (created when missing, its content never touched; in a read-only
    // folder an existing file is locked read-only). Never through a link, never blocking. False
    // when another process holds it ("already running"), or the file is a link, is not a plain
    // file or can't be opened (*error says which).
    bool Acquire(const std::string& path, std::string* error);
    // Lets the lock go; harmless when not held.
    void Release();
    bool IsHeld() const { return mFd >= 0; }

private:
    int mFd = -1;
};
