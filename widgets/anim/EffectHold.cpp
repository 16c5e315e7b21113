#include "widgets/anim/EffectHold.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "core/util/Log.h"

namespace {

struct Hold {
    std::string effectFile;
    float at = 0.0f;
};

bool gAsked = false;
std::string gFile;
std::vector<Hold> gHolds;

bool HoldFileExists() {
    struct stat info {};
    return ::stat(gFile.c_str(), &info) == 0;
}

}  // namespace

void ConfigureEffectHolds(const std::string& text) {
    gHolds.clear();
    std::istringstream words(text);
    words >> gFile;
    for (std::string word; words >> word;) {
        const size_t at = word.find('@');
        if (at == std::string::npos) {
            continue;
        }
        Hold hold;
        hold.effectFile = "properties/" + word.substr(0, at) + ".hlsl";
        hold.at = std::strtof(word.c_str() + at + 1, nullptr);
        gHolds.push_back(hold);
    }
    gAsked = !gFile.empty() && !gHolds.empty();
}

bool EffectHoldsAsked() {
    return gAsked;
}

bool HoldsEffect(const std::string& effectFile, float clock, float step, bool held) {
    if (held) {
        // Once let go, the widget's clock is past its moment and is never held again.
        return HoldFileExists();
    }
    for (const Hold& hold : gHolds) {
        // Held on the update that would carry the clock to its moment, so that a widget made
        // with its clock already past the moment is not held.
        if (hold.effectFile == effectFile && clock < hold.at && clock + step >= hold.at &&
            HoldFileExists()) {
            DebugOutput("Effect \"%s\" held at %.0f updates", effectFile.c_str(), clock);
            return true;
        }
    }
    return false;
}
