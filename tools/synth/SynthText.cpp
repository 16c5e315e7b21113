#include "tools/synth/SynthText.h"

#include <cstdlib>
#include <sstream>

namespace p7synth {

std::vector<TextLine> SplitLines(const std::string& text) {
    std::vector<TextLine> lines;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const size_t comment = raw.find(';');
        if (comment != std::string::npos) {
            raw.resize(comment);
        }
        std::istringstream words(raw);
        TextLine line;
        line.number = number;
        std::string word;
        while (words >> word) {
            line.words.push_back(word);
        }
        if (!line.words.empty()) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

bool ParseNumber(const std::string& word, double* value) {
    if (word.empty()) {
        return false;
    }
    const size_t slash = word.find('/');
    if (slash != std::string::npos) {
        double top = 0.0, bottom = 0.0;
        if (!ParseNumber(word.substr(0, slash), &top) ||
            !ParseNumber(word.substr(slash + 1), &bottom) || bottom == 0.0) {
            return false;
        }
        *value = top / bottom;
        return true;
    }
    char* end = nullptr;
    const double parsed = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size()) {
        return false;
    }
    *value = parsed;
    return true;
}

bool GroupOptions(const std::vector<std::string>& words, size_t first,
                  std::vector<OptionGroup>* groups, std::string* error) {
    for (size_t i = first; i < words.size(); ++i) {
        double number = 0.0;
        if (ParseNumber(words[i], &number)) {
            if (groups->empty()) {
                *error = "a number '" + words[i] + "' before any option";
                return false;
            }
            groups->back().values.push_back(number);
        } else {
            groups->push_back({words[i], {}});
        }
    }
    return true;
}

std::string LineError(const std::string& file, int line, const std::string& message) {
    return file + ":" + std::to_string(line) + ": " + message;
}

}  // namespace p7synth
