// The session bus address settled before the video system starts: an address already set stays,
// the user's bus socket is used when it exists, and otherwise the address fails at once rather
// than letting the bus library launch a bus.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/SessionBus.h"

namespace {

// Restores an environment variable at the end of a test.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : mName(name) {
        if (const char* value = std::getenv(name)) {
            mValue = value;
        }
    }
    ~SavedVariable() {
        if (mValue) {
            setenv(mName, mValue->c_str(), 1);
        } else {
            unsetenv(mName);
        }
    }

private:
    const char* mName;
    std::optional<std::string> mValue;
};

std::string Address() {
    const char* value = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return value != nullptr ? value : "(unset)";
}

TEST(SessionBus, AnAddressAlreadySetIsKept) {
    SavedVariable address("DBUS_SESSION_BUS_ADDRESS");
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/somewhere/bus", 1);
    SettleSessionBusAddress();
    EXPECT_EQ(Address(), "unix:path=/somewhere/bus");
}

TEST(SessionBus, WithoutABusNothingIsLaunched) {
    SavedVariable address("DBUS_SESSION_BUS_ADDRESS");
    SavedVariable runtime("XDG_RUNTIME_DIR");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("XDG_RUNTIME_DIR");
    SettleSessionBusAddress();
    EXPECT_EQ(Address(), "disabled:");

    // A runtime folder without a bus socket in it is no bus either.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    char pattern[] = "/tmp/p7busXXXXXX";
    const std::string folder = mkdtemp(pattern);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    SettleSessionBusAddress();
    EXPECT_EQ(Address(), "disabled:");
    std::filesystem::remove_all(folder);
}

TEST(SessionBus, TheUsersBusSocketIsUsed) {
    SavedVariable address("DBUS_SESSION_BUS_ADDRESS");
    SavedVariable runtime("XDG_RUNTIME_DIR");
    char pattern[] = "/tmp/p7busXXXXXX";
    const std::string folder = mkdtemp(pattern);
    const std::string socketPath = folder + "/bus";
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, socketPath.c_str(), sizeof(where.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof(where)), 0);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    SettleSessionBusAddress();
    EXPECT_EQ(Address(), "unix:path=" + socketPath);
    close(fd);
    std::filesystem::remove_all(folder);
}

}  // namespace
