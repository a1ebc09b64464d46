#include "core/Console.h"

#include <cstdarg>
#include <cstdio>

namespace Quessel {

void printConsole(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

}  // namespace Quessel
