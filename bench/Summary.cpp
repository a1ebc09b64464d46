#include "bench/Summary.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Quessel::Bench {

Summary Summary::of(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    return {static_cast<int>(n), n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]),
            values[std::max<std::size_t>(rank, 1) - 1], values.back(),
            std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n)};
}

}  // namespace Quessel::Bench
