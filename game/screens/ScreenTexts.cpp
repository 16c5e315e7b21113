#include "game/screens/ScreenTexts.h"

#include "core/util/Log.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/PuzzleCatalog.h"
#include "graphics/assets/LocalizedTexts.h"

std::string FormatLocalized(const std::string& key, std::initializer_list<FormatArg> args) {
    const std::string format = LocalizedTexts::Lookup(key);
    bool ok = false;
    std::string text = CheckedFormat(format, args, &ok);
    if (!ok) {
        LogWarning("Localized text \"%s\" does not fit its arguments: %s", key.c_str(),
                   text.c_str());
        return format;
    }
    return text;
}

PlayerState* CurrentPlayer() {
    return GetCurrentPlayerState();
}

std::string CurrentGameName() {
    const PlayerState* state = GetCurrentPlayerState();
    return state != nullptr && !state->mGameName.empty() ? state->mGameName
                                                         : std::string(kDefaultGameName);
}

std::string SelectedProfileName() {
    const ProfileRecord* record = GetProfileRecord(GetSelectedProfile());
    return record != nullptr ? record->mName : std::string();
}

std::string FormatPuzzleLabel(const PuzzleId& id) {
    return StrFormat("%s%d-%c", id.mMode >= 1 ? "X" : "", id.mSet + 1,
                     static_cast<char>('A' + id.mIndex));
}
