#include "bench/Summary.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Quessel::Bench {

Summary Summary::of(std::vector<double> values) {
    Summary summary;
    if (values.empty()) return summary;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    summary.count = static_cast<int>(n);
    summary.min = values.front();
    summary.max = values.back();
    summary.median = n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    summary.p95 = values[std::max<std::size_t>(rank, 1) - 1];
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    return summary;
}

}  // namespace Quessel::Bench
