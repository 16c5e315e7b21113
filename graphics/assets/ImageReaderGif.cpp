// Our GIF reader: the first image of a GIF87a/GIF89a file, with its transparent colour, placed
// on the logical screen; interlaced images are reordered.

#include <algorithm>
#include <array>
#include <cstring>

#include "graphics/assets/ImageReader.h"

namespace {

// The limits of ImageReader.h for the logical screen and for the image placed on it.
bool SizeAccepted(int width, int height) {
    return width <= kMaxImageSide && height <= kMaxImageSide &&
           size_t(width) * size_t(height) <= kMaxImagePixels;
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    bool Has(size_t n) const { return mSize - mPos >= n; }
    uint8_t Byte() { return mData[mPos++]; }
    int Word() {
        int v = mData[mPos] | (mData[mPos + 1] << 8);
        mPos += 2;
        return v;
    }
    const uint8_t* Take(size_t n) {
        const uint8_t* p = mData + mPos;
        mPos += n;
        return p;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

// Collects a chain of data sub-blocks; false when the chain runs past the buffer.
bool ReadSubBlocks(Reader& in, std::vector<uint8_t>* out) {
    for (;;) {
        if (!in.Has(1)) {
            return false;
        }
        size_t n = in.Byte();
        if (n == 0) {
            return true;
        }
        if (!in.Has(n)) {
            return false;
        }
        if (out != nullptr) {
            const uint8_t* p = in.Take(n);
            out->insert(out->end(), p, p + n);
        } else {
            in.Take(n);
        }
    }
}

// Decodes LZW data into indices; false on a code that the table cannot hold.
bool DecodeLzw(const std::vector<uint8_t>& data, int minCodeSize, size_t pixelCount,
               std::vector<uint8_t>* indices, std::string* error) {
    if (minCodeSize < 2 || minCodeSize > 11) {
        *error = "bad LZW code size";
        return false;
    }
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    std::array<uint16_t, 4096> prefix{};
    std::array<uint8_t, 4096> suffix{};
    std::array<uint8_t, 4097> stack{};
    int codeSize = minCodeSize + 1;
    int nextCode = endCode + 1;
    int oldCode = -1;
    uint8_t firstChar = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    size_t pos = 0;
    indices->clear();
    // Each code gives at most a table's length of pixels, so a short stream cannot fill a large
    // frame: reserve for what the data can give, not for what the header claims.
    indices->reserve(std::min(pixelCount, data.size() * 8 / size_t(minCodeSize + 1) * 4096));
    for (int i = 0; i < clearCode; ++i) {
        suffix[size_t(i)] = uint8_t(i);
    }
    while (indices->size() < pixelCount) {
        while (bitCount < codeSize) {
            if (pos >= data.size()) {
                return true;  // the stream ended early; the rest stays transparent
            }
            bitBuffer |= uint32_t(data[pos++]) << bitCount;
            bitCount += 8;
        }
        int code = int(bitBuffer & ((1u << codeSize) - 1));
        bitBuffer >>= codeSize;
        bitCount -= codeSize;
        if (code == clearCode) {
            codeSize = minCodeSize + 1;
            nextCode = endCode + 1;
            oldCode = -1;
            continue;
        }
        if (code == endCode) {
            return true;
        }
        if (oldCode < 0) {
            if (code >= clearCode) {
                *error = "bad LZW code";
                return false;
            }
            indices->push_back(uint8_t(code));
            oldCode = code;
            firstChar = uint8_t(code);
            continue;
        }
        size_t top = 0;
        int current = code;
        if (code >= nextCode) {
            if (code > nextCode) {
                *error = "bad LZW code";
                return false;
            }
            stack[top++] = firstChar;
            current = oldCode;
        }
        while (current >= clearCode) {
            if (top >= stack.size() - 1) {
                *error = "bad LZW chain";
                return false;
            }
            stack[top++] = suffix[size_t(current)];
            current = prefix[size_t(current)];
        }
        firstChar = uint8_t(current);
        stack[top++] = firstChar;
        while (top > 0 && indices->size() < pixelCount) {
            indices->push_back(stack[--top]);
        }
        if (nextCode < 4096) {
            prefix[size_t(nextCode)] = uint16_t(oldCode);
            suffix[size_t(nextCode)] = firstChar;
            ++nextCode;
            if (nextCode == (1 << codeSize) && codeSize < 12) {
                ++codeSize;
            }
        }
        oldCode = code;
    }
    return true;
}

std::vector<uint32_t> ReadColorTable(Reader& in, int entries) {
    std::vector<uint32_t> table(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        const uint8_t* p = in.Take(3);
        table[size_t(i)] = 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    return table;
}

}  // namespace

bool DecodeGif(const uint8_t* data, size_t size, DecodedImage* out, std::string* error) {
    Reader in(data, size);
    if (!in.Has(13)) {
        *error = "the file is too short for a GIF header";
        return false;
    }
    in.Take(6);
    int screenWidth = in.Word();
    int screenHeight = in.Word();
    uint8_t flags = in.Byte();
    in.Byte();  // background colour: we leave the screen transparent
    in.Byte();  // aspect
    if (screenWidth <= 0 || screenHeight <= 0 || !SizeAccepted(screenWidth, screenHeight)) {
        *error = "image size out of range";
        return false;
    }
    std::vector<uint32_t> globalTable;
    if (flags & 0x80) {
        int entries = 2 << (flags & 7);
        if (!in.Has(size_t(entries) * 3)) {
            *error = "the file is truncated";
            return false;
        }
        globalTable = ReadColorTable(in, entries);
    }
    int transparent = -1;
    for (;;) {
        if (!in.Has(1)) {
            *error = "the file is truncated";
            return false;
        }
        uint8_t block = in.Byte();
        if (block == 0x3B) {
            *error = "the file holds no image";
            return false;
        }
        if (block == 0x21) {
            if (!in.Has(1)) {
                *error = "the file is truncated";
                return false;
            }
            uint8_t label = in.Byte();
            std::vector<uint8_t> ext;
            if (!ReadSubBlocks(in, &ext)) {
                *error = "the file is truncated";
                return false;
            }
            if (label == 0xF9 && ext.size() >= 4 && (ext[0] & 1)) {
                transparent = ext[3];
            }
            continue;
        }
        if (block != 0x2C) {
            *error = "unknown block in GIF data";
            return false;
        }
        if (!in.Has(9)) {
            *error = "the file is truncated";
            return false;
        }
        int left = in.Word();
        int top = in.Word();
        int width = in.Word();
        int height = in.Word();
        uint8_t imageFlags = in.Byte();
        if (!SizeAccepted(width, height)) {
            *error = "image size out of range";
            return false;
        }
        std::vector<uint32_t> table = globalTable;
        if (imageFlags & 0x80) {
            int entries = 2 << (imageFlags & 7);
            if (!in.Has(size_t(entries) * 3)) {
                *error = "the file is truncated";
                return false;
            }
            table = ReadColorTable(in, entries);
        }
        if (table.empty()) {
            *error = "the image has no colour table";
            return false;
        }
        if (!in.Has(1)) {
            *error = "the file is truncated";
            return false;
        }
        int minCodeSize = in.Byte();
        std::vector<uint8_t> lzw;
        if (!ReadSubBlocks(in, &lzw)) {
            *error = "the file is truncated";
            return false;
        }
        std::vector<uint8_t> indices;
        size_t count = size_t(width) * size_t(height);
        if (!DecodeLzw(lzw, minCodeSize, count, &indices, error)) {
            return false;
        }
        if (transparent >= 0 && size_t(transparent) < table.size()) {
            table[size_t(transparent)] = 0;
        }
        // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th
        // from 2, every 2nd from 1.
        std::vector<int> rowOrder;
        rowOrder.reserve(size_t(height));
        if (imageFlags & 0x40) {
            const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (int y = starts[pass]; y < height; y += steps[pass]) {
                    rowOrder.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < height; ++y) {
                rowOrder.push_back(y);
            }
        }
        out->mWidth = screenWidth;
        out->mHeight = screenHeight;
        out->mPixels.assign(size_t(screenWidth) * size_t(screenHeight), 0u);
        for (size_t i = 0; i < indices.size(); ++i) {
            int y = top + rowOrder[i / size_t(width)];
            int x = left + int(i % size_t(width));
            if (x < 0 || y < 0 || x >= screenWidth || y >= screenHeight) {
                continue;
            }
            uint8_t index = indices[i];
            out->mPixels[size_t(y) * size_t(screenWidth) + size_t(x)] =
                index < table.size() ? table[index] : 0u;
        }
        return true;
    }
}
