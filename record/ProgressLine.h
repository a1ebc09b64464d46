#pragma once
#include <chrono>
#include <cstdio>
#include <string>

namespace Quessel::Record {

// Progress of long work as one status line on standard error: frames done of the total,
// frames per second and the time left. On a terminal the line is rewritten in place;
// otherwise plain lines are written now and then, so a log stays short.
class ProgressLine {
public:
    // `what` names the counted things ("frame").
    ProgressLine(std::FILE* stream, std::string what, long total);

    void update(long done);
    // Shows the final count and ends the line.
    void finish(long done);

private:
    void print(long done);

    std::FILE* stream;
    std::string what;
    long total;
    bool terminal;
    std::chrono::steady_clock::time_point begun;
    std::chrono::steady_clock::time_point shown;
    bool open = false;
};

}  // namespace Quessel::Record
