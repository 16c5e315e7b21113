// The real executable under the offscreen driver, with its own per-user folder: it loads every
// shipped table cleanly without opening the movie libraries, a second copy refuses to start and
// writes nothing, and SIGTERM ends it cleanly with "in-progress" cleared.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

#include "../e2e/XSession.h"
#include "support/AppTestSupport.h"

#ifdef P7_GAME_EXE

namespace {

// How a copy of the game is started: its environment (a null value unsets), working folder,
// where its standard error goes, a file-size limit, and whether it runs as the unprivileged user.
struct Launch {
    std::vector<std::pair<std::string, const char*>> env;
    std::string errFile;  // ignored when errFd is set
    int errFd = -1;
    std::string workDir;
    rlim_t fileLimit = RLIM_INFINITY;
    bool asNobody = false;
    const char* dataFolder = nullptr;  // "-changedir"
};

pid_t StartGame(const Launch& how) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const auto& [name, value] : how.env) {
            value != nullptr ? setenv(name.c_str(), value, 1) : unsetenv(name.c_str());
        }
        const bool errOk = how.errFd >= 0 ? dup2(how.errFd, STDERR_FILENO) >= 0
                                          : freopen(how.errFile.c_str(), "w", stderr) != nullptr;
        const rlimit limit{how.fileLimit, how.fileLimit};
        if (!errOk || (!how.workDir.empty() && chdir(how.workDir.c_str()) != 0) ||
            setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(126);
        }
        if (how.asNobody) {
            execl("/usr/bin/setpriv", "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                  P7_GAME_EXE, static_cast<char*>(nullptr));
        }
        execl(P7_GAME_EXE, P7_GAME_EXE, how.dataFolder != nullptr ? "-changedir" : nullptr,
              how.dataFolder, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

pid_t StartGame(const std::string& dataHome, const std::string& errFile) {
    Launch how;
    how.env = {{"XDG_DATA_HOME", dataHome.c_str()}};
    how.errFile = errFile;
    return StartGame(how);
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

// Every temporary a cut-short atomic write leaves (".name.tmpXXXXXX") below folder.
std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name[0] == '.' && name.find(".tmp") != std::string::npos) {
            found.push_back(it->path().string());
        }
    }
    return found;
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

// The game on an X display (no session bus), with one argument or none.
pid_t StartGameOnDisplay(const std::string& display, const std::string& dataHome,
                         const std::string& errFile, const char* argument) {
    const pid_t game = fork();
    if (game == 0) {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("XDG_RUNTIME_DIR");
        if (freopen(errFile.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(P7_GAME_EXE, P7_GAME_EXE, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    return game;
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
    // Loaded and on the start screens, it has not opened the movie libraries: only the credits
    // play a movie, and opened at the start they made every start slower.
    const std::string maps = ReadText("/proc/" + std::to_string(first) + "/maps");
    EXPECT_NE(maps.find("libSDL2"), std::string::npos);
    EXPECT_EQ(maps.find("libavformat"), std::string::npos);
    EXPECT_EQ(maps.find("libavcodec"), std::string::npos);

    const auto before = std::filesystem::last_write_time(settings);
    const pid_t second = StartGame(dataHome, folder.path + "/second.err");
    EXPECT_EQ(WaitExit(second, 60), 1);
    EXPECT_NE(ReadText(folder.path + "/second.err").find("already running"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(settings), before);

    kill(first, SIGTERM);
    EXPECT_EQ(WaitExit(first, 60), 0) << ReadText(folder.path + "/first.err");
    EXPECT_NE(ReadText(settings).find("in-progress=\"false\""), std::string::npos);
}

// Only the translator's process runs the shader translator: the game's executable neither needs
// SPIRV-Cross nor holds glslang's code, which the translator's does.
TEST(GameExecutable, LeavesTheShaderLibrariesToTheTranslator) {
    const std::string game = ReadText(P7_GAME_EXE);
    const std::string translator = ReadText(P7_BINARY_DIR "/pelnora7-translator");
    ASSERT_FALSE(game.empty());
    EXPECT_EQ(game.find("libspirv-cross"), std::string::npos);
    EXPECT_EQ(game.find("glslang"), std::string::npos);
    EXPECT_NE(translator.find("libspirv-cross"), std::string::npos);
    EXPECT_NE(translator.find("glslang"), std::string::npos);
}

// The per-user folder is settled before the game changes to its data folder: a relative HOME is
// taken against the folder the game was started from, and with no HOME and no XDG_DATA_HOME the
// game stops at once with a message instead of writing into its content.
TEST(GameExecutable, PerUserFolderIsAbsoluteOrTheGameStops) {
    TempUserFolder folder;
    Launch relative;
    relative.env = {{"XDG_DATA_HOME", nullptr}, {"HOME", "home"}};
    relative.errFile = folder.path + "/relative.err";
    relative.workDir = folder.path;
    const std::string settings =
        folder.path + "/home/.local/share/Pelnora Studio/Pelnora 7/settings.xml";
    const pid_t game = StartGame(relative);
    ASSERT_GT(game, 0);
    const bool written = WaitFor(
        [&] { return ReadText(settings).find("in-progress=\"true\"") != std::string::npos; }, 60);
    kill(game, SIGTERM);
    EXPECT_EQ(WaitExit(game, 60), 0);
    EXPECT_TRUE(written) << ReadText(relative.errFile);

    Launch homeless = relative;
    homeless.env = {{"XDG_DATA_HOME", nullptr}, {"HOME", nullptr}};
    homeless.errFile = folder.path + "/homeless.err";
    EXPECT_EQ(WaitExit(StartGame(homeless), 60), 1);
    EXPECT_NE(ReadText(homeless.errFile).find("HOME"), std::string::npos);
}

// A data folder without its "properties/" stops the game with a message naming the folder,
// rather than leaving a black window.
TEST(GameExecutable, MissingGameDataStopsWithAMessage) {
    TempUserFolder folder;
    Launch how;
    how.env = {{"XDG_DATA_HOME", folder.path.c_str()}};
    how.errFile = folder.path + "/game.err";
    how.dataFolder = "/";
    EXPECT_EQ(WaitExit(StartGame(how), 60), 1);
    EXPECT_NE(ReadText(how.errFile).find("FATAL ERROR: The game's data is missing"),
              std::string::npos)
        << ReadText(how.errFile);
    EXPECT_NE(ReadText(how.errFile).find("'/properties'"), std::string::npos);
    // A start that failed is no crash: the next start must not take it for one.
    const std::string settings = ReadText(folder.path + "/Pelnora Studio/Pelnora 7/settings.xml");
    EXPECT_NE(settings.find("in-progress=\"false\""), std::string::npos) << settings;
}

// No display to open: SDL would settle on its offscreen driver and the game would run with no
// window, unseen; it stops with a message instead. Asking for that driver still works (every
// other test here does).
TEST(GameExecutable, WithoutADisplayTheGameStopsInsteadOfRunningUnseen) {
    TempUserFolder folder;
    Launch how;
    how.env = {{"XDG_DATA_HOME", folder.path.c_str()},
               {"SDL_VIDEODRIVER", nullptr},
               {"DISPLAY", ":65000"},
               {"WAYLAND_DISPLAY", nullptr},
               {"XDG_RUNTIME_DIR", folder.path.c_str()}};
    how.errFile = folder.path + "/game.err";
    EXPECT_EQ(WaitExit(StartGame(how), 60), 1);
    EXPECT_NE(ReadText(how.errFile).find("FATAL ERROR: Can't start the video system"),
              std::string::npos)
        << ReadText(how.errFile);
}

// Standard error into a closed pipe, and a file-size limit that the sound cache runs into: the
// game plays on and quits cleanly (its exit save made), leaving no temporary file, and the
// temporaries that earlier killed saves left are gone after start-up.
TEST(GameExecutable, ClosedPipeAndFileSizeLimitAreSurvived) {
    TempUserFolder folder;
    const std::string dataHome = folder.path + "/data";
    const std::string user = dataHome + "/Pelnora Studio/Pelnora 7/";
    const std::string stale[] = {user + ".settings.xml.tmpAb12Cd",
                                 user + "cached/sfx/.click.wav.tmpXy34Zw"};
    for (const std::string& path : stale) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << "half";
    }
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);
    Launch how;
    how.env = {{"XDG_DATA_HOME", dataHome.c_str()}};
    how.errFd = pipeEnds[1];
    how.fileLimit = 16 * 1024;
    const pid_t game = StartGame(how);
    close(pipeEnds[1]);
    ASSERT_GT(game, 0);
    const std::string settings = user + "settings.xml";
    EXPECT_TRUE(WaitFor(
        [&] { return ReadText(settings).find("in-progress=\"true\"") != std::string::npos; }, 60));
    // Long enough for the loading thread to decode and cache the start-up sounds.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    kill(game, SIGTERM);
    EXPECT_EQ(WaitExit(game, 60), 0);
    EXPECT_NE(ReadText(settings).find("in-progress=\"false\""), std::string::npos);
    EXPECT_EQ(Temporaries(dataHome), std::vector<std::string>());
}

// A per-user folder the player can't write (run as an unprivileged user, since root writes
// anywhere): with a lock file already there, or with the game's folder missing, the game starts,
// says why nothing is saved, and quits cleanly.
TEST(GameExecutable, ReadOnlyPerUserFolderIsPlayedWithoutSaving) {
    if (getuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0) {
        GTEST_SKIP() << "needs root and setpriv to run the game as an unprivileged user";
    }
    TempUserFolder folder;
    std::filesystem::permissions(folder.path, std::filesystem::perms::all &
                                                  ~std::filesystem::perms::group_write &
                                                  ~std::filesystem::perms::others_write);
    const struct {
        const char* what;
        bool withLockFile;
        const char* reason;
    } cases[] = {{"lock file present", true, "can't be written"},
                 {"game folder missing", false, "can't be created: Permission denied"}};
    for (const auto& c : cases) {
        const std::string dataHome = folder.path + "/" + (c.withLockFile ? "locked" : "bare");
        const std::string user = dataHome + "/Pelnora Studio/Pelnora 7/";
        std::filesystem::create_directories(c.withLockFile ? user : dataHome);
        if (c.withLockFile) {
            std::ofstream(user + "instance.lock").flush();
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dataHome)) {
            chmod(entry.path().c_str(), entry.is_directory() ? 0555 : 0444);
        }
        chmod(dataHome.c_str(), 0555);
        Launch how;
        how.env = {{"XDG_DATA_HOME", dataHome.c_str()}, {"HOME", dataHome.c_str()}};
        how.errFile = folder.path + "/" + (c.withLockFile ? "locked" : "bare") + ".err";
        how.asNobody = true;
        const pid_t game = StartGame(how);
        ASSERT_GT(game, 0);
        const bool loaded = WaitFor(
            [&] { return ReadText(how.errFile).find("Loading finished") != std::string::npos; },
            60);
        kill(game, SIGTERM);
        EXPECT_EQ(WaitExit(game, 60), 0) << c.what << ReadText(how.errFile);
        EXPECT_TRUE(loaded) << c.what << ReadText(how.errFile);
        EXPECT_NE(ReadText(how.errFile).find(std::string("Nothing will be saved: ")),
                  std::string::npos)
            << c.what;
        EXPECT_NE(ReadText(how.errFile).find(c.reason), std::string::npos) << c.what;
        EXPECT_EQ(ReadText(how.errFile).find("No such file"), std::string::npos) << c.what;
        chmod(dataHome.c_str(), 0755);
    }
}

// On a bare X server (Xvfb, no window manager, no desktop session bus) the window appears and
// the game runs and quits cleanly within seconds: start-up never waits for a bus to be launched.
TEST(GameExecutable, StartsUnderABareXServerWithoutASessionBus) {
    XSession server;
    if (FindProgram("Xvfb").empty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    std::string error;
    ASSERT_TRUE(server.StartServer(&error)) << error;
    TempUserFolder folder;
    const std::string dataHome = folder.path + "/data";
    const std::string settings = dataHome + "/Pelnora Studio/Pelnora 7/settings.xml";
    const std::string errFile = folder.path + "/game.err";
    const pid_t game = StartGameOnDisplay(server.Display(), dataHome, errFile, nullptr);
    ASSERT_GT(game, 0);
    // "in-progress" is written right after the window is shown.
    const bool shown = WaitFor(
        [&] { return ReadText(settings).find("in-progress=\"true\"") != std::string::npos; }, 60);
    if (shown) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    kill(game, SIGTERM);
    const int status = WaitExit(game, 60);
    ASSERT_TRUE(shown) << ReadText(errFile);
    EXPECT_EQ(status, 0) << ReadText(errFile);
}

// A bad command-line argument stops the game with a message box on a real display; the quit
// signals still end it there, with the argument's status, and the error is on standard error too.
TEST(GameExecutable, QuitSignalsCloseAMessageBox) {
    XSession server;
    for (const char* program : {"Xvfb", "xdotool"}) {
        if (FindProgram(program).empty()) {
            GTEST_SKIP() << program << " is not installed (Debian packages xvfb, xdotool)";
        }
    }
    std::string error;
    ASSERT_TRUE(server.StartServer(&error)) << error;
    TempUserFolder folder;
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string errFile = folder.path + "/box" + std::to_string(signal) + ".err";
        const pid_t game = StartGameOnDisplay(server.Display(), folder.path, errFile, "-bogus");
        ASSERT_GT(game, 0);
        // The box is up once the server shows its window: a box that cannot open (no fonts for
        // it on the server) ends its process at once, and the signal would meet a game that is
        // already leaving.
        int early = 0;
        bool ended = false;
        const bool boxShown = WaitFor(
            [&] {
                ended = waitpid(game, &early, WNOHANG) == game;
                return ended || server.ShowsWindowNamed("Pelnora 7", folder.path + "/windows.txt");
            },
            120);
        ASSERT_FALSE(ended) << "the game left before a signal; no box showed\n"
                            << ReadText(errFile);
        kill(game, signal);
        const int status = WaitExit(game, 60);
        EXPECT_TRUE(boxShown) << ReadText(errFile);
        EXPECT_EQ(status, 2) << signal;
        EXPECT_NE(ReadText(errFile).find("Invalid command line parameter: -bogus"),
                  std::string::npos)
            << ReadText(errFile);
    }
}

#endif
