#include "bench/TextFormat.h"

#include <cstdarg>
#include <cstdio>

namespace Quessel::Bench {

std::string format(const char* pattern, ...) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof(buffer), pattern, arguments);
    va_end(arguments);
    return buffer;
}

}  // namespace Quessel::Bench
