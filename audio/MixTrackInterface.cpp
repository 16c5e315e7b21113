#include "audio/MixTrackInterface.h"

#include <algorithm>
#include <vector>

#include "audio/MixSoundManager.h"
#include "audio/MusicSources.h"
#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

MixTrackInterface::MixTrackInterface(std::shared_ptr<Mixer> mixer) : mMixer(std::move(mixer)) {}

MixTrackInterface::~MixTrackInterface() {
    UnloadAllTracks();
}

MixTrackInterface::Track* MixTrackInterface::Find(int id) {
    auto it = mTracks.find(id);
    return it == mTracks.end() ? nullptr : &it->second;
}

bool MixTrackInterface::Attach(Track& track) {
    track.started = ++mStarts;
    if (track.slot >= 0) {
        return true;
    }
    if (!track.source) {
        // Read now, from the start: a released track has no place to go back to.
        track.source = Open(track.path, &track.module);
        if (!track.source) {
            LogWarning("Music: '%s' could not be opened again; it is not played",
                       track.path.c_str());
            return false;
        }
    }
    track.slot = mMixer->AttachStream(track.source.get());
    if (track.slot < 0) {
        // Stopped tracks give their slot back; their decoders keep their place.
        for (auto& [id, other] : mTracks) {
            if (other.slot >= 0 && State(other) == Mixer::StreamState::kStopped) {
                Detach(other);
            }
        }
        track.slot = mMixer->AttachStream(track.source.get());
    }
    if (track.slot < 0) {
        LogWarning("Music: more than %d tracks at once; one is not played", Mixer::kStreamCount);
        return false;
    }
    ApplyVolume(track);
    return true;
}

void MixTrackInterface::Detach(Track& track) {
    if (track.slot >= 0) {
        mMixer->DetachStream(track.slot);
        track.slot = -1;
    }
}

Mixer::StreamState MixTrackInterface::State(const Track& track) const {
    return track.slot >= 0 ? mMixer->GetStreamState(track.slot) : Mixer::StreamState::kStopped;
}

void MixTrackInterface::ApplyVolume(Track& track) {
    if (track.slot < 0) {
        return;
    }
    auto it = mChannelVolumes.find(track.channel);
    const double channel = it == mChannelVolumes.end() ? 0.0 : it->second;
    const double gain =
        channel * track.level * mMasterVolume * kMusicGain * (track.module ? track.amplify : 1.0);
    mMixer->SetStreamGain(track.slot, static_cast<float>(gain));
}

void MixTrackInterface::Stop(Track& track) {
    if (track.slot >= 0) {
        mMixer->StopStream(track.slot);
    }
}

std::unique_ptr<MusicSource> MixTrackInterface::Open(const std::string& path, bool* module) const {
    std::string bytes;
    if (!PakInterfaceBase::Get()->ReadWholeFile(path, &bytes)) {
        return nullptr;
    }
    // The extension decides, in either letter case: "TUNE.OGG" is a stream like "tune.ogg".
    const size_t dot = path.find_last_of('.');
    const std::string ext =
        StringToLower(dot == std::string::npos ? std::string() : path.substr(dot + 1, 3));
    std::string error;
    std::unique_ptr<MusicSource> source;
    *module = false;
    if (ext == "wav") {
        source = CreateWaveMusicSource(std::move(bytes), path, &error);
    } else if (ext == "ogg") {
        source = CreateOggMusicSource(std::move(bytes), path, &error);
    } else if (ext == "mp3") {
        source = CreateMp3MusicSource(std::move(bytes), path, &error);
    } else {
        *module = true;
        source = CreateModuleMusicSource(bytes, path, mMixer->GetOutputRate(), &error);
    }
    if (!source) {
        LogWarning("%s", error.c_str());
    }
    return source;
}

