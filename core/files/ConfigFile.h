#pragma once
// The program's own settings file "config.xml" in "properties/": the window title and the hot
// spots of the cursors (see docs/design/core-files.md for the format).

#include <map>
#include <string>

#include "core/files/Parser.h"

class ConfigFile : public Parser {
public:
    struct HotSpot {
        int mX = 0;
        int mY = 0;
        bool operator==(const HotSpot& other) const = default;
    };

    // Highest cursor number the file may list.
    static constexpr int kMaxCursor = 63;
    // Hot spots lie inside a cursor picture; no cursor is larger than this.
    static constexpr int kMaxHotSpot = 255;

    // Reads "properties/" + name. The whole file is checked first: on any problem nothing is
    // kept (the title and hot spots stay as they were), false is returned and GetError names the
    // line and file.
    bool Load(const std::string& name = "config.xml");
    // As Load, from a path.
    bool LoadFromPath(const std::string& path);

    // The window title; empty until a file was loaded.
    const std::string& GetTitle() const { return mTitle; }
    // The hot spot of a cursor number; false (and 0, 0) when the file does not list it.
    bool GetCursorHotSpot(int cursor, int* x, int* y) const;
    const std::map<int, HotSpot>& GetCursorHotSpots() const { return mHotSpots; }

protected:
    void HandleElementStart(const XMLElement& element) override;
    void HandleElementEnd(const XMLElement& element) override;
    void HandleElementText(const XMLElement& element) override;

private:
    bool Commit(bool parsed);

    // Filled while reading, committed when the whole file is good.
    int mDepth = 0;
    bool mSawWindow = false;
    std::string mNewTitle;
    std::map<int, HotSpot> mNewHotSpots;

    std::string mTitle;
    std::map<int, HotSpot> mHotSpots;
};
