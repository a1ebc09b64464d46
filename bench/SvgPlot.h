#pragma once
#include "bench/BenchFigures.h"
#include "bench/FrameSample.h"

#include <string>
#include <vector>

namespace QuesselBench {

// A hand-written SVG of the demo's frame times over the sequence: the GPU time of each
// pass stacked, the wall-clock frame and CPU issue times as lines, the floor and the
// goal (3 x floor) as horizontal lines, the camera path's rows as background bands.
class SvgPlot {
public:
    SvgPlot(const std::vector<FrameSample>& samples, const BenchFigures& figures);

    std::string document() const;
    // False (with the reason printed) when the file cannot be written.
    bool write(const std::string& path) const;

private:
    double x(double frame) const;
    double y(double milliseconds) const;
    std::string pathBands() const;
    std::string axes() const;
    std::string stackedPasses() const;
    std::string lines() const;
    std::string legend() const;

    const std::vector<FrameSample>& samples;
    const BenchFigures& figures;
    double top = 0.0;
    double tick = 1.0;
};

}  // namespace QuesselBench
