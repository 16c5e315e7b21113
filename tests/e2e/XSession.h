#pragma once
// The game as a player meets it, on a virtual X display: an Xvfb server on a display it picks
// itself, the real executable started full screen on it with its own per-user folder, the pointer
// and keyboard driven with xdotool, and the screen read back with xwd. Every process it starts is
// ended when the session goes.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "XPointerQuery.h"

extern char** environ;

// An RGB picture (0x00RRGGBB pixels, rows top down).
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool Empty() const { return pixels.empty(); }
};

// How far two pictures of the same size are apart: the pictures are compared in blocks of
// kBlock x kBlock pixels by their mean colour, so that one-pixel differences of software
// rasterisation, a ticking timer or a twinkling star cost one block at most, while a wrong
// screen, a shifted layout or a missing panel changes many.
struct PictureDistance {
    static constexpr int kBlock = 16;
    static constexpr int kBlockTolerance = 24;  // per channel, mean over a block, 0..255
    int badBlocks = 0;
    int blocks = 0;
    bool sizeDiffers = false;
    // The share of differing blocks, 0..1 (1 when the sizes differ).
    double Share() const {
        return sizeDiffers || blocks == 0 ? 1.0 : static_cast<double>(badBlocks) / blocks;
    }
};

inline PictureDistance ComparePictures(const ScreenPicture& a, const ScreenPicture& b) {
    PictureDistance d;
    if (a.width != b.width || a.height != b.height || a.Empty()) {
        d.sizeDiffers = true;
        return d;
    }
    const int k = PictureDistance::kBlock;
    for (int by = 0; by < a.height; by += k) {
        for (int bx = 0; bx < a.width; bx += k) {
            long sum[2][3] = {{0, 0, 0}, {0, 0, 0}};
            int count = 0;
            for (int y = by; y < by + k && y < a.height; ++y) {
                for (int x = bx; x < bx + k && x < a.width; ++x) {
                    const size_t i = static_cast<size_t>(y) * static_cast<size_t>(a.width) +
                                     static_cast<size_t>(x);
                    for (int c = 0; c < 3; ++c) {
                        sum[0][c] += (a.pixels[i] >> (16 - 8 * c)) & 0xFF;
                        sum[1][c] += (b.pixels[i] >> (16 - 8 * c)) & 0xFF;
                    }
                    ++count;
                }
            }
            ++d.blocks;
            for (int c = 0; c < 3; ++c) {
                if (std::labs(sum[0][c] - sum[1][c]) > PictureDistance::kBlockTolerance * count) {
                    ++d.badBlocks;
                    break;
                }
            }
        }
    }
    return d;
}

// Reads an X window dump (ZPixmap, 24 or 32 bits a pixel, either byte order); false when the
// file is not one.
inline bool ReadXwd(const std::string& path, ScreenPicture* out) {
    std::ifstream in(path, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 100) {
        return false;
    }
    auto field = [&](int index) {
        const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + index * 4;
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    };
    const uint32_t headerSize = field(0);
    const uint32_t format = field(2);
    const int width = static_cast<int>(field(4));
    const int height = static_cast<int>(field(5));
    const uint32_t byteOrder = field(7);
    const uint32_t bitsPerPixel = field(11);
    const uint32_t bytesPerLine = field(12);
    const uint32_t redMask = field(14);
    const uint32_t greenMask = field(15);
    const uint32_t blueMask = field(16);
    const uint32_t colours = field(19);
    if (format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24) || width <= 0 || height <= 0 ||
        width > 8192 || height > 8192) {
        return false;
    }
    const size_t start = size_t(headerSize) + size_t(colours) * 12;
    // Pixels are packed in bits_per_pixel; lines may be longer than their pixels (padding).
    const size_t bytes = bitsPerPixel / 8;
    if (data.size() < start + size_t(bytesPerLine) * size_t(height) ||
        bytesPerLine < bytes * size_t(width)) {
        return false;
    }
    auto shiftOf = [](uint32_t mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    const int rs = shiftOf(redMask);
    const int gs = shiftOf(greenMask);
    const int bs = shiftOf(blueMask);
    out->width = width;
    out->height = height;
    out->pixels.assign(size_t(width) * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(data.data()) + start + size_t(y) * bytesPerLine;
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = row + size_t(x) * bytes;
            uint32_t v = 0;
            for (size_t i = 0; i < bytes; ++i) {
                const size_t at = byteOrder == 0 ? bytes - 1 - i : i;  // 0: least significant first
                v = (v << 8) | p[at];
            }
            const uint32_t r = ((v & redMask) >> rs) & 0xFF;
            const uint32_t g = ((v & greenMask) >> gs) & 0xFF;
            const uint32_t b = ((v & blueMask) >> bs) & 0xFF;
            out->pixels[size_t(y) * size_t(width) + size_t(x)] = (r << 16) | (g << 8) | b;
        }
    }
    return true;
}

