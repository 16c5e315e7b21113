#pragma once
// A font chosen by face name from the installed fonts (through fontconfig). When the face asked
// for is not installed (the widgets' default "Arial Unicode MS" usually is not), DejaVu Sans in
// the same style stands in.

#include <memory>
#include <string>

#include "graphics/fonts/TrueTypeFont.h"

class QuorAppBase;

class SysFont : public TrueTypeFont {
public:
    // Style flags: bold 1, italic 2. The point size is at 96 dots per inch (10 points are 13
    // pixels). Any thread. A font that cannot be found at all measures and draws nothing and is
    // logged.
    SysFont(const std::string& faceName, int pointSize, int style = 0);
    // The same; the application is not needed by this implementation.
    SysFont(QuorAppBase* app, const std::string& faceName, int pointSize, int style = 0);

    std::unique_ptr<Font> Duplicate() const override;

    const std::string& GetFaceName() const { return mFaceName; }
    // The file that stands behind the font; empty when none was found.
    const std::string& GetFilePath() const { return mFilePath; }

    // The font file and face index for a family and style: the family's own when installed,
    // else DejaVu Sans's, else whatever fontconfig offers. False when fontconfig finds nothing.
    static bool ResolveFace(const std::string& family, int style, std::string* path,
                            int* faceIndex);

    // Pixels for a point size at 96 dots per inch.
    static int PointsToPixels(int pointSize);

private:
    std::string mFaceName;
    std::string mFilePath;
};
