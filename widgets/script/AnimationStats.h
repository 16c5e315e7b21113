#pragma once
// Reads "animations.xml" and the files it includes into an AnimationTable, or only counts their
// "animation" elements (the start-up's loading total is computed before the loader runs).
//
// Files are read in queue order: an "include" appends its file to the queue, so included files
// are read after the file naming them and after every file queued before them. A file already
// read (or queued) is not queued again, so include cycles end. Each file is checked whole before
// its scripts enter the table: a file that cannot be read or is malformed adds nothing (and queues
// none of its includes), its error names the file and line, and reading goes on with the next
// file. A command element outside every "animation" is reported with its file and line and
// skipped together with its children. A script name defined again (in a later file or the same
// one) replaces the earlier script, with a log line naming both files.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/files/Parser.h"
#include "widgets/script/Animation.h"

class AnimationTable;

class AnimationStats : public Parser {
public:
    // counting: only count the "animation" elements, store nothing. table: where loaded scripts
    // go (the process-wide one by default; not owned). onAnimationRead: called once per
    // "animation" element in loading mode (the application advances its loading progress); may
    // be empty. Construct and read on one thread (the loader thread at start-up).
    explicit AnimationStats(bool counting, AnimationTable* table = nullptr,
                            std::function<void()> onAnimationRead = {});
    ~AnimationStats() override;

    // Reads firstFile and every file it includes, names taken relative to folder (which ends in
    // a separator). True when every file was read without error; the errors are logged and kept
    // (GetErrors) either way.
    bool ReadAll(const std::string& firstFile = "animations.xml",
                 const std::string& folder = "properties/");

    int GetCount() const { return mCount; }  // "animation" elements seen (both modes)
    const std::vector<std::string>& GetFilesRead() const { return mFilesRead; }  // in order
    const std::vector<std::string>& GetErrors() const { return mErrors; }

protected:
    void HandleElementStart(const XMLElement& element) override;
    void HandleElementEnd(const XMLElement& element) override;

private:
    using CommandList = std::vector<AnimationCommand>;

    void Report(const std::string& message);
    void QueueFile(const std::string& name);
    static std::string FileKey(const std::string& name);
    // Remembers where a script was defined and logs a name defined before, with both files.
    void NoteDefinition(const std::string& script, const std::string& file);

    bool mCounting;
    AnimationTable* mTable;
    std::function<void()> mOnAnimationRead;
    int mCount = 0;

    std::vector<std::string> mQueue;      // file names still to read and already read, in order
    std::vector<std::string> mQueueKeys;  // their normalised forms, for the repeat check
    std::vector<std::string> mFilesRead;
    std::vector<std::string> mErrors;
    std::map<std::string, std::string> mDefinedIn;  // script name -> the file that defined it

    // State of the file being read: its scripts and includes wait here until it has parsed whole.
    // The destination stack holds the list that receives the next command; null while inside a
    // skipped element. Scripts are held by pointer so that the stack stays valid while nested
    // "animation" elements add more.
    std::vector<std::unique_ptr<Animation>> mStaged;
    std::vector<std::string> mStagedIncludes;
    std::vector<CommandList*> mDestinations;
};
