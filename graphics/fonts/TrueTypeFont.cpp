#include "graphics/fonts/TrueTypeFont.h"

#include <cmath>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "core/files/PakInterfaceBase.h"
#include "core/util/Utf8.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/Rect.h"
#include "graphics/fonts/Windows1252.h"

namespace {

// Widgets without a font each make the same system font; sharing the rasterised glyphs keeps
// that to one FreeType pass per file, size and style.
struct GlyphSetCache {
    std::mutex mLock;
    std::map<std::string, std::weak_ptr<const GlyphSet>> mSets;
};

GlyphSetCache& GetCache() {
    static GlyphSetCache* cache = new GlyphSetCache;
    return *cache;
}

bool ReadFontFile(const std::string& path, std::string* bytes) {
    if (!path.empty() && path[0] == '/') {
        // Installed system fonts live outside the game's folders.
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return false;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        *bytes = buffer.str();
        return !in.bad();
    }
    return PakInterfaceBase::Get()->ReadWholeFile(path, bytes);
}

}  // namespace

TrueTypeFont::TrueTypeFont(std::shared_ptr<const GlyphSet> glyphs) : mGlyphs(std::move(glyphs)) {}

TrueTypeFont::~TrueTypeFont() = default;

std::unique_ptr<TrueTypeFont> TrueTypeFont::FromFile(const std::string& path, int faceIndex,
                                                     int pixelSize, int style, std::string* error) {
    const std::string key = path + '|' + std::to_string(faceIndex) + '|' +
                            std::to_string(pixelSize) + '|' + std::to_string(style);
    GlyphSetCache& cache = GetCache();
    {
        std::lock_guard<std::mutex> lock(cache.mLock);
        auto it = cache.mSets.find(key);
        if (it != cache.mSets.end()) {
            if (std::shared_ptr<const GlyphSet> shared = it->second.lock()) {
                return std::make_unique<TrueTypeFont>(std::move(shared));
            }
        }
    }
    std::string bytes;
    if (!ReadFontFile(path, &bytes)) {
        if (error != nullptr) {
            *error = "cannot read the font file '" + path + "'";
        }
        return nullptr;
    }
    std::string message;
    std::shared_ptr<const GlyphSet> glyphs =
        GlyphSet::Build(bytes, faceIndex, pixelSize, style, &message);
    if (!glyphs) {
        if (error != nullptr) {
            *error = "font file '" + path + "': " + message;
        }
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> lock(cache.mLock);
        cache.mSets[key] = glyphs;
    }
    return std::make_unique<TrueTypeFont>(std::move(glyphs));
}

namespace {

// The code point of the character at *pos, moving past it: UTF-8, or for a byte that is not
// part of a well-formed sequence (text written before the game used UTF-8) its Windows-1252
// character.
uint32_t NextCharacter(std::string_view text, size_t* pos) {
    uint32_t codePoint = 0;
    if (!Utf8Next(text, pos, &codePoint)) {
        codePoint = Windows1252ToUnicode(static_cast<unsigned char>(codePoint));
    }
    return codePoint;
}

}  // namespace

int TrueTypeFont::StringWidth(std::string_view text) const {
    int width = 0;
    for (size_t pos = 0; pos < text.size();) {
        width += mGlyphs->Glyph(NextCharacter(text, &pos)).mAdvance;
    }
    return width;
}

int TrueTypeFont::CharWidth(unsigned char c) const {
    return mGlyphs->Glyph(c < 0x80 ? c : Windows1252ToUnicode(c)).mAdvance;
}

int TrueTypeFont::GetHeight() const {
    return mGlyphs->GetAscent() + mGlyphs->GetDescent();
}

float TrueTypeFont::GetAscent() const {
    return static_cast<float>(mGlyphs->GetAscent());
}

int TrueTypeFont::GetLineSpacing() const {
    return mLineSpacing >= 0 ? mLineSpacing : mGlyphs->GetLineGap();
}

std::unique_ptr<Font> TrueTypeFont::Duplicate() const {
    return std::make_unique<TrueTypeFont>(*this);
}

void TrueTypeFont::DrawString(Graphics& g, float x, float y, std::string_view text,
                              const Color& color) {
    // Whole pixels keep the hinted glyphs sharp under the bilinear filter.
    const int left = static_cast<int>(std::lround(x));
    const int baseline = static_cast<int>(std::lround(y));
    if (mShadow.mEnabled) {
        Color shadow = mShadow.mColor;
        // The shadow fades with the text.
        shadow.mAlpha = shadow.mAlpha * color.mAlpha / 255;
        DrawGlyphs(g, left + mShadow.mOffsetX, baseline + mShadow.mOffsetY, text, shadow);
    }
    DrawGlyphs(g, left, baseline, text, color);
}

void TrueTypeFont::DrawGlyphs(Graphics& g, int x, int y, std::string_view text,
                              const Color& color) {
    // Glyph pages are white; colourising gives them the text colour.
    const Color oldColor = g.GetColor();
    const bool oldColorize = g.GetColorizeImages();
    g.SetColor(color);
    g.SetColorizeImages(true);
    int pen = x;
    for (size_t pos = 0; pos < text.size();) {
        const GlyphInfo& glyph = mGlyphs->Glyph(NextCharacter(text, &pos));
        if (glyph.mPage >= 0) {
            g.DrawImage(mGlyphs->GetPageImage(glyph.mPage), static_cast<float>(pen + glyph.mLeft),
                        static_cast<float>(y - glyph.mTop),
                        Rect(glyph.mX, glyph.mY, glyph.mWidth, glyph.mHeight));
        }
        pen += glyph.mAdvance;
    }
    g.SetColor(oldColor);
    g.SetColorizeImages(oldColorize);
}
