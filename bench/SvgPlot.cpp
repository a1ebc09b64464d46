#include "bench/SvgPlot.h"
#include "bench/TextFormat.h"

#include "app/CameraPath.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace Quessel::Bench {

namespace {
constexpr double Width = 1100.0;
constexpr double Height = 540.0;
constexpr double Left = 70.0;
constexpr double Right = 800.0;
constexpr double Top = 66.0;
constexpr double Bottom = 480.0;

const char* const PassColours[PassCount] = {"#999999", "#4e79a7", "#f28e2b", "#e15759",
                                            "#76b7b2", "#59a14f", "#edc948", "#b07aa1"};
const char* const PathColours[3] = {"#e3ecfa", "#fbecd5", "#f1f1f1"};

std::string escape(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (c == '"')
            escaped += "&quot;";
        else
            escaped += c;
    }
    return escaped;
}

// 1, 2 or 5 times a power of ten, giving four to ten ticks up to `range`.
double niceTick(double range) {
    const double rough = range / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= rough) return factor * power;
    return 10.0 * power;
}

double stackedGpu(const FrameSample& sample) {
    double sum = 0.0;
    for (int index = 0; index < PassCount; ++index) sum += sample.gpuMs[index];
    return sum;
}

int pathKind(int step) {
    if (step < 0 || step >= Quessel::CameraPath::StepCount) return -1;
    return static_cast<int>(Quessel::CameraPath::steps[step].kind);
}
}  // namespace

SvgPlot::SvgPlot(const std::vector<FrameSample>& samples, const BenchFigures& figures) : figures(figures) {
    for (const FrameSample& sample : samples) {
        if (sample.kind == FrameKind::Demo) demo.push_back(sample);
        if (sample.kind == FrameKind::Required) required.push_back(sample);
        if (sample.kind == FrameKind::Floor) {
            floor.push_back(sample);
            if (floorPerBlock.size() <= static_cast<std::size_t>(sample.block)) floorPerBlock.resize(sample.block + 1);
            ++floorPerBlock[sample.block];
        }
    }
    slots = static_cast<double>(std::max<std::size_t>({demo.size(), required.size(), 1}));
    double highest = std::max(BenchFigures::RequiredGoal * figures.required.frame.median,
                              BenchFigures::FloorGoal * figures.floorFrame.median);
    for (const FrameSample& sample : samples)
        highest = std::max({highest, sample.frameMs, sample.kind == FrameKind::Demo ? sample.issueMs : 0.0,
                            sample.kind == FrameKind::Demo ? stackedGpu(sample) : 0.0});
    if (!(highest > 0.0)) highest = 1.0;
    tick = niceTick(highest * 1.05);
    top = tick * std::ceil(highest * 1.05 / tick);
}

double SvgPlot::slotOf(const FrameSample& sample) const {
    const double start = static_cast<double>(sample.block * figures.options.block);
    if (sample.kind != FrameKind::Floor) return start + sample.inBlock;
    // The block's width is that of its scene frames (the last block may be shorter).
    const double width = std::min(static_cast<double>(figures.options.block), slots - start);
    const double count = static_cast<double>(std::max(floorPerBlock[sample.block], 1));
    return start + (sample.inBlock + 0.5) * width / count - 0.5;
}

double SvgPlot::x(double slot) const { return Left + (slot + 0.5) * (Right - Left) / slots; }

double SvgPlot::y(double milliseconds) const { return Bottom - milliseconds / top * (Bottom - Top); }

std::string SvgPlot::pathBands() const {
    std::string svg = "<g id=\"path-rows\">\n";
    const double slot = (Right - Left) / slots;
    std::size_t begin = 0;
    while (begin < demo.size()) {
        std::size_t end = begin;
        while (end < demo.size() && demo[end].pathStep == demo[begin].pathStep) ++end;
        const int kind = pathKind(demo[begin].pathStep);
        if (kind >= 0) {
            const double left = Left + static_cast<double>(begin) * slot;
            const double width = static_cast<double>(end - begin) * slot;
            svg += format("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"%s\"/>\n", left, Top,
                          width, Bottom - Top, PathColours[kind]);
            if (width > 24.0)
                svg += format(
                    "<text x=\"%.1f\" y=\"%.1f\" font-size=\"11\" text-anchor=\"middle\" "
                    "fill=\"#555\">%s</text>\n",
                    left + width / 2.0, Top - 4.0, BenchFigures::pathKindName(kind));
        }
        begin = end;
    }
    return svg + "</g>\n";
}

