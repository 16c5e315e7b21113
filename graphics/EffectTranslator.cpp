#include "graphics/EffectTranslator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>

#include "core/util/StringUtil.h"
#include "graphics/EffectCache.h"
#include "graphics/EffectText.h"
#include "graphics/HlslTranslator.h"

extern char** environ;

namespace {

// A translator's message longer than this is cut: one log line, not a page.
constexpr size_t kMostMessageBytes = 400;

std::mutex gLock;
std::condition_variable gReaped;
// The translators started and not yet reaped, each with whether EndRunning killed it. A pid is
// killed only while it is listed, and it leaves the list before it is reaped: a pid the system
// has handed on is never signalled.
std::map<pid_t, bool> gRunning;
std::string gProgramForTests;
// The identity asked of which program, and its answer.
bool gIdentityAsked = false;
std::string gIdentityProgram;
std::string gIdentity;

bool IsExecutable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

// Beside the game's executable; in a build run from its tree, where the build put it.
std::string ProgramPath() {
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (!gProgramForTests.empty()) {
            return gProgramForTests;
        }
    }
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length > 0) {
        const std::string exe(self, static_cast<size_t>(length));
        const std::string beside =
            exe.substr(0, exe.find_last_of('/') + 1) + EffectTranslator::kProgramName;
        if (IsExecutable(beside)) {
            return beside;
        }
    }
#ifdef P7_BUILT_EFFECT_TRANSLATOR
    if (IsExecutable(P7_BUILT_EFFECT_TRANSLATOR)) {
        return P7_BUILT_EFFECT_TRANSLATOR;
    }
#endif
    return std::string();
}

long long ResidentBytes(pid_t pid) {
    FILE* statm = std::fopen(("/proc/" + std::to_string(pid) + "/statm").c_str(), "r");
    if (statm == nullptr) {
        return 0;
    }
    long long size = 0;
    long long resident = 0;
    const bool read = std::fscanf(statm, "%lld %lld", &size, &resident) == 2;
    std::fclose(statm);
    return read ? resident * ::sysconf(_SC_PAGESIZE) : 0;
}

// Starts program with argument, the socket as its standard input and output; -1 when it cannot.
// The child gets SIGKILL when the thread that forks it ends, which is when the game dies: the
// forking thread itself never ends before it has reaped the child (Exchange waits for it).
pid_t Start(const std::string& program, const std::string& argument, int socket) {
    std::string path = program;
    std::string name = argument;
    char* argv[] = {path.data(), name.data(), nullptr};
    const pid_t parent = ::getpid();
    sigset_t none;
    sigemptyset(&none);
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    // The child: only calls that are safe between fork and exec in a threaded process.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(127);  // the game died before the signal was set
    }
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    for (int target : {STDIN_FILENO, STDOUT_FILENO}) {
        if (socket == target) {
            ::fcntl(socket, F_SETFD, 0);  // dup2 onto itself would keep close-on-exec
        } else {
            ::dup2(socket, target);
        }
    }
    // A crash report would only repeat what the one log line says.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0 && null != STDERR_FILENO) {
        ::dup2(null, STDERR_FILENO);
    }
    ::execve(path.c_str(), argv, environ);
    ::_exit(127);
}

bool EndedAsTheGameQuits(pid_t pid) {
    std::lock_guard<std::mutex> lock(gLock);
    auto it = gRunning.find(pid);
    return it != gRunning.end() && it->second;
}

// Waits for the child to end, takes it off the running list, then reaps it: its status.
int Reap(pid_t pid) {
    siginfo_t info;
    while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 &&
           errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(gLock);
        gRunning.erase(pid);
    }
    gReaped.notify_all();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Runs the translator with argument and source: its answer in *answer, or why it gave none in