// The first folder of PATH holding an executable named name; empty when none does.
inline std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::string();
}

class XSession {
public:
    // The design size of the game (its coordinates), and the virtual screen: larger than the
    // design (the game asks for at least that much) and of another shape, so that full screen
    // scales the picture, shows bars left and right, and the pointer has to be mapped back.
    static constexpr int kDesignWidth = 1024;
    static constexpr int kDesignHeight = 768;
    static constexpr int kScreenWidth = 1600;
    static constexpr int kScreenHeight = 900;

    XSession() = default;
    ~XSession() { Stop(); }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts Xvfb on a display it chooses; false (with the reason in error) when it did not come
    // up within a few seconds.
    bool StartServer(std::string* error) {
        int fds[2];
        if (::pipe(fds) != 0) {
            *error = "pipe failed";
            return false;
        }
        const std::string fd = std::to_string(fds[1]);
        const std::string screen =
            std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> args = {"Xvfb", "-displayfd", fd,    "-screen", "0",
                                         screen, "-nolisten",  "tcp", "-noreset"};
        mServer = Spawn(FindProgram("Xvfb"), args, BaseEnvironment(), &actions);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (mServer <= 0) {
            ::close(fds[0]);
            *error = "Xvfb did not start";
            return false;
        }
        // Xvfb writes the display number it took once it accepts connections.
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        ::close(fds[0]);
        if (number.empty()) {
            *error = "Xvfb gave no display number";
            return false;
        }
        mDisplay = ":" + number;
        return true;
    }

    // Starts the game executable as a player would, with XDG_DATA_HOME at dataHome and the
    // environment's entries of extraEnv; its output goes to logFile.
    bool StartGame(const std::string& exe, const std::string& dataHome, const std::string& logFile,
                   const std::vector<std::string>& extraEnv = {}) {
        std::vector<std::string> env = BaseEnvironment();
        env.push_back("XDG_DATA_HOME=" + dataHome);
        env.push_back("SDL_AUDIODRIVER=dummy");
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        mGame = Spawn(exe, {exe}, env, &actions);
        posix_spawn_file_actions_destroy(&actions);
        mGameStart = std::chrono::steady_clock::now();
        mLogFile = logFile;
        return mGame > 0;
    }

