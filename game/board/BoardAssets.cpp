#include "game/board/BoardAssets.h"

#include <set>
#include <utility>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "graphics/Image.h"
#include "widgets/NameLookups.h"

namespace {

// The images every grid size needs, as "format(size, device word)".
constexpr const char* kGridImageFormats[] = {
    "Grid%d_%s",
    "G%dTileHighlight_%s",
    "G%dMarkHighlight_%s",
    "G%dCursorHighlight_%s",
};

BoardNoticeHandler gNoticeHandler = nullptr;
bool gStrokeHeld = false;
std::vector<std::pair<std::string, std::string>> gWaitingNotices;  // text, layout

}  // namespace

std::string CurrentDeviceWord() {
    const PlayerState* player = GetCurrentPlayerState();
    if (player == nullptr || player->mDeviceWord.empty()) {
        return "ipad";
    }
    return player->mDeviceWord;
}

Image* FindBoardImage(const std::string& name) {
    return LookupAssetTableA(name);
}

std::string GridImageName(const char* format, int size) {
    return StrFormat(format, size, CurrentDeviceWord().c_str());
}

Image* FindGridImage(const char* format, int size) {
    const std::string name = GridImageName(format, size);
    Image* image = LookupAssetTableA(name);
    if (image == nullptr) {
        static std::set<std::string> reported;
        if (reported.insert(name).second) {
            LogWarning("Grid size %d: image \"%s\" is missing", size, name.c_str());
        }
    }
    return image;
}

std::vector<std::string> CheckGridImages(int size) {
    std::vector<std::string> problems;
    for (const char* format : kGridImageFormats) {
        const std::string name = GridImageName(format, size);
        if (LookupAssetTableA(name) == nullptr) {
            problems.push_back(
                StrFormat("Grid size %d: image \"%s\" is missing", size, name.c_str()));
        }
    }
    return problems;
}

void SetBoardNoticeHandler(BoardNoticeHandler handler) {
    gNoticeHandler = handler;
}

void ShowBoardNotice(const std::string& text, const std::string& layout) {
    if (gStrokeHeld) {
        gWaitingNotices.emplace_back(text, layout);
        return;
    }
    if (gNoticeHandler != nullptr) {
        gNoticeHandler(text, layout);
        return;
    }
    WriteLogLine("Notice (" + layout + "): " + text, true);
}

void SetBoardStrokeHeld(bool held) {
    gStrokeHeld = held;
    if (held) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> waiting;
    waiting.swap(gWaitingNotices);
    for (const auto& [text, layout] : waiting) {
        ShowBoardNotice(text, layout);
    }
}
