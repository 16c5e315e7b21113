#pragma once
// A whole file held in memory, read by the decoders' read and seek callbacks so that music plays
// without touching the disk (or the archive) while it streams. Used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

class MemoryFile {
public:
    explicit MemoryFile(std::string bytes) : mBytes(std::move(bytes)) {}

    // Copies up to count bytes from the read position into dest and moves past them; returns
    // the number copied (0 at the end).
    size_t Read(void* dest, size_t count);
    // Moves the read position as fseek does (SEEK_SET, SEEK_CUR or SEEK_END). Returns the new
    // position, or -1 with the position unchanged when it would lie outside the data.
    int64_t Seek(int64_t offset, int whence);
    size_t Tell() const { return mPos; }
    size_t Remaining() const { return mBytes.size() - mPos; }

private:
    std::string mBytes;
    size_t mPos = 0;
};
