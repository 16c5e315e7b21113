// Runs a windowed program under the current X display and measures, from outside, what a player
// notices: the time from the start of the process to its first mapped window, the processor time
// it takes while idle, how often its threads wake, and its resident memory at rest.
//
//   bench_window_probe [--settle SECONDS] [--idle SECONDS] [--region X,Y,W,H]
//                      [--await-region FILE | --save-region FILE | --await-picture]
//                      -- COMMAND [ARG ...]
//   bench_window_probe [--settle SECONDS] [--idle SECONDS] --attach PID
//
// Prints one line: map_ms=... idle_cpu_percent=... wakeups_per_s=... rss_mb=...
// The program is asked to close with SIGTERM at the end (SIGKILL if it does not within 5 s).
//
// With a region of the program's window (window coordinates), --save-region writes what the
// region shows after the settling time to FILE (a binary PPM), and --await-region watches the
// region from the first mapped window on until it shows FILE's picture again, and adds
// ready_ms=... (from the start of the process) to the line: the moment a screen is up, taken
// from the screen itself; the settling time then counts from that moment. --attach measures a
// program already running (the idle figures only, and the program is left running), so that a
// driver script can take the figures screen by screen. --await-picture watches the region from
// the first mapped window on until it shows anything but black and adds picture_ms=...: the first
// picture the player sees.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// utime + stime of the whole process, in clock ticks.
long long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // Fields after the name start at 3 (state); utime and stime are 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::atoll(field.c_str());
        } else if (i == 15) {
            stime = std::atoll(field.c_str());
        }
    }
    return utime + stime;
}

// A "Name:  value kB" figure of /proc/PID/status or of one task's status.
long long StatusField(const std::string& path, const char* name) {
    std::ifstream in(path);
    std::string line;
    const size_t length = std::strlen(name);
    while (std::getline(in, line)) {
        if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':') {
            return std::atoll(line.c_str() + length + 1);
        }
    }
    return -1;
}

// Wake-ups of every thread: its voluntary context switches, each a sleep that ended. Switches
// forced by the scheduler are left out: they count the machine's other load, not the program.
long long Switches(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) {
        return -1;
    }
    long long total = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const std::string status = tasks + "/" + entry->d_name + "/status";
        const long long voluntary = StatusField(status, "voluntary_ctxt_switches");
        total += voluntary > 0 ? voluntary : 0;
    }
    closedir(dir);
    return total;
}

struct WindowArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The region's pixels as RGB bytes, rows top down; empty when the window could not be read.
std::vector<unsigned char> GrabRegion(Display* display, Window window, const WindowArea& region) {
    std::vector<unsigned char> rgb;
    XImage* image = XGetImage(display, window, region.x, region.y, unsigned(region.width),
                              unsigned(region.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return rgb;
    }
    rgb.reserve(size_t(region.width) * size_t(region.height) * 3);
    for (int y = 0; y < region.height; ++y) {
        for (int x = 0; x < region.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            // The usual 24-bit TrueColor layout of Xvfb and desktop servers.
            rgb.push_back(static_cast<unsigned char>((pixel >> 16) & 0xFF));
            rgb.push_back(static_cast<unsigned char>((pixel >> 8) & 0xFF));
            rgb.push_back(static_cast<unsigned char>(pixel & 0xFF));
        }
    }
    XDestroyImage(image);
    return rgb;
}

bool WritePpm(const std::string& path, const WindowArea& region,
              const std::vector<unsigned char>& rgb) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << region.width << " " << region.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
    return bool(out);
}

std::vector<unsigned char> ReadPpm(const std::string& path, const WindowArea& region) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    std::vector<unsigned char> rgb(size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0) *
                                   3);
    if (magic != "P6" || depth != 255 || width != region.width || height != region.height ||
        !in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()))) {
        rgb.clear();
    }
    return rgb;
}

// Mean absolute difference per channel of two pictures of the same size, 0..255.
double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size() || a.empty()) {
        return 255.0;
    }
    long long sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(int(a[i]) - int(b[i]));
    }
    return double(sum) / double(a.size());
}

