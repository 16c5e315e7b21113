#include "tools/PuzzleSource.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/ArtCodes.h"

namespace p7tools {

namespace {

std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return "";
    }
    size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

// Splits "word rest of line" into the word and the trimmed rest.
void SplitKeyword(const std::string& line, std::string* word, std::string* rest) {
    size_t space = line.find_first_of(" \t");
    if (space == std::string::npos) {
        *word = line;
        rest->clear();
        return;
    }
    *word = line.substr(0, space);
    *rest = Trim(line.substr(space));
}

bool ParseInt(const std::string& text, int* out) {
    if (text.empty()) {
        return false;
    }
    size_t used = 0;
    try {
        *out = std::stoi(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

bool IsIdentifier(const std::string& s) {
    if (s.empty()) {
        return false;
    }
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

bool IsGridRow(const std::string& line) {
    if (line.empty()) {
        return false;
    }
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return ArtCodeForChar(c).has_value(); });
}

}  // namespace

bool ParseSetSource(const std::string& file, const std::string& text, SetSource* out,
                    std::string* error) {
    SetSource set;
    set.file = file;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    bool sawMode = false;
    PuzzleSource* current = nullptr;
    auto fail = [&](const std::string& message) {
        *error = file + ":" + std::to_string(lineNo) + ": " + message;
        return false;
    };
    auto finishPuzzle = [&]() -> bool {
        if (current == nullptr) {
            return true;
        }
        const int n = static_cast<int>(current->rows.size());
        if (n != 5 && n != 10 && n != 15 && n != 20) {
            lineNo = current->line;
            return fail("puzzle '" + current->id + "' has " + std::to_string(n) +
                        " rows; sizes are 5, 10, 15 or 20");
        }
        for (size_t r = 0; r < current->rows.size(); ++r) {
            if (static_cast<int>(current->rows[r].size()) != n) {
                lineNo = current->line + 1 + static_cast<int>(r);
                return fail("puzzle '" + current->id + "' row " + std::to_string(r + 1) + " is " +
                            std::to_string(current->rows[r].size()) + " cells wide, expected " +
                            std::to_string(n));
            }
        }
        current = nullptr;
        return true;
    };

    while (std::getline(in, raw)) {
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty()) {
            if (!finishPuzzle()) {
                return false;
            }
            continue;
        }
        if (line[0] == ';') {
            continue;  // comment
        }
        if (current != nullptr && IsGridRow(line)) {
            current->rows.push_back(line);
            continue;
        }
        std::string word;
        std::string rest;
        SplitKeyword(line, &word, &rest);
        if (current != nullptr && !current->rows.empty()) {
            return fail("unexpected '" + word + "' inside the rows of puzzle '" + current->id +
                        "' (unknown picture character?)");
        }
        if (!finishPuzzle()) {
            return false;
        }
        if (word == "set") {
            std::string id;
            SplitKeyword(rest, &id, &set.title);
            if (!IsIdentifier(id) || set.title.empty()) {
                return fail("expected 'set <id> <title>' with a lower-case id");
            }
            set.id = id;
        } else if (word == "mode") {
            if (rest != "story" && rest != "bonus") {
                return fail("mode must be 'story' or 'bonus'");
            }
            set.mode = rest == "story" ? 0 : 1;
            sawMode = true;
        } else if (word == "short") {
            set.shortTitle = rest;
        } else if (word == "wing") {
            set.wing = rest;
        } else if (word == "background") {
            set.background = rest;
        } else if (word == "music") {
            if (rest.empty()) {
                return fail("music needs a track name");
            }
            set.music.push_back(rest);
        } else if (word == "unlock") {
            if (!ParseInt(rest, &set.unlock)) {
                return fail("unlock needs a whole number");
            }
        } else if (word == "map") {
            std::string xs;
            std::string ys;
            SplitKeyword(rest, &xs, &ys);
            if (!ParseInt(xs, &set.mapX) || !ParseInt(ys, &set.mapY)) {
                return fail("expected 'map <x> <y>'");
            }
        } else if (word == "separate") {
            set.separate = true;
        } else if (word == "order") {
            if (rest != "fixed") {
                return fail("the only order is 'fixed'");
            }
            set.fixedOrder = true;
        } else if (word == "puzzle") {
            if (set.id.empty()) {
                return fail("'puzzle' before 'set'");
            }
            PuzzleSource puzzle;
            SplitKeyword(rest, &puzzle.id, &puzzle.title);
            if (!IsIdentifier(puzzle.id) || puzzle.title.empty()) {
                return fail("expected 'puzzle <id> <title>' with a lower-case id");
            }
            for (const PuzzleSource& other : set.puzzles) {
                if (other.id == puzzle.id) {
                    return fail("puzzle id '" + puzzle.id + "' is used twice");
                }
            }
            puzzle.line = lineNo;
            set.puzzles.push_back(puzzle);
            current = &set.puzzles.back();
        } else {
            return fail("unknown keyword '" + word + "'");
        }
    }
    ++lineNo;
    if (!finishPuzzle()) {
        return false;
    }
    if (set.id.empty() || !sawMode) {
        lineNo = 1;
        return fail("a set file needs 'set' and 'mode' lines");
    }
    if (set.puzzles.empty()) {
        lineNo = 1;
        return fail("set '" + set.id + "' has no puzzles");
    }
    if (set.shortTitle.empty()) {
        set.shortTitle = set.title;
    }
    *out = std::move(set);
    return true;
}

bool ReadTextFile(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        return false;
    }
    *out = buffer.str();
    return true;
}

bool WriteTextFileAtomic(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream outFile(temp, std::ios::binary | std::ios::trunc);
        if (!outFile) {
            return false;
        }
        outFile << text;
        outFile.flush();
        if (!outFile) {
            outFile.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool LoadSetSources(const std::string& folder, std::vector<SetSource>* out, std::string* error) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") {
            files.push_back(entry.path().string());
        }
    }
    if (ec) {
        *error = folder + ": cannot list the folder (" + ec.message() + ")";
        return false;
    }
    std::sort(files.begin(), files.end());
    std::vector<SetSource> sets;
    for (const std::string& file : files) {
        std::string text;
        if (!ReadTextFile(file, &text)) {
            *error = file + ": cannot read the file";
            return false;
        }
        SetSource set;
        if (!ParseSetSource(file, text, &set, error)) {
            return false;
        }
        sets.push_back(std::move(set));
    }
    *out = std::move(sets);
    return true;
}

bool ReplacePuzzleRows(std::string* text, const std::string& puzzleId,
                       const std::vector<std::string>& rows) {
    std::vector<std::string> lines;
    {
        std::istringstream in(*text);
        std::string line;
        while (std::getline(in, line)) {
            lines.push_back(line);
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string word;
        std::string rest;
        SplitKeyword(Trim(lines[i]), &word, &rest);
        std::string id;
        std::string title;
        SplitKeyword(rest, &id, &title);
        if (word != "puzzle" || id != puzzleId) {
            continue;
        }
        size_t first = i + 1;
        size_t count = 0;
        while (first + count < lines.size() && IsGridRow(Trim(lines[first + count]))) {
            ++count;
        }
        if (count != rows.size()) {
            return false;
        }
        for (size_t r = 0; r < count; ++r) {
            lines[first + r] = rows[r];
        }
        std::string joined;
        for (const std::string& line : lines) {
            joined += line + "\n";
        }
        *text = joined;
        return true;
    }
    return false;
}

}  // namespace p7tools
