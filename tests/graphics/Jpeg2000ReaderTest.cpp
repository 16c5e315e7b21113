// The JPEG-2000 reader on files made by the library's own encoder (lossless), compared pixel by
// pixel with their source, and on truncated, corrupted and lying files.

#include <gtest/gtest.h>
#include <openjpeg.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "graphics/assets/ImageReader.h"

namespace {

struct OutStream {
    std::string mData;
    size_t mPos = 0;
};

OPJ_SIZE_T Write(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* out = static_cast<OutStream*>(user);
    if (out->mData.size() < out->mPos + count) {
        out->mData.resize(out->mPos + count);
    }
    std::memcpy(out->mData.data() + out->mPos, buffer, count);
    out->mPos += count;
    return count;
}

OPJ_OFF_T Skip(OPJ_OFF_T count, void* user) {
    static_cast<OutStream*>(user)->mPos += size_t(count);
    return count;
}

OPJ_BOOL Seek(OPJ_OFF_T position, void* user) {
    static_cast<OutStream*>(user)->mPos = size_t(position);
    return OPJ_TRUE;
}

struct Layout {
    const char* name;
    bool jp2;
    int comps;
    int prec;
    int chromaStep;  // subsampling of components 1 and 2
};

// A picture's samples: component c at component position (x, y), within prec bits.
int Sample(int c, int x, int y, int prec) {
    const int top = (1 << prec) - 1;
    return (x * 53 + y * 29 + c * 71 + x * y * 7) % (top + 1);
}

// Component c's sample at component position (x, y).
using SampleFunction = std::function<int(int c, int x, int y)>;

// Encodes a width x height picture losslessly with OpenJPEG, its samples from sample (Sample
// when empty), declaring the colour space (sRGB or grey by the number of components when
// unspecified).
std::string Encode(const Layout& layout, int width, int height, SampleFunction sample = {},
                   OPJ_COLOR_SPACE space = OPJ_CLRSPC_UNSPECIFIED) {
    if (!sample) {
        sample = [&layout](int c, int x, int y) { return Sample(c, x, y, layout.prec); };
    }
    if (space == OPJ_CLRSPC_UNSPECIFIED) {
        space = layout.comps >= 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY;
    }
    opj_image_cmptparm_t params[4];
    std::memset(params, 0, sizeof(params));
    for (int c = 0; c < layout.comps; ++c) {
        const int step = (c == 1 || c == 2) && layout.comps >= 3 ? layout.chromaStep : 1;
        params[c].dx = OPJ_UINT32(step);
        params[c].dy = OPJ_UINT32(step);
        params[c].w = OPJ_UINT32((width + step - 1) / step);
        params[c].h = OPJ_UINT32((height + step - 1) / step);
        params[c].prec = OPJ_UINT32(layout.prec);
        params[c].sgnd = 0;
    }
    opj_image_t* image = opj_image_create(OPJ_UINT32(layout.comps), params, space);
    image->x0 = 0;
    image->y0 = 0;
    image->x1 = OPJ_UINT32(width);
    image->y1 = OPJ_UINT32(height);
    for (int c = 0; c < layout.comps; ++c) {
        opj_image_comp_t& comp = image->comps[c];
        comp.alpha = (c == 1 && layout.comps == 2) || c == 3 ? 1 : 0;
        for (OPJ_UINT32 y = 0; y < comp.h; ++y) {
            for (OPJ_UINT32 x = 0; x < comp.w; ++x) {
                comp.data[y * comp.w + x] = sample(c, int(x), int(y));
            }
        }
    }
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = 0;  // lossless
    parameters.cp_disto_alloc = 1;
    parameters.numresolution = 3;
    opj_codec_t* codec = opj_create_compress(layout.jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    OutStream out;
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &out, nullptr);
    opj_stream_set_write_function(stream, Write);
    opj_stream_set_skip_function(stream, Skip);
    opj_stream_set_seek_function(stream, Seek);
    bool ok = opj_setup_encoder(codec, &parameters, image) &&
              opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
              opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    EXPECT_TRUE(ok) << layout.name;
    return out.mData;
}

int To8(int value, int prec) {
    const int top = (1 << prec) - 1;
    return prec == 8 ? value : (value * 255 + top / 2) / top;
}

// What the reader should give for the picture Encode made.
uint32_t Expected(const Layout& layout, int x, int y) {
    auto at = [&](int c) {
        const int step = (c == 1 || c == 2) && layout.comps >= 3 ? layout.chromaStep : 1;
        return To8(Sample(c, x / step, y / step, layout.prec), layout.prec);
    };
    int r, g, b, a = 255;
    if (layout.comps <= 2) {
        r = g = b = at(0);
        if (layout.comps == 2) {
            a = at(1);
        }
    } else {
        r = at(0);
        g = at(1);
        b = at(2);
        if (layout.comps == 4) {
            a = at(3);
        }
    }
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

const Layout kLayouts[] = {
    {"grey.j2k", false, 1, 8, 1},      {"grey_alpha.jp2", true, 2, 8, 1},
    {"rgb.j2k", false, 3, 8, 1},       {"rgba.jp2", true, 4, 8, 1},
    {"rgb12.jp2", true, 3, 12, 1},     {"grey16.j2k", false, 1, 16, 1},
    {"grey4.j2k", false, 1, 4, 1},     {"subsampled.jp2", true, 3, 8, 2},
    {"rgba_sub.j2k", false, 4, 10, 2},
};

}  // namespace

TEST(Jpeg2000ReaderTest, LosslessFilesDecodeToTheirSourcePixels) {
    const int width = 13;
    const int height = 9;
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        std::string file = Encode(layout, width, height);
        ASSERT_FALSE(file.empty());
        DecodedImage d;
        std::string error;
        ASSERT_TRUE(DecodeImage(layout.name, reinterpret_cast<const uint8_t*>(file.data()),
                                file.size(), &d, &error))
            << error;
        ASSERT_EQ(d.mWidth, width);
        ASSERT_EQ(d.mHeight, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(d.mPixels[size_t(y * width + x)], Expected(layout, x, y))
                    << "at " << x << "," << y;
            }
        }
    }
}

