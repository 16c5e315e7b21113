#include "core/expr/ExprNumbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

bool ParseNumberText(std::string_view text, bool* isReal, int32_t* intValue, float* realValue) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return false;
    }
    bool negative = false;
    std::string_view body = text;
    if (body.front() == '-' || body.front() == '+') {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    if (body.empty()) {
        return false;
    }
    bool hex = body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X');
    if (hex || body.find_first_of(".eE") == std::string_view::npos) {
        std::string_view digits = hex ? body.substr(2) : body;
        uint64_t value = 0;
        auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
        if (ec != std::errc() || end != digits.data() + digits.size() ||
            value > std::numeric_limits<uint32_t>::max()) {
            return false;
        }
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative) {
            bits = 0u - bits;
        }
        *isReal = false;
        *intValue = static_cast<int32_t>(bits);
        return true;
    }
    // from_chars for floats rejects a leading '+' and accepts "inf"/"nan", which are not
    // numbers of the language.
    if (!(std::isdigit(static_cast<unsigned char>(body.front())) || body.front() == '.')) {
        return false;
    }
    float value = 0.0f;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large for a float: infinity, as C's strtof gives; too small: zero.
        std::string copy(body);
        value = std::strtof(copy.c_str(), nullptr);
    } else if (ec != std::errc()) {
        return false;
    }
    if (end != body.data() + body.size()) {
        return false;
    }
    *isReal = true;
    *realValue = negative ? -value : value;
    return true;
}

int32_t TruncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

std::string FormatReal(float value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
    if (ec != std::errc()) {
        return "0";
    }
    return std::string(buffer, end);
}
