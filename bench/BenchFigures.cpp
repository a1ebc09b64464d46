#include "bench/BenchFigures.h"

#include "app/CameraPath.h"

#include <algorithm>

namespace QuesselBench {

namespace {
template <typename Field>
Summary summarise(const std::vector<FrameSample>& samples, Field field) {
    std::vector<double> values;
    values.reserve(samples.size());
    for (const FrameSample& sample : samples) values.push_back(field(sample));
    return Summary::of(std::move(values));
}

double meanResident(const std::vector<FrameSample>& samples, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i) sum += static_cast<double>(samples[i].residentKb);
    return count ? sum / static_cast<double>(count) : 0.0;
}

void computeMemory(BenchFigures& figures, const std::vector<FrameSample>& demo) {
    const std::size_t n = demo.size();
    if (n == 0) return;
    const std::size_t window = std::max<std::size_t>(1, std::min<std::size_t>(100, n / 2));
    figures.memoryWindow = static_cast<int>(window);
    figures.firstResidentKb = meanResident(demo, 0, window);
    figures.lastResidentKb = meanResident(demo, n - window, window);
    figures.growthKb = figures.lastResidentKb - figures.firstResidentKb;
}

void computeByPathKind(BenchFigures& figures, const std::vector<FrameSample>& demo) {
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<double> values;
        for (const FrameSample& sample : demo) {
            if (sample.pathStep < 0 || sample.pathStep >= Quessel::CameraPath::StepCount) continue;
            if (static_cast<int>(Quessel::CameraPath::steps[sample.pathStep].kind) == kind)
                values.push_back(sample.frameMs);
        }
        figures.frameByPathKind[kind] = Summary::of(std::move(values));
    }
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

bool BenchFigures::environmentMapMet() const {
    const Summary& refresh = gpu[static_cast<int>(Quessel::Pass::EnvironmentMap)];
    return frame.median > 0.0 && refresh.median <= EnvironmentMapShareGoal * frame.median;
}

std::vector<int> BenchFigures::passesByCost() const {
    std::vector<int> order;
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) order.push_back(index);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return gpu[a].median > gpu[b].median; });
    return order;
}

BenchFigures BenchFigures::compute(const BenchOptions& options, const RunInfo& info,
                                   const std::vector<FrameSample>& demo, const std::vector<FrameSample>& floor,
                                   long peakKb) {
    BenchFigures figures;
    figures.options = options;
    figures.info = info;
    figures.frame = summarise(demo, [](const FrameSample& s) { return s.frameMs; });
    figures.issue = summarise(demo, [](const FrameSample& s) { return s.issueMs; });
    for (int index = 0; index < PassCount; ++index) {
        figures.gpu[index] = summarise(demo, [index](const FrameSample& s) { return s.gpuMs[index]; });
        figures.cpu[index] = summarise(demo, [index](const FrameSample& s) { return s.cpuMs[index]; });
    }
    computeByPathKind(figures, demo);
    figures.floorFrame = summarise(floor, [](const FrameSample& s) { return s.frameMs; });
    figures.floorIssue = summarise(floor, [](const FrameSample& s) { return s.issueMs; });
    if (figures.frame.mean > 0.0) figures.fps = 1000.0 / figures.frame.mean;
    if (figures.frame.median > 0.0) figures.fpsAtMedian = 1000.0 / figures.frame.median;
    if (figures.floorFrame.mean > 0.0) figures.floorFps = 1000.0 / figures.floorFrame.mean;
    if (figures.floorFrame.median > 0.0) {
        figures.ratio = figures.frame.median / figures.floorFrame.median;
    }
    figures.peakKb = peakKb;
    computeMemory(figures, demo);
    return figures;
}

}  // namespace QuesselBench
