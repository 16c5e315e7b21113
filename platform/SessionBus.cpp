#include "platform/SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

void SettleSessionBusAddress() {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) {
        return;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat info {};
        if (stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) {
            setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 0);
            return;
        }
    }
    // A transport the bus library does not know: connecting fails at once, and SDL goes on
    // without the bus, as it does when no bus exists.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
}
