#include "record/EncoderProcess.h"

#include "core/ToolReport.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace Quessel::Record {

namespace {
// How long an ended program may take to go before it is killed outright.
constexpr int GraceMilliseconds = 5000;
constexpr int PollMilliseconds = 20;
}  // namespace

std::string EncoderProcess::find(const std::string& program) {
    // An empty entry, the trailing one too, is the current folder.
    std::stringstream folders(std::string(std::getenv("PATH") ? std::getenv("PATH") : "") + ":");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

EncoderProcess::~EncoderProcess() {
    if (input >= 0) close(input);
    if (pid > 0) ::kill(pid, SIGTERM);
    wait(false);
    if (log) std::fclose(log);
}

bool EncoderProcess::start(const std::vector<std::string>& argv, std::string& error) {
    // The program's standard error goes to a file that disappears when closed.
    log = std::tmpfile();
    int pipeEnds[2] = {-1, -1};
    if (!log || fcntl(fileno(log), F_SETFD, FD_CLOEXEC) != 0 || pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = fmt::format("cannot start {}: {}", argv.at(0), std::strerror(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(log), STDERR_FILENO);
    // Its own process group; and the default actions for the signals the recorder catches
    // or ignores (an ignored SIGPIPE would be inherited).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGPIPE}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int result = posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipeEnds[0]);
    input = pipeEnds[1];
    if (result == 0) return true;
    pid = -1;
    error = result == ENOENT ? fmt::format("{} is not installed (not found on PATH)", argv[0])
                             : fmt::format("cannot start {}: {}", argv[0], std::strerror(result));
    return false;
}

bool EncoderProcess::write(const void* data, size_t size) {
    for (const char* bytes = static_cast<const char*>(data); size > 0;) {
        if (ToolReport::stopSignal()) return false;
        const ssize_t written = ::write(input, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            writeError = errno;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

int EncoderProcess::wait(bool honourStop) {
    int status = 0;
    for (int waited = 0; pid > 0; waited += PollMilliseconds) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            pid = -1;
            return done < 0 ? -1 : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        }
        if (honourStop && ToolReport::stopSignal()) {
            ::kill(pid, SIGTERM);
            wait(false);
            return -1;
        }
        if (!honourStop && waited >= GraceMilliseconds) ::kill(pid, SIGKILL);
        usleep(PollMilliseconds * 1000);
    }
    return -1;
}

int EncoderProcess::finish() {
    if (input >= 0) close(input);
    input = -1;
    return wait(true);
}

std::string EncoderProcess::problem() const {
    std::string text;
    if (log) std::rewind(log);
    for (int c; log && (c = std::fgetc(log)) != EOF;) text += static_cast<char>(c);
    if (text.find("No space left on device") != std::string::npos) return "the disk is full (no space left on device)";
    text.erase(text.find_last_not_of("\r\n ") + 1);
    if (text.empty()) return "it gave no reason";
    return text.substr(text.find_last_of("\r\n") + 1);
}

}  // namespace Quessel::Record
