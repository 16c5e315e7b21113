#include "core/files/XmlEscape.h"

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    // U+FFFE and U+FFFF are not XML characters either.
    if (code < min || code > 0x10FFFF || surrogate || code == 0xFFFE || code == 0xFFFF) {
        return 0;
    }
    return length;
}

// The entity for one of the four markup characters, or null.
const char* MarkupEntity(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        default:
            return nullptr;
    }
}

}  // namespace

std::string EscapeXmlMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (const char* entity = MarkupEntity(c)) {
            out += entity;
        } else {
            out += c;
        }
    }
    return out;
}

std::string EscapeXmlAttribute(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                out += '?';
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        if (const char* entity = MarkupEntity(static_cast<char>(c))) {
            out += entity;
        } else if (c == '\'') {
            out += "&apos;";
        } else if (c == '\t' || c == '\n' || c == '\r') {
            out += "&#" + std::to_string(c) + ";";
        } else {
            out += c < 0x20 ? '?' : static_cast<char>(c);
        }
        ++i;
    }
    return out;
}
