#include <gtest/gtest.h>

#include <string>

#include "tools/ContactSheet.h"

namespace p7tools {
namespace {

// The sheet writer has no decoder to check it against, so pin the parts a viewer rejects first:
// the signature, the header fields and the fixed bytes of the closing chunk.
TEST(ContactSheetTest, PngHasSignatureHeaderAndClosingChunk) {
    RgbImage image(3, 2, 10, 20, 30);
    const std::string png = EncodePng(image);
    ASSERT_GT(png.size(), 8u + 25u + 12u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(png[19], '\x03');  // width 3
    EXPECT_EQ(png[23], '\x02');  // height 2
    EXPECT_EQ(png.substr(png.size() - 12), std::string("\x00\x00\x00\x00IEND\xae\x42\x60\x82", 12));
}

TEST(ContactSheetTest, TileShapesCoverTheirOwnCornerOnly) {
    EXPECT_TRUE(ArtShapeCovers(1, 0.1, 0.1));  // top-left triangle
    EXPECT_FALSE(ArtShapeCovers(1, 0.9, 0.9));
    EXPECT_TRUE(ArtShapeCovers(4, 0.9, 0.9));     // bottom-right triangle
    EXPECT_FALSE(ArtShapeCovers(5, 0.01, 0.01));  // rounded top-left corner is cut
    EXPECT_TRUE(ArtShapeCovers(5, 0.99, 0.01));
    EXPECT_TRUE(ArtShapeCovers(10, 0.5, 0.9));  // bottom half
    EXPECT_FALSE(ArtShapeCovers(10, 0.5, 0.1));
    EXPECT_FALSE(ArtShapeCovers(13, 0.02, 0.5));  // round dot leaves the edges
}

TEST(ContactSheetTest, SheetMarksPuzzlesLineLogicCannotSolve) {
    SetSource set;
    set.puzzles.push_back({"ok", "Ok", {"#####", "#...#", "#####", "..#..", "..#.."}, 1});
    // A diagonal pair has two solutions, so line logic alone cannot settle it.
    set.puzzles.push_back({"stall", "Stall", {"#.", ".#"}, 2});
    const RgbImage sheet = RenderContactSheet(set);
    auto red = [&](int x, int y) {
        const size_t at = (static_cast<size_t>(y) * sheet.width + x) * 3;
        return sheet.pixels[at] == 220 && sheet.pixels[at + 1] == 40;
    };
    const int panelWidth = sheet.width / 2;
    EXPECT_FALSE(red(3, 3));
    EXPECT_TRUE(red(panelWidth + 3, 3));
}

}  // namespace
}  // namespace p7tools
