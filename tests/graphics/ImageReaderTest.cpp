// The image readers and writers on good, malformed and truncated files, and loading by name.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/expr/MainThread.h"
#include "graphics/ImageLoading.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/ImageWriter.h"

namespace {

std::vector<uint32_t> Pattern(int w, int h) {
    std::vector<uint32_t> p(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p[size_t(y * w + x)] = (uint32_t((x * 37) & 0xFF) << 24) | (uint32_t(x * 9) << 16) |
                                   (uint32_t(y * 11) << 8) | uint32_t((x + y) * 5);
        }
    }
    return p;
}

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// A 3x2 GIF with a 4-colour table, colour 3 transparent, coded with a clear code after every
// two literals so the code width stays at 3 bits.
std::string MakeGif(bool interlaced) {
    std::string g = "GIF89a";
    g += std::string("\x03\x00\x02\x00", 4);
    g += char(0x81);  // global table of 4 entries
    g += std::string("\x00\x00", 2);
    g += std::string(
        "\xFF\x00\x00"
        "\x00\xFF\x00"
        "\x00\x00\xFF"
        "\x10\x20\x30",
        12);
    g += std::string("\x21\xF9\x04\x01\x00\x00\x03\x00", 8);  // transparent index 3
    g += std::string("\x2C\x00\x00\x00\x00\x03\x00\x02\x00", 9);
    g += char(interlaced ? 0x40 : 0x00);
    g += char(2);  // minimum code size
    const int codes[] = {4, 0, 1, 4, 2, 3, 4, 1, 0, 5};
    std::string packed;
    uint32_t buffer = 0;
    int bits = 0;
    for (int code : codes) {
        buffer |= uint32_t(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed += char(buffer & 0xFF);
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) {
        packed += char(buffer & 0xFF);
    }
    g += char(packed.size());
    g += packed;
    g += char(0);
    g += char(0x3B);
    return g;
}

std::string MakeTga(int type, int bits, bool topDown) {
    // 2x2 true colour (or grey), uncompressed or run-length coded.
    std::string t(18, '\0');
    t[2] = char(type);
    t[12] = 2;
    t[14] = 2;
    t[16] = char(bits);
    t[17] = char((topDown ? 0x20 : 0) | (bits == 32 ? 8 : 0));
    if (type == 2) {
        for (int i = 0; i < 4; ++i) {
            t += std::string{char(10 * i), char(20), char(30)};
            if (bits == 32) {
                t += char(i == 0 ? 0 : 255);
            }
        }
    } else if (type == 10) {
        t += char(0x81);  // two pixels of one colour
        t += std::string("\x01\x02\x03", 3);
        t += char(0x01);  // two literal pixels
        t += std::string("\x04\x05\x06\x07\x08\x09", 6);
    } else if (type == 3) {
        t += std::string("\x00\x40\x80\xFF", 4);
    }
    return t;
}

}  // namespace

TEST(ImageReaderTest, PngAndJpegRoundTripThroughTheWriters) {
    std::vector<uint32_t> pixels = Pattern(17, 9);
    std::string png;
    ASSERT_TRUE(EncodePng(17, 9, pixels, &png));
    DecodedImage decoded;
    std::string error;
    ASSERT_TRUE(DecodeImage("x.png", Bytes(png), png.size(), &decoded, &error)) << error;
    EXPECT_EQ(decoded.mWidth, 17);
    EXPECT_EQ(decoded.mHeight, 9);
    EXPECT_EQ(decoded.mPixels, pixels);

    std::vector<uint32_t> grey(32 * 16, 0xFF808080u);
    std::string jpeg;
    ASSERT_TRUE(EncodeJpeg(32, 16, grey, 95, &jpeg));
    ASSERT_TRUE(DecodeImage("no-extension", Bytes(jpeg), jpeg.size(), &decoded, &error)) << error;
    ASSERT_EQ(decoded.mPixels.size(), grey.size());
    for (uint32_t p : decoded.mPixels) {
        EXPECT_EQ(p >> 24, 0xFFu);
        EXPECT_NEAR(int((p >> 8) & 0xFF), 0x80, 3);
    }
    EXPECT_FALSE(EncodePng(2, 2, pixels, &png)) << "size must match the pixels";
}

