// The sound and music commands: "sound", "stop-sound", "stop-sounds", "play-track",
// "stop-track", "stop-tracks", "pause-tracks" and "resume-tracks". They reach the application's
// sound player, sound manager and music through the widget host; without one (or without the
// service) they do nothing. The looping-sound commands belong to the menus, which count the
// loops they start.

#include "audio/SoundManager.h"
#include "audio/SoundPlayer.h"
#include "audio/TrackInterface.h"
#include "widgets/NameLookups.h"
#include "widgets/WidgetHost.h"
#include "widgets/script/ScriptCommands.h"

namespace {

using Outcome = ScriptContext::Outcome;

// A fade of 0 or below changes the level at once.
double FadeRate(const ScriptParams& params) {
    const float fade = params.GetFloatOr("fade", 0.004f);
    return fade > 0.0f ? fade : 1.0;
}

TrackInterface* Music() {
    WidgetHost* host = GetWidgetHost();
    return host != nullptr ? host->GetMusic() : nullptr;
}

SoundManager* Sounds() {
    WidgetHost* host = GetWidgetHost();
    return host != nullptr ? host->GetSoundManager() : nullptr;
}

Outcome Sound(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    const int id = LookupAssetTableB(p.GetString("name"));
    WidgetHost* host = GetWidgetHost();
    SoundPlayer* player = host != nullptr ? host->GetSoundPlayer() : nullptr;
    if (id >= 0 && player != nullptr) {
        player->PlaySound(id, p.GetInt("delay"), p.GetFloatOr("volume", 1.0f));
    }
    return ScriptContext::kDone;
}

Outcome StopSound(ScriptContext& c) {
    const int id = LookupAssetTableB(c.Params().GetString("name"));
    if (SoundManager* sounds = Sounds(); sounds != nullptr && id >= 0) {
        sounds->StopSound(id);
    }
    return ScriptContext::kDone;
}

Outcome StopSounds(ScriptContext& c) {
    (void)c;
    if (SoundManager* sounds = Sounds()) {
        sounds->StopAllSounds();
    }
    return ScriptContext::kDone;
}

Outcome PlayTrack(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    TrackInterface* music = Music();
    const int id = LookupNamedId(p.GetString("name"));
    if (music == nullptr || id < 0) {
        return ScriptContext::kDone;
    }
    const double rate = FadeRate(p);
    const bool playing = music->IsTrackPlaying(id);
    if (p.GetBoolOr("sole", true)) {
        // The channel fades out, the track itself included; the fade-in below takes it up again
        // where it stands, so a track already playing goes on without a restart.
        music->FadeOutChannel(music->GetTrackChannel(id), true, rate);
    }
    music->PlayTrackFadeIn(id, playing ? -1 : 0, rate, p.GetBoolOr("loop", true));
    return ScriptContext::kDone;
}

Outcome StopTrack(ScriptContext& c) {
    const int id = LookupNamedId(c.Params().GetString("name"));
    if (TrackInterface* music = Music(); music != nullptr && id >= 0) {
        music->FadeOutTrack(id, true, FadeRate(c.Params()));
    }
    return ScriptContext::kDone;
}

Outcome StopTracks(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    if (TrackInterface* music = Music()) {
        if (p.Has("context")) {
            music->FadeOutChannel(p.GetString("context"), true, FadeRate(p));
        } else {
            music->FadeOutAllTracks(true, FadeRate(p));
        }
    }
    return ScriptContext::kDone;
}

Outcome PauseTracks(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    if (TrackInterface* music = Music()) {
        if (p.Has("context")) {
            music->PauseChannel(p.GetString("context"));
        } else {
            music->PauseAllTracks();
        }
    }
    return ScriptContext::kDone;
}

Outcome ResumeTracks(ScriptContext& c) {
    const ScriptParams& p = c.Params();
    if (TrackInterface* music = Music()) {
        if (p.Has("context")) {
            music->ResumeChannel(p.GetString("context"));
        } else {
            music->ResumeAllTracks();
        }
    }
    return ScriptContext::kDone;
}

}  // namespace

void RegisterSoundCommands(CommandTable& table) {
    table.general["sound"] = Sound;
    table.general["stop-sound"] = StopSound;
    table.general["stop-sounds"] = StopSounds;
    table.general["play-track"] = PlayTrack;
    table.general["stop-track"] = StopTrack;
    table.general["stop-tracks"] = StopTracks;
    table.general["pause-tracks"] = PauseTracks;
    table.general["resume-tracks"] = ResumeTracks;
}
