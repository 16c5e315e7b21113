#include "widgets/controls/NullMoviePlayer.h"

#include "core/util/Log.h"

namespace {

bool gLogged = false;

}  // namespace

bool NullMoviePlayer::Load(const std::string& path, int width, int height) {
    (void)width, (void)height;
    if (!gLogged) {
        gLogged = true;
        LogWarning("No movie player on this platform: \"%s\" and any later movie are not shown",
                   path.c_str());
    }
    return false;
}

bool NullMoviePlayer::HasLogged() {
    return gLogged;
}
