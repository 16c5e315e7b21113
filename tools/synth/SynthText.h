#pragma once

#include <string>
#include <vector>

// The line reader shared by sound descriptions and scores: ';' starts a comment, words are
// separated by blanks, and every line keeps its number for messages.

namespace p7synth {

struct TextLine {
    int number = 0;
    std::vector<std::string> words;
};

// The non-empty lines of `text`, comments removed.
std::vector<TextLine> SplitLines(const std::string& text);

// Parses a decimal number or a fraction "a/b"; false for anything else.
bool ParseNumber(const std::string& word, double* value);

// Splits words[first..] into "keyword numbers..." groups: each word that is not a number starts
// a group. False with `error` when a number comes before any keyword.
struct OptionGroup {
    std::string keyword;
    std::vector<double> values;
};
bool GroupOptions(const std::vector<std::string>& words, size_t first,
                  std::vector<OptionGroup>* groups, std::string* error);

// "file:line: message", the form every reader error takes.
std::string LineError(const std::string& file, int line, const std::string& message);

}  // namespace p7synth
