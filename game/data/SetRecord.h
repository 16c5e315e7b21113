#pragma once
// One set on the map or in the bonus list, as "sets7.xml" describes it, and one game's sets.

#include <array>
#include <string>
#include <vector>

struct SetRecord {
    std::string mName;           // "name": also the key of its localized texts and puzzle names
    std::string mWing;           // "wing"
    std::string mBackground;     // "background"
    bool mSeparate = false;      // "separate": "true" or "1"
    int mX = 0;                  // "x": map position
    int mY = 0;                  // "y"
    int mUnlock = 0;             // "unlock": story sets a bonus set needs
    std::vector<int> mMusicIds;  // parallel to mMusicNames; -1 when unknown
    std::vector<std::string> mMusicNames;  // one per "music" child, in order

    // Index into the music lists for the player's music alternation (0 or 1), or -1 when the set
    // has no music. A set with one track plays it whatever the alternation.
    int PickMusic(int alternation) const {
        const int count = static_cast<int>(mMusicNames.size());
        if (count == 0) {
            return -1;
        }
        const int wrapped = alternation % count;
        return wrapped < 0 ? wrapped + count : wrapped;
    }
};

struct GameSets {
    std::array<std::vector<SetRecord>, 2> mModes;  // 0 story, 1 bonus
    std::string mName;
};
