#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::Acquire(const std::string& path, std::string* error) {
    Release();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        // A read-only folder: a lock file already there can still be locked through a read-only
        // descriptor.
        const int openError = errno;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            errno = openError;
        }
    }
    if (fd < 0) {
        if (error != nullptr) {
            *error = "Can't open the lock file '" + path + "': " + std::strerror(errno);
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
