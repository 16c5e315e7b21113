#include "graphics/assets/ImageReader.h"

#include <cstring>

#include "core/files/PakInterfaceBase.h"
#include "core/util/Log.h"
#include "core/util/StringUtil.h"

namespace {
bool EndsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}
}  // namespace

const std::vector<std::string>& GetImageExtensions() {
    static const std::vector<std::string> kExtensions = {".png", ".jpg", ".jpeg", ".gif",
                                                         ".tga", ".j2k", ".jp2"};
    return kExtensions;
}

bool DecodeImage(const std::string& name, const uint8_t* data, size_t size, DecodedImage* out,
                 std::string* error) {
    std::string lower = StringToLower(name);
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
        return DecodePng(data, size, out, error);
    }
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        return DecodeJpeg(data, size, out, error);
    }
    if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) {
        return DecodeGif(data, size, out, error);
    }
    if ((size >= 4 && std::memcmp(data, "\xFF\x4F\xFF\x51", 4) == 0) ||
        (size >= 12 && std::memcmp(data, "\0\0\0\x0CjP  \r\n\x87\n", 12) == 0)) {
        return DecodeJpeg2000(data, size, out, error);
    }
    if (EndsWith(lower, ".tga")) {
        return DecodeTga(data, size, out, error);
    }
    *error = "not a PNG, JPEG, GIF, TGA or JPEG-2000 image";
    return false;
}

bool ReadImageFile(const std::string& path, DecodedImage* out) {
    std::string data;
    if (!PakInterfaceBase::Get()->ReadWholeFile(path, &data)) {
        LogWarning("Can't read image file '%s'", path.c_str());
        return false;
    }
    DecodedImage decoded;
    std::string error;
    if (!DecodeImage(path, reinterpret_cast<const uint8_t*>(data.data()), data.size(), &decoded,
                     &error)) {
        LogWarning("Can't load image file '%s': %s", path.c_str(), error.c_str());
        return false;
    }
    *out = std::move(decoded);
    return true;
}
