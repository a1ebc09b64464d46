#include "core/ToolReport.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace Quessel {

namespace {
volatile std::sig_atomic_t caught = 0;

void onStopSignal(int signal) { caught = signal; }

// Made before the signal can come: a handler may only write and end.
char interruptedBySigint[256];
char interruptedBySigterm[256];

void endNow(int signal) {
    const char* text = signal == SIGINT ? interruptedBySigint : interruptedBySigterm;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    _exit(128 + signal);
}

void handle(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
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

void ToolReport::endAtOnceOnStop(const std::string& what) const {
    std::snprintf(interruptedBySigint, sizeof interruptedBySigint, "%s: %s interrupted by Ctrl-C (SIGINT)\n",
                  program.c_str(), what.c_str());
    std::snprintf(interruptedBySigterm, sizeof interruptedBySigterm, "%s: %s interrupted by %s\n", program.c_str(),
                  what.c_str(), strsignal(SIGTERM));
    handle(endNow);
}

void ToolReport::catchStopSignals() {
    handle(onStopSignal);
    std::signal(SIGPIPE, SIG_IGN);
}

const volatile std::sig_atomic_t& ToolReport::stopSignal() { return caught; }

}  // namespace Quessel
