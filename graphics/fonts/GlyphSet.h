#pragma once
// The characters of one face at one size and style, rasterised once by FreeType into memory
// pages (32-bit straight white with the coverage as alpha, so drawing multiplies them by the
// text colour). Glyphs are looked up by Unicode code point; the set holds the Latin letters the
// game's languages use (U+0020 to U+017F) and the characters of Windows-1252, which older text
// files were written in. Immutable after Build, so fonts and their duplicates share one set
// across threads without locks.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ImageSurface;

struct GlyphInfo {
    int mAdvance = 0;  // pen advance in pixels
    int mLeft = 0;     // bitmap left edge relative to the pen
    int mTop = 0;      // bitmap top edge above the baseline
    int mWidth = 0;    // bitmap size; 0 for blanks
    int mHeight = 0;
    int mPage = -1;  // atlas page, -1 when nothing to draw
    int mX = 0;      // position in the page
    int mY = 0;
    bool mPresent = false;  // the face has a glyph for this character
};

struct GlyphPage {
    int mWidth = 0;
    int mHeight = 0;
    std::shared_ptr<ImageSurface> mImage;  // straight 0xAARRGGBB pixels in memory
};

class GlyphSet {
public:
    enum Style : int { kBold = 1, kItalic = 2 };

    // Rasterises from font file bytes (TrueType/OpenType). pixelSize is the em size in pixels;
    // style asks for bold and italic, made synthetically when the face itself is not. faceIndex
    // picks a face in a collection. Null on failure with error set. Any thread.
    static std::shared_ptr<const GlyphSet> Build(const std::string& fontBytes, int faceIndex,
                                                 int pixelSize, int style, std::string* error);

    // A set without glyphs (every width 0), for a font whose face could not be found.
    static std::shared_ptr<const GlyphSet> Empty();

    // The glyph of a code point; an empty one (no advance, nothing drawn) outside the set.
    const GlyphInfo& Glyph(uint32_t codePoint) const;
    int GetAscent() const { return mAscent; }
    int GetDescent() const { return mDescent; }
    int GetLineGap() const { return mLineGap; }  // the face's own baseline distance
    int GetPixelSize() const { return mPixelSize; }
    const std::string& GetFamily() const { return mFamily; }
    const std::vector<GlyphPage>& GetPages() const { return mPages; }

    // The image of a page for drawing (its texture is made on the first draw). Any thread.
    ImageSurface* GetPageImage(int page) const;

private:
    GlyphSet() = default;

    // Every code point below kLatinEnd directly; the few others (typographic quotes, dashes,
    // the euro sign) sorted by code point.
    static constexpr uint32_t kLatinEnd = 0x180;
    GlyphInfo* Slot(uint32_t codePoint);

    std::array<GlyphInfo, kLatinEnd> mLatin{};
    std::vector<std::pair<uint32_t, GlyphInfo>> mOthers;
    std::vector<GlyphPage> mPages;
    int mAscent = 0;
    int mDescent = 0;
    int mLineGap = 0;
    int mPixelSize = 0;
    std::string mFamily;
};