TEST(ImageReaderTest, OurGifAndTgaReaders) {
    DecodedImage d;
    std::string error;
    std::string gif = MakeGif(false);
    ASSERT_TRUE(DecodeGif(Bytes(gif), gif.size(), &d, &error)) << error;
    ASSERT_EQ(d.mWidth, 3);
    ASSERT_EQ(d.mHeight, 2);
    EXPECT_EQ(d.mPixels, (std::vector<uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0u,
                                                0xFF00FF00u, 0xFFFF0000u}));
    // Interlaced: the second stored row is row 1 all the same for two rows (pass 1 then 4).
    std::string interlaced = MakeGif(true);
    ASSERT_TRUE(DecodeGif(Bytes(interlaced), interlaced.size(), &d, &error)) << error;
    EXPECT_EQ(d.mPixels[0], 0xFFFF0000u);

    std::string tga = MakeTga(2, 24, false);
    ASSERT_TRUE(DecodeImage("a.TGA", Bytes(tga), tga.size(), &d, &error)) << error;
    // Bottom-up rows: the first stored pixel is the bottom left.
    EXPECT_EQ(d.mPixels[2], 0xFF1E1400u);
    EXPECT_EQ(d.mPixels[1], 0xFF1E141Eu);
    tga = MakeTga(2, 32, true);
    ASSERT_TRUE(DecodeTga(Bytes(tga), tga.size(), &d, &error)) << error;
    EXPECT_EQ(d.mPixels[0], 0x001E1400u);
    EXPECT_EQ(d.mPixels[3] >> 24, 0xFFu);
    tga = MakeTga(10, 24, true);
    ASSERT_TRUE(DecodeTga(Bytes(tga), tga.size(), &d, &error)) << error;
    EXPECT_EQ(d.mPixels,
              (std::vector<uint32_t>{0xFF030201u, 0xFF030201u, 0xFF060504u, 0xFF090807u}));
    tga = MakeTga(3, 8, true);
    ASSERT_TRUE(DecodeTga(Bytes(tga), tga.size(), &d, &error)) << error;
    EXPECT_EQ(d.mPixels[1], 0xFF404040u);
}

TEST(ImageReaderTest, BrokenAndTruncatedFilesFailCleanly) {
    std::vector<uint32_t> pixels = Pattern(20, 20);
    std::string png, jpeg;
    ASSERT_TRUE(EncodePng(20, 20, pixels, &png));
    ASSERT_TRUE(EncodeJpeg(20, 20, pixels, 80, &jpeg));
    struct Sample {
        std::string name;
        std::string data;
    };
    std::vector<Sample> samples = {{"a.png", png},
                                   {"a.jpg", jpeg},
                                   {"a.gif", MakeGif(false)},
                                   {"a.tga", MakeTga(2, 32, false)},
                                   {"b.tga", MakeTga(10, 24, false)}};
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        // Every truncation fails (the decoders copy into a buffer of exactly that size, so the
        // sanitizer catches any read past it).
        for (size_t n = 0; n + 1 < s.data.size(); n += (n < 64 ? 1 : 7)) {
            std::vector<uint8_t> cut(s.data.begin(), s.data.begin() + long(n));
            DecodedImage d;
            std::string error;
            bool ok = DecodeImage(s.name, cut.data(), cut.size(), &d, &error);
            if (ok && (s.name == "a.gif" || s.name == "a.png") && n + 12 >= s.data.size()) {
                continue;  // cut inside the end marker: every pixel is there
            }
            EXPECT_FALSE(ok) << "cut at " << n;
            EXPECT_FALSE(error.empty());
        }
    }
    // Headers that lie about their size or codes.
    std::string tga = MakeTga(2, 24, false);
    tga[12] = char(0xFF);
    tga[13] = char(0xFF);
    DecodedImage d;
    std::string error;
    EXPECT_FALSE(DecodeTga(Bytes(tga), tga.size(), &d, &error));
    std::string rle = MakeTga(10, 24, false);
    rle[18] = char(0xFF);  // a run of 128 in a 4-pixel image
    EXPECT_FALSE(DecodeTga(Bytes(rle), rle.size(), &d, &error));
    std::string gif = MakeGif(false);
    gif[gif.size() - 7] = char(0xFF);  // codes beyond the table
    EXPECT_FALSE(DecodeGif(Bytes(gif), gif.size(), &d, &error) && d.mPixels.size() != 6);
    EXPECT_FALSE(DecodeImage("a.j2k", Bytes(gif), 3, &d, &error));
    EXPECT_NE(error.find("JPEG-2000"), std::string::npos);
    EXPECT_FALSE(DecodeImage("a.bmp", Bytes(gif), 3, &d, &error));
}

TEST(ImageReaderTest, LoadingFromResourceFolders) {
    SetMainThread();
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("p7_images_" + std::to_string(::getpid()));
    fs::create_directories(root / "first");
    fs::create_directories(root / "second/images");
    std::vector<uint32_t> pixels = Pattern(4, 6);
    ASSERT_TRUE(WritePngFile((root / "second/images/hero.png").string(), 4, 6, pixels));
    {
        std::ofstream broken(root / "second/images/broken.png", std::ios::binary);
        broken << "\x89PNG\r\n\x1a\n garbage";
    }
    SetImageResourceFolders({(root / "first").string() + "/", (root / "second").string() + "/"});
    std::unique_ptr<ImageSurface> hero = LoadImageSurface("hero", "images/hero", 1, 2, 3);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->GetName(), "hero");
    EXPECT_EQ(hero->GetCelWidth(), 2);
    EXPECT_EQ(hero->GetCelHeight(), 2);
    EXPECT_EQ(hero->GetFlags(), 1u);
    EXPECT_EQ(hero->GetPixel(1, 1, 5), pixels[size_t(5 * 4 + 3)]);
    EXPECT_EQ(LoadImageSurface("broken", "images/broken.png"), nullptr);
    EXPECT_EQ(LoadImageSurface("missing", "images/missing"), nullptr);
    std::unique_ptr<ImageSurface> copy = CopyImage(hero.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetPixelData(), pixels);
    EXPECT_EQ(copy->GetRows(), 3);
    SetImageResourceFolders({});
    fs::remove_all(root);
}
