#pragma once
// A choice of catalogue assets by name: the loading screens collect one and hand it to
// AssetManager::LoadGroup, which loads only the group's assets named in it.

#include <set>
#include <string>

class AssetSet {
public:
    // True when the set stands for every asset of a group, whatever the names (start-up loading).
    bool mAll = false;
    std::set<std::string> mImages;
    std::set<std::string> mSounds;
    std::set<std::string> mTracks;

    AssetSet& operator=(const AssetSet& other) = default;

    bool HasImage(const std::string& name) const { return mAll || mImages.count(name) != 0; }
    bool HasSound(const std::string& name) const { return mAll || mSounds.count(name) != 0; }
    bool HasTrack(const std::string& name) const { return mAll || mTracks.count(name) != 0; }
    bool IsEmpty() const { return !mAll && mImages.empty() && mSounds.empty() && mTracks.empty(); }
};
