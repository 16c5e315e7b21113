// The real executable quit by SIGTERM while a loading screen's worker is inside the decode of one
// huge picture: the game leaves the worker behind after its bounded wait, as it does the start-up
// loader, instead of waiting for the decode, and still writes the settings and the player's
// progress.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>

#include "support/AppTestSupport.h"

#ifdef P7_GAME_EXE

namespace {

// Polls done every 20 ms; false when it still fails after seconds (a hang limit only).
bool PollFor(const std::function<bool()>& done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The game's data with every set's background a flat 16384 x 4096 JPEG-2000 picture: a small
// file whose decode takes seconds.
void MakeHugeSetPictures(const std::string& data) {
    namespace fs = std::filesystem;
    fs::copy(P7_SOURCE_DIR "/content", data, fs::copy_options::recursive);
    const std::string catalogue = data + "/properties/assets.xml";
    const std::string text = ReadText(catalogue);
    const std::regex entry("images/sets/(set_[a-z]+)\\.jpg");
    for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it) {
        fs::copy_file(P7_SOURCE_DIR "/tests/app/fixtures/flat_16384x4096.j2k",
                      data + "/images/sets/" + (*it)[1].str() + ".j2k");
    }
    std::ofstream(catalogue, std::ios::binary)
        << std::regex_replace(text, entry, "images/sets/$1.j2k");
}

// A returning player past the opening letter: the main menu's play button opens the first
// set's loading screen.
const char kReturningPlayer[] =
    "<profiles selected=\"0\"><profile name=\"Ann\"><state seen-tutorial=\"1\" started=\"1\" "
    "minutes=\"7\"><game name=\"pelnora7\"><game-state current-country=\"1\"/><mode>"
    "<set unlock=\"1\" introduced=\"1\"><puzzle completed=\"1\"/></set>"
    "<set unlock=\"1\" introduced=\"1\"></set></mode><mode></mode></game></state></profile>"
    "</profiles>";

// A bare X server on the display it picks, for the length of a test.
class Display {
public:
    Display() {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        mPid = fork();
        if (mPid == 0) {
            close(fds[0]);
            if (freopen("/dev/null", "w", stderr) == nullptr) {
                _exit(126);
            }
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it takes connections.
        char c = 0;
        while (mPid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
            mName += c;
        }
        close(fds[0]);
        mName = mName.empty() ? std::string() : ":" + mName;
    }
    ~Display() {
        if (mPid > 0) {
            kill(mPid, SIGTERM);
            waitpid(mPid, nullptr, 0);
        }
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    const std::string& Name() const { return mName; }  // empty when the server did not start
    // A click at (x, y) of the game's design, its window centred on the 1280 x 1024 screen.
    bool Click(int x, int y) const {
        const std::string command = "DISPLAY=" + mName + " xdotool mousemove " +
                                    std::to_string(x + 128) + " " + std::to_string(y + 128) +
                                    " click 1";
        return std::system(command.c_str()) == 0;
    }

private:
    pid_t mPid = -1;
    std::string mName;
};

// The resident memory of a process in MiB (0 when it is gone).
long ResidentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6)) / 1024;
        }
    }
    return 0;
}

}  // namespace

TEST(GameExecutable, QuitDoesNotWaitForALoadingScreenInsideADecode) {
    if (std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Xvfb and xdotool are needed to reach a loading screen";
    }
    Display display;
    ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
    TempUserFolder folder;
    const std::string data = folder.path + "/content";
    MakeHugeSetPictures(data);
    const std::string user = folder.path + "/home/Pelnora Studio/Pelnora 7/";
    std::filesystem::create_directories(user);
    std::ofstream(user + "profiles.xml", std::ios::binary) << kReturningPlayer;
    const std::string errFile = folder.path + "/game.err";

    const pid_t game = fork();
    if (game == 0) {
        setenv("XDG_DATA_HOME", (folder.path + "/home").c_str(), 1);
        setenv("DISPLAY", display.Name().c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        if (freopen(errFile.c_str(), "w", stderr) == nullptr) {
            _exit(126);
        }
        execl(P7_GAME_EXE, P7_GAME_EXE, "-changedir", data.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(game, 0);
    auto logged = [&](const char* text) {
        return ReadText(errFile).find(text) != std::string::npos;
    };
    // The title's play button, then the main menu's (which lies where the title shows only its
    // sky), until the set's loading screen has begun its group; the title's button lies between
    // the main menu's last two.
    const bool loading = PollFor(
        [&] {
            display.Click(512, 574);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            display.Click(512, 258);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return logged("Loading group \"SetAssets\"");
        },
        240);
    // Inside the decode: its buffers have come on top of what the game held as the group began.
    const long before = ResidentMiB(game);
    const bool decoding = loading && PollFor([&] { return ResidentMiB(game) > before + 200; }, 60);
    kill(game, SIGTERM);
    const auto signalled = std::chrono::steady_clock::now();
    int status = 0;
    if (!PollFor([&] { return waitpid(game, &status, WNOHANG) == game; }, 120)) {
        kill(game, SIGKILL);
        waitpid(game, &status, 0);
    }
    const auto quitMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - signalled)
                            .count();
    ASSERT_TRUE(loading) << ReadText(errFile);
    ASSERT_TRUE(decoding) << ReadText(errFile);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(logged("Quitting while the loader is still inside a file"))
        << "ended " << quitMs << " ms after the signal\n"
        << ReadText(errFile);
    EXPECT_NE(ReadText(user + "settings.xml").find("in-progress=\"false\""), std::string::npos);
    // The game's own save of the player: all eight slots written, Ann's progress kept.
    const std::string profiles = ReadText(user + "profiles.xml");
    EXPECT_NE(profiles.find("<profile name=\"\">"), std::string::npos) << profiles;
    EXPECT_NE(profiles.find("name=\"Ann\""), std::string::npos) << profiles;
    EXPECT_NE(profiles.find("completed=\"1\""), std::string::npos) << profiles;
}

#endif
