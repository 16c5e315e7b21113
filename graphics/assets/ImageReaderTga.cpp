// Our TGA reader: uncompressed and run-length encoded true-colour, grey and colour-mapped
// images of 8, 15/16, 24 and 32 bits, either row order.

#include <cstring>

#include "graphics/assets/ImageReader.h"

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    bool Has(size_t n) const { return mPos <= mSize && mSize - mPos >= n; }
    uint8_t Byte() { return mData[mPos++]; }
    const uint8_t* Take(size_t n) {
        const uint8_t* p = mData + mPos;
        mPos += n;
        return p;
    }
    void Skip(size_t n) { mPos += n; }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

uint32_t Color16(const uint8_t* p, bool useAlpha) {
    unsigned v = unsigned(p[0]) | (unsigned(p[1]) << 8);
    unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    uint32_t a = (!useAlpha || (v & 0x8000)) ? 255u : 0u;
    return (a << 24) | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
           ((b << 3) | (b >> 2));
}

}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    Reader in(data, size);
    if (!in.Has(18)) {
        *error = "the file is too short for a TGA header";
        return false;
    }
    const uint8_t* h = in.Take(18);
    int idLength = h[0];
    int mapType = h[1];
    int type = h[2];
    int mapFirst = h[3] | (h[4] << 8);
    int mapLength = h[5] | (h[6] << 8);
    int mapBits = h[7];
    int width = h[12] | (h[13] << 8);
    int height = h[14] | (h[15] << 8);
    int bits = h[16];
    int descriptor = h[17];
    bool rle = type >= 9;
    int baseType = rle ? type - 8 : type;
    if (baseType < 1 || baseType > 3 || mapType > 1) {
        *error = "unsupported TGA image type";
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        size_t(width) * size_t(height) > kMaxImagePixels) {
        *error = "image size out of range";
        return false;
    }
    bool validBits = (baseType == 1 && (bits == 8 || bits == 16)) ||
                     (baseType == 2 && (bits == 15 || bits == 16 || bits == 24 || bits == 32)) ||
                     (baseType == 3 && bits == 8);
    if (!validBits) {
        *error = "unsupported TGA pixel depth";
        return false;
    }
    int alphaBits = descriptor & 15;
    if (!in.Has(size_t(idLength))) {
        *error = "the file is truncated";
        return false;
    }
    in.Skip(size_t(idLength));

    std::vector<uint32_t> palette;
    if (mapType == 1) {
        int entryBytes = (mapBits + 7) / 8;
        if (entryBytes < 2 || entryBytes > 4 || !in.Has(size_t(mapLength) * size_t(entryBytes))) {
            *error = "broken TGA colour map";
            return false;
        }
        palette.resize(size_t(mapFirst) + size_t(mapLength), 0xFF000000u);
        for (int i = 0; i < mapLength; ++i) {
            const uint8_t* p = in.Take(size_t(entryBytes));
            uint32_t c;
            if (entryBytes == 2) {
                c = Color16(p, false);
            } else {
                uint32_t a = entryBytes == 4 ? p[3] : 255u;
                c = (a << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
            palette[size_t(mapFirst) + size_t(i)] = c;
        }
    } else if (baseType == 1) {
        *error = "colour-mapped TGA without a colour map";
        return false;
    }

    const int pixelBytes = (bits + 7) / 8;
    auto convert = [&](const uint8_t* p, uint32_t* dst) -> bool {
        switch (baseType) {
            case 1: {
                unsigned index = pixelBytes == 1 ? p[0] : unsigned(p[0]) | (unsigned(p[1]) << 8);
                if (index >= palette.size()) {
                    return false;
                }
                *dst = palette[index];
                return true;
            }
            case 3:
                *dst = 0xFF000000u | (uint32_t(p[0]) * 0x010101u);
                return true;
            default:
                if (pixelBytes == 2) {
                    *dst = Color16(p, alphaBits > 0);
                } else {
                    uint32_t a = (pixelBytes == 4 && alphaBits > 0) ? p[3] : 255u;
                    *dst = (a << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                }
                return true;
        }
    };

    size_t total = size_t(width) * size_t(height);
    std::vector<uint32_t> pixels(total);
    size_t done = 0;
    while (done < total) {
        if (!rle) {
            if (!in.Has(size_t(pixelBytes))) {
                *error = "the file is truncated";
                return false;
            }
            if (!convert(in.Take(size_t(pixelBytes)), &pixels[done++])) {
                *error = "colour index outside the colour map";
                return false;
            }
            continue;
        }
        if (!in.Has(1)) {
            *error = "the file is truncated";
            return false;
        }
        uint8_t packet = in.Byte();
        size_t count = size_t(packet & 0x7F) + 1;
        if (count > total - done) {
            *error = "run-length packet runs past the image";
            return false;
        }
        if (packet & 0x80) {
            if (!in.Has(size_t(pixelBytes))) {
                *error = "the file is truncated";
                return false;
            }
            uint32_t value = 0;
            if (!convert(in.Take(size_t(pixelBytes)), &value)) {
                *error = "colour index outside the colour map";
                return false;
            }
            std::fill(pixels.begin() + long(done), pixels.begin() + long(done + count), value);
            done += count;
        } else {
            for (size_t i = 0; i < count; ++i) {
                if (!in.Has(size_t(pixelBytes))) {
                    *error = "the file is truncated";
                    return false;
                }
                if (!convert(in.Take(size_t(pixelBytes)), &pixels[done++])) {
                    *error = "colour index outside the colour map";
                    return false;
                }
            }
        }
    }

    // Rows are stored bottom-up unless descriptor bit 5 says top-down; bit 4 mirrors columns.
    bool topDown = (descriptor & 0x20) != 0;
    bool rightToLeft = (descriptor & 0x10) != 0;
    out->mWidth = width;
    out->mHeight = height;
    out->mPixels.resize(total);
    for (int y = 0; y < height; ++y) {
        int srcY = topDown ? y : height - 1 - y;
        const uint32_t* src = &pixels[size_t(srcY) * size_t(width)];
        uint32_t* dst = &out->mPixels[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x) {
            dst[x] = src[rightToLeft ? width - 1 - x : x];
        }
    }
    return true;
}
