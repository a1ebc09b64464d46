#pragma once
#include <string>

namespace Quessel::Record {

// One line of the recorder's progress, from what it counts: "quessel-record: frame
// 450/900 (50%), 1.3 fps, 5:46 left". On a terminal the line starts with a carriage return
// and clears what is left of the one it overwrites, so it is rewritten in place; the last
// one, and every line of a log, ends with a line feed.
struct ProgressLine {
    const char* counted;  // what is counted: "frame", "unrecorded frame"
    long done;
    long total;
    double rate;  // per second so far; the time left follows from it
    bool terminal;
    bool last;

    std::string text() const;
};

}  // namespace Quessel::Record
