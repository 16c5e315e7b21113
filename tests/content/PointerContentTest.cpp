// The tools' pointer pictures: a pointer script puts its picture so that the pointer's hot spot
// (the script's origin) lies on the tool's working end, the bristle tips or the blade's edge, so
// that a stroke lands where the tool points. The working end is found from the picture itself,
// so a redrawn tool is checked as it is drawn.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ContentTestSupport.h"
#include "graphics/assets/AssetCatalogue.h"
#include "graphics/assets/ImageReader.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

namespace {

// Half covered or more: what a player sees as the tool.
bool Solid(const DecodedImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.mWidth && y < image.mHeight &&
           (image.mPixels[static_cast<size_t>(y * image.mWidth + x)] >> 24) >= 128;
}

// Whether (x, y) is a solid pixel at the tool's working end. A tool is long: its solid pixels
// lie along their principal axis. Of the axis' two ends the working one is the broad one (the
// bristles against the handle, the blade against the grip): the quarter of the length there
// holds more of the tool. The point has to lie within the last sixth of the length there.
bool AtWorkingEnd(const DecodedImage& image, int x, int y, std::string* why) {
    std::vector<std::pair<double, double>> solid;
    double cx = 0.0;
    double cy = 0.0;
    for (int py = 0; py < image.mHeight; ++py) {
        for (int px = 0; px < image.mWidth; ++px) {
            if (Solid(image, px, py)) {
                solid.emplace_back(px, py);
                cx += px;
                cy += py;
            }
        }
    }
    if (solid.size() < 2) {
        *why = "the picture holds no tool";
        return false;
    }
    cx /= static_cast<double>(solid.size());
    cy /= static_cast<double>(solid.size());
    double sxx = 0.0;
    double syy = 0.0;
    double sxy = 0.0;
    for (const auto& [px, py] : solid) {
        sxx += (px - cx) * (px - cx);
        syy += (py - cy) * (py - cy);
        sxy += (px - cx) * (py - cy);
    }
    const double angle = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
    double ux = std::cos(angle);
    double uy = std::sin(angle);
    const auto along = [&](double px, double py) { return (px - cx) * ux + (py - cy) * uy; };
    double low = 0.0;
    double high = 0.0;
    for (const auto& [px, py] : solid) {
        low = std::min(low, along(px, py));
        high = std::max(high, along(px, py));
    }
    const double length = high - low;
    int lowQuarter = 0;
    int highQuarter = 0;
    for (const auto& [px, py] : solid) {
        lowQuarter += along(px, py) <= low + length / 4 ? 1 : 0;
        highQuarter += along(px, py) >= high - length / 4 ? 1 : 0;
    }
    const bool workingHigh = highQuarter >= lowQuarter;
    const double fromEnd = workingHigh ? high - along(x, y) : along(x, y) - low;
    std::ostringstream text;
    if (!Solid(image, x, y)) {
        text << "(" << x << "," << y << ") is not on the tool";
    } else if (fromEnd > length / 6) {
        const double tx = cx + (workingHigh ? high : low) * ux;
        const double ty = cy + (workingHigh ? high : low) * uy;
        text << "(" << x << "," << y << ") lies " << std::lround(fromEnd)
             << " px from the working end about (" << std::lround(tx) << "," << std::lround(ty)
             << ") of a tool " << std::lround(length) << " px long";
    }
    *why = text.str();
    return why->empty();
}

// An integer script parameter written as a plain number; false when absent or computed.
bool PlainNumber(const AnimationCommand& command, const char* name, int* value) {
    const std::string* text = command.FindParam(name);
    if (text == nullptr) {
        return false;
    }
    std::istringstream in(*text);
    return (in >> *value) && (in >> std::ws).eof();
}

class PointerContentTest : public contenttest::ContentTest {};

}  // namespace

TEST_F(PointerContentTest, EachToolsHotSpotLiesOnItsWorkingEnd) {
    // The check itself, on a made-up tool: a broad head over a long thin handle.
    DecodedImage tool{20, 40, std::vector<uint32_t>(20 * 40, 0)};
    for (int y = 0; y < 40; ++y) {
        for (int x = y < 10 ? 4 : 9; x <= (y < 10 ? 15 : 10); ++x) {
            tool.mPixels[static_cast<size_t>(y * 20 + x)] = 0xFF808080u;
        }
    }
    std::string why;
    EXPECT_TRUE(AtWorkingEnd(tool, 9, 1, &why)) << why;
    EXPECT_FALSE(AtWorkingEnd(tool, 9, 9, &why)) << "the head's far side";
    EXPECT_FALSE(AtWorkingEnd(tool, 10, 39, &why)) << "the grip";
    EXPECT_FALSE(AtWorkingEnd(tool, 2, 1, &why)) << "beside the head";

    std::string error;
    AssetCatalogue catalogue;
    ASSERT_TRUE(catalogue.ReadFile("assets.xml", &error)) << error;
    std::map<std::string, std::string> paths;
    for (const AssetGroupEntry& group : catalogue.GetGroups()) {
        for (const AssetImageEntry& image : group.mImages) {
            paths[image.mName] = image.mPath;
        }
    }
    AnimationTable table;
    AnimationStats reader(false, &table);
    ASSERT_TRUE(reader.ReadAll());

    // The pointer scripts are named after what they point with ("brushcursor").
    std::vector<std::string> pointers;
    for (const std::string& name : table.GetNames()) {
        if (name.size() > 6 && name.compare(name.size() - 6, 6, "cursor") == 0) {
            pointers.push_back(name);
        }
    }
    EXPECT_EQ(pointers, (std::vector<std::string>{"brushcursor", "shovelcursor"}));

    for (const std::string& script : pointers) {
        SCOPED_TRACE(script);
        int pictures = 0;
        for (const AnimationCommand& command : table.Find(script)->mCommands) {
            if (command.mCommand != "add" || !command.HasParam("image")) {
                continue;
            }
            ++pictures;
            std::string name = *command.FindParam("image");
            ASSERT_GE(name.size(), 2u);
            name = name.substr(1, name.size() - 2);  // quoted
            ASSERT_EQ(paths.count(name), 1u) << name << " is not in assets.xml";
            DecodedImage image;
            ASSERT_TRUE(ReadImageFile(paths[name], &image)) << paths[name];
            int x = 0;
            int y = 0;
            ASSERT_TRUE(PlainNumber(command, "x", &x) && PlainNumber(command, "y", &y))
                << "the picture's place is not two plain numbers";
            // The script's origin is the hot spot: the picture lies at (x, y) from it.
            EXPECT_TRUE(AtWorkingEnd(image, -x, -y, &why)) << name << ": the hot spot " << why;
        }
        EXPECT_EQ(pictures, 1) << "a pointer shows one picture";
    }
}
