#pragma once
// The game's command line: "-changedir" and a folder sets the working folder; "-screensaver"
// selects screen-saver mode (no profile saving, no single-instance lock, no "in-progress").

#include <string>
#include <vector>

struct CommandLineOptions {
    std::string mChangeDir;  // empty: the default data folder
    bool mScreenSaver = false;
};

// Parses the arguments after the program name. False on any other option, with *error set to
// "Invalid command line parameter: " and the option (or "-changedir" when its folder is missing).
bool ParseCommandLine(const std::vector<std::string>& args, CommandLineOptions* out,
                      std::string* error);

// The folder of the game's data: "content/" next to the executable, the executable's own folder
// when it holds "properties/", else sourceContentDir (a build run from the source tree). Ends in
// '/'; empty when none of them exists.
std::string FindDataFolder(const std::string& executableDir, const std::string& sourceContentDir);
