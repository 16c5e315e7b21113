#pragma once
// The asset catalogue "properties/assets.xml": named groups of images (with their cell columns
// and rows, and rectangles of atlas images entered as images of their own), sound effects and
// music tracks. Reading only records what the file says; AssetManager loads. The format is
// described in docs/design/graphics-assets.md.

#include <string>
#include <vector>

struct AssetPieceEntry {
    std::string mName;
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    int mCols = 1;
    int mRows = 1;
    int mLine = 0;
};

struct AssetImageEntry {
    std::string mName;
    std::string mPath;  // below the working folder, '/' separated
    int mCols = 1;
    int mRows = 1;
    int mFlags = 0;  // image flag word handed to the image loader
    int mLine = 0;
    std::vector<AssetPieceEntry> mPieces;  // rectangles of this image, when it is an atlas
};

struct AssetAudioEntry {
    std::string mName;
    std::string mPath;
    int mLine = 0;
};

struct AssetGroupEntry {
    std::string mName;
    bool mStartup = true;  // loaded by the start-up loader; else only through LoadGroup
    std::vector<AssetImageEntry> mImages;
    std::vector<AssetAudioEntry> mSounds;
    std::vector<AssetAudioEntry> mTracks;
};

class AssetCatalogue {
public:
    // Reads "properties/" + name. On failure the catalogue is left as it was and error (when
    // given) names the file and line.
    bool ReadFile(const std::string& name, std::string* error);
    // Reads a catalogue from text; fileName only names it in errors. As ReadFile.
    bool ReadText(const std::string& text, const std::string& fileName, std::string* error);

    const std::vector<AssetGroupEntry>& GetGroups() const { return mGroups; }
    // The group of that name, or null.
    const AssetGroupEntry* FindGroup(const std::string& name) const;
    // Images, pieces, sounds and tracks of the groups loaded at start-up.
    size_t CountStartupEntries() const;
    void Clear() { mGroups.clear(); }

private:
    std::vector<AssetGroupEntry> mGroups;
};
