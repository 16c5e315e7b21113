#include "graphics/fonts/GlyphSet.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cctype>
#include <cmath>

#include "graphics/ImageSurface.h"
#include "graphics/fonts/Windows1252.h"

namespace {

// Pages of this size hold the printable characters of a large title font in a few pages, and
// texture size limits are no concern at 512. A page grows (to at most the largest) only for a
// glyph that does not fit it.
constexpr int kPageSize = 512;
constexpr int kLargestPageSize = 4096;
// Empty pixels around each glyph keep bilinear filtering from bleeding neighbours into it.
constexpr int kPadding = 1;

struct Bitmap {
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint8_t> mCoverage;
};

// Owns a FreeType library and face for the length of one Build; every Build has its own
// library, so several loader threads may build fonts at once.
struct FreeTypeSession {
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
    ~FreeTypeSession() {
        if (mFace != nullptr) {
            FT_Done_Face(mFace);
        }
        if (mLibrary != nullptr) {
            FT_Done_FreeType(mLibrary);
        }
    }
};

int CeilPixels(FT_Pos value) {
    return static_cast<int>((value + 63) >> 6);
}
int RoundPixels(FT_Pos value) {
    return static_cast<int>((value + 32) >> 6);
}

// The code points a set holds, in packing order: U+0020 to U+017F, then the characters that
// Windows-1252 adds above U+017F.
std::vector<uint32_t> Repertoire() {
    std::vector<uint32_t> points;
    for (uint32_t c = 0x20; c < 0x180; ++c) {
        if (c != 0x7F && (c < 0x80 || c >= 0xA0)) {
            points.push_back(c);
        }
    }
    for (int byte = 0x80; byte < 0xA0; ++byte) {
        const uint32_t c = Windows1252ToUnicode(static_cast<unsigned char>(byte));
        if (c >= 0x180) {
            points.push_back(c);
        }
    }
    return points;
}

}  // namespace

const GlyphInfo& GlyphSet::Glyph(uint32_t codePoint) const {
    static const GlyphInfo kNone;
    if (codePoint < kLatinEnd) {
        return mLatin[codePoint];
    }
    const auto it = std::lower_bound(
        mOthers.begin(), mOthers.end(), codePoint,
        [](const std::pair<uint32_t, GlyphInfo>& entry, uint32_t c) { return entry.first < c; });
    return it != mOthers.end() && it->first == codePoint ? it->second : kNone;
}

GlyphInfo* GlyphSet::Slot(uint32_t codePoint) {
    if (codePoint < kLatinEnd) {
        return &mLatin[codePoint];
    }
    const auto it = std::lower_bound(
        mOthers.begin(), mOthers.end(), codePoint,
        [](const std::pair<uint32_t, GlyphInfo>& entry, uint32_t c) { return entry.first < c; });
    if (it != mOthers.end() && it->first == codePoint) {
        return &it->second;
    }
    return &mOthers.insert(it, {codePoint, GlyphInfo{}})->second;
}

std::shared_ptr<const GlyphSet> GlyphSet::Empty() {
    static const std::shared_ptr<const GlyphSet> empty(new GlyphSet);
    return empty;
}

