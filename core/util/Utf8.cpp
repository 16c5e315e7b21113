#include "core/util/Utf8.h"

#include <algorithm>

int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
}

bool Utf8Next(std::string_view text, size_t* pos, uint32_t* codePoint) {
    const auto lead = static_cast<unsigned char>(text[*pos]);
    const int length = Utf8SequenceLength(lead);
    if (lead < 0x80 || length == 1 || *pos + static_cast<size_t>(length) > text.size()) {
        *codePoint = lead;
        ++*pos;
        return lead < 0x80;
    }
    uint32_t value = lead & (0xFFu >> (length + 1));
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[*pos + static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            *codePoint = lead;
            ++*pos;
            return false;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        *codePoint = lead;
        ++*pos;
        return false;
    }
    *codePoint = value;
    *pos += static_cast<size_t>(length);
    return true;
}

size_t Utf8NextBoundary(std::string_view text, size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    uint32_t ignored = 0;
    Utf8Next(text, &pos, &ignored);
    return pos;
}

size_t Utf8PrevBoundary(std::string_view text, size_t pos) {
    if (pos == 0) {
        return 0;
    }
    pos = std::min(pos, text.size());
    // Back over up to three continuation bytes, then check that the sequence found really ends
    // at pos; otherwise the byte before pos stands alone.
    size_t start = pos - 1;
    for (int back = 0;
         back < 3 && start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80;
         ++back) {
        --start;
    }
    if (Utf8NextBoundary(text, start) == pos) {
        return start;
    }
    return pos - 1;
}

size_t Utf8Length(std::string_view text) {
    size_t count = 0;
    for (size_t pos = 0; pos < text.size(); pos = Utf8NextBoundary(text, pos)) {
        ++count;
    }
    return count;
}

size_t Utf8OffsetOf(std::string_view text, size_t count) {
    size_t pos = 0;
    for (size_t i = 0; i < count && pos < text.size(); ++i) {
        pos = Utf8NextBoundary(text, pos);
    }
    return pos;
}

std::string Utf8Encode(uint32_t codePoint) {
    std::string out;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            return out;
        }
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}
