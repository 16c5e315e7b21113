#pragma once
// Image file readers: PNG (libpng), JPEG (libjpeg), JPEG-2000 (OpenJPEG) and our own TGA and GIF
// readers. Every reader
// validates its input against the buffer's size before touching pixels: a broken or truncated
// file gives no image and a warning naming the file. Thread-safe (asset loaders decode on their
// own threads).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Decoded pixels: straight 0xAARRGGBB, row by row from the top.
struct DecodedImage {
    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint32_t> mPixels;
};

// The largest image side and pixel count accepted, so that a lying header cannot ask for
// gigabytes.
constexpr int kMaxImageSide = 16384;
constexpr size_t kMaxImagePixels = size_t(64) * 1024 * 1024;

// Each decoder reads one format from memory; false with *error set on a broken file.
bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out, std::string* error);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out, std::string* error);
bool DecodeTga(const uint8_t* data, size_t size, DecodedImage* out, std::string* error);
bool DecodeGif(const uint8_t* data, size_t size, DecodedImage* out, std::string* error);
// A ".j2k" code stream or a ".jp2" file; any precision is scaled to 8 bits per channel.
bool DecodeJpeg2000(const uint8_t* data, size_t size, DecodedImage* out, std::string* error);

// Decodes by content (PNG, JPEG, GIF and JPEG-2000 signatures), falling back to the name's
// extension for TGA, which has none. name is used only for the choice and for messages.
bool DecodeImage(const std::string& name, const uint8_t* data, size_t size, DecodedImage* out,
                 std::string* error);

// Reads and decodes a file through the file layer. False, with a warning naming the file, when
// it is missing, unreadable, of an unsupported kind or broken.
bool ReadImageFile(const std::string& path, DecodedImage* out);

// The extensions tried, in order, for an image named without one.
const std::vector<std::string>& GetImageExtensions();