std::shared_ptr<const GlyphSet> GlyphSet::Build(const std::string& fontBytes, int faceIndex,
                                                int pixelSize, int style, std::string* error) {
    auto fail = [&](const std::string& message) -> std::shared_ptr<const GlyphSet> {
        if (error != nullptr) {
            *error = message;
        }
        return nullptr;
    };
    if (pixelSize < 1 || pixelSize > 512) {
        return fail("font size " + std::to_string(pixelSize) + " is outside 1..512 pixels");
    }
    FreeTypeSession session;
    if (FT_Init_FreeType(&session.mLibrary) != 0) {
        return fail("FreeType could not start");
    }
    if (FT_New_Memory_Face(session.mLibrary, reinterpret_cast<const FT_Byte*>(fontBytes.data()),
                           static_cast<FT_Long>(fontBytes.size()), faceIndex,
                           &session.mFace) != 0) {
        return fail("not a font file FreeType can read");
    }
    FT_Face face = session.mFace;
    if (!FT_IS_SCALABLE(face)) {
        return fail("the face is not scalable");
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        return fail("the face cannot be set to " + std::to_string(pixelSize) + " pixels");
    }

    std::shared_ptr<GlyphSet> set(new GlyphSet);
    set->mPixelSize = pixelSize;
    set->mFamily = face->family_name != nullptr ? face->family_name : "";
    set->mAscent = CeilPixels(face->size->metrics.ascender);
    set->mDescent = CeilPixels(-face->size->metrics.descender);
    set->mLineGap = std::max(RoundPixels(face->size->metrics.height), set->mAscent + set->mDescent);

    const bool synthBold = (style & kBold) != 0 && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    const bool synthItalic =
        (style & kItalic) != 0 && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;

    const std::vector<uint32_t> repertoire = Repertoire();
    // Slots first, so that no later insertion moves a glyph while it is filled.
    for (uint32_t codePoint : repertoire) {
        set->Slot(codePoint);
    }
    std::vector<Bitmap> bitmaps(repertoire.size());
    // A cut-off file still opens (its tables of contents come first) but its glyphs don't load:
    // the text would be drawn blank, so such a file is refused.
    int unreadable = 0;
    int present = 0;
    int blankLetters = 0;
    for (size_t n = 0; n < repertoire.size(); ++n) {
        const uint32_t codePoint = repertoire[n];
        const FT_UInt index = FT_Get_Char_Index(face, codePoint);
        if (index == 0) {
            continue;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
            ++unreadable;
            continue;
        }
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (synthItalic) {
                FT_GlyphSlot_Oblique(slot);
            }
            if (synthBold) {
                FT_GlyphSlot_Embolden(slot);
            }
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
            ++unreadable;
            continue;
        }
        ++present;
        GlyphInfo& glyph = *set->Slot(codePoint);
        glyph.mPresent = true;
        glyph.mAdvance = RoundPixels(slot->advance.x);
        glyph.mLeft = slot->bitmap_left;
        glyph.mTop = slot->bitmap_top;
        const FT_Bitmap& source = slot->bitmap;
        if (source.width == 0 || source.rows == 0) {
            // A letter or digit always has ink; a blank one is a glyph whose data lies past the
            // end of a cut-off file (FreeType reads it as empty rather than failing).
            blankLetters += std::isalnum(static_cast<int>(codePoint < 128 ? codePoint : 0)) != 0;
            continue;
        }
        if (source.pixel_mode != FT_PIXEL_MODE_GRAY) {
            continue;
        }
        Bitmap& bitmap = bitmaps[n];
        bitmap.mWidth = static_cast<int>(source.width);
        bitmap.mHeight = static_cast<int>(source.rows);
        bitmap.mCoverage.resize(static_cast<size_t>(bitmap.mWidth) * bitmap.mHeight);
        for (int row = 0; row < bitmap.mHeight; ++row) {
            const uint8_t* line = source.buffer + static_cast<ptrdiff_t>(row) * source.pitch;
            std::copy(line, line + bitmap.mWidth,
                      bitmap.mCoverage.begin() + static_cast<ptrdiff_t>(row) * bitmap.mWidth);
        }
        glyph.mWidth = bitmap.mWidth;
        glyph.mHeight = bitmap.mHeight;
    }

    unreadable += blankLetters;
    if (unreadable > 0 || present == 0) {
        return fail(present == 0 ? "the file holds none of the game's characters"
                                 : std::to_string(unreadable) +
                                       " characters can't be read; the file is damaged or cut off");
    }

    // Pages hold the largest glyph: a font at the largest size the table allows (512) has
    // glyphs wider than the usual page. Still far inside any driver's texture limit.
    int pageSize = kPageSize;
    for (uint32_t codePoint : repertoire) {
        const GlyphInfo& glyph = *set->Slot(codePoint);
        while (std::max(glyph.mWidth, glyph.mHeight) + 2 * kPadding > pageSize &&
               pageSize < kLargestPageSize) {
            pageSize *= 2;
        }
    }
    // Shelf packing in character order; glyphs of one font differ little in height.
    int shelfX = kPadding;
    int shelfY = kPadding;
    int shelfHeight = 0;
    for (uint32_t codePoint : repertoire) {
        GlyphInfo& glyph = *set->Slot(codePoint);
        if (glyph.mWidth == 0) {
            continue;
        }
        if (glyph.mWidth + 2 * kPadding > pageSize || glyph.mHeight + 2 * kPadding > pageSize) {
            return fail("a glyph is larger than a glyph page");
        }
        if (set->mPages.empty()) {
            set->mPages.push_back(GlyphPage{pageSize, pageSize, {}});
        }
        if (shelfX + glyph.mWidth + kPadding > pageSize) {
            shelfX = kPadding;
            shelfY += shelfHeight + kPadding;
            shelfHeight = 0;
        }
        if (shelfY + glyph.mHeight + kPadding > pageSize) {
            set->mPages.push_back(GlyphPage{pageSize, pageSize, {}});
            shelfX = kPadding;
            shelfY = kPadding;
            shelfHeight = 0;
        }
        glyph.mPage = static_cast<int>(set->mPages.size()) - 1;
        glyph.mX = shelfX;
        glyph.mY = shelfY;
        shelfX += glyph.mWidth + kPadding;
        shelfHeight = std::max(shelfHeight, glyph.mHeight);
    }
    // The last page only needs to be as tall as its last shelf.
    if (!set->mPages.empty()) {
        int used = shelfY + shelfHeight + kPadding;
        int height = 16;
        while (height < used) {
            height *= 2;
        }
        set->mPages.back().mHeight = height;
    }
    // Transparent white, so that filtering at glyph edges blends toward white, not black.
    std::vector<std::vector<uint32_t>> pixels;
    for (const GlyphPage& page : set->mPages) {
        pixels.emplace_back(static_cast<size_t>(page.mWidth) * page.mHeight, 0x00FFFFFFu);
    }
    for (size_t n = 0; n < repertoire.size(); ++n) {
        const GlyphInfo& glyph = *set->Slot(repertoire[n]);
        if (glyph.mPage < 0) {
            continue;
        }
        const GlyphPage& page = set->mPages[static_cast<size_t>(glyph.mPage)];
        std::vector<uint32_t>& target = pixels[static_cast<size_t>(glyph.mPage)];
        const Bitmap& bitmap = bitmaps[n];
        for (int row = 0; row < glyph.mHeight; ++row) {
            for (int col = 0; col < glyph.mWidth; ++col) {
                const uint32_t a = bitmap.mCoverage[static_cast<size_t>(row) * glyph.mWidth + col];
                // Straight white with the coverage as alpha: drawing colourises it.
                target[static_cast<size_t>(glyph.mY + row) * page.mWidth + glyph.mX + col] =
                    (a << 24) | 0x00FFFFFFu;
            }
        }
    }
    // The pages become images now, off the main thread: only their textures wait for a draw.
    for (size_t i = 0; i < set->mPages.size(); ++i) {
        GlyphPage& page = set->mPages[i];
        page.mImage = std::make_shared<ImageSurface>();
        page.mImage->SetName("glyph page");
        // Only the coverage is kept once the page is uploaded: a quarter of the page's pixels,
        // from which they are made again when read or when the device is rebuilt.
        auto coverage = std::make_shared<std::vector<uint8_t>>(pixels[i].size());
        std::transform(pixels[i].begin(), pixels[i].end(), coverage->begin(),
                       [](uint32_t p) { return static_cast<uint8_t>(p >> 24); });
        page.mImage->SetPixels(page.mWidth, page.mHeight, std::move(pixels[i]));
        // Its texture, too, keeps the coverage alone.
        page.mImage->SetWhiteCoverage(true);
        page.mImage->SetPixelSource([coverage](int width, int height, std::vector<uint32_t>* out) {
            if (static_cast<size_t>(width) * static_cast<size_t>(height) != coverage->size()) {
                return false;
            }
            out->resize(coverage->size());
            std::transform(coverage->begin(), coverage->end(), out->begin(), [](uint8_t a) {
                return (static_cast<uint32_t>(a) << 24) | 0x00FFFFFFu;
            });
            return true;
        });
    }
    return set;
}

ImageSurface* GlyphSet::GetPageImage(int page) const {
    if (page < 0 || static_cast<size_t>(page) >= mPages.size()) {
        return nullptr;
    }
    return mPages[static_cast<size_t>(page)].mImage.get();
}
