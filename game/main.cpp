// The program entry: builds the game's application object and runs it.

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/RunGame.h"
#include "game/screens/MyGameApp.h"
#include "platform/QuitSignal.h"
#include "platform/SdlPlatform.h"
#include "widgets/anim/EffectHold.h"

namespace {

std::string ExecutableDir() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return std::string();
    }
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    InstallQuitSignalHandlers();
    // The real-window tests hold an effect while they photograph it (EffectHold).
    if (const char* holds = std::getenv("P7_HOLD_EFFECTS")) {
        ConfigureEffectHolds(holds);
    }
    auto* app = new MyGameApp();
    app->SetPlatform(std::make_unique<SdlPlatform>());
    app->SetCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    app->SetDefaultDataFolder(FindDataFolder(ExecutableDir(), P7_SOURCE_CONTENT_DIR));
    return RunGame(app);
}