    // Waits until the game has run at least count updates of its clock from now, as its own
    // frame statistics count them (SIGUSR1 writes them to its output): whatever the machine's
    // speed, the game has then lived that much of its own time. False when the game ended, or
    // answered no report for minutes.
    bool WaitUpdates(long count) {
        // The first report also counts the updates before the call: it only sets the start.
        long reports = CountReports(nullptr);
        bool started = false;
        long updates = 0;
        while (!started || updates < count) {
            if (!GameRunning()) {
                return false;
            }
            ::kill(mGame, SIGUSR1);
            long sum = 0;
            long now = reports;
            for (int poll = 0; poll < 6000 && now == reports; ++poll) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                now = CountReports(&sum);
                if (now == reports && poll % 50 == 49 && !GameRunning()) {
                    return false;
                }
            }
            if (now == reports) {
                return false;
            }
            if (started) {
                updates += sum - mReportedUpdates;
            }
            mReportedUpdates = sum;
            started = true;
            reports = now;
        }
        return true;
    }

    // Ends the game (SIGTERM, then SIGKILL after a while), the other client and the server.
    void Stop() {
        StopGame(10);
        EndOtherClient();
        if (mServer > 0) {
            ::kill(mServer, SIGTERM);
            ::waitpid(mServer, nullptr, 0);
            mServer = -1;
        }
    }
    // Ends the game if it still runs; its exit status, or -1 when it had to be killed.
    int StopGame(int seconds) {
        if (mGame <= 0) {
            return mGameStatus;
        }
        if (!WaitGameExit(0)) {
            ::kill(mGame, SIGTERM);
            if (!WaitGameExit(seconds)) {
                ::kill(mGame, SIGKILL);
                ::waitpid(mGame, nullptr, 0);
                mGame = -1;
                mGameStatus = -1;
            }
        }
        return mGameStatus;
    }
    // True once the game has exited by itself within seconds (its status then in GameStatus).
    bool WaitGameExit(int seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        do {
            int status = 0;
            if (mGame > 0 && ::waitpid(mGame, &status, WNOHANG) == mGame) {
                mGame = -1;
                mGameStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return true;
            }
            if (mGame <= 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }
    bool GameRunning() { return mGame > 0 && !WaitGameExit(0); }
    int GameStatus() const { return mGameStatus; }
    pid_t GamePid() const { return mGame; }
    std::chrono::steady_clock::time_point GameStart() const { return mGameStart; }

    // Runs an X client program to its end on the display, its standard output into the file
    // output (else discarded); its exit status (-1 when it could not be started or ran longer
    // than a minute).
    int RunClient(const std::string& program, const std::vector<std::string>& args,
                  const std::string& output = std::string()) {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), args.begin(), args.end());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.empty() ? "/dev/null" : output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const pid_t pid = Spawn(FindProgram(program), argv, BaseEnvironment(), &actions);
        posix_spawn_file_actions_destroy(&actions);
        if (pid <= 0) {
            return -1;
        }
        int status = 0;
        for (int i = 0; i < 6000; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }

    // The whole screen as it is now; empty when the dump failed.
    ScreenPicture Capture(const std::string& scratch) {
        ScreenPicture picture;
        if (RunClient("xwd", {"-root", "-silent", "-out", scratch}) == 0) {
            ReadXwd(scratch, &picture);
        }
        return picture;
    }

    // Whether the game shows full screen (else in its design-sized window, centred).
    void SetFullScreen(bool fullScreen) { mFullScreen = fullScreen; }

    // Where a point of the game's design coordinates is on the screen: the window is centred;
    // full screen keeps the design's aspect, scaled to the screen's height, with bars at the
    // sides.
    void DesignToScreen(double x, double y, int* sx, int* sy) const {
        const double scale = mFullScreen ? std::min(double(kScreenWidth) / kDesignWidth,
                                                    double(kScreenHeight) / kDesignHeight)
                                         : 1.0;
        const double left = (kScreenWidth - kDesignWidth * scale) / 2.0;
        const double top = (kScreenHeight - kDesignHeight * scale) / 2.0;
        *sx = static_cast<int>(std::lround(left + x * scale));
        *sy = static_cast<int>(std::lround(top + y * scale));
    }

    // Pointer and keys, in design coordinates.
    bool MoveTo(double x, double y) {
        int sx = 0;
        int sy = 0;
        DesignToScreen(x, y, &sx, &sy);
        return RunClient("xdotool",
                         {"mousemove", "--sync", std::to_string(sx), std::to_string(sy)}) == 0;
    }
    bool Click(double x, double y) {
        return MoveTo(x, y) && RunClient("xdotool", {"click", "1"}) == 0;
    }
    // A stroke with the left button held from one point to another, in steps of the pointer.
    bool Drag(double x0, double y0, double x1, double y1, int steps) {
        if (!MoveTo(x0, y0) || RunClient("xdotool", {"mousedown", "1"}) != 0) {
            return false;
        }
        bool ok = true;
        for (int i = 1; i <= steps && ok; ++i) {
            ok = MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        }
        return RunClient("xdotool", {"mouseup", "1"}) == 0 && ok;
    }
    bool Type(const std::string& text) {
        return RunClient("xdotool", {"type", "--delay", "80", text}) == 0;
    }
    bool Key(const std::string& key) { return RunClient("xdotool", {"key", key}) == 0; }

    // The player turns to another program: a second client's small window in the screen's
    // top-left corner, outside the game's, takes the keyboard focus.
    bool FocusAway() {
        if (mOther <= 0) {
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
            mOther = Spawn(FindProgram("xlogo"), {"xlogo", "-geometry", "24x24+0+0"},
                           BaseEnvironment(), &actions);
            posix_spawn_file_actions_destroy(&actions);
            if (mOther <= 0) {
                return false;
            }
        }
        // Xt programs do not name their process on the window: found by class. Only once it is
        // viewable: the window exists before it is mapped, and focusing it then is refused
        // (BadMatch). A loaded server may still refuse the first try.
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (RunClient("xdotool", {"search", "--sync", "--onlyvisible", "--classname", "^xlogo$",
                                      "windowfocus", "--sync", "%1"}) == 0) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return false;
    }
    // The game's window takes the keyboard focus back, and the other client goes.
    bool FocusGame() {
        const bool focused =
            RunClient("xdotool", {"search", "--sync", "--pid", std::to_string(mGame), "--name", ".",
                                  "windowfocus", "--sync", "%1"}) == 0;
        EndOtherClient();
        return focused;
    }
    // Moves the pointer by (dx, dy) screen pixels from where it stands, as a mouse does.
    bool MoveBy(int dx, int dy) {
        return RunClient("xdotool", {"mousemove_relative", "--sync", "--", std::to_string(dx),
                                     std::to_string(dy)}) == 0;
    }
    // Where the pointer stands on the screen; false when it could not be asked.
    bool PointerAt(const std::string& scratch, int* x, int* y) {
        if (RunClient("xdotool", {"getmouselocation"}, scratch) != 0) {
            return false;
        }
        std::ifstream in(scratch);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return std::sscanf(text.c_str(), "x:%d y:%d", x, y) == 2;
    }
    // Whether a window named name shows on the screen (a top-level window, mapped). The names
    // are asked one window at a time: a name search skips the names stored as UTF-8, as SDL
    // stores them.
    bool ShowsWindowNamed(const std::string& name, const std::string& scratch) {
        if (RunClient("xdotool",
                      {"search", "--onlyvisible", "--maxdepth", "1", "", "getwindowname", "%@"},
                      scratch) != 0) {
            return false;
        }
        std::ifstream in(scratch);
        for (std::string line; std::getline(in, line);) {
            if (line == name) {
                return true;
            }
        }
        return false;
    }

    // The pointer picture the server shows where the pointer stands; false when it could not be
    // asked (no XFixes in this build or on the server).
    bool CurrentPointer(PointerPicture* out) const { return AskCurrentPointer(mDisplay, out); }

    const std::string& Display() const { return mDisplay; }

private:
    // How many frame statistics the game has written to its output, and the sum of their
    // updates in *updates.
    long CountReports(long* updates) const {
        std::ifstream in(mLogFile);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        static const std::string kReport = "Frame statistics: ";
        long reports = 0;
        long sum = 0;
        for (size_t at = text.find(kReport); at != std::string::npos;
             at = text.find(kReport, at + 1)) {
            const size_t end = text.find('\n', at);
            if (end == std::string::npos) {
                break;  // still being written
            }
            sum += std::atol(text.c_str() + at + kReport.size());
            ++reports;
        }
        if (updates != nullptr) {
            *updates = sum;
        }
        return reports;
    }

    void EndOtherClient() {
        if (mOther > 0) {
            ::kill(mOther, SIGTERM);
            ::waitpid(mOther, nullptr, 0);
            mOther = -1;
        }
    }

    // The test's own environment with DISPLAY set to the session's display and the headless
    // video driver of the test programs taken out.
    std::vector<std::string> BaseEnvironment() const {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("SDL_VIDEODRIVER=", 0) == 0 ||
                entry.rfind("XDG_DATA_HOME=", 0) == 0 || entry.rfind("SDL_AUDIODRIVER=", 0) == 0) {
                continue;
            }
            env.push_back(entry);
        }
        if (!mDisplay.empty()) {
            env.push_back("DISPLAY=" + mDisplay);
        }
        return env;
    }

    static pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, posix_spawn_file_actions_t* actions) {
        if (program.empty()) {
            return -1;
        }
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env) {
            envp.push_back(const_cast<char*>(e.c_str()));
        }
        envp.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), envp.data()) != 0) {
            return -1;
        }
        return pid;
    }

    std::string mDisplay;
    bool mFullScreen = false;
    pid_t mServer = -1;
    pid_t mGame = -1;
    pid_t mOther = -1;  // the second client (FocusAway)
    int mGameStatus = -1;
    std::chrono::steady_clock::time_point mGameStart;
    std::string mLogFile;
    long mReportedUpdates = 0;  // the updates of the reports counted so far (WaitUpdates)
};
