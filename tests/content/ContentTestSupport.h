#pragma once
// Shared by the content checks of this folder: runs each case inside the shipped content folder
// (the game reads every path relative to it) and reads the list of expected names,
// tests/content/assets.txt. Each kind of content has its own source file here; a file for
// sounds and music uses the same fixture and reads its own kinds ("sound", "track") from the
// list.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/expr/ExprValue.h"
#include "core/expr/NamedConstants.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

namespace contenttest {

inline std::string SourceFolder() {
    const char* source = std::getenv("P7_SOURCE_DIR");
    return source != nullptr ? source : ".";
}

inline std::string ContentFolder() {
    return SourceFolder() + "/content";
}

// One line of assets.txt: "kind name WxH CxR | user". Sizes and cells are 0 when given as '*'
// or '-'.
struct ExpectedAsset {
    std::string mKind;
    std::string mName;
    int mWidth = 0;
    int mHeight = 0;
    int mCols = 0;
    int mRows = 0;
    int mLine = 0;
};

inline bool ParsePair(const std::string& text, int* a, int* b) {
    const size_t x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    *a = std::atoi(text.substr(0, x).c_str());
    *b = std::atoi(text.substr(x + 1).c_str());
    return *a > 0 && *b > 0;
}

// The lines of the given kind ("image", "font", "sound", "track"), in file order.
inline std::vector<ExpectedAsset> ReadExpectedAssets(const std::string& kind) {
    std::vector<ExpectedAsset> result;
    std::ifstream in(SourceFolder() + "/tests/content/assets.txt");
    EXPECT_TRUE(in.good()) << "tests/content/assets.txt is missing";
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t bar = line.find('|');
        std::istringstream fields(line.substr(0, bar));
        ExpectedAsset entry;
        std::string size;
        std::string cells;
        if (!(fields >> entry.mKind) || entry.mKind[0] == '#' || entry.mKind != kind) {
            continue;
        }
        fields >> entry.mName >> size >> cells;
        entry.mLine = number;
        if (size != "*" && size != "-" && !size.empty()) {
            EXPECT_TRUE(ParsePair(size, &entry.mWidth, &entry.mHeight))
                << "assets.txt line " << number << ": bad size " << size;
        }
        if (cells != "*" && cells != "-" && !cells.empty()) {
            EXPECT_TRUE(ParsePair(cells, &entry.mCols, &entry.mRows))
                << "assets.txt line " << number << ": bad cells " << cells;
        }
        result.push_back(entry);
    }
    return result;
}

// Adds every variable the commands (and their children) define or assign, locally or globally.
inline void CollectDefinedVariables(const std::vector<AnimationCommand>& commands,
                                    std::set<std::string>* variables) {
    for (const AnimationCommand& command : commands) {
        if (command.mCommand == "define" || command.mCommand == "assign" ||
            command.mCommand == "define-global" || command.mCommand == "assign-global") {
            for (const auto& [param, value] : command.mParams) {
                variables->insert(param);
            }
        }
        CollectDefinedVariables(command.mChildren, variables);
    }
}

// The names that stand for variables in the scripts of the table: those the code sets for
// scripts that hold names (listed in assets.txt as "variable") and every one a script defines.
// They are not names of content themselves.
inline std::set<std::string> ScriptVariables(const AnimationTable& table) {
    std::set<std::string> variables;
    for (const ExpectedAsset& variable : ReadExpectedAssets("variable")) {
        variables.insert(variable.mName);
    }
    for (const std::string& name : table.GetNames()) {
        CollectDefinedVariables(table.Find(name)->mCommands, &variables);
    }
    return variables;
}

// The name a script parameter stands for when it is a literal: a quoted text with no quote or
// escape inside, or a bare word that is neither a variable nor a named constant. Anything
// computed is left to assets.txt.
inline bool LiteralName(std::string text, const std::set<std::string>& variables,
                        std::string* name) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    if (text.size() > 2 && (text[0] == '\'' || text[0] == '"') && text.back() == text[0]) {
        *name = text.substr(1, text.size() - 2);
        return name->find_first_of("'\"\\") == std::string::npos;
    }
    const auto word = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.';
    };
    ExprValue value;
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_') ||
        !std::all_of(text.begin(), text.end(), word) || variables.count(text) > 0 ||
        text == "true" || text == "false" || FindConstant(text, &value)) {
        return false;
    }
    *name = text;
    return true;
}

// Calls visit(script, command, parameter, name) for each parameter of the commands (children
// included) whose value is a literal name.
using LiteralVisit = std::function<void(const std::string&, const AnimationCommand&,
                                        const std::string&, const std::string&)>;
inline void ForEachLiteral(const std::string& script, const std::vector<AnimationCommand>& commands,
                           const std::set<std::string>& variables, const LiteralVisit& visit) {
    for (const AnimationCommand& command : commands) {
        for (const auto& [param, value] : command.mParams) {
            std::string name;
            if (LiteralName(value, variables, &name)) {
                visit(script, command, param, name);
            }
        }
        ForEachLiteral(script, command.mChildren, variables, visit);
    }
}

// ForEachLiteral over every script of the shipped table; a script that does not read fails the
// test.
inline void ForEachScriptLiteral(const LiteralVisit& visit) {
    LoadConstants("constants.xml", nullptr);
    AnimationTable table;
    AnimationStats reader(false, &table);
    reader.ReadAll();
    for (const std::string& problem : reader.GetErrors()) {
        ADD_FAILURE() << problem;
    }
    const std::set<std::string> variables = ScriptVariables(table);
    for (const std::string& name : table.GetNames()) {
        ForEachLiteral(name, table.Find(name)->mCommands, variables, visit);
    }
}

// Every source file of the game's code (app, menus, widgets, game): its path and text.
inline std::vector<std::pair<std::string, std::string>> GameSources() {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* folder : {"app", "menus", "widgets", "game"}) {
        const std::string root = SourceFolder() + "/" + folder;
        if (!std::filesystem::exists(root)) {
            continue;
        }
        for (const auto& file : std::filesystem::recursive_directory_iterator(root)) {
            if (file.path().extension() == ".cpp" || file.path().extension() == ".h") {
                std::ifstream in(file.path(), std::ios::binary);
                std::stringstream text;
                text << in.rdbuf();
                files.emplace_back(file.path().string(), text.str());
            }
        }
    }
    EXPECT_FALSE(files.empty());
    return files;
}

// Runs a case with the content folder as the working folder, as the game does.
class ContentTest : public testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(ContentFolder() + "/properties/assets.xml")) {
            GTEST_SKIP() << "no shipped content under " << ContentFolder();
        }
        mOldFolder = std::filesystem::current_path().string();
        std::filesystem::current_path(ContentFolder());
    }
    void TearDown() override {
        if (!mOldFolder.empty()) {
            std::filesystem::current_path(mOldFolder);
        }
    }

private:
    std::string mOldFolder;
};

}  // namespace contenttest
