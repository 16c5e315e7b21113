#pragma once
// The font table: fonts by name, read from "properties/fonts.xml". Each entry names a font file
// (or an installed family) with its pixel size, style, shadow and spacing; the format is
// described in docs/design/graphics-assets.md.
//
// Reading is in two steps so that the start-up can parse on the main thread and rasterise on
// the loader thread: ReadTable checks the whole file and records the entries, LoadFonts makes
// the fonts. Lookups may run while LoadFonts fills the table; a font, once entered, stays until
// Clear.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/fonts/TrueTypeFont.h"

struct FontEntry {
    std::string mName;
    std::string mFile;    // a font file below the working folder, or
    std::string mFamily;  // an installed family, resolved through fontconfig
    int mFaceIndex = 0;
    int mSize = 0;   // em size in pixels
    int mStyle = 0;  // TrueTypeFont::kBold | kItalic
    FontShadow mShadow;
    int mLineSpacing = -1;  // -1: the face's own
    int mAscentPadding = 0;
    int mLine = 0;  // line in the table file, for messages
};

class Fonts {
public:
    // Parses "properties/" + name into entries; on a malformed file the entries stay as they
    // were and error names the file and line. Any thread (one at a time).
    static bool ReadTable(const std::string& name, std::string* error);
    // The same from text; fileName names it in errors.
    static bool ReadTableText(const std::string& text, const std::string& fileName,
                              std::string* error);
    // Number of entries read (for the loading bar's total).
    static size_t GetEntryCount();
    // Makes the font of every entry not loaded yet, calling onEntryDone after each. A font file
    // that is missing or broken is logged with the table's line, and DejaVu Sans of the same
    // size stands in. Loader thread.
    static void LoadFonts(const std::function<void()>& onEntryDone = {});
    // ReadTable then LoadFonts.
    static bool Load(const std::string& name, std::string* error);

    // The font of that name, none when absent. The table keeps ownership; callers that keep a
    // font of their own take a Duplicate. Any thread.
    static Font* Find(const std::string& name);

    // Enters a font by hand (tests, tools); replaces an entry of that name.
    static void Set(const std::string& name, std::unique_ptr<Font> font);

    // Empties the table and the entries (exit, or before reading again). No font may be in use.
    static void Clear();

    // Parses one table into entries without touching the table (validation, tests).
    static bool ParseEntries(const std::string* text, const std::string& fileName,
                             std::vector<FontEntry>* entries, std::string* error);

private:
    // Parses the table (from text when given, else from the file at path) and takes it only
    // when it is whole.
    static bool ReplaceTable(const std::string* text, const std::string& path, std::string* error);
};
