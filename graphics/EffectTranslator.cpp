#include "graphics/EffectTranslator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/util/StringUtil.h"
#include "graphics/EffectText.h"
#include "graphics/HlslTranslator.h"

extern char** environ;

namespace {

bool IsExecutable(const std::string& path) {
    return !path.empty() && ::access(path.c_str(), X_OK) == 0;
}

// Beside the game's executable; in a build run from its tree, where the build put it.
std::string ProgramPath() {
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

// Runs the translator on source: its answer in *answer, or why it gave none in *problem.
bool Exchange(const std::string& program, const std::string& source, const std::string& fileName,
              std::string* answer, std::string* problem) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        *problem = std::string("no channel to the translator: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
    // A crash report would only repeat what the one log line says.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string name = fileName;
    std::string path = program;
    char* argv[] = {path.data(), name.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    const int channel = sockets[0];
    if (spawned != 0) {
        ::close(channel);
        *problem = "the translator could not be started: " + std::string(std::strerror(spawned));
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
    }
    ::close(channel);
    if (!overrun.empty()) {
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
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
    if (!Exchange(program, source, fileName, &answer, &problem)) {
        *error = problem;
        return false;
    }
    // "ok" and the effect's text, or "error" and the translator's message.
    const std::string_view text(answer);
    if (text.substr(0, 3) == "ok\n" && EffectText::Read(text.substr(3), out)) {
        return true;
    }
    if (text.substr(0, 6) == "error ") {
        *error = std::string(TrimBlanks(text.substr(6)));
    } else {
        // The sanitizers end a crashed process with an exit status rather than the signal.
        *error = "the translator crashed without an answer";
    }
    return false;
}
