// Text layout of Graphics: drawing strings through the font, word wrap and justification.

#include <algorithm>

#include "graphics/Graphics.h"
#include "graphics/fonts/Font.h"

namespace {

// Splits text into paragraphs at newlines and "[br]" markers; "\r\n" counts as one break.
std::vector<std::string_view> SplitParagraphs(std::string_view text) {
    std::vector<std::string_view> out;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\n') {
            size_t end = (i > start && text[i - 1] == '\r') ? i - 1 : i;
            out.push_back(text.substr(start, end - start));
            start = i = i + 1;
        } else if (text.compare(i, 4, "[br]") == 0) {
            out.push_back(text.substr(start, i - start));
            start = i = i + 4;
        } else {
            ++i;
        }
    }
    out.push_back(text.substr(start));
    return out;
}

int JustifiedX(int x, int width, int lineWidth, int justification) {
    if (justification == 0) {
        return x + (width - lineWidth) / 2;
    }
    if (justification == 1) {
        return x + width - lineWidth;
    }
    return x;
}

// The block runs from the top of the first line to the bottom of the last; the space a font
// declares above its ascent is left out, so one line of a padded font measures as tall as its
// visible glyphs and layouts that centre a line by this height centre what is seen.
int BlockHeight(const Font& font, size_t lineCount, int lineSpacing) {
    if (lineCount == 0) {
        return 0;
    }
    return std::max(0,
                    int(lineCount - 1) * lineSpacing + font.GetHeight() - font.GetAscentPadding());
}

// Draws laid-out lines from the top at y, each placed within width from x; answers the block
// height and stores the widest line's width in widest (when given).
int DrawLines(Graphics& g, const Font& font, const std::vector<std::string>& lines, int x, float y,
              int width, int lineSpacing, int justification, int* widest) {
    int widestLine = 0;
    for (const std::string& line : lines) {
        int lineWidth = font.StringWidth(line);
        widestLine = std::max(widestLine, lineWidth);
        // DrawString draws nothing when g only measures.
        g.DrawString(line, float(JustifiedX(x, width, lineWidth, justification)), y);
        y += float(lineSpacing);
    }
    if (widest != nullptr) {
        *widest = widestLine;
    }
    return BlockHeight(font, lines.size(), lineSpacing);
}

}  // namespace

std::vector<std::string> Graphics::WrapText(const Font& font, std::string_view text, int width) {
    std::vector<std::string> lines;
    if (text.empty()) {
        return lines;
    }
    for (std::string_view paragraph : SplitParagraphs(text)) {
        // Spaces inside a line are kept as written (authors line figures up with them); only
        // the spaces where a line breaks, and those ending a paragraph, are dropped.
        std::string line;
        bool lineStarted = false;
        size_t pos = 0;
        while (pos < paragraph.size()) {
            size_t wordStart = paragraph.find_first_not_of(' ', pos);
            if (wordStart == std::string_view::npos) {
                break;
            }
            size_t wordEnd = paragraph.find(' ', wordStart);
            if (wordEnd == std::string_view::npos) {
                wordEnd = paragraph.size();
            }
            // The word with the run of spaces before it.
            std::string_view piece = paragraph.substr(pos, wordEnd - pos);
            std::string_view word = paragraph.substr(wordStart, wordEnd - wordStart);
            pos = wordEnd;
            if (!lineStarted) {
                // The paragraph's leading spaces indent its first line. A word wider than the
                // line still gets a line of its own.
                line.assign(piece);
                lineStarted = true;
                continue;
            }
            std::string candidate = line + std::string(piece);
            if (font.StringWidth(candidate) <= width) {
                line = std::move(candidate);
            } else {
                lines.push_back(std::move(line));
                line.assign(word);
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void Graphics::DrawString(std::string_view text, float x, float y) {
    if (mTarget == nullptr || mState.mFont == nullptr || text.empty()) {
        return;
    }
    mState.mFont->DrawString(*this, x, y, text, mState.mColor);
}

int Graphics::WriteString(std::string_view text, float x, float y, int width, int justification,
                          bool draw, int offset, int length) {
    if (mState.mFont == nullptr) {
        return 0;
    }
    size_t start = size_t(std::clamp(offset, 0, int(text.size())));
    size_t count = text.size() - start;
    if (length >= 0 && size_t(length) < count) {
        count = size_t(length);
    }
    std::string_view piece = text.substr(start, count);
    int pieceWidth = mState.mFont->StringWidth(piece);
    if (draw) {
        int px = JustifiedX(int(x), width, pieceWidth, justification);
        DrawString(piece, float(px) + (x - float(int(x))), y);
    }
    return pieceWidth;
}

int Graphics::DrawStringWordWrapped(const Rect& rect, std::string_view text, int lineSpacing,
                                    int justification, int* widest) {
    if (widest != nullptr) {
        *widest = 0;
    }
    Font* font = mState.mFont;
    if (font == nullptr) {
        return 0;
    }
    if (lineSpacing < 0) {
        lineSpacing = font->GetLineSpacing();
    }
    return DrawLines(*this, *font, WrapText(*font, text, rect.mWidth), rect.mX, float(rect.mY),
                     rect.mWidth, lineSpacing, justification, widest);
}

int Graphics::DrawStringJustified(float x, float y, std::string_view text, int wrapWidth,
                                  int justification, int* widest) {
    if (widest != nullptr) {
        *widest = 0;
    }
    Font* font = mState.mFont;
    if (font == nullptr) {
        return 0;
    }
    // Laid out unwrapped (only forced breaks), then placed within wrapWidth.
    return DrawLines(*this, *font, WrapText(*font, text, 100000), int(x), y, wrapWidth,
                     font->GetLineSpacing(), justification, widest);
}

int Graphics::GetWordWrappedHeight(int width, std::string_view text, int lineSpacing, int* widest) {
    Graphics measure;
    measure.SetFont(mState.mFont);
    return measure.DrawStringWordWrapped(Rect(0, 0, width, 0), text, lineSpacing, -1, widest);
}
