#include "graphics/fonts/SysFont.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <map>
#include <mutex>

#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {

constexpr const char* kFallbackFamily = "DejaVu Sans";

struct ResolvedFace {
    bool mFound = false;
    std::string mPath;
    int mIndex = 0;
};

// fontconfig's configuration is process-wide; its queries are serialised here, and answers are
// kept, since every widget without a font asks for the same face.
std::mutex gFontconfigLock;
std::map<std::string, ResolvedFace>* gResolved = nullptr;

// The best installed match for family; exact is set when the match carries that family name.
ResolvedFace Match(const std::string& family, int style, bool* exact) {
    ResolvedFace result;
    *exact = false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return result;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        (style & TrueTypeFont::kBold) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        (style & TrueTypeFont::kItalic) != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult status = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &status);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return result;
    }
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        result.mFound = true;
        result.mPath = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) {
            result.mIndex = index;
        }
        const std::string wanted = StringToLower(family);
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            if (StringToLower(reinterpret_cast<const char*>(name)) == wanted) {
                *exact = true;
                break;
            }
        }
    }
    FcPatternDestroy(match);
    return result;
}

}  // namespace

bool SysFont::ResolveFace(const std::string& family, int style, std::string* path, int* faceIndex) {
    const std::string key = family + '|' + std::to_string(style);
    std::lock_guard<std::mutex> lock(gFontconfigLock);
    if (gResolved == nullptr) {
        gResolved = new std::map<std::string, ResolvedFace>;
    }
    auto it = gResolved->find(key);
    if (it == gResolved->end()) {
        bool exact = false;
        ResolvedFace face = Match(family, style, &exact);
        if (!exact) {
            bool fallbackExact = false;
            ResolvedFace fallback = Match(kFallbackFamily, style, &fallbackExact);
            if (fallback.mFound) {
                face = fallback;
            }
        }
        it = gResolved->emplace(key, face).first;
    }
    if (!it->second.mFound) {
        return false;
    }
    *path = it->second.mPath;
    *faceIndex = it->second.mIndex;
    return true;
}

int SysFont::PointsToPixels(int pointSize) {
    return std::max(1, static_cast<int>(std::lround(pointSize * 96.0 / 72.0)));
}

SysFont::SysFont(const std::string& faceName, int pointSize, int style)
    : TrueTypeFont(GlyphSet::Empty()), mFaceName(faceName) {
    int faceIndex = 0;
    if (!ResolveFace(faceName, style, &mFilePath, &faceIndex)) {
        LogWarning("No installed font for \"%s\"; its text will not show", faceName.c_str());
        return;
    }
    std::string error;
    std::unique_ptr<TrueTypeFont> font =
        TrueTypeFont::FromFile(mFilePath, faceIndex, PointsToPixels(pointSize), style, &error);
    if (!font) {
        LogWarning("System font \"%s\": %s", faceName.c_str(), error.c_str());
        mFilePath.clear();
        return;
    }
    static_cast<TrueTypeFont&>(*this) = *font;
}

SysFont::SysFont(QuorAppBase* /*app*/, const std::string& faceName, int pointSize, int style)
    : SysFont(faceName, pointSize, style) {}

std::unique_ptr<Font> SysFont::Duplicate() const {
    return std::make_unique<SysFont>(*this);
}
