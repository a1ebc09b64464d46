#pragma once
#include "bench/BenchFigures.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Quessel::Bench {

// What a run leaves behind: its figures as a table for people and as one JSON line for
// comparing runs, its frames as CSV (one row per frame, grouped by kind, each in run order)
// and the plot gnuplot draws from them with bench-plot.gp, staged beside the bench. Both
// files are written whole (through a .part file) or not at all.
class BenchReport {
public:
    enum class Plot { Drawn, NoGnuplot, Failed };

    BenchReport(const BenchFigures& figures, const std::vector<FrameSample>& samples);

    void printTable(std::FILE* out) const;
    // One line starting with {"bench": and holding every figure; no newline.
    std::string jsonLine() const;
    // False with the reason in `error`.
    bool writeCsv(const std::string& path);
    // gnuplot, when it is on PATH, draws `svgPath` from the CSV at `csvPath`.
    Plot drawPlot(const std::string& csvPath, const std::string& svgPath);

    std::string error;

private:
    // Where a frame sits along the plot's axis: block k of every kind spans the same width.
    double slotOf(const FrameSample& sample) const;

    const BenchFigures& f;
    const std::vector<FrameSample>& samples;
    // Scene frames of each kind (at least 1), and floor frames per block.
    int slots = 1;
    std::vector<int> floorPerBlock;
};

}  // namespace Quessel::Bench
