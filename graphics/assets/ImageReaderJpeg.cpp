// JPEG decoding through libjpeg with a memory source and an error manager that returns instead
// of exiting.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "graphics/assets/ImageReader.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr mBase;
    jmp_buf mJump;
    char mMessage[JMSG_LENGTH_MAX];
    bool mTruncated;
};

[[noreturn]] void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->mMessage);
    std::longjmp(err->mJump, 1);
}

// Warnings about odd but decodable data are ignored; running out of data is not: the library
// would pad the picture with grey and call it a success. The data runs out either at the end of
// the file or at a marker (the end-of-image one, typically) met before a scan's last block.
void OnEmitMessage(j_common_ptr info, int level) {
    if (level < 0 &&
        (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER)) {
        reinterpret_cast<ErrorManager*>(info->err)->mTruncated = true;
    }
}

// Runs the whole decode in a function without objects that need destructors, so that the
// longjmp out of libjpeg skips nothing.
bool DecodeInto(const uint8_t* data, size_t size, uint32_t** pixels, int* width, int* height,
                ErrorManager* err) {
    jpeg_decompress_struct info;
    std::memset(&info, 0, sizeof(info));
    info.err = jpeg_std_error(&err->mBase);
    err->mBase.error_exit = OnError;
    err->mBase.emit_message = OnEmitMessage;
    *pixels = nullptr;
    if (setjmp(err->mJump)) {
        jpeg_destroy_decompress(&info);
        std::free(*pixels);
        *pixels = nullptr;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 ||
        info.image_width > JDIMENSION(kMaxImageSide) ||
        info.image_height > JDIMENSION(kMaxImageSide) ||
        size_t(info.image_width) * size_t(info.image_height) > kMaxImagePixels) {
        std::snprintf(err->mMessage, sizeof(err->mMessage), "image size out of range");
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    *pixels = static_cast<uint32_t*>(std::calloc(size_t(*width) * size_t(*height), 4));
    if (*pixels == nullptr) {
        std::snprintf(err->mMessage, sizeof(err->mMessage), "out of memory");
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Once the data has run out the decode has failed: stop rather than decode every padded
    // row of a header that claims far more than the file holds.
    while (info.output_scanline < info.output_height && !err->mTruncated) {
        JSAMPROW row =
            reinterpret_cast<JSAMPROW>(*pixels + size_t(info.output_scanline) * size_t(*width));
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (!err->mTruncated) {
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    if (err->mTruncated) {
        std::snprintf(err->mMessage, sizeof(err->mMessage), "the file is truncated");
        std::free(*pixels);
        *pixels = nullptr;
        return false;
    }
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    ErrorManager err;
    std::memset(&err, 0, sizeof(err));
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    if (!DecodeInto(data, size, &pixels, &width, &height, &err)) {
        *error = err.mMessage[0] != 0 ? err.mMessage : "broken JPEG data";
        return false;
    }
    out->mWidth = width;
    out->mHeight = height;
    out->mPixels.assign(pixels, pixels + size_t(width) * size_t(height));
    std::free(pixels);
    for (uint32_t& p : out->mPixels) {
        p |= 0xFF000000u;  // JPEG has no alpha; make sure the padding byte reads opaque
    }
    return true;
}
