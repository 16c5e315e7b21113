#include "audio/SoundPlayer.h"

#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"
#include "core/expr/MainThreadAssert.h"

SoundPlayer::SoundPlayer(SoundManager* manager, std::function<double()> effectVolume)
    : mManager(manager), mEffectVolume(std::move(effectVolume)) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::PlaySound(int id, int minTicks, double volume) {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::PlaySound");
    auto last = mLastPlayTicks.find(id);
    if (last != mLastPlayTicks.end() && mTick - last->second <= minTicks) {
        return;
    }
    if (SoundInstance* instance = mManager->GetSoundInstance(id)) {
        instance->SetVolume(instance->GetVolume() * volume);
        instance->Play(false, true);
    }
    mLastPlayTicks[id] = mTick;
}

LoopingSoundEntry* SoundPlayer::PlayLooping(int id, float fadeInRate) {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::PlayLooping");
    auto it = mLoops.find(id);
    if (it != mLoops.end()) {
        LoopingSoundEntry& entry = it->second;
        if (entry.count < 1) {
            // Its last user had let go and it is fading out: take it up again rather than let
            // the fade remove a loop that is wanted.
            entry.count = 0;
            if (fadeInRate != 0.0f) {
                entry.rate = fadeInRate;
            } else {
                entry.rate = 0.0f;
                entry.level = 1.0f;
                entry.instance->SetVolume(entry.level * mEffectVolume());
            }
        }
        ++entry.count;
        return &entry;
    }
    SoundInstance* instance = mManager->GetSoundInstance(id);
    if (!instance) {
        return nullptr;
    }
    LoopingSoundEntry entry;
    entry.instance = instance;
    entry.count = 1;
    if (fadeInRate != 0.0f) {
        // Silenced before it starts: the audio thread would otherwise play its first block at
        // full volume, an audible click at the start of every fade-in.
        instance->SetVolume(0.0);
        entry.level = 0.0f;
        entry.rate = fadeInRate;
    } else {
        entry.level = 1.0f;
    }
    instance->Play(true, false);
    return &(mLoops[id] = entry);
}

void SoundPlayer::StopLooping(int id, float fadeOutRate) {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::StopLooping");
    auto it = mLoops.find(id);
    if (it == mLoops.end()) {
        return;
    }
    LoopingSoundEntry& entry = it->second;
    --entry.count;
    if (entry.count >= 1) {
        return;
    }
    if (fadeOutRate > 0.0f) {
        entry.rate = -fadeOutRate;
    } else {
        entry.instance->Release();
        mLoops.erase(it);
    }
}

void SoundPlayer::ReleaseAll() {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::ReleaseAll");
    for (auto& [id, entry] : mLoops) {
        entry.instance->Release();
    }
    mLoops.clear();
}

void SoundPlayer::SetLoopsMuted(bool mute, const std::set<int>& ids) {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::SetLoopsMuted");
    for (int id : ids) {
        auto it = mLoops.find(id);
        if (it != mLoops.end()) {
            it->second.instance->SetVolume((mute ? 0.0 : it->second.level) * mEffectVolume());
        }
    }
}

bool SoundPlayer::IsFading() const {
    for (const auto& [id, entry] : mLoops) {
        if (entry.rate != 0.0f) {
            return true;
        }
    }
    return false;
}

void SoundPlayer::Update() {
    P7_ASSERT_MAIN_THREAD("SoundPlayer::Update");
    ++mTick;
    for (auto it = mLoops.begin(); it != mLoops.end();) {
        LoopingSoundEntry& entry = it->second;
        if (entry.rate != 0.0f) {
            entry.level += entry.rate;
            if (entry.level >= 1.0f) {
                entry.level = 1.0f;
                entry.rate = 0.0f;
            }
            if (entry.level <= 0.0f) {
                entry.instance->Release();
                it = mLoops.erase(it);
                continue;
            }
            entry.instance->SetVolume(entry.level * mEffectVolume());
        }
        ++it;
    }
}

const LoopingSoundEntry* SoundPlayer::FindLoop(int id) const {
    auto it = mLoops.find(id);
    return it == mLoops.end() ? nullptr : &it->second;
}
