#pragma once
// Reads the set table "sets7.xml" (SetTable.h).
//
//   <game name="pelnora7">
//     <mode>                         first: story, second: bonus
//       <set name="harbour" wing="east" unlock="0" background="bg_harbour" x="210" y="340"
//            separate="false">
//         <music name="harbour_a"/>
//         <music name="harbour_b"/>
//       </set>
//
// Integer attributes are expressions over the named constants. A "set" before its "game" or
// "mode", or in a third "mode", stops the read with an error; a "music" outside a "set" is
// ignored. The table is replaced only when the whole file was read.

#include <string>
#include <vector>

#include "core/files/Parser.h"
#include "game/data/SetTable.h"

class SetStats : public Parser {
public:
    static constexpr const char* kFileName = "sets7.xml";

    // lookup resolves music names to track ids; without one every id is -1 until
    // ResolveSetMusicIds runs.
    explicit SetStats(MusicIdLookup lookup = nullptr);

    // Reads "properties/sets7.xml" and replaces the table when the file was read whole; false
    // (table untouched) otherwise, with GetError naming file and line. Loading thread.
    bool Load();
    // The same over text in memory; fileName only names it in errors.
    bool LoadText(const std::string& text, const std::string& fileName);

protected:
    void HandleElementStart(const XMLElement& element) override;
    void HandleElementEnd(const XMLElement& element) override;

private:
    bool Run(bool parsed);

    MusicIdLookup mLookup;
    std::vector<GameSets> mTable;
    int mMode = -1;
    SetRecord* mSet = nullptr;
};
