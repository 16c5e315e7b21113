#include "core/expr/NamedConstants.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "core/expr/ExpressionEvaluator.h"
#include "core/expr/MainThread.h"
#include "core/expr/VariableTable.h"
#include "core/files/Parser.h"
#include "core/util/Log.h"

namespace {

struct ConstantTable {
    std::shared_mutex mutex;
    std::map<std::string, ExprValue, std::less<>> values;
};

ConstantTable& GetTable() {
    static ConstantTable* table = new ConstantTable;
    return *table;
}

// Include chains deeper than this are certainly a mistake (a cycle the path comparison missed,
// for example through a link).
constexpr size_t kMaxIncludeDepth = 32;

// One item of a constants file, in file order.
struct Item {
    bool isInclude = false;
    std::string name;   // the constant's name, or the included file
    std::string value;  // the expression text
    int line = 0;
};

// Validates one file and collects its items; evaluation waits until every file has been read.
//   <constants>
//     <constant name="logging" value="0"/>
//     <include file="more_constants.xml"/>
//   </constants>
class ConstantsReader : public Parser {
public:
    std::vector<Item> mItems;

protected:
    void HandleElementStart(const XMLElement& element) override {
        ++mDepth;
        const std::string& tag = element.mName;
        if (mDepth == 1) {
            if (tag != "constants") {
                Fail("Expected the element 'constants' but found '" + tag + "'");
            }
            return;
        }
        if (mDepth > 2) {
            Fail("Unexpected element '" + tag + "' inside '" + mParentTag + "'");
            return;
        }
        mParentTag = tag;
        Item item;
        item.line = GetCurrentLine();
        if (tag == "constant") {
            if (!HasAttribute("name") || GetAttribute("name").empty()) {
                Fail("A 'constant' element needs a 'name'");
                return;
            }
            if (!HasAttribute("value")) {
                Fail("The constant '" + GetAttribute("name") + "' needs a 'value'");
                return;
            }
            item.name = GetAttribute("name");
            item.value = GetAttribute("value");
        } else if (tag == "include") {
            if (!HasAttribute("file") || GetAttribute("file").empty()) {
                Fail("An 'include' element needs a 'file'");
                return;
            }
            item.isInclude = true;
            item.name = GetAttribute("file");
        } else {
            Fail("Unknown element '" + tag + "' (expected 'constant' or 'include')");
            return;
        }
        mItems.push_back(std::move(item));
    }

    void HandleElementEnd(const XMLElement& /*element*/) override { --mDepth; }

private:
    int mDepth = 0;
    std::string mParentTag;
};

struct Definition {
    std::string name;
    std::string value;
};

std::string Where(int line, const std::string& file) {
    return " on Line " + std::to_string(line) + " in File '" + file + "'";
}

std::string NormalPath(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().generic_string();
}

// Reads a file and, depth first, the files it includes, appending the definitions in the order
// they take effect. open holds the files being read, outermost first, to catch cycles.
bool ReadConstantsFile(const std::string& path, std::vector<std::string>* open,
                       std::vector<Definition>* definitions, std::string* error) {
    ConstantsReader reader;
    if (!reader.ParseFileAtPath(path)) {
        *error = reader.GetError();
        return false;
    }
    open->push_back(NormalPath(path));
    std::string folder = path.substr(0, path.find_last_of("/\\") + 1);
    for (const Item& item : reader.mItems) {
        if (!item.isInclude) {
            definitions->push_back(Definition{item.name, item.value});
            continue;
        }
        std::string included = folder + item.name;
        std::string normal = NormalPath(included);
        for (const std::string& openFile : *open) {
            if (openFile == normal) {
                std::string chain;
                for (const std::string& file : *open) {
                    chain += file + " -> ";
                }
                *error = "Include cycle (" + chain + normal + ")" + Where(item.line, path);
                return false;
            }
        }
        if (open->size() >= kMaxIncludeDepth) {
            *error = "Includes nested too deeply" + Where(item.line, path);
            return false;
        }
        if (!ReadConstantsFile(included, open, definitions, error)) {
            if (reader.WasFileMissing() || error->find(included) != std::string::npos) {
                *error += " (included" + Where(item.line, path) + ")";
            }
            return false;
        }
    }
    open->pop_back();
    return true;
}

}  // namespace

bool LoadConstantsFromPath(const std::string& path, std::string* error) {
    std::vector<std::string> open;
    std::vector<Definition> definitions;
    std::string message;
    if (!ReadConstantsFile(path, &open, &definitions, &message)) {
        LogWarning("Named constants not loaded: %s", message.c_str());
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }
    // Evaluate in file order: a value may use the constants defined before it, in this load or
    // an earlier one.
    VariableTable loaded;
    ExpressionEvaluator evaluator(&loaded);
    for (const Definition& definition : definitions) {
        loaded.Set(definition.name, evaluator.Evaluate(definition.value));
    }
    ConstantTable& table = GetTable();
    std::unique_lock lock(table.mutex);
    for (const auto& [name, value] : loaded) {
        table.values.insert_or_assign(name, value);
    }
    return true;
}

bool LoadConstants(const std::string& fileName, std::string* error) {
    return LoadConstantsFromPath("properties/" + fileName, error);
}

ExprValue GetConstantValue(std::string_view name) {
    ExprValue value;
    if (FindConstant(name, &value)) {
        return value;
    }
    ExprValue zero = ExprValue::FromFloat(0.0f);
    if (IsMainThread()) {
        ConstantTable& table = GetTable();
        std::unique_lock lock(table.mutex);
        auto [it, inserted] = table.values.try_emplace(std::string(name), zero);
        return it->second;
    }
    return zero;
}

bool FindConstant(std::string_view name, ExprValue* out) {
    ConstantTable& table = GetTable();
    std::shared_lock lock(table.mutex);
    auto found = table.values.find(name);
    if (found == table.values.end()) {
        return false;
    }
    *out = found->second;
    return true;
}

bool HasConstant(std::string_view name) {
    ConstantTable& table = GetTable();
    std::shared_lock lock(table.mutex);
    return table.values.find(name) != table.values.end();
}

void SetConstant(std::string_view name, const ExprValue& value) {
    ConstantTable& table = GetTable();
    std::unique_lock lock(table.mutex);
    table.values.insert_or_assign(std::string(name), value);
}

void ClearConstants() {
    ConstantTable& table = GetTable();
    std::unique_lock lock(table.mutex);
    table.values.clear();
}
