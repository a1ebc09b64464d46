#pragma once
#include <csignal>
#include <string>
#include <utility>

namespace Quessel {

// How the programs beside the demo (bench, recorder, study tool) talk to their user and
// end: every message on standard error starts with the program's name, a failure names
// what failed and ends with status 1, a bad option with 2 and a hint at --help, and Ctrl-C
// (or SIGTERM) with 128 + the signal, after the program has removed what it left unfinished.
class ToolReport {
public:
    static constexpr int Failed = 1;
    static constexpr int BadOptions = 2;

    explicit ToolReport(std::string program) : program(std::move(program)) {}

    void say(const std::string& message) const;
    // Says the message and returns Failed.
    int fail(const std::string& message) const;
    // Says the message with the hint at --help and returns BadOptions.
    int badOptions(const std::string& message) const;
    // Says which signal stopped `what` and returns 128 + that signal.
    int interrupted(const std::string& what) const;

    // Ctrl-C and SIGTERM end the program at once, saying they interrupted `what`, with
    // 128 + the signal: for start-up and a scene's import, which cannot stop part-way and
    // have made nothing that needs removing. catchStopSignals() ends this.
    void endAtOnceOnStop(const std::string& what) const;
    // Ctrl-C and SIGTERM set stopSignal() instead of ending the process, and interrupt
    // blocking calls (no SA_RESTART), so the program can end cleanly; a vanished reader
    // of a pipe shows as EPIPE on the write instead of SIGPIPE.
    static void catchStopSignals();
    // The signal that asked the program to stop, 0 while none did.
    static const volatile std::sig_atomic_t& stopSignal();

    const std::string program;
};

}  // namespace Quessel
