// Runs a windowed program under the current X display and measures, from outside, what a player
// notices: the time from the start of the process to its first mapped window, the processor time
// it takes while idle, how often its threads wake, and its resident memory at rest.
//
//   bench_window_probe [--settle SECONDS] [--idle SECONDS] -- COMMAND [ARG ...]
//
// Prints one line: map_ms=... idle_cpu_percent=... wakeups_per_s=... rss_mb=...
// The program is asked to close with SIGTERM at the end (SIGKILL if it does not within 5 s).

#include <X11/Xlib.h>
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

// Context switches of every thread: each voluntary one is a sleep that ended in a wake-up.
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
        const long long forced = StatusField(status, "nonvoluntary_ctxt_switches");
        total += (voluntary > 0 ? voluntary : 0) + (forced > 0 ? forced : 0);
    }
    closedir(dir);
    return total;
}

void SleepSeconds(double seconds) {
    timespec ts{};
    ts.tv_sec = time_t(seconds);
    ts.tv_nsec = long((seconds - double(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    double settle = 5.0;
    double idle = 20.0;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--settle") == 0 && first + 1 < argc) {
            settle = std::atof(argv[++first]);
        } else if (std::strcmp(argv[first], "--idle") == 0 && first + 1 < argc) {
            idle = std::atof(argv[++first]);
        } else if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--settle S] [--idle S] -- COMMAND [ARG ...]\n", argv[0]);
        return 2;
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
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    while (mapMs < 0.0 && NowMs() - start < 30000.0) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && mapMs < 0.0) {
                mapMs = NowMs() - start;
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
    XCloseDisplay(display);

    SleepSeconds(settle);
    const long long ticks0 = CpuTicks(pid);
    const long long switches0 = Switches(pid);
    const double idle0 = NowMs();
    SleepSeconds(idle);
    const long long ticks1 = CpuTicks(pid);
    const long long switches1 = Switches(pid);
    const double idleMs = NowMs() - idle0;
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const long long rssKb = StatusField(status, "VmRSS");

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
    const double cpuPercent =
        double(ticks1 - ticks0) / double(sysconf(_SC_CLK_TCK)) / (idleMs / 1000.0) * 100.0;
    std::printf("map_ms=%.1f idle_cpu_percent=%.3f wakeups_per_s=%.1f rss_mb=%.1f\n", mapMs,
                cpuPercent, double(switches1 - switches0) / (idleMs / 1000.0),
                double(rssKb) / 1024.0);
    return 0;
}
