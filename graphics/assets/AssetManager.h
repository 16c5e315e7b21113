#pragma once
// The asset manager: the catalogue "properties/assets.xml" and the three tables filled from it,
// images by name, sound ids by name and music-track ids by name (the named-id table). Each table
// has its own lock, because lookups on the main thread run while loader threads fill the tables.
//
// Images are held by shared ownership and stay in the table until Clear at exit, so a widget that
// looked an image up keeps drawing it however the tables change.

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/assets/AssetCatalogue.h"
#include "graphics/assets/AssetSet.h"

class Image;
class AudioAssetLoader;

class AssetManager {
public:
    // Decodes one catalogue image; null when the file is missing or broken (the loader logs
    // why). Called on worker threads, several at once; must not touch GL.
    using ImageLoader = std::function<std::shared_ptr<Image>(const AssetImageEntry& entry)>;
    // Makes the image standing for a rectangle of a loaded atlas image; null when the rectangle
    // does not fit. Called on worker threads.
    using PieceMaker = std::function<std::shared_ptr<Image>(const std::shared_ptr<Image>& atlas,
                                                            const AssetPieceEntry& piece)>;

    AssetManager();
    ~AssetManager();
    AssetManager(const AssetManager&) = delete;
    AssetManager& operator=(const AssetManager&) = delete;

    // The process-wide manager; lives until the process ends.
    static AssetManager& Get();

    // Reads the catalogue ("properties/" + name). On a malformed file the old catalogue stays,
    // the error (file and line) is logged and returned through error. Main thread, before any
    // loading.
    bool ReadCatalogue(const std::string& name = "assets.xml", std::string* error = nullptr);
    // Replaces the catalogue (tests, tools).
    void SetCatalogue(AssetCatalogue catalogue);
    // A copy of the catalogue, safe against a concurrent ReadCatalogue.
    AssetCatalogue GetCatalogue() const;

    // How images are decoded and atlas pieces made. The defaults read files through the image
    // readers and cut pieces with ImageAtlasPiece. Set before loading starts.
    void SetImageLoader(ImageLoader loader);
    void SetPieceMaker(PieceMaker maker);
    // The audio layer's loader; null (the default) records sound and track entries without
    // loading them. The manager does not own it. Set before loading starts.
    void SetAudioLoader(AudioAssetLoader* loader);

    // Number of entries the start-up loading goes through (for the loading bar's total).
    size_t GetStartupEntryCount() const;
    // Loads every group marked for start-up, whole; calls onEntryDone after each entry (image,
    // piece, sound or track). Loader thread. Stops early when abort becomes true.
    void LoadStartupAssets(const std::function<void()>& onEntryDone,
                           const std::atomic<bool>* abort = nullptr);

    // Loads the assets of the named group that the set names (all of them when names.mAll),
    // decoding images on worker threads, skipping what is loaded already. Stops early when abort
    // becomes true. result (when given) receives a one-line summary. False when the group does
    // not exist or the loading was aborted; missing or broken files are logged and skipped.
    // Any thread but the main thread is expected (it blocks while decoding).
    bool LoadGroup(std::string* result, const AssetSet& names, const std::atomic<bool>* abort,
                   const std::string& groupName);

    // Adds to names the name of every catalogue asset (any group) whose path contains text: an
    // image and its pieces to the image names, sounds and tracks to theirs.
    void CollectAssetsMatching(const std::string& text, AssetSet* names) const;

    // Lookups. Any thread; each holds its table's lock only for the search.
    std::shared_ptr<Image> FindImageShared(const std::string& name) const;
    // The image without a share of ownership: valid until Clear, since loaded images are never
    // replaced or removed before then. Null when absent.
    Image* FindImage(const std::string& name) const;
    // Sound id or -1.
    int FindSound(const std::string& name) const;
    // Music-track id or -1.
    int FindNamedId(const std::string& name) const;

    // Enters entries by hand (images loaded elsewhere, tests). An existing name is replaced.
    void SetImage(const std::string& name, std::shared_ptr<Image> image);
    void SetSound(const std::string& name, int id);
    void SetNamedId(const std::string& name, int id);

    // Empties the three tables (exit). The catalogue stays.
    void Clear();

private:
    struct LoadCounts;
    void LoadGroupEntries(const AssetGroupEntry& group, const AssetSet& names,
                          const std::atomic<bool>* abort, const std::function<void()>* onEntryDone,
                          LoadCounts* counts);
    void LoadImages(const AssetGroupEntry& group, const AssetSet& names,
                    const std::atomic<bool>* abort, const std::function<void()>* onEntryDone,
                    LoadCounts* counts);
    bool HasImage(const std::string& name) const;
    bool HasSound(const std::string& name) const;
    bool HasNamedId(const std::string& name) const;

    mutable std::mutex mCatalogueLock;
    AssetCatalogue mCatalogue;
    ImageLoader mImageLoader;
    PieceMaker mPieceMaker;
    std::atomic<AudioAssetLoader*> mAudioLoader{nullptr};

    mutable std::mutex mImageLock;
    std::map<std::string, std::shared_ptr<Image>> mImages;
    std::vector<std::shared_ptr<Image>> mRetired;  // replaced images, freed by Clear
    mutable std::mutex mSoundLock;
    std::map<std::string, int> mSounds;
    mutable std::mutex mTrackLock;
    std::map<std::string, int> mNamedIds;
};
