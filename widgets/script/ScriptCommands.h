#pragma once
// The built-in commands of the script interpreter, by command word, in two tables: the commands
// that act on an object named by "id" (reached only when "id" is present), and the commands that
// need none. Each family of commands registers itself from its own source file.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "widgets/script/ScriptContext.h"

using CommandHandler = ScriptContext::Outcome (*)(ScriptContext&);

struct CommandTable {
    // Looked up by string_view, so that running a command builds no string.
    struct WordHash {
        using is_transparent = void;
        size_t operator()(std::string_view word) const {
            return std::hash<std::string_view>{}(word);
        }
    };
    using Map = std::unordered_map<std::string, CommandHandler, WordHash, std::equal_to<>>;

    Map general;
    Map object;

    // The handler of a command word, or null when the table has none.
    const CommandHandler* FindGeneral(std::string_view word) const;
    const CommandHandler* FindObject(std::string_view word) const;
};

// The process-wide table, built on first use. Main thread.
const CommandTable& GetCommandTable();

// True the first time a broken command (an unknown word, a call of a missing script) is reported
// from its place in a script file, false after: each problem gets one log line. Main thread.
bool ReportScriptProblemOnce(const AnimationCommand& command);

// The families ("wait-for", "persist", "stop"; variables; object properties; oscillations,
// clamps and arcs; control flow, signals and diagnostics).
void RegisterWaitCommands(CommandTable& table);
void RegisterVariableCommands(CommandTable& table);
void RegisterPropertyCommands(CommandTable& table);
void RegisterOscillationCommands(CommandTable& table);
void RegisterFlowCommands(CommandTable& table);
// Child animations, overlays, calls and queued animations.
void RegisterChildCommands(CommandTable& table);
// Target, hierarchy, flag and layer commands.
void RegisterTargetCommands(CommandTable& table);
// Appearance, frame and shader commands.
void RegisterAppearanceCommands(CommandTable& table);
// "add", "add-button", "add-label", "add-rect".
void RegisterAddCommands(CommandTable& table);
// Label, button, text-measuring and event commands.
void RegisterLabelCommands(CommandTable& table);
// Sound and music commands (the looping-sound commands belong to the menus).
void RegisterSoundCommands(CommandTable& table);
// "notice-menu", "start-soundloop" and "stop-soundloop", which reach the owning menu.
void RegisterMenuCommands(CommandTable& table);
