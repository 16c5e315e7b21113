#include "audio/MixSoundManager.h"

#include <algorithm>
#include <chrono>

#include "audio/MixSoundInstance.h"
#include "audio/NullAudioOutput.h"
#include "audio/SdlAudioOutput.h"
#include "audio/SoundFileLoader.h"
#include "core/util/Log.h"

namespace {

uint64_t SteadyMilliseconds() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

constexpr uint64_t kSweepPeriodMs = 1000;

}  // namespace

MixSoundManager::MixSoundManager(std::shared_ptr<Mixer> mixer, std::unique_ptr<AudioOutput> output)
    : mMixer(std::move(mixer)), mOutput(std::move(output)), mClock(SteadyMilliseconds) {
    if (!mOutput) {
        mOutput = std::make_unique<NullAudioOutput>();
    }
    mLastSweep = mClock();
    if (mMixer) {
        mOutput->Attach(mMixer.get());
    }
}

MixSoundManager::~MixSoundManager() {
    ReleaseChannels();
    mOutput->Attach(nullptr);
    mOutput.reset();  // the device stops pulling before the mixer can go
}

bool MixSoundManager::Initialized() {
    return mMixer != nullptr;
}

bool MixSoundManager::LoadInto(int id, const std::string& fileName) {
    if (!mMixer) {
        return true;  // silent: the name alone is enough
    }
    PcmData pcm;
    if (!LoadSoundFile(fileName, &pcm)) {
        std::lock_guard lock(mTableMutex);
        if (mSounds[id].name == fileName && !mSounds[id].samples) {
            mSounds[id].name.clear();
        }
        return false;
    }
    auto samples = std::make_shared<const SoundSamples>(MakeSoundSamples(pcm));
    std::lock_guard lock(mTableMutex);
    SoundSlot& slot = mSounds[id];
    slot.name = fileName;
    slot.samples = std::move(samples);
    slot.dataSize = pcm.bytes.size();
    return true;
}

bool MixSoundManager::LoadSound(int id, const std::string& fileName) {
    if (!ValidId(id)) {
        return false;
    }
    std::shared_ptr<const SoundSamples> old;  // freed outside the lock
    {
        std::lock_guard lock(mTableMutex);
        old = std::move(mSounds[id].samples);
        mSounds[id].dataSize = 0;
        mSounds[id].name = fileName;
    }
    return LoadInto(id, fileName);
}

int MixSoundManager::LoadSoundByName(const std::string& fileName) {
    int id = -1;
    {
        std::lock_guard lock(mTableMutex);
        for (int i = 0; i < kMaxSounds; ++i) {
            if (!mSounds[i].name.empty() && mSounds[i].name == fileName) {
                return i;
            }
        }
        // An id counts as taken once it has a name, so a concurrent loader or a silent manager
        // never hands one id out twice.
        for (int i = kMaxSounds - 1; i >= 0; --i) {
            if (mSounds[i].name.empty()) {
                id = i;
                mSounds[i].name = fileName;
                break;
            }
        }
    }
    if (id < 0) {
        return -1;
    }
    return LoadInto(id, fileName) ? id : -1;
}

void MixSoundManager::ReleaseSound(int id) {
    if (!ValidId(id)) {
        return;
    }
    std::shared_ptr<const SoundSamples> old;
    std::lock_guard lock(mTableMutex);
    old = std::move(mSounds[id].samples);
    mSounds[id].name.clear();
    mSounds[id].dataSize = 0;
}

void MixSoundManager::SetVolume(double volume) {
    mEffectVolume = volume;
    for (auto& channel : mChannels) {
        if (channel) {
            channel->ApplyVolume();
        }
    }
}

bool MixSoundManager::SetBaseVolume(int id, double volume) {
    if (!ValidId(id)) {
        return false;
    }
    std::lock_guard lock(mTableMutex);
    mSounds[id].baseVolume = volume;
    return true;
}

bool MixSoundManager::SetBasePan(int id, int pan) {
    if (!ValidId(id)) {
        return false;
    }
    std::lock_guard lock(mTableMutex);
    mSounds[id].basePan = pan;
    return true;
}

