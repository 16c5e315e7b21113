#pragma once
// The font interface: metrics, string widths and drawing. Implemented by the TrueType fonts and
// the system fonts; Graphics lays text out (word wrap, justification) through it.

#include <memory>
#include <string>
#include <string_view>

class Graphics;
class Color;

class Font {
public:
    virtual ~Font() = default;

    // Width in pixels of a UTF-8 string (a byte outside a well-formed sequence is read as a
    // Windows-1252 character, as text written before was).
    virtual int StringWidth(std::string_view text) const = 0;
    // The same, unrounded, for layouts that accumulate fractions.
    virtual float StringWidthF(std::string_view text) const { return float(StringWidth(text)); }
    // Advance width of one byte: ASCII, or a Windows-1252 character above 127. Characters
    // beyond ASCII are best measured as their UTF-8 text with StringWidth.
    virtual int CharWidth(unsigned char c) const = 0;
    // Height of a line (ascent plus descent) in pixels.
    virtual int GetHeight() const = 0;
    // Distance from the top of a line to its baseline.
    virtual float GetAscent() const = 0;
    // Distance between baselines of consecutive lines.
    virtual int GetLineSpacing() const = 0;
    // Extra space above the ascent that the glyph cells carry (accents, shadows); 0 when none.
    virtual int GetAscentPadding() const { return 0; }

    // Draws text with its baseline at (x, y) in g's coordinates in colour. Main thread; draws
    // through g.DrawImage so clipping, transform, tint and batching apply.
    virtual void DrawString(Graphics& g, float x, float y, std::string_view text,
                            const Color& color) = 0;

    // An owned copy that can be changed independently.
    virtual std::unique_ptr<Font> Duplicate() const = 0;
};
