#pragma once
#include "bench/BenchFigures.h"
#include "bench/FrameSample.h"

#include <string>
#include <vector>

namespace Quessel::Bench {

// A hand-written SVG of a run's frame times: the demo, required-work and floor frames as
// three lines over the blocks (block k of each kind, measured one after the other, in the
// same place), the demo frames' GPU time per pass stacked beneath, the demo's CPU issue
// time, the goals (2 x required work, 7 x floor) as horizontal lines, and the camera
// path's rows of the demo frames as background bands.
class SvgPlot {
public:
    // `samples`: every measured frame, in run order.
    SvgPlot(const std::vector<FrameSample>& samples, const BenchFigures& figures);

    std::string document() const;
    // False (with the reason printed) when the file cannot be written.
    bool write(const std::string& path) const;

private:
    // Where a frame sits along the blocks: block k of every kind spans the same width.
    double slotOf(const FrameSample& sample) const;
    double x(double slot) const;
    double y(double milliseconds) const;
    std::string pathBands() const;
    std::string axes() const;
    std::string stackedPasses() const;
    std::string lines() const;
    std::string legend() const;

    const BenchFigures& figures;
    std::vector<FrameSample> demo;
    std::vector<FrameSample> required;
    std::vector<FrameSample> floor;
    // Floor frames per block, to spread them over their block's width.
    std::vector<int> floorPerBlock;
    double slots = 1.0;
    double top = 0.0;
    double tick = 1.0;
};

}  // namespace Quessel::Bench