TEST(Jpeg2000ReaderTest, TruncatedCorruptedAndLyingFilesFailCleanly) {
    for (const Layout& layout : {kLayouts[2], kLayouts[3]}) {
        SCOPED_TRACE(layout.name);
        const std::string file = Encode(layout, 24, 16);
        // Every cut fails with a message; each copy is exactly as long as the cut, so the
        // sanitizer catches any read past it.
        for (size_t n = 0; n + 1 < file.size(); n += (n < 200 ? 1 : 5)) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + long(n));
            DecodedImage d;
            std::string error;
            EXPECT_FALSE(DecodeImage(layout.name, cut.data(), cut.size(), &d, &error))
                << "cut at " << n;
            EXPECT_FALSE(error.empty());
        }
        // Flipped bytes anywhere may decode to other pixels or fail, but never crash or give a
        // picture of the wrong size.
        for (size_t i = 0; i < file.size(); i += 3) {
            std::vector<uint8_t> bad(file.begin(), file.end());
            bad[i] ^= uint8_t(0x5A + i);
            DecodedImage d;
            std::string error;
            if (DecodeImage(layout.name, bad.data(), bad.size(), &d, &error)) {
                EXPECT_EQ(d.mPixels.size(), size_t(d.mWidth) * size_t(d.mHeight));
            } else {
                EXPECT_FALSE(error.empty());
            }
        }
    }
    // A code stream whose size marker claims 65535 x 65535 pixels fails before decoding.
    std::string file = Encode(kLayouts[0], 8, 8);
    const size_t siz = file.find("\xFF\x51");
    ASSERT_NE(siz, std::string::npos);
    std::memcpy(file.data() + siz + 6, "\x00\x00\xFF\xFF\x00\x00\xFF\xFF", 8);  // Xsiz, Ysiz
    DecodedImage d;
    std::string error;
    EXPECT_FALSE(DecodeImage("huge.j2k", reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                             &d, &error));
    EXPECT_FALSE(error.empty());
}

namespace {

// Sets the enumerated colour space of a JP2 file's colour box (the encoder writes only sRGB,
// grey and sYCC).
void DeclareColourSpace(std::string* file, uint32_t enumerated) {
    const size_t colr = file->find("colr");
    ASSERT_NE(colr, std::string::npos);
    ASSERT_EQ((*file)[colr + 4], 1) << "an enumerated colour space";
    for (int i = 0; i < 4; ++i) {
        (*file)[colr + 7 + size_t(i)] = char((enumerated >> (8 * (3 - i))) & 0xFF);
    }
}

}  // namespace

