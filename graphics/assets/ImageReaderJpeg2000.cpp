// JPEG-2000 decoding through OpenJPEG, for bare code streams and for JP2 files. The decoder runs
// in strict mode, so a cut-off stream fails instead of coming back with missing tiles filled in;
// every component is scaled to 8 bits and brought up to the full picture size, so subsampled
// and odd-precision files draw like any other image. Files declaring sYCC or e-YCC are turned
// into RGB; CMYK files are refused.

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include "graphics/assets/ImageReader.h"

namespace {

struct MemoryStream {
    const uint8_t* mData;
    size_t mSize;
    size_t mPos;
};

OPJ_SIZE_T ReadFromMemory(void* buffer, OPJ_SIZE_T count, void* user) {
    auto* stream = static_cast<MemoryStream*>(user);
    size_t left = stream->mSize - stream->mPos;
    if (left == 0) {
        return OPJ_SIZE_T(-1);  // the library's end of stream
    }
    size_t n = std::min(size_t(count), left);
    std::memcpy(buffer, stream->mData + stream->mPos, n);
    stream->mPos += n;
    return n;
}

OPJ_OFF_T SkipInMemory(OPJ_OFF_T count, void* user) {
    auto* stream = static_cast<MemoryStream*>(user);
    if (count < 0 ? size_t(-count) > stream->mPos : size_t(count) > stream->mSize - stream->mPos) {
        return -1;
    }
    stream->mPos = size_t(OPJ_OFF_T(stream->mPos) + count);
    return count;
}

OPJ_BOOL SeekInMemory(OPJ_OFF_T position, void* user) {
    auto* stream = static_cast<MemoryStream*>(user);
    if (position < 0 || uint64_t(position) > stream->mSize) {
        return OPJ_FALSE;
    }
    stream->mPos = size_t(position);
    return OPJ_TRUE;
}

// The library reports through callbacks; the first error is the one that explains the failure.
void OnError(const char* message, void* user) {
    auto* error = static_cast<std::string*>(user);
    if (error->empty() && message != nullptr) {
        *error = message;
        while (!error->empty() && (error->back() == '\n' || error->back() == '\r')) {
            error->pop_back();
        }
    }
}

void OnQuiet(const char*, void*) {}

// One component's sample at reference-grid position (gx, gy), the signed ones moved up by half
// their range, within 0..2^prec - 1. Positions outside the component (its grid may start later
// or end earlier) take the nearest sample.
int64_t RawAt(const opj_image_comp_t& comp, uint32_t gx, uint32_t gy) {
    int64_t cx = int64_t(gx / comp.dx) - int64_t(comp.x0);
    int64_t cy = int64_t(gy / comp.dy) - int64_t(comp.y0);
    cx = std::clamp<int64_t>(cx, 0, int64_t(comp.w) - 1);
    cy = std::clamp<int64_t>(cy, 0, int64_t(comp.h) - 1);
    int64_t value = comp.data[size_t(cy) * comp.w + size_t(cx)];
    if (comp.sgnd) {
        value += int64_t(1) << (comp.prec - 1);
    }
    return std::clamp<int64_t>(value, 0, (int64_t(1) << comp.prec) - 1);
}

// The sample scaled to 0..255.
int SampleAt(const opj_image_comp_t& comp, uint32_t gx, uint32_t gy) {
    const int64_t value = RawAt(comp, gx, gy);
    if (comp.prec == 8) {
        return int(value);
    }
    const int64_t top = (int64_t(1) << comp.prec) - 1;
    return int((value * 255 + top / 2) / top);
}

// The sample as a fraction of the component's full range.
double UnitAt(const opj_image_comp_t& comp, uint32_t gx, uint32_t gy) {
    return double(RawAt(comp, gx, gy)) / double((int64_t(1) << comp.prec) - 1);
}

// A chroma sample around its middle value, 2^(prec-1).
double ChromaAt(const opj_image_comp_t& comp, uint32_t gx, uint32_t gy) {
    const double top = double((int64_t(1) << comp.prec) - 1);
    return UnitAt(comp, gx, gy) - double(int64_t(1) << (comp.prec - 1)) / top;
}

int To8Bits(double unit) {
    return int(std::clamp(unit, 0.0, 1.0) * 255.0 + 0.5);
}

// sYCC and e-YCC: luma and two colour differences of sRGB, each component at its own size and
// precision, back to RGB (the full-range matrix both colour spaces use). The e-YCC range beyond
// sRGB's is clipped.
void YccToRgb(const opj_image_comp_t* comps, uint32_t gx, uint32_t gy, int* r, int* g, int* b) {
    const double y = UnitAt(comps[0], gx, gy);
    const double cb = ChromaAt(comps[1], gx, gy);
    const double cr = ChromaAt(comps[2], gx, gy);
    *r = To8Bits(y + 1.402 * cr);
    *g = To8Bits(y - 0.344136 * cb - 0.714136 * cr);
    *b = To8Bits(y + 1.772 * cb);
}

// CMYK is refused by name: its fourth component is black, not alpha, and drawing it as colour
// and coverage would show another picture.
bool CheckColourSpace(const opj_image_t& image, std::string* error) {
    if (image.color_space == OPJ_CLRSPC_CMYK) {
        *error = "CMYK colour is not supported";
        return false;
    }
    return true;
}

bool Validate(const opj_image_t& image, std::string* error) {
    if (!CheckColourSpace(image, error)) {
        return false;
    }
    if (image.numcomps < 1 || image.numcomps > 4) {
        *error = "unsupported number of colour components";
        return false;
    }
    if (image.x1 <= image.x0 || image.y1 <= image.y0) {
        *error = "image size out of range";
        return false;
    }
    const uint32_t width = image.x1 - image.x0;
    const uint32_t height = image.y1 - image.y0;
    if (width > uint32_t(kMaxImageSide) || height > uint32_t(kMaxImageSide) ||
        size_t(width) * height > kMaxImagePixels) {
        *error = "image size out of range";
        return false;
    }
    for (uint32_t i = 0; i < image.numcomps; ++i) {
        const opj_image_comp_t& comp = image.comps[i];
        if (comp.dx == 0 || comp.dy == 0 || comp.prec < 1 || comp.prec > 31) {
            *error = "unsupported component layout";
            return false;
        }
    }
    return true;
}

}  // namespace

