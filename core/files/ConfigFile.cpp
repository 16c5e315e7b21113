#include "core/files/ConfigFile.h"

#include "core/util/StringUtil.h"

bool ConfigFile::Load(const std::string& name) {
    return LoadFromPath("properties/" + name);
}

bool ConfigFile::LoadFromPath(const std::string& path) {
    mDepth = 0;
    mSawWindow = false;
    mNewTitle.clear();
    mNewHotSpots.clear();
    return Commit(ParseFileAtPath(path));
}

bool ConfigFile::Commit(bool parsed) {
    if (parsed && !mSawWindow) {
        Fail("No window element");
        parsed = false;
    }
    if (!parsed) {
        return false;
    }
    mTitle = mNewTitle;
    mHotSpots = mNewHotSpots;
    return true;
}

bool ConfigFile::GetCursorHotSpot(int cursor, int* x, int* y) const {
    const auto it = mHotSpots.find(cursor);
    const HotSpot spot = it == mHotSpots.end() ? HotSpot{} : it->second;
    if (x != nullptr) {
        *x = spot.mX;
    }
    if (y != nullptr) {
        *y = spot.mY;
    }
    return it != mHotSpots.end();
}

void ConfigFile::HandleElementStart(const XMLElement& element) {
    // Only the root and its direct children are known.
    const int depth = mDepth++;
    if (depth == 0) {
        if (element.mName != "config") {
            Fail("The root element must be config, not " + element.mName);
        }
        return;
    }
    if (depth > 1) {
        Fail("Element " + element.mName + " may not stand inside another one");
        return;
    }
    if (element.mName == "window") {
        if (mSawWindow) {
            Fail("The window element is given twice");
            return;
        }
        if (!HasAttribute("title") || GetAttribute("title").empty()) {
            Fail("The window element needs a title");
            return;
        }
        mSawWindow = true;
        mNewTitle = GetAttribute("title");
        return;
    }
    if (element.mName == "cursor") {
        int number = 0;
        HotSpot spot;
        if (!GetAttributeIntChecked("number", &number) || number < 0 || number > kMaxCursor) {
            Fail(StrFormat("A cursor needs a number from 0 to %d", kMaxCursor));
            return;
        }
        if (!GetAttributeIntChecked("x", &spot.mX) || !GetAttributeIntChecked("y", &spot.mY) ||
            spot.mX < 0 || spot.mY < 0 || spot.mX > kMaxHotSpot || spot.mY > kMaxHotSpot) {
            Fail(StrFormat("Cursor %d needs x and y from 0 to %d", number, kMaxHotSpot));
            return;
        }
        if (!mNewHotSpots.emplace(number, spot).second) {
            Fail(StrFormat("Cursor %d is given twice", number));
        }
        return;
    }
    Fail("Unknown element " + element.mName);
}

void ConfigFile::HandleElementEnd(const XMLElement& /*element*/) {
    --mDepth;
}

void ConfigFile::HandleElementText(const XMLElement& element) {
    Fail("Unexpected text in element " + element.mName);
}
