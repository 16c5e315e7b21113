#include "core/util/StringUtil.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <system_error>

std::string StrFormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
    }
    return text;
}

std::string StrFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    return text;
}

std::string MakeString(const char* text) {
    return text ? std::string(text) : std::string();
}

std::string StringToLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool StringToFloatChecked(std::string_view text, float* out) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf", "nan" and a second sign; a decimal number starts with a
    // digit or a point followed by a digit.
    if (text.empty()) {
        return false;
    }
    const bool startsWithDigit = std::isdigit(static_cast<unsigned char>(text.front())) != 0;
    const bool pointThenDigit = text.size() >= 2 && text[0] == '.' &&
                                std::isdigit(static_cast<unsigned char>(text[1])) != 0;
    if (!startsWithDigit && !pointThenDigit) {
        return false;
    }
    float value = 0.0f;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return false;
    }
    if (out != nullptr) {
        *out = negative ? -value : value;
    }
    return true;
}

namespace {

constexpr int kMaxFieldWidth = 1000;

bool FormatError(std::string* out, std::string_view format, const std::string& reason) {
    *out = "Bad format text \"" + std::string(format) + "\": " + reason;
    return false;
}

const char* KindName(FormatArg::Kind kind) {
    switch (kind) {
        case FormatArg::Kind::kInt:
            return "an integer";
        case FormatArg::Kind::kReal:
            return "a real";
        case FormatArg::Kind::kString:
            return "a string";
    }
    return "?";
}

}  // namespace

