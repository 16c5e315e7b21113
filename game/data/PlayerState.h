#pragma once
// One player's progress and options. The current PlayerState is the one every screen reads and
// writes; its variable table holds the player's global script variables ("define-global",
// "assign-global"), which expressions read once it is installed as the process-wide globals.

#include <array>
#include <string>
#include <vector>

#include "core/expr/VariableTable.h"
#include "game/data/PuzzleId.h"

struct PuzzleProgress {
    bool mCompleted = false;
    int mBestTime = 0;  // seconds, as the play screen measures them
    bool mWithoutHints = false;
    bool mWithoutMistakes = false;

    bool operator==(const PuzzleProgress&) const = default;
};

struct SetProgress {
    std::vector<PuzzleProgress> mPuzzles;
    int mUnlock = 0;  // puzzles of the set that are open; 0: the set is locked
    bool mIntroduced = false;

    bool operator==(const SetProgress&) const = default;
};

// The play-time part and the player's named values.
class BasicPlayerState {
public:
    static constexpr int kTicksPerMinute = 6000;  // fixed updates of 10 ms
    static constexpr int kMinutesPerHour = 60;

    BasicPlayerState() = default;
    BasicPlayerState(const BasicPlayerState& other);
    BasicPlayerState& operator=(const BasicPlayerState& other);
    // Stops being current (and uninstalls its globals) when it was.
    virtual ~BasicPlayerState();

    // Makes this the current BasicPlayerState. On the main thread its variable table also becomes
    // the process-wide globals; elsewhere that waits for InstallCurrentGlobals on the main thread.
    virtual void MakeCurrent();

    // One fixed update of play time; minutes and hours roll over at 60 or more.
    void AddPlayTick();
    // Brings the play-time fields into range (negative to 0, overfull fields carried up).
    void NormalizePlayTime();

    VariableTable& GetNamedValues() { return mNamedValues; }
    const VariableTable& GetNamedValues() const { return mNamedValues; }

    bool mStarted = false;
    int mHours = 0;
    int mMinutes = 0;       // below 60
    int mCentiseconds = 0;  // update ticks of the current minute, below 6000

protected:
    VariableTable mNamedValues;
};

class PlayerState : public BasicPlayerState {
public:
    // Defaults, with progress sized from the catalogue of the default game: one SetProgress per
    // set and one PuzzleProgress per puzzle; the first story set is open. With no catalogue the
    // progress lists are empty.
    PlayerState();
    PlayerState(const PlayerState& other) = default;
    PlayerState& operator=(const PlayerState& other) = default;
    ~PlayerState() override;

    // Also makes this the current PlayerState.
    void MakeCurrent() override;

    // Sets of a mode whose puzzle list is not empty and all completed.
    int CountCompletedSets(int mode) const;
    // Completed puzzles of a set; 0 for a set the progress does not hold.
    int CountCompletedPuzzles(int mode, int set) const;

    // The progress of a set, or null when the state holds no such set.
    SetProgress* FindSet(int mode, int set);
    const SetProgress* FindSet(int mode, int set) const;
    // The progress of a puzzle, or null when the state holds no such puzzle.
    PuzzleProgress* FindPuzzle(const PuzzleId& id);
    const PuzzleProgress* FindPuzzle(const PuzzleId& id) const;

    // The state's text in "profiles.xml" (one "state" element, each line ending in a line feed).
    std::string WriteXml() const;

    // Whether the player has got anywhere: played, solved a puzzle or gone through the tutorial.
    // Such a state is never handed to a new player.
    bool HasProgress() const;

    std::array<std::vector<SetProgress>, 2> mProgress;  // 0 story, 1 bonus
    int mCurrentCountry = 0;  // current set: index into the current mode's sets
    std::string mGameName;
    std::string mCurrentGameName;
    std::string mDeviceWord;
    bool mMadeMistake = false;
    bool mSeenHint = false;
    bool mDisableTips = false;
    bool mToggleMode = false;
    bool mShowNumbers = true;
    bool mSeenTutorial = false;
    int mMode = 0;
    int mNumHints = 0;
    int mPuzzle = 0;
    int mMusicAlternation = 0;
};

// The current states, or null when none is current. Set by MakeCurrent; cleared when the state is
// destroyed. Read on the main thread after loading.
BasicPlayerState* GetCurrentBasicPlayerState();
PlayerState* GetCurrentPlayerState();
// Makes no state current; on the main thread also uninstalls the globals (elsewhere that waits
// for InstallCurrentGlobals).
void ClearCurrentPlayerState();
// Installs the current state's variable table as the process-wide globals. Main thread: run after
// a state was made current on the loader (RunDeferredProfileWork does it).
void InstallCurrentGlobals();
