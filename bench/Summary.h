#pragma once
#include <vector>

namespace Quessel::Bench {

// Order statistics of a series of times; all zero for an empty series.
struct Summary {
    int count = 0;
    double median = 0.0;
    // Nearest rank: the smallest value with at least 95 % of the series at or below it.
    double p95 = 0.0;
    double max = 0.0;
    double mean = 0.0;

    static Summary of(std::vector<double> values);
};

}  // namespace Quessel::Bench
