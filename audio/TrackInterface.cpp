#include "audio/TrackInterface.h"

bool TrackInterface::LoadTrack(int, const std::string&, const std::string&) {
    return false;
}
void TrackInterface::PlayTrack(int, int, bool) {}
void TrackInterface::StopTrack(int) {}
void TrackInterface::PauseTrack(int) {}
void TrackInterface::ResumeTrack(int) {}
void TrackInterface::StopAllTracks() {}
void TrackInterface::UnloadTrack(int) {}
void TrackInterface::UnloadAllTracks() {}
void TrackInterface::PauseAllTracks() {}
void TrackInterface::ResumeAllTracks() {}
void TrackInterface::PauseChannel(const std::string&) {}
void TrackInterface::ResumeChannel(const std::string&) {}
std::string TrackInterface::GetTrackChannel(int) {
    return std::string();
}
void TrackInterface::PlayTrackFadeIn(int, int, double, bool) {}
void TrackInterface::FadeOutTrack(int, bool, double) {}
void TrackInterface::FadeOutAllTracks(bool, double) {}
void TrackInterface::FadeOutChannel(const std::string&, bool, double) {}
bool TrackInterface::IsTrackPlaying(int) {
    return false;
}
void TrackInterface::SetMasterVolume(double) {}
void TrackInterface::SetChannelVolume(const std::string&, double) {}
double TrackInterface::GetChannelVolume(const std::string&) {
    return 0.0;
}
void TrackInterface::SetTrackAmplify(int, double) {}
void TrackInterface::Update() {}
