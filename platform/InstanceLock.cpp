#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::Acquire(const std::string& path, std::string* error) {
    Release();
    // Never through a link (it would create or lock a file outside the per-user folder), and
    // never blocking on a FIFO put in the lock's place.
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        // A read-only folder: a lock file already there can still be locked through a read-only
        // descriptor.
        const int openError = errno;
        fd = ::open(path.c_str(), O_RDONLY | kFlags);
        if (fd < 0) {
            errno = openError;
        }
    }
    if (fd < 0) {
        if (error != nullptr) {
            *error = errno == ELOOP
                         ? "The lock file '" + path + "' is a link; please remove it"
                         : "Can't open the lock file '" + path + "': " + std::strerror(errno);
        }
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (error != nullptr) {
            *error = "The lock file '" + path + "' is not a plain file; please remove it";
        }
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (error != nullptr) {
            *error = err == EWOULDBLOCK ? std::string("already running")
                                        : "Can't lock '" + path + "': " + std::strerror(err);
        }
        return false;
    }
    mFd = fd;
    return true;
}

void InstanceLock::Release() {
    if (mFd >= 0) {
        ::flock(mFd, LOCK_UN);
        ::close(mFd);
        mFd = -1;
    }
}
