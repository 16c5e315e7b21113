#include "audio/MemoryFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

size_t MemoryFile::Read(void* dest, size_t count) {
    const size_t n = std::min(count, Remaining());
    if (n > 0) {
        std::memcpy(dest, mBytes.data() + mPos, n);
        mPos += n;
    }
    return n;
}

int64_t MemoryFile::Seek(int64_t offset, int whence) {
    const int64_t size = static_cast<int64_t>(mBytes.size());
    int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<int64_t>(mPos);
    } else if (whence == SEEK_END) {
        base = size;
    } else if (whence != SEEK_SET) {
        return -1;
    }
    // Checked before adding, so a hostile offset can't overflow the sum.
    if (offset < -base || offset > size - base) {
        return -1;
    }
    mPos = static_cast<size_t>(base + offset);
    return static_cast<int64_t>(mPos);
}