bool DecodeJpeg2000(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    static const uint8_t kJp2Signature[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                              0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
    OPJ_CODEC_FORMAT format;
    if (size >= 12 && std::memcmp(data, kJp2Signature, 12) == 0) {
        format = OPJ_CODEC_JP2;
    } else if (size >= 4 && data[0] == 0xFF && data[1] == 0x4F && data[2] == 0xFF &&
               data[3] == 0x51) {
        format = OPJ_CODEC_J2K;
    } else {
        *error = "not a JPEG-2000 file";
        return false;
    }
    error->clear();
    MemoryStream memory{data, size, 0};
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_codec_t* codec = opj_create_decompress(format);
    if (stream == nullptr || codec == nullptr) {
        opj_stream_destroy(stream);
        opj_destroy_codec(codec);
        *error = "out of memory";
        return false;
    }
    opj_stream_set_user_data(stream, &memory, nullptr);
    opj_stream_set_user_data_length(stream, size);
    opj_stream_set_read_function(stream, ReadFromMemory);
    opj_stream_set_skip_function(stream, SkipInMemory);
    opj_stream_set_seek_function(stream, SeekInMemory);
    opj_set_error_handler(codec, OnError, error);
    opj_set_warning_handler(codec, OnQuiet, nullptr);
    opj_set_info_handler(codec, OnQuiet, nullptr);

    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* image = nullptr;
    bool ok = opj_setup_decoder(codec, &parameters) &&
              opj_decoder_set_strict_mode(codec, OPJ_TRUE) &&
              opj_read_header(stream, codec, &image) && image != nullptr;
    // The size is checked before anything is decoded, so a lying header cannot ask for gigabytes.
    ok = ok && Validate(*image, error);
    ok = ok && opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
    // A JP2 file's colour box is read with the header, but the library settles the colour space
    // only once it has decoded.
    ok = ok && CheckColourSpace(*image, error);
    if (ok) {
        for (uint32_t i = 0; i < image->numcomps; ++i) {
            const opj_image_comp_t& comp = image->comps[i];
            if (comp.data == nullptr || comp.w == 0 || comp.h == 0) {
                ok = false;
                *error = "a colour component is missing";
            }
        }
    }
    if (ok) {
        const uint32_t width = image->x1 - image->x0;
        const uint32_t height = image->y1 - image->y0;
        const opj_image_comp_t* comps = image->comps;
        const bool ycc = image->numcomps >= 3 && (image->color_space == OPJ_CLRSPC_SYCC ||
                                                  image->color_space == OPJ_CLRSPC_EYCC);
        std::vector<uint32_t> pixels(size_t(width) * height);
        for (uint32_t y = 0; y < height; ++y) {
            const uint32_t gy = image->y0 + y;
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t gx = image->x0 + x;
                int r, g, b, a = 255;
                switch (image->numcomps) {
                    case 1:
                        r = g = b = SampleAt(comps[0], gx, gy);
                        break;
                    case 2:
                        r = g = b = SampleAt(comps[0], gx, gy);
                        a = SampleAt(comps[1], gx, gy);
                        break;
                    default:
                        if (ycc) {
                            YccToRgb(comps, gx, gy, &r, &g, &b);
                        } else {
                            r = SampleAt(comps[0], gx, gy);
                            g = SampleAt(comps[1], gx, gy);
                            b = SampleAt(comps[2], gx, gy);
                        }
                        if (image->numcomps == 4) {
                            a = SampleAt(comps[3], gx, gy);
                        }
                        break;
                }
                pixels[size_t(y) * width + x] =
                    (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
            }
        }
        out->mWidth = int(width);
        out->mHeight = int(height);
        out->mPixels = std::move(pixels);
    }
    opj_image_destroy(image);
    opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    if (!ok && error->empty()) {
        *error = "broken JPEG-2000 file";
    }
    return ok;
}
