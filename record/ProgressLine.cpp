#include "record/ProgressLine.h"

#include <fmt/format.h>

namespace Quessel::Record {

std::string ProgressLine::text() const {
    const long left = rate > 0.0 ? static_cast<long>((total - done) / rate + 0.5) : 0;
    return fmt::format("{}quessel-record: {} {}/{} ({}%), {:.1f} fps, {}:{:02d} left{}", terminal ? "\r" : "", counted,
                       done, total, total > 0 ? done * 100 / total : 100, rate, left / 60, left % 60,
                       !terminal ? "\n"
                       : last    ? "\033[K\n"
                                 : "\033[K");
}

}  // namespace Quessel::Record
