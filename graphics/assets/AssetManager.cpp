#include "graphics/assets/AssetManager.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "graphics/assets/AudioAssetLoader.h"

// Defined with the image classes in AssetImageLoading.cpp.
AssetManager::ImageLoader MakeDefaultAssetImageLoader();
AssetManager::PieceMaker MakeDefaultAssetPieceMaker();

namespace {

// Decoding is mostly inflate and colour conversion; a few threads cover a loading screen's
// handful of large images without starving the main thread that keeps drawing.
constexpr unsigned kMaxDecodeThreads = 4;

bool ShouldStop(const std::atomic<bool>* abort) {
    return abort != nullptr && abort->load(std::memory_order_relaxed);
}

}  // namespace

struct AssetManager::LoadCounts {
    std::atomic<int> mLoaded{0};
    std::atomic<int> mFailed{0};
};

AssetManager::AssetManager()
    : mImageLoader(MakeDefaultAssetImageLoader()), mPieceMaker(MakeDefaultAssetPieceMaker()) {}

AssetManager::~AssetManager() = default;

AssetManager& AssetManager::Get() {
    // Never destroyed: loader threads that outlive main must still find it; Clear empties it.
    static AssetManager* manager = new AssetManager;
    return *manager;
}

bool AssetManager::ReadCatalogue(const std::string& name, std::string* error) {
    AssetCatalogue catalogue;
    std::string message;
    if (!catalogue.ReadFile(name, &message)) {
        LogWarning("Asset catalogue not read: %s", message.c_str());
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }
    SetCatalogue(std::move(catalogue));
    return true;
}

void AssetManager::SetCatalogue(AssetCatalogue catalogue) {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    mCatalogue = std::move(catalogue);
}

AssetCatalogue AssetManager::GetCatalogue() const {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    return mCatalogue;
}

void AssetManager::SetImageLoader(ImageLoader loader) {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    mImageLoader = std::move(loader);
}

void AssetManager::SetPieceMaker(PieceMaker maker) {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    mPieceMaker = std::move(maker);
}

void AssetManager::SetAudioLoader(AudioAssetLoader* loader) {
    mAudioLoader.store(loader);
}

size_t AssetManager::GetStartupEntryCount() const {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    return mCatalogue.CountStartupEntries();
}

void AssetManager::LoadStartupAssets(const std::function<void()>& onEntryDone,
                                     const std::atomic<bool>* abort) {
    AssetCatalogue catalogue = GetCatalogue();
    AssetSet all;
    all.mAll = true;
    LoadCounts counts;
    for (const AssetGroupEntry& group : catalogue.GetGroups()) {
        if (!group.mStartup) {
            continue;
        }
        if (ShouldStop(abort)) {
            return;
        }
        LoadGroupEntries(group, all, abort, onEntryDone ? &onEntryDone : nullptr, &counts);
    }
    if (counts.mFailed.load() != 0) {
        LogWarning("%d start-up assets could not be loaded", counts.mFailed.load());
    }
}

bool AssetManager::LoadGroup(std::string* result, const AssetSet& names,
                             const std::atomic<bool>* abort, const std::string& groupName) {
    AssetGroupEntry group;
    {
        std::lock_guard<std::mutex> lock(mCatalogueLock);
        const AssetGroupEntry* found = mCatalogue.FindGroup(groupName);
        if (found == nullptr) {
            if (result != nullptr) {
                *result = "No asset group \"" + groupName + "\" in the catalogue";
            }
            LogWarning("No asset group \"%s\" in the catalogue", groupName.c_str());
            return false;
        }
        group = *found;
    }
    LoadCounts counts;
    LoadGroupEntries(group, names, abort, nullptr, &counts);
    const bool aborted = ShouldStop(abort);
    if (result != nullptr) {
        *result =
            StrFormat("Group \"%s\": %d loaded, %d failed%s", groupName.c_str(),
                      counts.mLoaded.load(), counts.mFailed.load(), aborted ? ", aborted" : "");
    }
    return !aborted;
}