// *problem.
bool Exchange(const std::string& program, const std::string& argument, const std::string& source,
              std::string* answer, std::string* problem) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        *problem = std::string("no channel to the translator: ") + std::strerror(errno);
        return false;
    }
    pid_t pid = -1;
    {
        // Listed before EndRunning can look: a quit that comes now ends it too.
        std::lock_guard<std::mutex> lock(gLock);
        pid = Start(program, argument, sockets[1]);
        if (pid > 0) {
            gRunning[pid] = false;
        }
    }
    const int started = errno;
    ::close(sockets[1]);
    const int channel = sockets[0];
    if (pid < 0) {
        ::close(channel);
        *problem = "the translator could not be started: " + std::string(std::strerror(started));
        return false;
    }
    ::fcntl(channel, F_SETFL, ::fcntl(channel, F_GETFL) | O_NONBLOCK);

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(EffectTranslator::kMostSeconds);
    size_t sent = 0;
    bool sending = true;
    std::string overrun;
    for (;;) {
        if (sending && sent == source.size()) {
            ::shutdown(channel, SHUT_WR);
            sending = false;
        }
        pollfd wait{channel, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
        // Short waits: the process's memory is looked at between them.
        const int ready = ::poll(&wait, 1, 20);
        if (ready < 0 && errno != EINTR) {
            overrun = std::string("the channel failed: ") + std::strerror(errno);
            break;
        }
        if (ready > 0 && sending && (wait.revents & POLLOUT) != 0) {
            const ssize_t wrote =
                ::send(channel, source.data() + sent, source.size() - sent, MSG_NOSIGNAL);
            if (wrote > 0) {
                sent += static_cast<size_t>(wrote);
            } else if (wrote < 0 && errno != EAGAIN && errno != EINTR) {
                sending = false;  // it stopped reading: its end tells why
            }
        }
        if (ready > 0 && (wait.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[65536];
            const ssize_t got = ::recv(channel, buffer, sizeof(buffer), 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                break;  // the translator is done
            }
            if (got > 0) {
                answer->append(buffer, static_cast<size_t>(got));
            }
        }
        // No answer the game could use is larger than a cache entry; one that goes on without
        // end would take all the game's memory.
        if (static_cast<long long>(answer->size()) > EffectCache::kMostEntryBytes) {
            overrun = StrFormat("the translator's answer is larger than %lld MB",
                                EffectCache::kMostEntryBytes >> 20);
            break;
        }
        if (ResidentBytes(pid) > EffectTranslator::kMostBytes) {
            overrun = StrFormat("the translator took more than %lld MB of memory",
                                EffectTranslator::kMostBytes >> 20);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            overrun = StrFormat("the translator took more than %d seconds",
                                EffectTranslator::kMostSeconds);
            break;
        }
        if (EndedAsTheGameQuits(pid)) {
            break;
        }
    }
    ::close(channel);
    if (!overrun.empty()) {
        ::kill(pid, SIGKILL);  // still listed: not yet reaped
    }
    const bool ended = EndedAsTheGameQuits(pid);
    const int status = Reap(pid);
    if (ended) {
        *problem = EffectTranslator::kEndedAtQuit;
        return false;
    }
    if (!overrun.empty()) {
        *problem = overrun;
        return false;
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        *problem = signal == SIGXCPU ? StrFormat("the translator took more than %d seconds",
                                                 EffectTranslator::kMostSeconds)
                                     : StrFormat("the translator crashed (%s)", strsignal(signal));
        return false;
    }
    return true;
}

// The translator's message as one line of the log: control characters (line ends among them)
// are written as \xNN or \uNNNN, so that a message can neither break the line nor forge another,
// and a long one is cut.
std::string OneLine(std::string_view text) {
    text = TrimBlanks(text);
    std::string line;
    size_t i = 0;
    for (; i < text.size() && line.size() < kMostMessageBytes; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            line += StrFormat("\\x%02x", c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            line += StrFormat("\\u%04x", next);  // U+0080..U+009F, the C1 controls
            ++i;
        } else {
            line += static_cast<char>(c);
        }
    }
    if (i < text.size()) {
        // Cut before the last character, which may have lost its last bytes.
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) {
            line.pop_back();
        }
        if (!line.empty() && static_cast<unsigned char>(line.back()) >= 0xC0) {
            line.pop_back();
        }
        line += "...";
    }
    return line;
}

}  // namespace

bool EffectTranslator::Translate(const std::string& source, const std::string& fileName,
                                 TranslatedEffect* out, std::string* error) {
    const std::string program = ProgramPath();
    if (program.empty()) {
        *error = StrFormat("the effect translator \"%s\" is missing beside the game", kProgramName);
        return false;
    }
    std::string answer;
    std::string problem;
    if (!Exchange(program, fileName, source, &answer, &problem)) {
        *error = problem;
        return false;
    }
    // "ok" and the effect's text, or "error" and the translator's message.
    const std::string_view text(answer);
    if (text.substr(0, 3) == "ok\n" && EffectText::Read(text.substr(3), out)) {
        return true;
    }
    if (text.substr(0, 6) == "error ") {
        *error = OneLine(text.substr(6));
    } else {
        // The sanitizers end a crashed process with an exit status rather than the signal.
        *error = "the translator crashed without an answer";
    }
    return false;
}

std::string EffectTranslator::Identity() {
    static std::mutex asking;
    std::lock_guard<std::mutex> one(asking);
    const std::string program = ProgramPath();
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (gIdentityAsked && gIdentityProgram == program) {
            return gIdentity;
        }
    }
    // "identity" and one line.
    std::string answer;
    std::string problem;
    std::string identity;
    if (!program.empty() && Exchange(program, kIdentityArgument, "", &answer, &problem) &&
        answer.compare(0, 9, "identity ") == 0 && answer.find('\n') == answer.size() - 1) {
        identity = answer.substr(9, answer.size() - 10);
    }
    std::lock_guard<std::mutex> lock(gLock);
    gIdentityAsked = true;
    gIdentityProgram = program;
    gIdentity = identity;
    return identity;
}

void EffectTranslator::EndRunning() {
    std::unique_lock<std::mutex> lock(gLock);
    for (auto& [pid, ended] : gRunning) {
        ::kill(pid, SIGKILL);
        ended = true;
    }
    gReaped.wait_for(lock, std::chrono::seconds(1), [] { return gRunning.empty(); });
}

void EffectTranslator::SetProgramForTests(const std::string& program) {
    std::lock_guard<std::mutex> lock(gLock);
    gProgramForTests = program;
}
