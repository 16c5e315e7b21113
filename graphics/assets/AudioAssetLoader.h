#pragma once
// What the asset manager needs of the audio layer: turning a catalogue's sound and music entries
// into ids. The audio layer implements it and installs it with AssetManager::SetAudioLoader;
// until then sound and track entries are only recorded.

#include <string>

class AudioAssetLoader {
public:
    virtual ~AudioAssetLoader() = default;

    // Loads a sound effect file (a path below the working folder, as the catalogue gives it) and
    // returns its sound id, or -1 when it could not be loaded. Called on asset loader threads,
    // possibly several at once.
    virtual int LoadSound(const std::string& path) = 0;

    // Loads a music track file and returns its track id, or -1. Called as LoadSound.
    virtual int LoadTrack(const std::string& path) = 0;
};