void AssetManager::LoadGroupEntries(const AssetGroupEntry& group, const AssetSet& names,
                                    const std::atomic<bool>* abort,
                                    const std::function<void()>* onEntryDone, LoadCounts* counts) {
    LoadImages(group, names, abort, onEntryDone, counts);

    AudioAssetLoader* audio = mAudioLoader.load();
    // Sounds and tracks load alike; they differ in the loader call and the table they fill.
    auto loadAudio = [&](const std::vector<AssetAudioEntry>& entries, bool tracks) {
        for (const AssetAudioEntry& entry : entries) {
            if (ShouldStop(abort)) {
                return false;
            }
            bool wanted = tracks ? names.HasTrack(entry.mName) && !HasNamedId(entry.mName)
                                 : names.HasSound(entry.mName) && !HasSound(entry.mName);
            if (wanted && audio != nullptr) {
                int id = tracks ? audio->LoadTrack(entry.mPath) : audio->LoadSound(entry.mPath);
                if (id >= 0) {
                    tracks ? SetNamedId(entry.mName, id) : SetSound(entry.mName, id);
                    counts->mLoaded++;
                } else {
                    LogWarning("%s \"%s\" could not be loaded from '%s' (catalogue line %d)",
                               tracks ? "Track" : "Sound", entry.mName.c_str(), entry.mPath.c_str(),
                               entry.mLine);
                    counts->mFailed++;
                }
            }
            if (onEntryDone != nullptr) {
                (*onEntryDone)();
            }
        }
        return true;
    };
    if (loadAudio(group.mSounds, false)) {
        loadAudio(group.mTracks, true);
    }
}

void AssetManager::LoadImages(const AssetGroupEntry& group, const AssetSet& names,
                              const std::atomic<bool>* abort,
                              const std::function<void()>* onEntryDone, LoadCounts* counts) {
    ImageLoader loader;
    PieceMaker maker;
    {
        std::lock_guard<std::mutex> lock(mCatalogueLock);
        loader = mImageLoader;
        maker = mPieceMaker;
    }

    // An atlas is wanted when it or any of its pieces is named; a loaded atlas is decoded again
    // only when it has left the table, which does not happen before Clear.
    std::vector<const AssetImageEntry*> work;
    for (const AssetImageEntry& image : group.mImages) {
        bool wanted = names.HasImage(image.mName);
        for (const AssetPieceEntry& piece : image.mPieces) {
            wanted = wanted || names.HasImage(piece.mName);
        }
        if (wanted) {
            work.push_back(&image);
        }
    }

    std::mutex progressLock;
    auto progress = [&](size_t entries) {
        if (onEntryDone == nullptr) {
            return;
        }
        std::lock_guard<std::mutex> lock(progressLock);
        for (size_t i = 0; i < entries; ++i) {
            (*onEntryDone)();
        }
    };
    // Entries the set does not name still count toward the start-up total.
    if (onEntryDone != nullptr) {
        size_t skipped = 0;
        for (const AssetImageEntry& image : group.mImages) {
            if (std::find(work.begin(), work.end(), &image) == work.end()) {
                skipped += 1 + image.mPieces.size();
            }
        }
        progress(skipped);
    }

    std::atomic<size_t> next{0};
    auto worker = [&]() {
        for (;;) {
            if (ShouldStop(abort)) {
                return;
            }
            size_t index = next.fetch_add(1);
            if (index >= work.size()) {
                return;
            }
            const AssetImageEntry& entry = *work[index];
            std::shared_ptr<Image> atlas = FindImageShared(entry.mName);
            if (!atlas) {
                atlas = loader ? loader(entry) : nullptr;
                if (atlas) {
                    SetImage(entry.mName, atlas);
                    counts->mLoaded++;
                } else {
                    LogWarning("Image \"%s\" could not be loaded from '%s' (catalogue line %d)",
                               entry.mName.c_str(), entry.mPath.c_str(), entry.mLine);
                    counts->mFailed++;
                }
            }
            for (const AssetPieceEntry& piece : entry.mPieces) {
                if (!atlas || HasImage(piece.mName)) {
                    continue;
                }
                std::shared_ptr<Image> cut = maker ? maker(atlas, piece) : nullptr;
                if (cut) {
                    SetImage(piece.mName, std::move(cut));
                    counts->mLoaded++;
                } else {
                    LogWarning("Atlas piece \"%s\" does not fit image \"%s\" (catalogue line %d)",
                               piece.mName.c_str(), entry.mName.c_str(), piece.mLine);
                    counts->mFailed++;
                }
            }
            progress(1 + entry.mPieces.size());
        }
    };

    unsigned threads =
        std::min<unsigned>(kMaxDecodeThreads, std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min<unsigned>(threads, static_cast<unsigned>(work.size()));
    if (threads <= 1) {
        worker();
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(threads - 1);
    for (unsigned i = 1; i < threads; ++i) {
        pool.emplace_back(worker);
    }
    worker();
    for (std::thread& thread : pool) {
        thread.join();
    }
}

void AssetManager::CollectAssetsMatching(const std::string& text, AssetSet* names) const {
    std::lock_guard<std::mutex> lock(mCatalogueLock);
    for (const AssetGroupEntry& group : mCatalogue.GetGroups()) {
        for (const AssetImageEntry& image : group.mImages) {
            if (image.mPath.find(text) == std::string::npos) {
                continue;
            }
            names->mImages.insert(image.mName);
            for (const AssetPieceEntry& piece : image.mPieces) {
                names->mImages.insert(piece.mName);
            }
        }
        for (const AssetAudioEntry& sound : group.mSounds) {
            if (sound.mPath.find(text) != std::string::npos) {
                names->mSounds.insert(sound.mName);
            }
        }
        for (const AssetAudioEntry& track : group.mTracks) {
            if (track.mPath.find(text) != std::string::npos) {
                names->mTracks.insert(track.mName);
            }
        }
    }
}

std::shared_ptr<Image> AssetManager::FindImageShared(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mImageLock);
    auto it = mImages.find(name);
    return it == mImages.end() ? nullptr : it->second;
}

Image* AssetManager::FindImage(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mImageLock);
    auto it = mImages.find(name);
    return it == mImages.end() ? nullptr : it->second.get();
}

