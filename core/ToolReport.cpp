#include "core/ToolReport.h"

#include <cstdio>
#include <cstring>

namespace Quessel {

namespace {
volatile std::sig_atomic_t caught = 0;

void onStopSignal(int signal) { caught = signal; }
}  // namespace

void ToolReport::say(const std::string& message) const {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
    std::fflush(stderr);
}

int ToolReport::fail(const std::string& message) const {
    say(message);
    return Failed;
}

int ToolReport::badOptions(const std::string& message) const {
    say(message + "\nTry '" + program + " --help' for the options.");
    return BadOptions;
}

int ToolReport::interrupted(const std::string& what) const {
    const int signal = caught ? static_cast<int>(caught) : SIGINT;
    say(what + " interrupted by " + (signal == SIGINT ? std::string("Ctrl-C (SIGINT)") : strsignal(signal)));
    return 128 + signal;
}

void ToolReport::catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

const volatile std::sig_atomic_t& ToolReport::stopSignal() { return caught; }

}  // namespace Quessel