std::string SvgPlot::axes() const {
    std::string svg = "<g id=\"axes\" font-size=\"11\" fill=\"#333\">\n";
    for (double value = 0.0; value <= top + 1e-9; value += tick) {
        svg += format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#ccc\" stroke-width=\"0.5\"/>\n",
                      Left, y(value), Right, y(value));
        svg += format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%g</text>\n", Left - 6.0, y(value) + 4.0, value);
    }
    const std::size_t count = static_cast<std::size_t>(slots);
    const std::size_t every = std::max<std::size_t>(1, static_cast<std::size_t>(niceTick(slots)));
    for (std::size_t frame = 0; frame < count; frame += every)
        svg += format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%zu</text>\n", x(static_cast<double>(frame)),
                      Bottom + 16.0, frame);
    svg += format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#333\"/>\n", Left, Bottom, Right,
                  Bottom);
    svg += format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#333\"/>\n", Left, Top, Left, Bottom);
    svg += format(
        "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">frame of each kind (blocks of %d in turn; "
        "scene frames %.3f s apart in simulated time from t = %.1f s)</text>\n",
        (Left + Right) / 2.0, Bottom + 36.0, figures.options.block, figures.options.step, figures.info.startSeconds);
    svg += format("<text transform=\"translate(%.1f %.1f) rotate(-90)\" text-anchor=\"middle\">milliseconds</text>\n",
                  Left - 48.0, (Top + Bottom) / 2.0);
    return svg + "</g>\n";
}

std::string SvgPlot::stackedPasses() const {
    std::string svg = "<g id=\"passes\" fill-opacity=\"0.85\">\n";
    std::vector<double> below(demo.size(), 0.0);
    for (int index = 0; index < PassCount; ++index) {
        if (!hasGpuTime(passAt(index)) || demo.empty()) continue;
        std::vector<double> above(below);
        for (std::size_t i = 0; i < demo.size(); ++i) above[i] += demo[i].gpuMs[index];
        std::string points;
        for (std::size_t i = 0; i < demo.size(); ++i) points += format("%.1f,%.2f ", x(slotOf(demo[i])), y(above[i]));
        for (std::size_t i = demo.size(); i-- > 0;) points += format("%.1f,%.2f ", x(slotOf(demo[i])), y(below[i]));
        svg += format("<polygon id=\"pass-%s\" fill=\"%s\" points=\"", passName(passAt(index)), PassColours[index]) +
               points + "\"/>\n";
        below = above;
    }
    return svg + "</g>\n";
}

std::string SvgPlot::lines() const {
    // Each series over a white halo, so it reads over the stacked passes.
    const auto polyline = [this](const char* id, const char* style, const std::vector<FrameSample>& series,
                                 bool issue) {
        std::string points;
        for (const FrameSample& sample : series)
            points += format("%.1f,%.2f ", x(slotOf(sample)), y(issue ? sample.issueMs : sample.frameMs));
        const std::string halo =
            issue ? "" : "<polyline stroke=\"#fff\" stroke-width=\"3.4\" points=\"" + points + "\"/>\n";
        return halo + format("<polyline id=\"%s\" %s points=\"", id, style) + points + "\"/>\n";
    };
    std::string svg = "<g id=\"lines\" fill=\"none\">\n";
    svg += polyline("frame-time", "stroke=\"#000\" stroke-width=\"1.4\"", demo, false);
    svg += polyline("cpu-issue", "stroke=\"#555\" stroke-width=\"1\" stroke-dasharray=\"4 2\"", demo, true);
    svg += polyline("required-frame-time", "stroke=\"#00873c\" stroke-width=\"1.4\"", required, false);
    svg += polyline("floor-frame-time", "stroke=\"#c00\" stroke-width=\"1.2\"", floor, false);
    const double requiredGoal = BenchFigures::RequiredGoal * figures.required.frame.median;
    svg += format(
        "<line id=\"goal\" x1=\"%.1f\" y1=\"%.2f\" x2=\"%.1f\" y2=\"%.2f\" stroke=\"#00873c\" "
        "stroke-dasharray=\"2 3\"/>\n",
        Left, y(requiredGoal), Right, y(requiredGoal));
    const double floorGoal = BenchFigures::FloorGoal * figures.floorFrame.median;
    svg += format(
        "<line id=\"floor-goal\" x1=\"%.1f\" y1=\"%.2f\" x2=\"%.1f\" y2=\"%.2f\" stroke=\"#c00\" "
        "stroke-dasharray=\"2 3\"/>\n",
        Left, y(floorGoal), Right, y(floorGoal));
    return svg + "</g>\n";
}