bool MixTrackInterface::LoadTrack(int id, const std::string& path, const std::string& channel) {
    Track track;
    track.channel = channel;
    track.path = path;
    // Opened once to check that it decodes; held only while it plays.
    if (!Open(path, &track.module)) {
        return false;
    }
    std::unique_ptr<MusicSource> old;  // an earlier track of this id, freed outside the lock
    {
        std::lock_guard lock(mMutex);
        if (Track* existing = Find(id)) {
            Detach(*existing);
            old = std::move(existing->source);
        }
        mTracks[id] = std::move(track);
    }
    return true;
}

void MixTrackInterface::StartAt(Track& track, int offset, bool loop, bool fadeIn) {
    if (!Attach(track)) {
        return;
    }
    const int slot = track.slot;
    if (track.module) {
        if (fadeIn && offset == -1) {
            mMixer->SeekStream(slot, 0);
        } else {
            mMixer->StopStream(slot);
            mMixer->SeekStream(slot, offset & 0xFFFF);  // an order past the end is refused
            mMixer->SetStreamLoop(slot, loop);
        }
    } else {
        mMixer->SetStreamLoop(slot, loop);
        if (offset != -1) {
            mMixer->SeekStream(slot, 0);
        }
        const int bytesPerFrame = track.source->BytesPerFrame();
        if (offset > 0 && bytesPerFrame > 0) {
            mMixer->SeekStream(slot, offset / bytesPerFrame);
        }
    }
    mMixer->PlayStream(slot);
}

void MixTrackInterface::PlayTrack(int id, int offset, bool loop) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->level = t->ceiling;
        t->rate = 0.0;
        ApplyVolume(*t);
        Stop(*t);
        StartAt(*t, offset, loop, false);
    }
}

void MixTrackInterface::PlayTrackFadeIn(int id, int offset, double rate, bool loop) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->rate = rate;
        ApplyVolume(*t);
        StartAt(*t, offset, loop, true);
    }
}

void MixTrackInterface::StopTrack(int id) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->level = 0.0;
        Stop(*t);
    }
}

void MixTrackInterface::PauseTrack(int id) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id); t && t->slot >= 0) {
        mMixer->PauseStream(t->slot);
    }
}

void MixTrackInterface::ResumeTrack(int id) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id); t && Attach(*t)) {
        mMixer->PlayStream(t->slot);
    }
}

void MixTrackInterface::StopAllTracks() {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        t.level = 0.0;
        Stop(t);
    }
}

void MixTrackInterface::UnloadTrack(int id) {
    std::unique_ptr<MusicSource> source;
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        Detach(*t);
        source = std::move(t->source);
        mTracks.erase(id);
    }
}

void MixTrackInterface::UnloadAllTracks() {
    std::map<int, Track> tracks;
    {
        std::lock_guard lock(mMutex);
        for (auto& [id, t] : mTracks) {
            Detach(t);
        }
        tracks.swap(mTracks);
    }
}

void MixTrackInterface::PauseAllTracks() {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (State(t) == Mixer::StreamState::kPlaying) {
            mMixer->PauseStream(t.slot);
        }
    }
}

void MixTrackInterface::ResumeAllTracks() {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (State(t) == Mixer::StreamState::kPaused) {
            mMixer->PlayStream(t.slot);
        }
    }
}

void MixTrackInterface::PauseChannel(const std::string& channel) {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (t.channel == channel && State(t) == Mixer::StreamState::kPlaying) {
            mMixer->PauseStream(t.slot);
        }
    }
}

void MixTrackInterface::ResumeChannel(const std::string& channel) {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (t.channel == channel && State(t) == Mixer::StreamState::kPaused) {
            mMixer->PlayStream(t.slot);
        }
    }
}

std::string MixTrackInterface::GetTrackChannel(int id) {
    std::lock_guard lock(mMutex);
    Track* t = Find(id);
    return t ? t->channel : std::string();
}

void MixTrackInterface::FadeOutTrack(int id, bool stopWhenSilent, double rate) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->stopWhenSilent = stopWhenSilent;
        if (t->level != 0.0) {
            t->rate = -rate;
        }
    }
}

