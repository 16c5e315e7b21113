#pragma once
// A font of fixed metrics for layout tests, without drawing: the widget harness and the script
// tests measure text with it.

#include <memory>
#include <string_view>

#include "graphics/fonts/Font.h"

// Fixed metrics: every printable byte 8 pixels wide, control bytes 0; height 16, ascent 12.
class HarnessFont : public Font {
public:
    explicit HarnessFont(int charWidth = 8) : mCharWidth(charWidth) {}
    int StringWidth(std::string_view text) const override {
        int width = 0;
        for (char c : text) {
            width += CharWidth(static_cast<unsigned char>(c));
        }
        return width;
    }
    int CharWidth(unsigned char c) const override { return c < 32 ? 0 : mCharWidth; }
    int GetHeight() const override { return 16; }
    float GetAscent() const override { return 12.0f; }
    int GetLineSpacing() const override { return 16; }
    void DrawString(Graphics& g, float x, float y, std::string_view text,
                    const Color& color) override {
        (void)g, (void)x, (void)y, (void)text, (void)color;
    }
    std::unique_ptr<Font> Duplicate() const override {
        return std::make_unique<HarnessFont>(mCharWidth);
    }

private:
    int mCharWidth;
};
