#pragma once
#include "bench/BenchFigures.h"

#include <cstdio>
#include <string>

namespace Quessel::Bench {

// The run's figures as a table for people and as one JSON line for comparing runs.
class BenchReport {
public:
    explicit BenchReport(const BenchFigures& figures) : f(figures) {}

    void printTable(std::FILE* out) const;
    // One line starting with {"bench": and holding every figure; no newline.
    std::string jsonLine() const;

private:
    void printFrames(std::FILE* out) const;
    void printPasses(std::FILE* out) const;
    void printGoals(std::FILE* out) const;

    const BenchFigures& f;
};

}  // namespace Quessel::Bench