bool CheckedFormat(std::string* out, std::string_view format, std::span<const FormatArg> args) {
    std::string result;
    size_t nextArg = 0;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            result += c;
            ++i;
            continue;
        }
        const size_t start = i;
        ++i;
        if (i < format.size() && format[i] == '%') {
            result += '%';
            ++i;
            continue;
        }
        // Rebuild the conversion from checked pieces only: flags, width, precision, then our own
        // length modifier for the argument type we actually pass.
        std::string pieceFormat = "%";
        while (i < format.size() && (format[i] == '-' || format[i] == '+' || format[i] == ' ' ||
                                     format[i] == '#' || format[i] == '0')) {
            pieceFormat += format[i++];
        }
        int starValues[2];
        int starCount = 0;
        auto readNumberOrStar = [&](const char* what) -> bool {
            if (i < format.size() && format[i] == '*') {
                ++i;
                if (nextArg >= args.size()) {
                    return FormatError(
                        out, format,
                        StrFormat("the %s '*' at offset %zu has no argument", what, start));
                }
                const FormatArg& arg = args[nextArg++];
                if (arg.GetKind() != FormatArg::Kind::kInt) {
                    return FormatError(out, format,
                                       StrFormat("the %s '*' at offset %zu needs an integer, "
                                                 "argument %zu is %s",
                                                 what, start, nextArg, KindName(arg.GetKind())));
                }
                if (arg.GetInt() > kMaxFieldWidth || arg.GetInt() < -kMaxFieldWidth) {
                    return FormatError(
                        out, format,
                        StrFormat("the %s at offset %zu is above %d", what, start, kMaxFieldWidth));
                }
                starValues[starCount++] = static_cast<int>(arg.GetInt());
                pieceFormat += '*';
                return true;
            }
            long number = 0;
            bool any = false;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                number = number * 10 + (format[i] - '0');
                any = true;
                if (number > kMaxFieldWidth) {
                    return FormatError(
                        out, format,
                        StrFormat("the %s at offset %zu is above %d", what, start, kMaxFieldWidth));
                }
                ++i;
            }
            if (any) {
                pieceFormat += std::to_string(number);
            }
            return true;
        };
        if (!readNumberOrStar("width")) {
            return false;
        }
        if (i < format.size() && format[i] == '$') {
            return FormatError(out, format, StrFormat("positional argument at offset %zu", start));
        }
        if (i < format.size() && format[i] == '.') {
            pieceFormat += '.';
            ++i;
            if (!readNumberOrStar("precision")) {
                return false;
            }
        }
        while (i < format.size() &&
               (format[i] == 'h' || format[i] == 'l' || format[i] == 'L' || format[i] == 'q' ||
                format[i] == 'j' || format[i] == 'z' || format[i] == 't')) {
            ++i;
        }
        if (i >= format.size()) {
            return FormatError(out, format,
                               StrFormat("the conversion at offset %zu is cut off", start));
        }
        const char conversion = format[i++];
        FormatArg::Kind wanted;
        switch (conversion) {
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
            case 'c':
                wanted = FormatArg::Kind::kInt;
                break;
            case 'e':
            case 'E':
            case 'f':
            case 'F':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                wanted = FormatArg::Kind::kReal;
                break;
            case 's':
                wanted = FormatArg::Kind::kString;
                break;
            default:
                return FormatError(
                    out, format,
                    StrFormat("conversion '%%%c' at offset %zu is not allowed", conversion, start));
        }
        if (nextArg >= args.size()) {
            return FormatError(out, format,
                               StrFormat("conversion '%%%c' at offset %zu has no argument (%zu "
                                         "given)",
                                         conversion, start, args.size()));
        }
        const FormatArg& arg = args[nextArg++];
        if (arg.GetKind() != wanted) {
            return FormatError(
                out, format,
                StrFormat("conversion '%%%c' at offset %zu needs %s, argument %zu "
                          "is %s",
                          conversion, start, KindName(wanted), nextArg, KindName(arg.GetKind())));
        }
        std::string piece;
        auto emit = [&](auto value) {
            // pieceFormat was built above from known flags, bounded numbers and one fixed
            // conversion.
            const char* f = pieceFormat.c_str();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
            int length = 0;
            if (starCount == 0) {
                length = std::snprintf(nullptr, 0, f, value);
            } else if (starCount == 1) {
                length = std::snprintf(nullptr, 0, f, starValues[0], value);
            } else {
                length = std::snprintf(nullptr, 0, f, starValues[0], starValues[1], value);
            }
            if (length <= 0) {
                return;
            }
            piece.resize(static_cast<size_t>(length) + 1);
            if (starCount == 0) {
                std::snprintf(piece.data(), piece.size(), f, value);
            } else if (starCount == 1) {
                std::snprintf(piece.data(), piece.size(), f, starValues[0], value);
            } else {
                std::snprintf(piece.data(), piece.size(), f, starValues[0], starValues[1], value);
            }
#pragma GCC diagnostic pop
            piece.resize(static_cast<size_t>(length));
        };
        switch (wanted) {
            case FormatArg::Kind::kInt:
                if (conversion == 'c') {
                    pieceFormat += 'c';
                    emit(static_cast<int>(static_cast<unsigned char>(arg.GetInt())));
                } else {
                    pieceFormat += "ll";
                    pieceFormat += conversion;
                    emit(arg.GetInt());
                }
                break;
            case FormatArg::Kind::kReal:
                pieceFormat += conversion;
                emit(arg.GetReal());
                break;
            case FormatArg::Kind::kString: {
                // The view need not be NUL-terminated, so format a copy.
                const std::string text(arg.GetText());
                pieceFormat += 's';
                emit(text.c_str());
                break;
            }
        }
        result += piece;
    }
    if (nextArg != args.size()) {
        return FormatError(out, format,
                           StrFormat("%zu argument(s) given, %zu used", args.size(), nextArg));
    }
    *out = std::move(result);
    return true;
}

std::string CheckedFormat(std::string_view format, std::initializer_list<FormatArg> args,
                          bool* ok) {
    std::string out;
    const bool success =
        CheckedFormat(&out, format, std::span<const FormatArg>(args.begin(), args.size()));
    if (ok != nullptr) {
        *ok = success;
    }
    return out;
}