void SleepSeconds(double seconds) {
    timespec ts{};
    ts.tv_sec = time_t(seconds);
    ts.tv_nsec = long((seconds - double(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

// The idle figures of a running process over idle seconds, as the tail of the printed line.
std::string MeasureIdle(pid_t pid, double idle) {
    const long long ticks0 = CpuTicks(pid);
    const long long switches0 = Switches(pid);
    const double idle0 = NowMs();
    SleepSeconds(idle);
    const long long ticks1 = CpuTicks(pid);
    const long long switches1 = Switches(pid);
    const double idleMs = NowMs() - idle0;
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const long long rssKb = StatusField(status, "VmRSS");
    const double cpuPercent =
        double(ticks1 - ticks0) / double(sysconf(_SC_CLK_TCK)) / (idleMs / 1000.0) * 100.0;
    char line[160];
    std::snprintf(line, sizeof line, "idle_cpu_percent=%.3f wakeups_per_s=%.1f rss_mb=%.1f",
                  cpuPercent, double(switches1 - switches0) / (idleMs / 1000.0),
                  double(rssKb) / 1024.0);
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    double settle = 5.0;
    double idle = 20.0;
    pid_t attach = 0;
    WindowArea region;
    std::string awaitFile;
    std::string saveFile;
    bool awaitPicture = false;
    int first = 1;
    for (; first < argc; ++first) {
        const bool hasValue = first + 1 < argc;
        if (std::strcmp(argv[first], "--settle") == 0 && hasValue) {
            settle = std::atof(argv[++first]);
        } else if (std::strcmp(argv[first], "--idle") == 0 && hasValue) {
            idle = std::atof(argv[++first]);
        } else if (std::strcmp(argv[first], "--attach") == 0 && hasValue) {
            attach = pid_t(std::atoi(argv[++first]));
        } else if (std::strcmp(argv[first], "--region") == 0 && hasValue) {
            if (std::sscanf(argv[++first], "%d,%d,%d,%d", &region.x, &region.y, &region.width,
                            &region.height) != 4) {
                region = WindowArea();
            }
        } else if (std::strcmp(argv[first], "--await-region") == 0 && hasValue) {
            awaitFile = argv[++first];
        } else if (std::strcmp(argv[first], "--save-region") == 0 && hasValue) {
            saveFile = argv[++first];
        } else if (std::strcmp(argv[first], "--await-picture") == 0) {
            awaitPicture = true;
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else {
            break;
        }
    }
    const bool regionWanted = !awaitFile.empty() || !saveFile.empty() || awaitPicture;
    if ((attach <= 0 && first >= argc) || (regionWanted && region.width <= 0) ||
        (regionWanted && attach > 0)) {
        std::fprintf(stderr,
                     "usage: %s [--settle S] [--idle S] [--region X,Y,W,H] [--await-region FILE "
                     "| --save-region FILE | --await-picture] -- COMMAND [ARG ...]\n"
                     "       %s [--settle S] [--idle S] --attach PID\n",
                     argv[0], argv[0]);
        return 2;
    }
    if (attach > 0) {
        SleepSeconds(settle);
        if (CpuTicks(attach) < 0) {
            std::fprintf(stderr, "no process %d\n", int(attach));
            return 1;
        }
        std::printf("%s\n", MeasureIdle(attach, idle).c_str());
        return 0;
    }
    std::vector<unsigned char> awaited;
    if (!awaitFile.empty()) {
        awaited = ReadPpm(awaitFile, region);
        if (awaited.empty()) {
            std::fprintf(stderr, "%s is not a %dx%d PPM picture\n", awaitFile.c_str(), region.width,
                         region.height);
            return 2;
        }
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = NowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[first], argv + first);
        std::perror("exec");
        _exit(127);
    }
    double mapMs = -1.0;
    Window window = 0;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (mapMs < 0.0 && NowMs() - start < 30000.0) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapMs < 0.0) {
                mapMs = NowMs() - start;
                window = event.xmap.window;
            }
        }
        if (mapMs < 0.0) {
            poll(&fd, 1, 5);
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "the program ended before mapping a window\n");
            return 1;
        }
    }
    XSelectInput(display, root, NoEventMask);
    // Every 5 ms, at most a minute: the awaited picture, within a small difference (a software
    // rasteriser's rounding, a twinkle passing through the region).
    constexpr double kAwaitTolerance = 6.0;
    double readyMs = -1.0;
    if (!awaited.empty() && window != 0) {
        while (NowMs() - start < 60000.0) {
            if (MeanDifference(GrabRegion(display, window, region), awaited) <= kAwaitTolerance) {
                readyMs = NowMs() - start;
                break;
            }
            SleepSeconds(0.005);
        }
    }

    // Every 2 ms: the first grab with a channel above 16 of 255 anywhere in the region.
    double pictureMs = -1.0;
    while (awaitPicture && window != 0 && NowMs() - start < 30000.0) {
        const std::vector<unsigned char> shown = GrabRegion(display, window, region);
        bool lit = false;
        for (unsigned char c : shown) {
            lit = lit || c > 16;
        }
        if (lit) {
            pictureMs = NowMs() - start;
            break;
        }
        SleepSeconds(0.002);
    }

    SleepSeconds(settle);
    if (!saveFile.empty() && window != 0 &&
        !WritePpm(saveFile, region, GrabRegion(display, window, region))) {
        std::fprintf(stderr, "could not write %s\n", saveFile.c_str());
    }
    XCloseDisplay(display);
    const std::string idleFigures = MeasureIdle(pid, idle);

    kill(pid, SIGTERM);
    int exitStatus = 0;
    const double stopStart = NowMs();
    while (waitpid(pid, &exitStatus, WNOHANG) != pid) {
        if (NowMs() - stopStart > 5000.0) {
            kill(pid, SIGKILL);
            waitpid(pid, &exitStatus, 0);
            break;
        }
        SleepSeconds(0.01);
    }
    std::printf("map_ms=%.1f %s", mapMs, idleFigures.c_str());
    if (!awaited.empty()) {
        std::printf(" ready_ms=%.1f", readyMs);
    }
    if (awaitPicture) {
        std::printf(" picture_ms=%.1f", pictureMs);
    }
    std::printf("\n");
    return 0;
}
