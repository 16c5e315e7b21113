#include "graphics/assets/AssetCatalogue.h"

#include <charconv>
#include <limits>
#include <set>

#include "core/files/Parser.h"
#include "core/util/StringUtil.h"

namespace {

// Ceilings on what an entry may ask the loader to allocate: a side or a place of a picture (the
// largest texture a driver takes is 16384 pixels a side) and the cells of one image.
constexpr int kMaxPixels = 16384;
constexpr int kMaxCells = 4096;

// Reads the whole file into temporaries; the catalogue takes them only when the file is sound.
class CatalogueReader : public Parser {
public:
    std::vector<AssetGroupEntry> mGroups;

protected:
    void HandleElementStart(const XMLElement& element) override {
        const std::string parent = mStack.empty() ? std::string() : mStack.back();
        mStack.push_back(element.mName);
        if (mFailed) {
            return;
        }
        const std::string& name = element.mName;
        if (name == "assets") {
            if (!parent.empty()) {
                Stop("\"assets\" must be the outermost element");
            }
        } else if (name == "group") {
            if (parent != "assets") {
                Stop("\"group\" must stand directly inside \"assets\"");
                return;
            }
            StartGroup();
        } else if (name == "image") {
            if (parent != "group") {
                Stop("\"image\" must stand inside a \"group\"");
                return;
            }
            AddImage();
        } else if (name == "piece") {
            if (parent != "image") {
                Stop("\"piece\" must stand inside an \"image\"");
                return;
            }
            AddPiece();
        } else if (name == "sound" || name == "track") {
            if (parent != "group") {
                Stop("\"" + name + "\" must stand inside a \"group\"");
                return;
            }
            AddAudio(name == "sound");
        } else {
            Stop("Unknown element \"" + name + "\"");
        }
    }

    void HandleElementEnd(const XMLElement& /*element*/) override {
        if (!mStack.empty()) {
            mStack.pop_back();
        }
    }

private:
    void Stop(const std::string& message) {
        mFailed = true;
        Fail(message);
    }

    bool RequireText(const char* attribute, std::string* out) {
        *out = GetAttribute(attribute);
        if (out->empty()) {
            Stop(StrAttr(attribute) + " is missing or empty");
            return false;
        }
        return true;
    }

    static std::string StrAttr(const char* attribute) {
        return std::string("The attribute \"") + attribute + "\"";
    }

    // A whole decimal number; absent gives fallback. Catalogue numbers are plain integers so that
    // a typing mistake is caught here rather than read as 0. Every number sizes something the
    // loader allocates, so each has a ceiling too.
    bool ReadInt(const char* attribute, int fallback, int minimum, int* out,
                 int maximum = kMaxPixels) {
        if (!HasAttribute(attribute)) {
            *out = fallback;
            return true;
        }
        const std::string text = GetAttribute(attribute);
        int value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size()) {
            Stop(StrAttr(attribute) + " is not a whole number: \"" + text + "\"");
            return false;
        }
        if (value < minimum) {
            Stop(StrAttr(attribute) + " must be at least " + std::to_string(minimum));
            return false;
        }
        if (value > maximum) {
            Stop(StrAttr(attribute) + " must be at most " + std::to_string(maximum) + ", not " +
                 text);
            return false;
        }
        *out = value;
        return true;
    }

    // Cells are laid out per image: rows x cols of them is bounded, not only each side.
    bool ReadCells(int* cols, int* rows) {
        if (!ReadInt("cols", 1, 1, cols, kMaxCells) || !ReadInt("rows", 1, 1, rows, kMaxCells)) {
            return false;
        }
        if (static_cast<long long>(*cols) * *rows > kMaxCells) {
            Stop(StrFormat("The cells \"cols\" x \"rows\" (%d x %d) are more than %d", *cols, *rows,
                           kMaxCells));
            return false;
        }
        return true;
    }

    bool ClaimName(std::set<std::string>* names, const std::string& name, const char* kind) {
        if (!names->insert(name).second) {
            Stop(std::string("The ") + kind + " name \"" + name + "\" is used twice");
            return false;
        }
        return true;
    }

