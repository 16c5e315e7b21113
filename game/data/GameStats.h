#pragma once
// Reads "game.xml" into the grid-settings table (GridSettings.h).
//
//   <grid size="15" hints="4" hint-reward="3" mistakes="5" offset-x="120" offset-y="96"/>
//
// Attributes are expressions over the named constants; absent ones give 0. A later "grid" of the
// same size replaces an earlier one. Every other element is ignored. A "grid" whose values can't be
// used is left out with one log line naming the file and line; the others are kept.

#include <map>
#include <string>
#include <vector>

#include "core/files/Parser.h"
#include "game/data/GridSettings.h"

class GameStats : public Parser {
public:
    static constexpr const char* kFileName = "game.xml";

    // Reads "properties/game.xml" and, when it is XML, replaces the table with its usable grids.
    // False (table untouched) on a missing or malformed file; GetError names the file and line.
    // Loading thread at start-up, or any thread while nobody reads the table.
    bool Load();
    // The same over text in memory; fileName only names it in errors.
    bool LoadText(const std::string& text, const std::string& fileName);
    // The grids left out by the last read, one message each (file and line included).
    const std::vector<std::string>& GetRejections() const { return mRejections; }

protected:
    void HandleElementStart(const XMLElement& element) override;

private:
    bool Commit(bool parsed);

    void Reject(const std::string& message);

    std::map<int, GridSettings> mTable;
    std::vector<std::string> mRejections;
};
