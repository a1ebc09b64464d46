#include "record/ProgressLine.h"

#include <fmt/format.h>
#include <unistd.h>

namespace Quessel::Record {

namespace {
using Clock = std::chrono::steady_clock;
// Between two updates: a terminal line, a plain line.
constexpr double TerminalInterval = 0.25;
constexpr double PlainInterval = 5.0;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}
}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, std::string what, long total)
    : stream(stream),
      what(std::move(what)),
      total(total),
      terminal(isatty(fileno(stream)) != 0),
      begun(Clock::now()),
      shown(begun) {}

void ProgressLine::print(long done) {
    const double elapsed = secondsBetween(begun, Clock::now());
    const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
    const long left = rate > 0.0 ? static_cast<long>((total - done) / rate + 0.5) : 0;
    const long percent = total > 0 ? done * 100 / total : 100;
    fmt::print(stream, "{}quessel-record: {} {}/{} ({}%), {:.1f} fps, {}:{:02d} left{}", terminal ? "\r" : "", what,
               done, total, percent, rate, left / 60, left % 60, terminal ? "\033[K" : "\n");
    std::fflush(stream);
    open = terminal;
}

void ProgressLine::update(long done) {
    const Clock::time_point now = Clock::now();
    const double interval = terminal ? TerminalInterval : PlainInterval;
    // The first frame is shown at once: it tells that recording has begun.
    if (done != 1 && done != total && secondsBetween(shown, now) < interval) return;
    shown = now;
    print(done);
}

void ProgressLine::finish(long done) {
    if (done != total || terminal) print(done);
    if (open) std::fputc('\n', stream);
    open = false;
    std::fflush(stream);
}

}  // namespace Quessel::Record
