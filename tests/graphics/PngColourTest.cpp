// PNG files decode to their stored values whatever colour chunks the saving editor added.

#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "graphics/assets/ImageReader.h"

namespace {

enum class ColourChunk { kNone, kGamma, kSrgb };

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

// Writes a PNG of one repeated pixel. samples holds one pixel's channels at bitDepth bits.
std::string WritePng(int width, int height, int colorType, int bitDepth,
                     const std::vector<uint16_t>& samples, ColourChunk chunk) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, AppendToString, NoFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (chunk == ColourChunk::kGamma) {
        png_set_gAMA(png, info, 1.0 / 1.8);
    } else if (chunk == ColourChunk::kSrgb) {
        png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    }
    png_write_info(png, info);
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
        for (uint16_t s : samples) {
            if (bitDepth == 16) {
                row.push_back(uint8_t(s >> 8));
            }
            row.push_back(uint8_t(s & 0xFF));
        }
    }
    for (int y = 0; y < height; ++y) {
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

uint32_t DecodeFirstPixel(const std::string& file) {
    DecodedImage image;
    std::string error;
    bool ok = DecodePng(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &image, &error);
    EXPECT_TRUE(ok) << error;
    if (!ok || image.mPixels.empty()) {
        return 0;
    }
    return image.mPixels[0];
}

}  // namespace

TEST(PngColourTest, SixteenBitGreyWithoutGammaKeepsItsValue) {
    // Opaque grey 24 stored as 16-bit samples; a linear-light reading would brighten it.
    std::string file = WritePng(3, 2, PNG_COLOR_TYPE_GRAY, 16, {24 * 257}, ColourChunk::kNone);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(DecodeFirstPixel(file), 0xFF181818u);
}

TEST(PngColourTest, SixteenBitColourWithAlphaKeepsItsValues) {
    std::string file = WritePng(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16,
                                {0x1000, 0x8000, 0xF0F0, 0x4000}, ColourChunk::kNone);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(DecodeFirstPixel(file), 0x401080F0u);
}

TEST(PngColourTest, GammaAndSrgbChunksDoNotChangeThePixels) {
    for (ColourChunk chunk : {ColourChunk::kNone, ColourChunk::kGamma, ColourChunk::kSrgb}) {
        std::string eight = WritePng(4, 4, PNG_COLOR_TYPE_RGB, 8, {24, 128, 200}, chunk);
        EXPECT_EQ(DecodeFirstPixel(eight), 0xFF1880C8u) << int(chunk);
        std::string sixteen =
            WritePng(4, 4, PNG_COLOR_TYPE_RGB, 16, {24 * 257, 128 * 257, 200 * 257}, chunk);
        EXPECT_EQ(DecodeFirstPixel(sixteen), 0xFF1880C8u) << int(chunk);
        std::string greyAlpha = WritePng(4, 4, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {90, 33}, chunk);
        EXPECT_EQ(DecodeFirstPixel(greyAlpha), 0x215A5A5Au) << int(chunk);
    }
}

TEST(PngColourTest, TruncatedFileFailsWithAMessage) {
    std::string file = WritePng(8, 8, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}, ColourChunk::kNone);
    ASSERT_GT(file.size(), 40u);
    file.resize(file.size() - 20);
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(
        DecodePng(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &image, &error));
    EXPECT_FALSE(error.empty());
}
