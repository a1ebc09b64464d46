#pragma once

namespace Quessel {
class ToolReport;
}

namespace Quessel::Study {
class StudySession;
}

namespace Quessel::Bench {

// What the study tool's overlay costs: rounds of frames of a study session with the overlay
// shown and hidden, each round's order the other way round, every frame a step of 1/30 s
// along the path (as `.` makes them). Says the median frame times, the median of the
// rounds' own ratios and the process's CPU time per frame.
class OverlayCost {
public:
    static constexpr int Rounds = 20;

    // The exit status: 0, 130 / 143 on Ctrl-C or SIGTERM, 1 when Escape ended it first.
    static int measure(Study::StudySession& session, int frames, const ToolReport& report);
};

}  // namespace Quessel::Bench
