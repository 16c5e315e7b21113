#pragma once
// The stdio-like file interface through which every data file is read. Here it reads plain files
// relative to the working folder; both '/' and '\\' are accepted as separators in names.

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

    virtual PFILE* FOpen(const char* name, const char* mode);  // null when missing
    virtual int FClose(PFILE* file);
    virtual int FSeek(PFILE* file, long offset, int origin);  // SEEK_SET, SEEK_CUR, SEEK_END
    virtual long FTell(PFILE* file);
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PFILE* file);
    virtual int FGetC(PFILE* file);            // EOF at the end
    virtual int UnGetC(int c, PFILE* file);
    virtual char* FGetS(char* buffer, int size, PFILE* file);  // null at the end
    virtual int FEof(PFILE* file);

    // Finds files matching a pattern with '*' and '?' in its last component.
    virtual PFindHandle* FindFirstFile(const char* pattern, PFindData* found);
    virtual bool FindNextFile(PFindHandle* handle, PFindData* found);
    virtual void FindClose(PFindHandle* handle);

    // Modification time of a file in seconds since the epoch; false when it does not exist.
    virtual bool GetFileTime(const char* name, int64_t* seconds);

    // Convenience: reads a whole file; false when it can't be opened or read.
    bool ReadWholeFile(const std::string& name, std::string* out);
};
