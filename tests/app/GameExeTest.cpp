// The real executable under the offscreen driver, with its own per-user folder: it loads every
// shipped table cleanly, a second copy refuses to start and writes nothing, and SIGTERM ends it
// cleanly with "in-progress" cleared.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/AppTestSupport.h"

#ifdef P7_GAME_EXE

namespace {

pid_t StartGame(const std::string& dataHome, const std::string& errFile) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (freopen(errFile.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(P7_GAME_EXE, P7_GAME_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

int WaitExit(pid_t pid, int seconds) {
    int status = 0;
    const bool exited = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
    if (!exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

}  // namespace

TEST(GameExecutable, RunsOneCopyAndQuitsCleanlyOnSigterm) {
    TempUserFolder folder;
    const std::string dataHome = folder.path + "/data";
    const std::string settings = dataHome + "/Pelnora Studio/Pelnora 7/settings.xml";
    const pid_t first = StartGame(dataHome, folder.path + "/first.err");
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitFor(
        [&] { return ReadText(settings).find("in-progress=\"true\"") != std::string::npos; }, 60))
        << ReadText(folder.path + "/first.err");
    // Every shipped table loads: the loading thread gets through all its steps, and no data file
    // is reported malformed (such reports name a line and a file).
    const std::string firstErr = folder.path + "/first.err";
    ASSERT_TRUE(WaitFor(
        [&] { return ReadText(firstErr).find("Loading finished") != std::string::npos; }, 60))
        << ReadText(firstErr);
    EXPECT_EQ(ReadText(firstErr).find(" on Line "), std::string::npos) << ReadText(firstErr);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it run its loop

    const auto before = std::filesystem::last_write_time(settings);
    const pid_t second = StartGame(dataHome, folder.path + "/second.err");
    EXPECT_EQ(WaitExit(second, 60), 1);
    EXPECT_NE(ReadText(folder.path + "/second.err").find("already running"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(settings), before);

    kill(first, SIGTERM);
    EXPECT_EQ(WaitExit(first, 60), 0) << ReadText(folder.path + "/first.err");
    EXPECT_NE(ReadText(settings).find("in-progress=\"false\""), std::string::npos);
}

// On a bare X server (Xvfb, no window manager, no desktop session bus) the window appears and
// the game runs and quits cleanly within seconds: start-up never waits for a bus to be launched.
TEST(GameExecutable, StartsUnderABareXServerWithoutASessionBus) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    TempUserFolder folder;
    int display = 90 + static_cast<int>(getpid() % 500);
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display))) {
        ++display;
    }
    const std::string name = ":" + std::to_string(display);
    const pid_t xvfb = fork();
    if (xvfb == 0) {
        if (freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(126);
        }
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(xvfb, 0);
    const bool serverUp = WaitFor(
        [&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)); }, 20);
    if (!serverUp) {
        kill(xvfb, SIGKILL);
        waitpid(xvfb, nullptr, 0);
        FAIL() << "Xvfb did not start";
    }
    const std::string dataHome = folder.path + "/data";
    const std::string settings = dataHome + "/Pelnora Studio/Pelnora 7/settings.xml";
    const std::string errFile = folder.path + "/game.err";
    const pid_t game = fork();
    if (game == 0) {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        setenv("DISPLAY", name.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("XDG_RUNTIME_DIR");
        if (freopen(errFile.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(P7_GAME_EXE, P7_GAME_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(game, 0);
    // "in-progress" is written right after the window is shown.
    const bool shown = WaitFor(
        [&] { return ReadText(settings).find("in-progress=\"true\"") != std::string::npos; }, 60);
    if (shown) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    kill(game, SIGTERM);
    const int status = WaitExit(game, 60);
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    ASSERT_TRUE(shown) << ReadText(errFile);
    EXPECT_EQ(status, 0) << ReadText(errFile);
}

#endif
