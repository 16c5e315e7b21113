#pragma once
// The scripts by name. The loader thread fills the process-wide table while the start screens
// already look names up on the main thread, so every access takes the table's lock, and scripts
// are handed out as shared immutable records that stay valid after a redefinition replaces them.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/script/Animation.h"

class AnimationTable {
public:
    // The process-wide table. Any thread.
    static AnimationTable& Get();

    // The script of that name, never null. An absent name gives a script without commands; on the
    // main thread that empty script is also entered under the name (the table holds the name
    // afterwards), on any other thread the table is left untouched. Any thread.
    std::shared_ptr<const Animation> Lookup(std::string_view name);
    // The script of that name, or null when absent; never inserts. Any thread.
    std::shared_ptr<const Animation> Find(std::string_view name) const;
    bool Contains(std::string_view name) const;

    // Stores the script under its name, replacing an earlier definition (commands included).
    // Any thread.
    void Define(Animation animation);
    // Stores several in order under one lock (a later one of the same name wins). Any thread.
    void DefineAll(std::vector<Animation>&& animations);

    // Number of scripts. Any thread.
    size_t Size() const;
    void Clear();                               // at exit, and between tests
    std::vector<std::string> GetNames() const;  // in name order

private:
    mutable std::mutex mMutex;
    std::map<std::string, std::shared_ptr<const Animation>, std::less<>> mScripts;
};