int AssetManager::FindSound(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mSoundLock);
    auto it = mSounds.find(name);
    return it == mSounds.end() ? -1 : it->second;
}

int AssetManager::FindNamedId(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mTrackLock);
    auto it = mNamedIds.find(name);
    return it == mNamedIds.end() ? -1 : it->second;
}

bool AssetManager::HasImage(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mImageLock);
    return mImages.count(name) != 0;
}

bool AssetManager::HasSound(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mSoundLock);
    return mSounds.count(name) != 0;
}

bool AssetManager::HasNamedId(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mTrackLock);
    return mNamedIds.count(name) != 0;
}

void AssetManager::SetImage(const std::string& name, std::shared_ptr<Image> image) {
    std::lock_guard<std::mutex> lock(mImageLock);
    std::shared_ptr<Image>& slot = mImages[name];
    if (slot) {
        // Someone may hold the plain pointer FindImage gave out: keep the old image until Clear.
        mRetired.push_back(std::move(slot));
    }
    slot = std::move(image);
}

void AssetManager::SetSound(const std::string& name, int id) {
    std::lock_guard<std::mutex> lock(mSoundLock);
    mSounds[name] = id;
}

void AssetManager::SetNamedId(const std::string& name, int id) {
    std::lock_guard<std::mutex> lock(mTrackLock);
    mNamedIds[name] = id;
}

void AssetManager::Clear() {
    // Released outside the lock: an image's destructor may take other locks.
    std::map<std::string, std::shared_ptr<Image>> images;
    std::vector<std::shared_ptr<Image>> retired;
    {
        std::lock_guard<std::mutex> lock(mImageLock);
        images.swap(mImages);
        retired.swap(mRetired);
    }
    {
        std::lock_guard<std::mutex> lock(mSoundLock);
        mSounds.clear();
    }
    std::lock_guard<std::mutex> lock(mTrackLock);
    mNamedIds.clear();
}
