#pragma once
// What a player's name may hold, shared by the name box and the profile rows: up to ten letters
// A to Z and a to z, with spaces after the first letter. Digits, punctuation and a leading space
// are refused, so a name has 1 to 10 characters.

#include <string>

inline constexpr size_t kMaxNameLength = 10;

// Whether c may be appended to text.
inline bool NameAcceptsChar(const std::string& text, char c) {
    if (text.size() >= kMaxNameLength) {
        return false;
    }
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return letter || (c == ' ' && !text.empty());
}
