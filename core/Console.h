#pragma once

namespace Quessel {

// printf-style output to standard output; flushed so the console text keeps its order
// with anything the drivers print.
void printConsole(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace Quessel
