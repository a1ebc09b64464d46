#include "bench/BenchFigures.h"

#include "app/CameraPath.h"

#include <algorithm>
#include <numeric>

namespace Quessel::Bench {

namespace {
double quotient(double over, double under) { return over > 0.0 && under > 0.0 ? over / under : 0.0; }

double meanResident(const std::vector<FrameSample>& samples, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i) sum += static_cast<double>(samples[i].residentKb);
    return count ? sum / static_cast<double>(count) : 0.0;
}

void computeMemory(BenchFigures& figures, const std::vector<FrameSample>& samples) {
    const std::size_t n = samples.size();
    if (n == 0) return;
    const std::size_t window = std::max<std::size_t>(1, std::min<std::size_t>(100, n / 2));
    figures.memoryWindow = static_cast<int>(window);
    figures.firstResidentKb = meanResident(samples, 0, window);
    figures.lastResidentKb = meanResident(samples, n - window, window);
    figures.growthKb = figures.lastResidentKb - figures.firstResidentKb;
}

void computeByPathKind(BenchFigures& figures, const std::vector<FrameSample>& samples) {
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> values;
        for (const FrameSample& sample : samples) {
            if (sample.kind != FrameKind::Demo) continue;
            if (sample.pathStep < 0 || sample.pathStep >= Quessel::CameraPath::StepCount) continue;
            if (static_cast<int>(Quessel::CameraPath::steps[sample.pathStep].kind) == kind)
                values.push_back(sample.frameMs);
        }
        figures.frameByPathKind[kind] = Summary::of(std::move(values));
    }
}

BenchFigures::Block blockOf(const std::vector<FrameSample>& samples, int block) {
    const FrameSeries demo = FrameSeries::of(samples, FrameKind::Demo, block);
    const FrameSeries required = FrameSeries::of(samples, FrameKind::Required, block);
    const FrameSeries floor = FrameSeries::of(samples, FrameKind::Floor, block);
    BenchFigures::Block figures;
    figures.demoMs = demo.frame.median;
    figures.requiredMs = required.frame.median;
    figures.floorMs = floor.frame.median;
    figures.demoRefreshMs = demo.gpuOf(Quessel::Pass::EnvironmentMap).median;
    figures.requiredRefreshMs = required.gpuOf(Quessel::Pass::EnvironmentMap).median;
    figures.demoToRequired = quotient(figures.demoMs, figures.requiredMs);
    figures.demoToFloor = quotient(figures.demoMs, figures.floorMs);
    figures.requiredToFloor = quotient(figures.requiredMs, figures.floorMs);
    figures.environmentMapToRequired = quotient(figures.demoRefreshMs, figures.requiredRefreshMs);
    return figures;
}

// Median over the blocks where the figure exists.
template <typename Field>
double blockMedian(const std::vector<BenchFigures::Block>& blocks, Field field) {
    std::vector<double> values;
    for (const BenchFigures::Block& block : blocks)
        if (field(block) > 0.0) values.push_back(field(block));
    return Summary::of(std::move(values)).median;
}

void computeBlocks(BenchFigures& figures, const std::vector<FrameSample>& samples) {
    int last = -1;
    for (const FrameSample& sample : samples) last = std::max(last, sample.block);
    for (int block = 0; block <= last; ++block) figures.blocks.push_back(blockOf(samples, block));
    BenchFigures::Block& m = figures.blockMedians;
    const auto& blocks = figures.blocks;
    m.demoToRequired = blockMedian(blocks, [](const BenchFigures::Block& b) { return b.demoToRequired; });
    m.demoToFloor = blockMedian(blocks, [](const BenchFigures::Block& b) { return b.demoToFloor; });
    m.requiredToFloor = blockMedian(blocks, [](const BenchFigures::Block& b) { return b.requiredToFloor; });
    m.environmentMapToRequired =
        blockMedian(blocks, [](const BenchFigures::Block& b) { return b.environmentMapToRequired; });
}
}  // namespace

const char* BenchFigures::pathKindName(int kind) {
    switch (static_cast<Quessel::CameraPath::Kind>(kind)) {
    case Quessel::CameraPath::Kind::Move: return "move";
    case Quessel::CameraPath::Kind::Turn: return "turn";
    case Quessel::CameraPath::Kind::Hold: return "hold";
    }
    return "?";
}

int BenchFigures::glErrors() const {
    return std::accumulate(info.glErrors.begin(), info.glErrors.end(), info.swapGlErrors);
}

std::vector<int> BenchFigures::passesByCost() const {
    std::vector<int> order;
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) order.push_back(index);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return demo.gpu[a].median > demo.gpu[b].median; });
    return order;
}

BenchFigures BenchFigures::compute(const BenchOptions& options, const RunInfo& info,
                                   const std::vector<FrameSample>& samples, long peakKb) {
    BenchFigures figures;
    figures.options = options;
    figures.info = info;
    figures.demo = FrameSeries::of(samples, FrameKind::Demo);
    figures.required = FrameSeries::of(samples, FrameKind::Required);
    const FrameSeries floor = FrameSeries::of(samples, FrameKind::Floor);
    figures.floorFrame = floor.frame;
    figures.floorIssue = floor.issue;
    figures.floorFps = floor.fps;
    computeByPathKind(figures, samples);
    figures.ratio = quotient(figures.demo.frame.median, figures.floorFrame.median);
    figures.ratioToRequired = quotient(figures.demo.frame.median, figures.required.frame.median);
    figures.requiredToFloor = quotient(figures.required.frame.median, figures.floorFrame.median);
    figures.environmentMapToRequired = quotient(figures.demo.gpuOf(Quessel::Pass::EnvironmentMap).median,
                                                figures.required.gpuOf(Quessel::Pass::EnvironmentMap).median);
    computeBlocks(figures, samples);
    // The kernel syncs VmHWM lazily, a few pages behind the VmRSS read after a frame.
    figures.peakKb = peakKb;
    for (const FrameSample& sample : samples) figures.peakKb = std::max(figures.peakKb, sample.residentKb);
    computeMemory(figures, samples);
    return figures;
}

}  // namespace Quessel::Bench
