#pragma once
// A font from a TrueType or OpenType file, rasterised once by FreeType into glyph pages and drawn
// as images in the context's colour. Copies share the glyphs and differ only in their settings
// (shadow, line spacing, ascent padding).

#include <memory>
#include <string>

#include "graphics/Color.h"
#include "graphics/fonts/Font.h"
#include "graphics/fonts/GlyphSet.h"

// A copy of the text drawn first, offset and in its own colour, under the text.
struct FontShadow {
    bool mEnabled = false;
    Color mColor{0, 0, 0, 128};
    int mOffsetX = 1;
    int mOffsetY = 1;
};

class TrueTypeFont : public Font {
public:
    // Style flags (GlyphSet's): bold 1, italic 2.
    static constexpr int kBold = GlyphSet::kBold;
    static constexpr int kItalic = GlyphSet::kItalic;

    explicit TrueTypeFont(std::shared_ptr<const GlyphSet> glyphs);
    ~TrueTypeFont() override;

    // Loads a font file: a path below the working folder (read through the file layer) or an
    // absolute path. pixelSize is the em size in pixels. Null with error set when the file is
    // missing or not a font. Rasterised glyphs are shared with every font made from the same
    // file, size and style. Any thread.
    static std::unique_ptr<TrueTypeFont> FromFile(const std::string& path, int faceIndex,
                                                  int pixelSize, int style, std::string* error);

    void SetShadow(const FontShadow& shadow) { mShadow = shadow; }
    const FontShadow& GetShadow() const { return mShadow; }
    // Baseline distance; negative restores the face's own.
    void SetLineSpacing(int spacing) { mLineSpacing = spacing; }
    void SetAscentPadding(int padding) { mAscentPadding = padding; }

    int StringWidth(std::string_view text) const override;
    int CharWidth(unsigned char c) const override;
    int GetHeight() const override;
    float GetAscent() const override;
    int GetLineSpacing() const override;
    int GetAscentPadding() const override { return mAscentPadding; }
    void DrawString(Graphics& g, float x, float y, std::string_view text,
                    const Color& color) override;
    std::unique_ptr<Font> Duplicate() const override;

    const GlyphSet& GetGlyphs() const { return *mGlyphs; }

private:
    void DrawGlyphs(Graphics& g, int x, int y, std::string_view text, const Color& color);

    std::shared_ptr<const GlyphSet> mGlyphs;
    FontShadow mShadow;
    int mLineSpacing = -1;
    int mAscentPadding = 0;
};
