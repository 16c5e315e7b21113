#pragma once
// One command of an animation script: the XML element it was read from, kept as raw texts.
// Nothing is evaluated while reading; the interpreter evaluates parameters each time it runs the
// command, so a script sees the variables as they are at that moment.

#include <map>
#include <string>
#include <string_view>
#include <vector>

// One lasting copy of a file or script name, for AnimationCommand::mFile and mScript. Any thread.
const std::string* InternFileName(const std::string& name);

class AnimationCommand {
public:
    // Parameter name to raw attribute text, ordered by name (the order "define" stores them in).
    // Transparent comparison, so lookups by string_view do not allocate.
    using ParamMap = std::map<std::string, std::string, std::less<>>;

    // True when the command carries the parameter ("if" and "unless" are never parameters).
    bool HasParam(std::string_view name) const { return mParams.find(name) != mParams.end(); }
    // The raw text of a parameter; null when absent. Valid while the command lives unchanged.
    const std::string* FindParam(std::string_view name) const;

    std::string mCommand;  // the element's name: the command word
    ParamMap mParams;
    std::string mIf;      // the "if" condition text; empty when absent (counts as true)
    std::string mUnless;  // the "unless" condition text; empty when absent (counts as false)
    std::vector<AnimationCommand> mChildren;  // the block that runs after this command
    // Where it was read, for messages: the line and the file (an interned name that lives as long
    // as the process); 0 and null when built in code.
    int mLine = 0;
    const std::string* mFile = nullptr;
    // The script the command was read in (interned); null when built in code.
    const std::string* mScript = nullptr;

    // " on Line N in File 'name'" as the readers write it; empty when built in code.
    std::string Where() const;
};
