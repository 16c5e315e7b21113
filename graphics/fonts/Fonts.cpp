#include "graphics/fonts/Fonts.h"

#include <charconv>
#include <set>

#include "core/files/Parser.h"
#include "core/util/Log.h"
#include "graphics/fonts/SysFont.h"

namespace {

constexpr const char* kFallbackFamily = "DejaVu Sans";

struct FontTable {
    std::mutex mLock;
    std::vector<FontEntry> mEntries;
    std::map<std::string, std::unique_ptr<Font>> mFonts;
    std::vector<std::unique_ptr<Font>> mReplaced;  // kept until Clear: callers hold plain pointers
};

FontTable& GetTable() {
    static FontTable* table = new FontTable;
    return *table;
}

class FontTableReader : public Parser {
public:
    std::vector<FontEntry> mEntries;

protected:
    void HandleElementStart(const XMLElement& element) override {
        const bool outermost = mDepth++ == 0;
        if (mFailed) {
            return;
        }
        if (element.mName == "fonts") {
            if (!outermost) {
                Stop("\"fonts\" must be the outermost element");
            }
        } else if (element.mName == "font") {
            if (outermost || mDepth != 2) {
                Stop("\"font\" must stand directly inside \"fonts\"");
                return;
            }
            AddFont();
        } else {
            Stop("Unknown element \"" + element.mName + "\"");
        }
    }

    void HandleElementEnd(const XMLElement& /*element*/) override { --mDepth; }

private:
    void Stop(const std::string& message) {
        mFailed = true;
        Fail(message);
    }

    bool ReadInt(const char* attribute, int fallback, int minimum, int maximum, int* out) {
        if (!HasAttribute(attribute)) {
            *out = fallback;
            return true;
        }
        const std::string text = GetAttribute(attribute);
        int value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size() || value < minimum ||
            value > maximum) {
            Stop(std::string("The attribute \"") + attribute + "\" must be a whole number from " +
                 std::to_string(minimum) + " to " + std::to_string(maximum) + ", not \"" + text +
                 "\"");
            return false;
        }
        *out = value;
        return true;
    }

    bool ReadBool(const char* attribute, bool* out) {
        const std::string text = GetAttribute(attribute);
        if (text.empty() || text == "false" || text == "0") {
            *out = false;
        } else if (text == "true" || text == "1") {
            *out = true;
        } else {
            Stop(std::string("The attribute \"") + attribute + "\" must be true or false, not \"" +
                 text + "\"");
            return false;
        }
        return true;
    }

    // "0xAARRGGBB" or "0xRRGGBB" (opaque).
    bool ReadColor(const char* attribute, Color* out) {
        if (!HasAttribute(attribute)) {
            return true;
        }
        const std::string text = GetAttribute(attribute);
        uint32_t value = 0;
        const bool prefixed =
            text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const char* begin = text.data() + (prefixed ? 2 : 0);
        const char* last = text.data() + text.size();
        auto [end, ec] = std::from_chars(begin, last, value, 16);
        if (!prefixed || ec != std::errc() || end != last || last - begin > 8) {
            Stop(std::string("The attribute \"") + attribute +
                 "\" must be a colour 0xAARRGGBB or 0xRRGGBB, not \"" + text + "\"");
            return false;
        }
        *out = (last - begin) <= 6
                   ? Color::FromARGB(value | 0xFF000000u)
                   : Color(static_cast<int>((value >> 16) & 0xFF),
                           static_cast<int>((value >> 8) & 0xFF), static_cast<int>(value & 0xFF),
                           static_cast<int>(value >> 24));
        return true;
    }

    void AddFont() {
        FontEntry entry;
        entry.mLine = GetCurrentLine();
        entry.mName = GetAttribute("name");
        entry.mFile = GetAttribute("file");
        entry.mFamily = GetAttribute("family");
        if (entry.mName.empty()) {
            Stop("A font needs a \"name\"");
            return;
        }
        if (!mNames.insert(entry.mName).second) {
            Stop("The font name \"" + entry.mName + "\" is used twice");
            return;
        }
        if (entry.mFile.empty() == entry.mFamily.empty()) {
            Stop("The font \"" + entry.mName + "\" needs either a \"file\" or a \"family\"");
            return;
        }
        if (!HasAttribute("size")) {
            Stop("The font \"" + entry.mName + "\" needs a \"size\"");
            return;
        }
        bool bold = false;
        bool italic = false;
        if (!ReadInt("size", 0, 1, 512, &entry.mSize) ||
            !ReadInt("face-index", 0, 0, 1000, &entry.mFaceIndex) || !ReadBool("bold", &bold) ||
            !ReadBool("italic", &italic) || !ReadBool("shadow", &entry.mShadow.mEnabled) ||
            !ReadColor("shadow-color", &entry.mShadow.mColor) ||
            !ReadInt("shadow-x", 1, -64, 64, &entry.mShadow.mOffsetX) ||
            !ReadInt("shadow-y", 1, -64, 64, &entry.mShadow.mOffsetY) ||
            !ReadInt("line-spacing", -1, -1, 4096, &entry.mLineSpacing) ||
            !ReadInt("ascent-padding", 0, 0, 512, &entry.mAscentPadding)) {
            return;
        }
        entry.mStyle = (bold ? TrueTypeFont::kBold : 0) | (italic ? TrueTypeFont::kItalic : 0);
        mEntries.push_back(std::move(entry));
    }

