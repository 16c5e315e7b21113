#pragma once
// PNG and JPEG writers for straight 0xAARRGGBB pixels. Files are written whole or not at all.

#include <cstdint>
#include <string>
#include <vector>

// Encodes to memory; false on bad arguments or an encoder failure.
bool EncodePng(int width, int height, const std::vector<uint32_t>& pixels, std::string* out);
// quality 1..100; alpha is dropped.
bool EncodeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int quality,
                std::string* out);

// Write the file atomically, creating missing folders; false (with a warning naming the file)
// on failure, leaving any old file untouched.
bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<uint32_t>& pixels);
bool WriteJpegFile(const std::string& path, int width, int height,
                   const std::vector<uint32_t>& pixels, int quality = 90);
