#include "record/ProgressLine.h"

#include <fmt/format.h>
#include <unistd.h>

namespace Quessel::Record {

namespace {
using Clock = std::chrono::steady_clock;
// Seconds between two updates: of a terminal line, of plain lines.
constexpr double TerminalInterval = 0.25;
constexpr double PlainInterval = 5.0;
}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, std::string what, long total)
    : stream(stream),
      what(std::move(what)),
      total(total),
      terminal(isatty(fileno(stream)) != 0),
      begun(Clock::now()),
      shown(begun) {}

void ProgressLine::print(long done) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - begun).count();
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
    // The first frame is shown at once: it tells that recording has begun.
    if (done != 1 && done != total &&
        std::chrono::duration<double>(now - shown).count() < (terminal ? TerminalInterval : PlainInterval))
        return;
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