    std::set<std::string> mNames;
    int mDepth = 0;
    bool mFailed = false;
};

std::unique_ptr<TrueTypeFont> MakeFont(const FontEntry& entry, const std::string& tableFile) {
    std::string path = entry.mFile;
    int faceIndex = entry.mFaceIndex;
    std::string error;
    std::unique_ptr<TrueTypeFont> font;
    if (entry.mFamily.empty() ||
        SysFont::ResolveFace(entry.mFamily, entry.mStyle, &path, &faceIndex)) {
        font = TrueTypeFont::FromFile(path, faceIndex, entry.mSize, entry.mStyle, &error);
    } else {
        error = "no installed font for the family \"" + entry.mFamily + "\"";
    }
    if (!font) {
        LogWarning("Font \"%s\" on Line %d in File '%s': %s; %s stands in", entry.mName.c_str(),
                   entry.mLine, tableFile.c_str(), error.c_str(), kFallbackFamily);
        if (SysFont::ResolveFace(kFallbackFamily, entry.mStyle, &path, &faceIndex)) {
            font = TrueTypeFont::FromFile(path, faceIndex, entry.mSize, entry.mStyle, &error);
        }
        if (!font) {
            font = std::make_unique<TrueTypeFont>(GlyphSet::Empty());
        }
    }
    font->SetShadow(entry.mShadow);
    font->SetLineSpacing(entry.mLineSpacing);
    font->SetAscentPadding(entry.mAscentPadding);
    return font;
}

std::string gTableFile = "properties/fonts.xml";

}  // namespace

bool Fonts::ParseEntries(const std::string* text, const std::string& fileName,
                         std::vector<FontEntry>* entries, std::string* error) {
    FontTableReader reader;
    const bool ok =
        text != nullptr ? reader.ParseText(*text, fileName) : reader.ParseFileAtPath(fileName);
    if (!ok) {
        if (error != nullptr) {
            *error = reader.GetError();
        }
        return false;
    }
    *entries = std::move(reader.mEntries);
    return true;
}

bool Fonts::ReplaceTable(const std::string* text, const std::string& path, std::string* error) {
    std::vector<FontEntry> entries;
    if (!ParseEntries(text, path, &entries, error)) {
        return false;
    }
    FontTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    table.mEntries = std::move(entries);
    gTableFile = path;
    return true;
}

bool Fonts::ReadTable(const std::string& name, std::string* error) {
    return ReplaceTable(nullptr, "properties/" + name, error);
}

bool Fonts::ReadTableText(const std::string& text, const std::string& fileName,
                          std::string* error) {
    return ReplaceTable(&text, fileName, error);
}

size_t Fonts::GetEntryCount() {
    FontTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    return table.mEntries.size();
}

void Fonts::LoadFonts(const std::function<void()>& onEntryDone) {
    FontTable& table = GetTable();
    std::vector<FontEntry> entries;
    std::string tableFile;
    {
        std::lock_guard<std::mutex> lock(table.mLock);
        entries = table.mEntries;
        tableFile = gTableFile;
    }
    for (const FontEntry& entry : entries) {
        if (Find(entry.mName) == nullptr) {
            // Rasterising takes a while; the table stays open to lookups meanwhile.
            std::unique_ptr<TrueTypeFont> font = MakeFont(entry, tableFile);
            std::lock_guard<std::mutex> lock(table.mLock);
            table.mFonts.emplace(entry.mName, std::move(font));
        }
        if (onEntryDone) {
            onEntryDone();
        }
    }
}

bool Fonts::Load(const std::string& name, std::string* error) {
    if (!ReadTable(name, error)) {
        return false;
    }
    LoadFonts();
    return true;
}

Font* Fonts::Find(const std::string& name) {
    FontTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    auto it = table.mFonts.find(name);
    return it == table.mFonts.end() ? nullptr : it->second.get();
}

void Fonts::Set(const std::string& name, std::unique_ptr<Font> font) {
    FontTable& table = GetTable();
    std::lock_guard<std::mutex> lock(table.mLock);
    std::unique_ptr<Font>& slot = table.mFonts[name];
    if (slot) {
        table.mReplaced.push_back(std::move(slot));
    }
    slot = std::move(font);
}

void Fonts::Clear() {
    FontTable& table = GetTable();
    std::map<std::string, std::unique_ptr<Font>> fonts;
    std::vector<std::unique_ptr<Font>> replaced;
    std::lock_guard<std::mutex> lock(table.mLock);
    table.mEntries.clear();
    fonts.swap(table.mFonts);
    replaced.swap(table.mReplaced);
}
