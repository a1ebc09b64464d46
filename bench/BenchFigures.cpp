#include "bench/BenchFigures.h"

#include "app/CameraPath.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Quessel::Bench {

namespace {
double quotient(double over, double under) { return over > 0.0 && under > 0.0 ? over / under : 0.0; }

template <typename Chosen, typename Field>
BenchFigures::Summary summaryOf(const std::vector<FrameSample>& samples, Chosen chosen, Field field) {
    std::vector<double> values;
    for (const FrameSample& sample : samples)
        if (chosen(sample)) values.push_back(field(sample));
    return BenchFigures::Summary::of(std::move(values));
}
}  // namespace

BenchFigures::Summary BenchFigures::Summary::of(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    return {static_cast<int>(n), n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]),
            values[std::max<std::size_t>(rank, 1) - 1], values.back(),
            std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n)};
}

BenchFigures::Series BenchFigures::Series::of(const std::vector<FrameSample>& samples, FrameKind kind, int block) {
    const auto summary = [&](auto field) {
        return summaryOf(
            samples, [kind, block](const FrameSample& s) { return s.kind == kind && (block < 0 || s.block == block); },
            field);
    };
    Series series;
    series.frame = summary([](const FrameSample& s) { return s.frameMs; });
    series.issue = summary([](const FrameSample& s) { return s.issueMs; });
    for (int index = 0; index < PassCount; ++index) {
        series.gpu[index] = summary([index](const FrameSample& s) { return s.gpuMs[index]; });
        series.cpu[index] = summary([index](const FrameSample& s) { return s.cpuMs[index]; });
    }
    series.fps = quotient(1000.0, series.frame.mean);
    series.fpsAtMedian = quotient(1000.0, series.frame.median);
    return series;
}

BenchFigures::Block BenchFigures::Block::of(const std::vector<FrameSample>& samples, int block) {
    const Series demo = Series::of(samples, FrameKind::Demo, block);
    const Series required = Series::of(samples, FrameKind::Required, block);
    const double floorMs = Series::of(samples, FrameKind::Floor, block).frame.median;
    return {demo.frame.median,
            required.frame.median,
            floorMs,
            demo.refresh().median,
            required.refresh().median,
            quotient(demo.frame.median, required.frame.median),
            quotient(demo.frame.median, floorMs),
            quotient(required.frame.median, floorMs),
            quotient(demo.refresh().median, required.refresh().median)};
}

int BenchFigures::pathKindOf(int step) {
    if (step < 0 || step >= Quessel::CameraPath::StepCount) return -1;
    return static_cast<int>(Quessel::CameraPath::steps[step].kind);
}

const char* BenchFigures::pathKindName(int kind) {
    static const char* const names[] = {"move", "turn", "hold"};
    return kind >= 0 && kind < 3 ? names[kind] : "-";
}

int BenchFigures::glErrors() const {
    return std::accumulate(info.glErrors.begin(), info.glErrors.end(), info.swapGlErrors);
}

BenchFigures BenchFigures::compute(const BenchOptions& options, const RunInfo& info,
                                   const std::vector<FrameSample>& samples) {
    BenchFigures f;
    f.options = options;
    f.info = info;
    f.demo = Series::of(samples, FrameKind::Demo);
    f.required = Series::of(samples, FrameKind::Required);
    f.floor = Series::of(samples, FrameKind::Floor);
    for (int kind = 0; kind < 3; ++kind)
        f.frameByPathKind[kind] = summaryOf(
            samples,
            [kind](const FrameSample& s) { return s.kind == FrameKind::Demo && pathKindOf(s.pathStep) == kind; },
            [](const FrameSample& s) { return s.frameMs; });
    f.ratio = quotient(f.demo.frame.median, f.floor.frame.median);
    f.ratioToRequired = quotient(f.demo.frame.median, f.required.frame.median);
    f.requiredToFloor = quotient(f.required.frame.median, f.floor.frame.median);
    f.environmentMapToRequired = quotient(f.demo.refresh().median, f.required.refresh().median);

    int lastBlock = -1;
    for (const FrameSample& sample : samples) lastBlock = std::max(lastBlock, sample.block);
    for (int block = 0; block <= lastBlock; ++block) f.blocks.push_back(Block::of(samples, block));
    for (double Block::*ratio :
         {&Block::demoToRequired, &Block::demoToFloor, &Block::requiredToFloor, &Block::environmentMapToRequired}) {
        std::vector<double> values;
        for (const Block& block : f.blocks)
            if (block.*ratio > 0.0) values.push_back(block.*ratio);
        f.blockMedians.*ratio = Summary::of(std::move(values)).median;
    }

    // The kernel syncs VmHWM lazily, a few pages behind the VmRSS read after a frame.
    f.peakKb = info.peakKb;
    for (const FrameSample& sample : samples) f.peakKb = std::max(f.peakKb, sample.residentKb);
    const std::size_t n = samples.size();
    if (n == 0) return f;
    const std::size_t window = std::max<std::size_t>(1, std::min<std::size_t>(100, n / 2));
    const auto meanResident = [&samples, window](std::size_t first) {
        double sum = 0.0;
        for (std::size_t i = first; i < first + window; ++i) sum += static_cast<double>(samples[i].residentKb);
        return sum / static_cast<double>(window);
    };
    f.memoryWindow = static_cast<int>(window);
    f.firstResidentKb = meanResident(0);
    f.lastResidentKb = meanResident(n - window);
    f.growthKb = f.lastResidentKb - f.firstResidentKb;
    return f;
}

}  // namespace Quessel::Bench
