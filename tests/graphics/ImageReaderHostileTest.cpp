// The image readers on small hostile files whose headers lie about their sizes: each must be
// refused quickly, without asking for memory the file cannot fill.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

namespace {

bool Decode(bool (*decoder)(const uint8_t*, size_t, DecodedImage*, std::string*),
            const std::string& bytes, std::string* error) {
    DecodedImage image;
    return decoder(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image, error);
}

}  // namespace

TEST(ImageReaderHostileTest, GifFrameLargerThanTheLimitsIsRefused) {
    // A 2x4 screen holding a 62451x50460 frame with an empty code stream: the frame's size used
    // to be trusted, and the decoder reserved three gigabytes for its indices.
    const std::string gif(
        "GIF89a\x02\x00\x04\x00\x81\x00\x00\x00\xff\x00\x00\x00\x00\x00\xff\xff\x21\xf9\x00"
        "\x2c\xf3\xf3\xf3\xf3\xf3\xf3\x1c\xc5\x10\x05\x00",
        37);
    std::string error;
    EXPECT_FALSE(Decode(&DecodeGif, gif, &error));
    EXPECT_EQ(error, "image size out of range");

    // A logical screen one side of which is past the largest side accepted.
    std::string wide = gif;
    wide[6] = char(0x10);
    wide[7] = char(0x50);  // 20496 wide, 4 high: few pixels, but too wide
    EXPECT_FALSE(Decode(&DecodeGif, wide, &error));
    EXPECT_EQ(error, "image size out of range");
}

TEST(ImageReaderHostileTest, JpegAndTgaSizesAreHeldToTheLimits) {
    // A real 4x2 JPEG whose frame header is patched to 16384x16384: each side is allowed, the
    // pixel count is four times the limit. It used to be decoded, a gigabyte of grey padding
    // from a file of a few hundred bytes.
    std::string jpeg;
    ASSERT_TRUE(EncodeJpeg(4, 2, std::vector<uint32_t>(8, 0xFF336699u), 90, &jpeg));
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, std::string("\x40\x00\x40\x00", 4));
    std::string error;
    EXPECT_FALSE(Decode(&DecodeJpeg, jpeg, &error));
    EXPECT_EQ(error, "image size out of range");

    // 8192x8192 is within the limits, but the data ends after the first rows: refused as
    // truncated.
    jpeg.replace(frame + 5, 4, std::string("\x20\x00\x20\x00", 4));
    EXPECT_FALSE(Decode(&DecodeJpeg, jpeg, &error));
    EXPECT_EQ(error, "the file is truncated");

    // An uncompressed grey TGA 20000 pixels wide and one high: few pixels, but too wide.
    std::string tga(18, '\0');
    tga[2] = 3;
    tga[12] = char(0x20);
    tga[13] = char(0x4E);
    tga[14] = 1;
    tga[16] = 8;
    tga += std::string(20000, '\x7F');
    EXPECT_FALSE(Decode(&DecodeTga, tga, &error));
    EXPECT_EQ(error, "image size out of range");
}
