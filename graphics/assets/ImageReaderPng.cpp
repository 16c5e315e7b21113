// PNG decoding through libpng's memory reader.

#include <png.h>

#include <cstring>

#include "graphics/assets/ImageReader.h"

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        *error = image.message;
        png_image_free(&image);
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > unsigned(kMaxImageSide) ||
        image.height > unsigned(kMaxImageSide) ||
        size_t(image.width) * size_t(image.height) > kMaxImagePixels) {
        *error = "image size out of range";
        png_image_free(&image);
        return false;
    }
    // BGRA bytes are 0xAARRGGBB words on a little-endian machine; straight alpha.
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * size_t(image.height));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), int(image.width * 4), nullptr)) {
        *error = image.message;
        png_image_free(&image);
        return false;
    }
    out->mWidth = int(image.width);
    out->mHeight = int(image.height);
    out->mPixels = std::move(pixels);
    return true;
}
