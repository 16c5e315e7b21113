#pragma once
// What a player's name may hold, shared by the name box and the profile rows: up to ten letters
// A to Z and a to z, with spaces after the first letter. Digits, punctuation and a leading space
// are refused, so a name has 1 to 10 characters.

#include <string>

#include "game/data/ProfileRecord.h"

// Whether c may stand anywhere in a name: a letter or a space.
inline bool NameAllowsChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ';
}

// Whether text keeps the rule (empty included, as while a name is typed). The name box asks this
// of the whole text a key or a paste leaves, wherever the caret stood.
inline bool NameAcceptsText(const std::string& text) {
    if (text.size() > kMaxProfileNameLength || (!text.empty() && text.front() == ' ')) {
        return false;
    }
    for (char c : text) {
        if (!NameAllowsChar(c)) {
            return false;
        }
    }
    return true;
}

// Whether c may be appended to text.
inline bool NameAcceptsChar(const std::string& text, char c) {
    return NameAllowsChar(c) && NameAcceptsText(text + c);
}
