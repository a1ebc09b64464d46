#pragma once
#include "bench/BenchFigures.h"
#include "bench/FrameSample.h"

#include <string>
#include <vector>

namespace Quessel::Bench {

// The measured frames as CSV, one row per frame grouped by kind (demo, required, floor),
// each in run order, and the plot gnuplot draws from it with bench-plot.gp (staged beside
// the bench; see there what it shows). Both files are written whole or not at all.
class BenchPlot {
public:
    enum class Result { Drawn, NoGnuplot, Failed };

    BenchPlot(const std::vector<FrameSample>& samples, const BenchFigures& figures);

    // False with the reason in `error`.
    bool writeCsv(const std::string& path);
    // gnuplot, when it is on PATH, draws `svgPath` from the CSV at `csvPath`.
    Result draw(const std::string& csvPath, const std::string& svgPath);

    std::string error;

private:
    // Where a frame sits along the blocks: block k of every kind spans the same width.
    double slotOf(const FrameSample& sample) const;
    // The run's figures as gnuplot assignments.
    std::string settings(const std::string& csvPath, const std::string& outPath) const;

    const std::vector<FrameSample>& samples;
    const BenchFigures& figures;
    // Scene frames of each kind (at least 1), and floor frames per block.
    int slots = 1;
    std::vector<int> floorPerBlock;
};

}  // namespace Quessel::Bench