// Files declaring a luma and colour-difference space come back as the RGB they stand for, with
// colour differences at half the size in each direction; a CMYK file is refused by name rather
// than drawn with black as its coverage.
TEST(Jpeg2000ReaderTest, DeclaredColourSpacesAreConvertedOrRefused) {
    // Blocks of 4 x 4 pixels in six colours.
    const uint32_t colours[6] = {0xE6282Au, 0x28C828u, 0x283CE6u, 0xF0DC28u, 0xFFFFFFu, 0x101820u};
    const int width = 12;
    const int height = 8;
    auto colourAt = [&](int x, int y) { return colours[(y / 4) * 3 + x / 4]; };
    // The full-range luma and colour differences of sRGB (the forward transform).
    auto ycc = [&](int c, int x, int y) {
        const uint32_t rgb = colourAt(x, y);
        const double r = double((rgb >> 16) & 0xFF), g = double((rgb >> 8) & 0xFF),
                     b = double(rgb & 0xFF);
        const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
        const double value = c == 0   ? luma
                             : c == 1 ? 128.0 + (b - luma) / 1.772
                                      : 128.0 + (r - luma) / 1.402;
        return int(std::lround(std::clamp(value, 0.0, 255.0)));
    };
    // The colour differences are sampled at half size: component position (x, y) stands for
    // the picture's (2x, 2y), inside the same block.
    auto subsampled = [&](int c, int x, int y) {
        return c == 0 ? ycc(c, x, y) : ycc(c, 2 * x, 2 * y);
    };
    const Layout layout{"ycc.jp2", true, 3, 8, 2};
    std::string sycc = Encode(layout, width, height, subsampled, OPJ_CLRSPC_SYCC);
    std::string eycc = sycc;
    DeclareColourSpace(&eycc, 24);
    for (const std::string* file : {&sycc, &eycc}) {
        SCOPED_TRACE(file == &sycc ? "sYCC" : "e-YCC");
        DecodedImage d;
        std::string error;
        ASSERT_TRUE(DecodeImage("ycc.jp2", reinterpret_cast<const uint8_t*>(file->data()),
                                file->size(), &d, &error))
            << error;
        ASSERT_EQ(d.mWidth, width);
        ASSERT_EQ(d.mHeight, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t got = d.mPixels[size_t(y * width + x)];
                const uint32_t want = colourAt(x, y);
                EXPECT_EQ(got >> 24, 0xFFu);
                for (int shift : {16, 8, 0}) {
                    EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 2)
                        << "at " << x << "," << y;
                }
            }
        }
    }

    std::string cmyk = Encode(Layout{"cmyk.jp2", true, 4, 8, 1}, 8, 8);
    DeclareColourSpace(&cmyk, 12);
    DecodedImage d;
    std::string error;
    EXPECT_FALSE(DecodeImage("cmyk.jp2", reinterpret_cast<const uint8_t*>(cmyk.data()), cmyk.size(),
                             &d, &error));
    EXPECT_NE(error.find("CMYK"), std::string::npos) << error;
}

TEST(Jpeg2000ReaderTest, FilesAreFoundAndReadByName) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("p7_j2k_" + std::to_string(::getpid()));
    fs::create_directories(root);
    const std::string good = Encode(kLayouts[3], 6, 4);
    std::ofstream(root / "good.jp2", std::ios::binary) << good;
    std::ofstream(root / "broken.j2k", std::ios::binary) << good.substr(0, good.size() / 2);
    DecodedImage d;
    EXPECT_TRUE(ReadImageFile((root / "good.jp2").string(), &d));
    EXPECT_EQ(d.mPixels[5], Expected(kLayouts[3], 5, 0));
    EXPECT_FALSE(ReadImageFile((root / "broken.j2k").string(), &d));
    const std::vector<std::string>& extensions = GetImageExtensions();
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".j2k"), extensions.end());
    EXPECT_NE(std::find(extensions.begin(), extensions.end(), ".jp2"), extensions.end());
    fs::remove_all(root);
}
