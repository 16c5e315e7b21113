#include "game/data/MyLocalization.h"

#include <mutex>
#include <utility>

#include "game/data/GameData.h"

bool MyLocalization::Load() {
    Reset();
    return Run(Read(kFileName));
}

bool MyLocalization::LoadText(const std::string& text, const std::string& fileName) {
    Reset();
    return Run(ReadText(text, fileName));
}

void MyLocalization::Reset() {
    mSets.clear();
    mCurrentSet.clear();
    mInPuzzle = false;
}

bool MyLocalization::Run(bool parsed) {
    if (parsed) {
        std::lock_guard<std::mutex> lock(CurrentGameData().mSetNamesMutex);
        CurrentGameData().mSetNames = std::move(mSets);
    }
    mSets.clear();
    return parsed;
}

void MyLocalization::HandleElementStart(const XMLElement& element) {
    if (element.mName == "set") {
        mCurrentSet = GetAttribute("name");
        mSets[mCurrentSet].mSetName = mCurrentSet;
        return;
    }
    Localization::HandleElementStart(element);
    if (element.mName == "puzzle") {
        // The entry exists from the start tag, so an empty "puzzle" still holds its place.
        LocalizedSetNames& entry = mSets[mCurrentSet];
        entry.mSetName = mCurrentSet;
        entry.mPuzzleNames.emplace_back();
        mInPuzzle = true;
    }
}

void MyLocalization::HandleElementText(const XMLElement& element) {
    if (mInPuzzle && GetCurrentElement() == "puzzle") {
        mSets[mCurrentSet].mPuzzleNames.back() = element.mText;
        ClearCurrentElement();
        return;
    }
    Localization::HandleElementText(element);
}

void MyLocalization::HandleElementEnd(const XMLElement& element) {
    if (element.mName == "puzzle") {
        mInPuzzle = false;
    }
    Localization::HandleElementEnd(element);
}

std::string GetLocalizedPuzzleName(const std::string& setName, int index) {
    std::lock_guard<std::mutex> lock(CurrentGameData().mSetNamesMutex);
    const auto it = CurrentGameData().mSetNames.find(setName);
    if (it == CurrentGameData().mSetNames.end() || index < 0 ||
        static_cast<size_t>(index) >= it->second.mPuzzleNames.size()) {
        return std::string();
    }
    return it->second.mPuzzleNames[static_cast<size_t>(index)];
}

const std::vector<std::string>* FindLocalizedPuzzleNames(const std::string& setName) {
    std::lock_guard<std::mutex> lock(CurrentGameData().mSetNamesMutex);
    const auto it = CurrentGameData().mSetNames.find(setName);
    return it == CurrentGameData().mSetNames.end() ? nullptr : &it->second.mPuzzleNames;
}

void ClearLocalizedSetNames() {
    std::lock_guard<std::mutex> lock(CurrentGameData().mSetNamesMutex);
    CurrentGameData().mSetNames.clear();
}
