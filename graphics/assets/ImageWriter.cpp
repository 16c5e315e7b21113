#include "graphics/assets/ImageWriter.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "core/util/FileUtil.h"
#include "core/util/Log.h"

namespace {

bool ValidSize(int width, int height, const std::vector<uint32_t>& pixels) {
    return width > 0 && height > 0 && pixels.size() == size_t(width) * size_t(height);
}

struct JpegError {
    jpeg_error_mgr mBase;
    jmp_buf mJump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->mJump, 1);
}

// Free of objects with destructors, so the longjmp out of libjpeg skips nothing.
bool CompressInto(int width, int height, const uint32_t* pixels, int quality, unsigned char** buf,
                  unsigned long* size) {
    jpeg_compress_struct info;
    JpegError err;
    std::memset(&info, 0, sizeof(info));
    std::memset(&err, 0, sizeof(err));
    info.err = jpeg_std_error(&err.mBase);
    err.mBase.error_exit = OnJpegError;
    if (setjmp(err.mJump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buf, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            const_cast<uint32_t*>(pixels + size_t(info.next_scanline) * size_t(width)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool EncodePng(int width, int height, const std::vector<uint32_t>& pixels, std::string* out) {
    if (!ValidSize(width, height, pixels)) {
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), width * 4, nullptr)) {
        return false;
    }
    out->resize(size);
    if (!png_image_write_to_memory(&image, out->data(), &size, 0, pixels.data(), width * 4,
                                   nullptr)) {
        return false;
    }
    out->resize(size);
    return true;
}

bool EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int quality,
                std::string* out) {
    if (!ValidSize(width, height, pixels)) {
        return false;
    }
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    bool ok = CompressInto(width, height, pixels.data(), quality, &buf, &size);
    if (ok) {
        out->assign(reinterpret_cast<const char*>(buf), size);
    }
    std::free(buf);
    return ok;
}

bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<uint32_t>& pixels) {
    std::string data;
    if (!EncodePng(width, height, pixels, &data) || !WriteBufferToFile(path, data)) {
        LogWarning("Can't write PNG file '%s'", path.c_str());
        return false;
    }
    return true;
}

bool WriteJpegFile(const std::string& path, int width, int height,
                   const std::vector<uint32_t>& pixels, int quality) {
    std::string data;
    if (!EncodeJpeg(width, height, pixels, quality, &data) || !WriteBufferToFile(path, data)) {
        LogWarning("Can't write JPEG file '%s'", path.c_str());
        return false;
    }
    return true;
}
