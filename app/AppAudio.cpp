#include "app/AppAudio.h"

#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"
#include "audio/SoundPlayer.h"
#include "audio/TrackInterface.h"

namespace {

// The catalogue names sound files with their extension; the sound loader tries the cache and
// every known extension itself from the bare name.
std::string WithoutExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path;
    }
    return path.substr(0, dot);
}

}  // namespace

AppAudio::AppAudio(bool tryDevice, std::function<double()> effectVolume)
    : mSoundManager(CreateSoundManager(tryDevice)),
      mMusic(CreateMusicInterface(*mSoundManager)),
      mSoundPlayer(std::make_unique<SoundPlayer>(mSoundManager.get(), std::move(effectVolume))) {}

AppAudio::~AppAudio() {
    mSoundPlayer->ReleaseAll();
    mSoundPlayer.reset();
    mMusic->StopAllTracks();
    mMusic.reset();
    mSoundManager->ReleaseChannels();
    mSoundManager.reset();
}

bool AppAudio::IsFading() const {
    return mSoundPlayer->IsFading() || mMusic->IsFading();
}

void AppAudio::Update() {
    mSoundPlayer->Update();
    mMusic->Update();
}

void AppAudio::ApplySfxVolume(double volume) {
    mSoundManager->SetVolume(volume);
}

void AppAudio::ApplyChannelVolume(const std::string& channel, double volume) {
    mMusic->SetChannelVolume(channel, volume);
}

void AppAudio::PlaySample(int soundId) {
    if (SoundInstance* instance = mSoundManager->GetSoundInstance(soundId)) {
        instance->Play(false, true);
    }
}

int AppAudio::LoadSound(const std::string& path) {
    return mSoundManager->LoadSoundByName(WithoutExtension(path));
}

int AppAudio::LoadTrack(const std::string& path) {
    const int id = mNextTrackId.fetch_add(1);
    if (WithoutExtension(path) == path) {
        // A track named without an extension is an Ogg or MP3 stream; the bare name alone would
        // be read as a module.
        for (const char* ext : {".ogg", ".mp3"}) {
            if (mMusic->LoadTrack(id, path + ext, "music")) {
                return id;
            }
        }
    }
    return mMusic->LoadTrack(id, path, "music") ? id : -1;
}