int MixSoundManager::FindFreeChannel() {
    const uint64_t now = mClock();
    if (now - mLastSweep > kSweepPeriodMs) {
        for (auto& channel : mChannels) {
            if (channel && channel->IsReleased()) {
                channel.reset();
            }
        }
        mLastSweep = now;
    }
    for (int i = 0; i < kMaxChannels; ++i) {
        if (!mChannels[i]) {
            return i;
        }
        if (mChannels[i]->IsReleased()) {
            mChannels[i].reset();
            return i;
        }
    }
    return -1;
}

SoundInstance* MixSoundManager::GetSoundInstance(int id) {
    if (!ValidId(id)) {
        return nullptr;
    }
    const int channel = FindFreeChannel();
    if (channel < 0) {
        return nullptr;
    }
    std::shared_ptr<const SoundSamples> samples;
    double baseVolume = 1.0;
    int basePan = 0;
    {
        std::lock_guard lock(mTableMutex);
        samples = mSounds[id].samples;
        baseVolume = mSounds[id].baseVolume;
        basePan = mSounds[id].basePan;
    }
    if (mMixer && !samples) {
        return nullptr;
    }
    mChannels[channel] =
        std::make_unique<MixSoundInstance>(this, mMixer.get(), channel, id, std::move(samples));
    mChannels[channel]->SetBasePan(basePan);
    mChannels[channel]->SetBaseVolume(baseVolume);
    return mChannels[channel].get();
}

SoundInstance* MixSoundManager::FindPlayingInstance(int id) {
    for (auto& channel : mChannels) {
        if (channel && channel->GetId() == id && channel->IsPlaying()) {
            return channel.get();
        }
    }
    return nullptr;
}

void MixSoundManager::ReleaseSounds() {
    for (int id = 0; id < kMaxSounds; ++id) {
        ReleaseSound(id);
    }
}

void MixSoundManager::ReleaseChannels() {
    for (auto& channel : mChannels) {
        channel.reset();
    }
}

double MixSoundManager::GetMasterVolume() {
    return mMixer ? mMixer->GetMasterGain() : mSilentMasterVolume;
}

void MixSoundManager::SetMasterVolume(double volume) {
    if (mMixer) {
        mMixer->SetMasterGain(volume);
    } else {
        mSilentMasterVolume = std::clamp(volume, 0.0, 1.0);
    }
}

void MixSoundManager::SetCooperativeWindow(void*, bool) {}

void MixSoundManager::StopAllSounds() {
    for (auto& channel : mChannels) {
        if (channel) {
            channel->StopKeepingAutoRelease();
        }
    }
}

void MixSoundManager::StopSound(int id) {
    for (auto& channel : mChannels) {
        if (channel && channel->GetId() == id) {
            channel->StopKeepingAutoRelease();
        }
    }
}

int MixSoundManager::GetFreeSoundId() {
    std::lock_guard lock(mTableMutex);
    // Without a buffer, and not reserved by a load still under way (its name is set first).
    for (int i = 0; i < kMaxSounds; ++i) {
        if (!mSounds[i].samples && mSounds[i].name.empty()) {
            return i;
        }
    }
    return -1;
}

int MixSoundManager::GetNumSounds() {
    std::lock_guard lock(mTableMutex);
    return static_cast<int>(std::count_if(std::begin(mSounds), std::end(mSounds),
                                          [](const SoundSlot& s) { return s.samples != nullptr; }));
}

size_t MixSoundManager::GetSoundDataSize(int id) {
    if (!ValidId(id)) {
        return 0;
    }
    std::lock_guard lock(mTableMutex);
    return mSounds[id].dataSize;
}

std::unique_ptr<SoundManager> CreateSoundManager(bool tryDevice) {
    if (tryDevice) {
        std::string error;
        std::unique_ptr<SdlAudioOutput> output = SdlAudioOutput::Open(&error);
        if (output) {
            auto mixer = std::make_shared<Mixer>(output->GetRate());
            return std::make_unique<MixSoundManager>(std::move(mixer), std::move(output));
        }
        LogWarning("Sound is off: %s", error.c_str());
    }
    return std::make_unique<MixSoundManager>(nullptr, nullptr);
}
