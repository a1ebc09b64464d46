#pragma once
#include <string>

namespace Quessel::Bench {

// printf-style formatting into a string (lines of the table, JSON and SVG; < 512 bytes).
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace Quessel::Bench