    void StartGroup() {
        AssetGroupEntry group;
        if (!RequireText("name", &group.mName) || !ClaimName(&mGroupNames, group.mName, "group")) {
            return;
        }
        std::string load = HasAttribute("load") ? GetAttribute("load") : "startup";
        if (load == "startup") {
            group.mStartup = true;
        } else if (load == "demand") {
            group.mStartup = false;
        } else {
            Stop("The attribute \"load\" must be \"startup\" or \"demand\", not \"" + load + "\"");
            return;
        }
        mGroups.push_back(std::move(group));
    }

    void AddImage() {
        AssetImageEntry image;
        image.mLine = GetCurrentLine();
        if (!RequireText("name", &image.mName) || !RequireText("path", &image.mPath) ||
            !ReadCells(&image.mCols, &image.mRows) ||
            !ReadInt("flags", 0, 0, &image.mFlags, std::numeric_limits<int>::max()) ||
            !ClaimName(&mImageNames, image.mName, "image")) {
            return;
        }
        mGroups.back().mImages.push_back(std::move(image));
    }

    void AddPiece() {
        AssetPieceEntry piece;
        piece.mLine = GetCurrentLine();
        if (!RequireText("name", &piece.mName)) {
            return;
        }
        for (const char* attribute : {"x", "y", "width", "height"}) {
            if (!HasAttribute(attribute)) {
                Stop(StrAttr(attribute) + " is missing");
                return;
            }
        }
        if (!ReadInt("x", 0, 0, &piece.mX) || !ReadInt("y", 0, 0, &piece.mY) ||
            !ReadInt("width", 0, 1, &piece.mWidth) || !ReadInt("height", 0, 1, &piece.mHeight) ||
            !ReadCells(&piece.mCols, &piece.mRows) ||
            !ClaimName(&mImageNames, piece.mName, "image")) {
            return;
        }
        mGroups.back().mImages.back().mPieces.push_back(std::move(piece));
    }

    void AddAudio(bool sound) {
        AssetAudioEntry entry;
        entry.mLine = GetCurrentLine();
        if (!RequireText("name", &entry.mName) || !RequireText("path", &entry.mPath) ||
            !ClaimName(sound ? &mSoundNames : &mTrackNames, entry.mName,
                       sound ? "sound" : "track")) {
            return;
        }
        (sound ? mGroups.back().mSounds : mGroups.back().mTracks).push_back(std::move(entry));
    }

    std::vector<std::string> mStack;
    std::set<std::string> mGroupNames;
    std::set<std::string> mImageNames;
    std::set<std::string> mSoundNames;
    std::set<std::string> mTrackNames;
    bool mFailed = false;
};

}  // namespace

bool AssetCatalogue::ReadFile(const std::string& name, std::string* error) {
    CatalogueReader reader;
    if (!reader.ParseFile(name)) {
        if (error != nullptr) {
            *error = reader.GetError();
        }
        return false;
    }
    mGroups = std::move(reader.mGroups);
    return true;
}

bool AssetCatalogue::ReadText(const std::string& text, const std::string& fileName,
                              std::string* error) {
    CatalogueReader reader;
    if (!reader.ParseText(text, fileName)) {
        if (error != nullptr) {
            *error = reader.GetError();
        }
        return false;
    }
    mGroups = std::move(reader.mGroups);
    return true;
}

const AssetGroupEntry* AssetCatalogue::FindGroup(const std::string& name) const {
    for (const AssetGroupEntry& group : mGroups) {
        if (group.mName == name) {
            return &group;
        }
    }
    return nullptr;
}

size_t AssetCatalogue::CountStartupEntries() const {
    size_t count = 0;
    for (const AssetGroupEntry& group : mGroups) {
        if (!group.mStartup) {
            continue;
        }
        for (const AssetImageEntry& image : group.mImages) {
            count += 1 + image.mPieces.size();
        }
        count += group.mSounds.size() + group.mTracks.size();
    }
    return count;
}