void MixTrackInterface::FadeOutAllTracks(bool stopWhenSilent, double rate) {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        t.stopWhenSilent = stopWhenSilent;
        if (t.level != 0.0) {
            t.rate = -rate;
        }
    }
}

void MixTrackInterface::FadeOutChannel(const std::string& channel, bool stopWhenSilent,
                                       double rate) {
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (t.channel == channel) {
            t.stopWhenSilent = stopWhenSilent;
            if (t.level != 0.0) {
                t.rate = -rate;
            }
        }
    }
}

bool MixTrackInterface::IsTrackPlaying(int id) {
    std::lock_guard lock(mMutex);
    Track* t = Find(id);
    return t && State(*t) == Mixer::StreamState::kPlaying;
}

void MixTrackInterface::SetMasterVolume(double volume) {
    std::lock_guard lock(mMutex);
    mMasterVolume = volume;
    for (auto& [id, t] : mTracks) {
        ApplyVolume(t);
    }
}

void MixTrackInterface::SetChannelVolume(const std::string& channel, double volume) {
    std::lock_guard lock(mMutex);
    mChannelVolumes[channel] = volume;
    for (auto& [id, t] : mTracks) {
        if (t.channel == channel) {
            ApplyVolume(t);
        }
    }
}

double MixTrackInterface::GetChannelVolume(const std::string& channel) {
    std::lock_guard lock(mMutex);
    auto it = mChannelVolumes.find(channel);
    return it == mChannelVolumes.end() ? 0.0 : it->second;
}

void MixTrackInterface::SetTrackAmplify(int id, double amplify) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->amplify = amplify / 50.0;
        ApplyVolume(*t);
    }
}

void MixTrackInterface::SetTrackVolume(int id, double volume) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->level = volume;
        ApplyVolume(*t);
    }
}

void MixTrackInterface::SetTrackMaxVolume(int id, double volume) {
    std::lock_guard lock(mMutex);
    if (Track* t = Find(id)) {
        t->ceiling = volume;
        if (t->level > t->ceiling) {
            t->level = t->ceiling;
        }
        ApplyVolume(*t);
    }
}

double MixTrackInterface::GetTrackLevel(int id) {
    std::lock_guard lock(mMutex);
    Track* t = Find(id);
    return t ? t->level : -1.0;
}

int MixTrackInterface::CountHeldTracks() {
    std::lock_guard lock(mMutex);
    return static_cast<int>(std::count_if(mTracks.begin(), mTracks.end(), [](const auto& entry) {
        return entry.second.source != nullptr;
    }));
}

void MixTrackInterface::Update() {
    std::vector<std::unique_ptr<MusicSource>> released;  // freed after the lock is left
    std::lock_guard lock(mMutex);
    for (auto& [id, t] : mTracks) {
        if (t.source && t.started + kHeldTracks <= mStarts &&
            State(t) == Mixer::StreamState::kStopped) {
            Detach(t);
            released.push_back(std::move(t.source));
        }
        if (t.rate == 0.0) {
            continue;
        }
        t.level += t.rate;
        if (t.level > t.ceiling) {
            t.level = t.ceiling;
            t.rate = 0.0;
        } else if (t.level < 0.0) {
            t.level = 0.0;
            t.rate = 0.0;
            if (t.stopWhenSilent) {
                Stop(t);
            }
        }
        ApplyVolume(t);
    }
}

bool MixTrackInterface::IsFading() const {
    std::lock_guard lock(mMutex);
    for (const auto& [id, t] : mTracks) {
        if (t.rate != 0.0) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<TrackInterface> CreateMusicInterface(SoundManager& manager) {
    auto* mixed = dynamic_cast<MixSoundManager*>(&manager);
    if (mixed && mixed->GetMixer()) {
        return std::make_unique<MixTrackInterface>(mixed->GetMixer());
    }
    return std::make_unique<TrackInterface>();
}