std::string SvgPlot::legend() const {
    std::string svg = "<g id=\"legend\" font-size=\"12\" fill=\"#222\">\n";
    double row = Top + 6.0;
    const double left = Right + 20.0;
    const auto entry = [&](const std::string& swatch, const std::string& label) {
        svg += swatch + format("<text x=\"%.1f\" y=\"%.1f\">", left + 26.0, row + 4.0) + escape(label) + "</text>\n";
        row += 20.0;
    };
    const auto line = [&](const char* colour, const char* dash) {
        return format(
            "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"1.4\" "
            "stroke-dasharray=\"%s\"/>",
            left, row, left + 20.0, row, colour, dash);
    };
    entry(line("#000", "none"), format("demo frame, median %.1f ms", figures.demo.frame.median));
    entry(line("#555", "4 2"), format("demo CPU issue, median %.1f ms", figures.demo.issue.median));
    entry(line("#00873c", "none"), format("required work, median %.1f ms", figures.required.frame.median));
    entry(line("#c00", "none"), format("floor frame, median %.1f ms", figures.floorFrame.median));
    entry(line("#00873c", "2 3"), format("goal, %.0f x required work", BenchFigures::RequiredGoal));
    entry(line("#c00", "2 3"), format("goal, %.0f x floor", BenchFigures::FloorGoal));
    row += 8.0;
    svg += format("<text x=\"%.1f\" y=\"%.1f\">demo GPU time per pass (stacked):</text>\n", left, row);
    row += 18.0;
    for (int index = PassCount - 1; index >= 0; --index) {
        if (!hasGpuTime(passAt(index))) continue;
        entry(format("<rect x=\"%.1f\" y=\"%.1f\" width=\"20\" height=\"10\" fill=\"%s\"/>", left, row - 5.0,
                     PassColours[index]),
              format("%s %.1f ms", passName(passAt(index)), figures.demo.gpu[index].median));
    }
    row += 8.0;
    for (int kind = 0; kind < 3; ++kind)
        entry(format("<rect x=\"%.1f\" y=\"%.1f\" width=\"20\" height=\"10\" fill=\"%s\" stroke=\"#bbb\"/>", left,
                     row - 5.0, PathColours[kind]),
              std::string("camera path (demo frames): ") + BenchFigures::pathKindName(kind));
    return svg + "</g>\n";
}

std::string SvgPlot::document() const {
    std::string svg = format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
        "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\">\n",
        Width, Height, Width, Height);
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg += format("<text x=\"%.1f\" y=\"22\" font-size=\"15\">", Left) +
           escape(format("quessel-bench: demo %.1f ms, required work %.1f ms, floor %.1f ms (medians)",
                         figures.demo.frame.median, figures.required.frame.median, figures.floorFrame.median)) +
           "</text>\n";
    svg += format("<text x=\"%.1f\" y=\"42\" font-size=\"13\">", Left) +
           escape(format("demo / required work %.2f, environment-map refresh / its required work %.2f, "
                         "demo / floor %.2f",
                         figures.ratioToRequired, figures.environmentMapToRequired, figures.ratio)) +
           "</text>\n";
    svg += format("<text x=\"%.1f\" y=\"%.1f\" font-size=\"11\" fill=\"#555\">", Left, Height - 10.0) +
           escape(figures.info.renderer + ", " +
                  format("%d x %d, %d samples", figures.info.width, figures.info.height, figures.info.samples)) +
           "</text>\n";
    svg += pathBands() + axes() + stackedPasses() + lines() + legend();
    return svg + "</svg>\n";
}

bool SvgPlot::write(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "quessel-bench: cannot write %s\n", path.c_str());
        return false;
    }
    const std::string text = document();
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace Quessel::Bench
