#pragma once
// The stdio-like file interface through which every data file is read. Here it reads plain files
// relative to the working folder. Both '/' and '\\' are accepted as separators in names, and on a
// case-sensitive file system a name whose exact spelling is missing is matched case-insensitively,
// component by component, so content written with other case still loads.

#include <cstddef>
#include <cstdint>
#include <string>

struct PFILE;  // an open file; owned by the caller until FClose

struct PFindData {
    std::string mName;  // file name without folder
    bool mIsFolder = false;
};
struct PFindHandle;  // an open search; owned by the caller until FindClose

class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase();

    // The process-wide instance; created on first use, safe to use from any thread (each PFILE is
    // used by one thread at a time).
    static PakInterfaceBase* Get();

    // The largest file read: generous for any content or per-user file, and a bound on memory.
    static constexpr long long kMaxFileBytes = 1LL << 30;

    // Opens a file for reading ("r" or "rb"; text and binary read the same here). Opening never
    // blocks, and only a regular file of at most kMaxFileBytes opens: a FIFO, a device or a
    // folder in a file's place is refused. Null when the file can't be opened (LastOpenError
    // says why) or the mode asks for writing: files are written with WriteBufferToFile.
    virtual PFILE* FOpen(const char* name, const char* mode);
    // Why the calling thread's last FOpen or ReadWholeFile failed, for messages ("it is a
    // folder", "Permission denied", "No such file or directory").
    static std::string LastOpenError();
    virtual int FClose(PFILE* file);                          // 0; null is ignored
    virtual int FSeek(PFILE* file, long offset, int origin);  // SEEK_SET, SEEK_CUR, SEEK_END
    virtual long FTell(PFILE* file);
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PFILE* file);
    virtual int FGetC(PFILE* file);  // EOF at the end
    virtual int UnGetC(int c, PFILE* file);
    virtual char* FGetS(char* buffer, int size, PFILE* file);  // null at the end
    virtual int FEof(PFILE* file);

    // Finds files and folders matching a pattern with '*' and '?' in its last component, matched
    // without regard to case, in name order; hidden names (leading '.') match only a pattern that
    // starts with '.'. Null when nothing matches; otherwise the first match is in found and the
    // handle must be closed with FindClose.
    virtual PFindHandle* FindFirstFile(const char* pattern, PFindData* found);
    virtual bool FindNextFile(PFindHandle* handle, PFindData* found);
    virtual void FindClose(PFindHandle* handle);

    // Modification time of a file in seconds since the epoch; false when it does not exist.
    virtual bool GetFileTime(const char* name, int64_t* seconds);

    // Convenience: reads a whole file of at most maxBytes (never more than kMaxFileBytes); false
    // when it can't be opened or read, or is larger (refused before anything is read;
    // LastOpenError says so).
    bool ReadWholeFile(const std::string& name, std::string* out,
                       long long maxBytes = kMaxFileBytes);

    // The path on disk that a name refers to: separators turned to '/', and when the exact
    // spelling is missing, each component matched without regard to case (the first match in
    // name order). The name itself, normalised, when nothing matches.
    static std::string ResolvePath(const std::string& name);
};
