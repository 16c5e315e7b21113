#pragma once
// Reads "localization.xml": the localized texts (through the Localization base) and, per set
// name, the ordered list of its puzzles' localized names.
//
//   <pair id="play" value="Play"/>                  a text, filed by the base
//   <set name="harbour">                            the puzzle names that follow belong here
//     <puzzle>Lighthouse</puzzle>                   one entry per "puzzle", in order
//     <puzzle/>                                     an entry with an empty name
//   </set>
//
// A repeated "set" of the same name appends to its list. The set-name table is replaced only when
// the whole file was read; reading the file again (a developer code does) replaces the lists
// instead of appending a second copy.

#include <map>
#include <string>
#include <vector>

#include "graphics/assets/Localization.h"

struct LocalizedSetNames {
    std::string mSetName;
    std::vector<std::string> mPuzzleNames;  // in file order
};

class MyLocalization : public Localization {
public:
    static constexpr const char* kFileName = "localization.xml";

    // Reads "properties/localization.xml"; false when it could not be read whole (texts already
    // filed by the base stay; the set-name table is untouched). Loading thread, or main thread
    // for a reload.
    bool Load();
    // The same over text in memory; fileName only names it in errors.
    bool LoadText(const std::string& text, const std::string& fileName);

protected:
    void HandleElementStart(const XMLElement& element) override;
    void HandleElementEnd(const XMLElement& element) override;
    void HandleElementText(const XMLElement& element) override;

private:
    bool Run(bool parsed);
    void Reset();

    std::map<std::string, LocalizedSetNames> mSets;
    std::string mCurrentSet;
    bool mInPuzzle = false;
};

// The localized name of puzzle index of a set; empty when the set or the index is unknown.
// Never inserts. Main thread after loading.
std::string GetLocalizedPuzzleName(const std::string& setName, int index);
// The puzzle-name list of a set, or null when the file names no such set.
const std::vector<std::string>* FindLocalizedPuzzleNames(const std::string& setName);
void ClearLocalizedSetNames();
