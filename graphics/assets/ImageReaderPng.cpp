// PNG decoding through libpng's full reader. Game art is drawn as its stored pixel values, so
// no gamma correction is applied: the gAMA, sRGB, cHRM and iCCP chunks are read and ignored,
// and 16-bit samples keep their high byte, the same picture whichever editor saved it.

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "graphics/assets/ImageReader.h"

namespace {

struct MemoryReader {
    const uint8_t* mData;
    size_t mSize;
    size_t mPos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->mSize - reader->mPos) {
        png_error(png, "file is truncated");
    }
    std::memcpy(out, reader->mData + reader->mPos, count);
    reader->mPos += count;
}

// libpng reports errors by longjmp; the message is kept for the caller.
void OnError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Runs every libpng call that may longjmp; kept free of objects with destructors so the jump
// skips nothing that needs unwinding. rows points at the caller's row table.
bool DecodeRows(png_structp png, png_infop info, int* width, int* height,
                std::vector<uint32_t>* pixels, std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info);
    png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > unsigned(kMaxImageSide) || h > unsigned(kMaxImageSide) ||
        size_t(w) * size_t(h) > kMaxImagePixels) {
        png_error(png, "image size out of range");
    }
    int colorType = png_get_color_type(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    // BGRA bytes are 0xAARRGGBB words on a little-endian machine; straight alpha.
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4) {
        png_error(png, "unexpected row layout");
    }
    pixels->resize(size_t(w) * size_t(h));
    rows->resize(h);
    for (png_uint_32 y = 0; y < h; ++y) {
        (*rows)[y] = reinterpret_cast<png_bytep>(pixels->data() + size_t(y) * w);
    }
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    *width = int(w);
    *height = int(h);
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        *error = "not a PNG file";
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, OnError, OnWarning);
    if (png == nullptr) {
        *error = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        *error = "out of memory";
        return false;
    }
    error->clear();
    MemoryReader reader{data, size, 0};
    png_set_read_fn(png, &reader, ReadFromMemory);
    // The same limits as the size check, so that a lying header fails before any allocation.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    std::vector<uint32_t> pixels;
    std::vector<png_bytep> rows;
    int width = 0;
    int height = 0;
    bool ok = DecodeRows(png, info, &width, &height, &pixels, &rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        if (error->empty()) {
            *error = "broken PNG file";
        }
        return false;
    }
    out->mWidth = width;
    out->mHeight = height;
    out->mPixels = std::move(pixels);
    return true;
}
