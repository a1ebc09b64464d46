#include "bench/FrameSeries.h"

namespace Quessel::Bench {

namespace {
constexpr int AnyBlock = -1;

FrameSeries summarise(const std::vector<FrameSample>& samples, FrameKind kind, int block) {
    std::vector<const FrameSample*> chosen;
    for (const FrameSample& sample : samples)
        if (sample.kind == kind && (block == AnyBlock || sample.block == block)) chosen.push_back(&sample);
    const auto series = [&chosen](auto field) {
        std::vector<double> values;
        values.reserve(chosen.size());
        for (const FrameSample* sample : chosen) values.push_back(field(*sample));
        return Summary::of(std::move(values));
    };
    FrameSeries figures;
    figures.frame = series([](const FrameSample& s) { return s.frameMs; });
    figures.issue = series([](const FrameSample& s) { return s.issueMs; });
    for (int index = 0; index < PassCount; ++index) {
        figures.gpu[index] = series([index](const FrameSample& s) { return s.gpuMs[index]; });
        figures.cpu[index] = series([index](const FrameSample& s) { return s.cpuMs[index]; });
    }
    if (figures.frame.mean > 0.0) figures.fps = 1000.0 / figures.frame.mean;
    if (figures.frame.median > 0.0) figures.fpsAtMedian = 1000.0 / figures.frame.median;
    return figures;
}
}  // namespace

FrameSeries FrameSeries::of(const std::vector<FrameSample>& samples, FrameKind kind) {
    return summarise(samples, kind, AnyBlock);
}

FrameSeries FrameSeries::of(const std::vector<FrameSample>& samples, FrameKind kind, int block) {
    return summarise(samples, kind, block);
}

}  // namespace Quessel::Bench
