#include "widgets/anim/EffectHold.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "core/util/Log.h"

namespace {

struct Hold {
    std::string name;
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
    gFile.clear();
    std::istringstream words(text);
    words >> gFile;
    for (std::string word; words >> word;) {
        const size_t at = word.find('@');
        if (at == std::string::npos) {
            continue;
        }
        Hold hold;
        hold.name = word.substr(0, at);
        hold.at = std::strtof(word.c_str() + at + 1, nullptr);
        gHolds.push_back(hold);
    }
    gAsked = !gFile.empty() && !gHolds.empty();
}

bool EffectHoldsAsked() {
    return gAsked;
}

bool HoldsAt(const std::string& name, float clock, float step, bool held) {
    if (held) {
        // Once let go, the clock is past its moment and is never held again.
        return HoldFileExists();
    }
    for (const Hold& hold : gHolds) {
        // Held on the update that would carry the clock to its moment, so that what starts with
        // its clock already past the moment is not held.
        if (hold.name == name && clock < hold.at && clock + step >= hold.at && HoldFileExists()) {
            DebugOutput("\"%s\" held at %.0f updates", name.c_str(), clock);
            return true;
        }
    }
    return false;
}

bool HoldsEffect(const std::string& effectFile, float clock, float step, bool held) {
    static const std::string kFolder = "properties/";
    static const std::string kSuffix = ".hlsl";
    std::string name = effectFile;
    if (name.rfind(kFolder, 0) == 0) {
        name.erase(0, kFolder.size());
    }
    if (name.size() > kSuffix.size() &&
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0) {
        name.resize(name.size() - kSuffix.size());
    }
    return HoldsAt(name, clock, step, held);
}
