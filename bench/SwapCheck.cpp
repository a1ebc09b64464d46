#include "bench/SwapCheck.h"

#include "app/Demo.h"
#include "bench/BenchRun.h"
#include "bench/ProgramSwapper.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

namespace Quessel::Bench {

namespace {
constexpr int SettleRounds = 3;
}

bool SwapCheck::Result::passed() const {
    return ran && glErrors == 0 && requiredMeanDifference >= RequiredMinimumMeanDifference &&
           restoredMeanDifference <= RestoredMaximumMeanDifference && restoredLargeShare <= RestoredMaximumLargeShare;
}

SwapCheck::SwapCheck(BenchRun& run, ProgramSwapper& swapper, int renderers)
    : bench(run), swapper(swapper), renderers(std::max(renderers, 1)) {}

void SwapCheck::settle(std::vector<unsigned char>& pixels) {
    const int frames = SettleRounds * renderers;
    for (int frame = 0; frame < frames - 1 && !bench.stopped; ++frame) bench.stillFrame();
    bench.stillFrame(&pixels);
}

double SwapCheck::meanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.empty() || a.size() != b.size()) return 255.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;  // alpha
        sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    }
    return sum / (static_cast<double>(a.size()) * 3.0 / 4.0);
}

double SwapCheck::largeShare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.empty() || a.size() != b.size()) return 1.0;
    std::size_t large = 0;
    for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(static_cast<int>(a[i + c]) - static_cast<int>(b[i + c])));
        if (worst > LargeDifference) ++large;
    }
    return static_cast<double>(large) / static_cast<double>(a.size() / 4);
}

SwapCheck::Result SwapCheck::run() {
    Result result;
    std::vector<unsigned char> before;
    std::vector<unsigned char> required;
    std::vector<unsigned char> after;
    Quessel::Demo& demo = bench.driver.demo;
    // Start-up leaves errors in the flag (blocks bound on programs that lack them).
    bench.errorsSince(demo.errorCount);
    settle(before);
    const int errors = demo.errorCount;
    const bool cheap = swapper.useCheap();
    settle(required);
    const bool back = swapper.useDemo();
    settle(after);
    result.glErrors = bench.errorsSince(errors);
    result.ran = cheap && back && !bench.stopped;
    result.requiredMeanDifference = meanDifference(before, required);
    result.restoredMeanDifference = meanDifference(before, after);
    result.restoredLargeShare = largeShare(before, after);
    return result;
}

}  // namespace Quessel::Bench
