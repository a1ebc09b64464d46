#include "study/StudyFiles.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "core/ToolReport.h"
#include "math/Camera.h"
#include "paths/PathFile.h"
#include "paths/PlacedPath.h"
#include "study/FrameCoverage.h"
#include "study/Screenshot.h"
#include "study/ViewFile.h"

#include <fmt/format.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace Quessel::Study {

void StudyFiles::screenshot(double demoTime) const {
    std::string path;
    std::string error;
    if (Screenshot::save(demoTime, path, error))
        report.say("screenshot: " + path);
    else
        report.say("no screenshot: " + error);
}

void StudyFiles::savePath(const CameraPath::Script& drawn, double demoTime) const {
    // In the scene's own coordinates, as path files give them.
    const CameraPath::Script script = PlacedPath::inScene(drawn, demo.fitting().placement);
    const std::string folder = Screenshot::folder("paths");
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    std::string name = Screenshot::fileName(std::chrono::system_clock::now(), demoTime);
    name.replace(name.size() - 4, 4, ".json");
    std::string error;
    if (!made && PathFile::write(script, folder + "/" + name, error))
        report.say("path saved: " + folder + "/" + name);
    else
        report.say("no path saved: " + (made ? "cannot make " + folder + ": " + made.message() : error));
}

int StudyFiles::shot(const std::string& file, const std::array<unsigned char, 3>& cleared) const {
    const RgbImage window = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    const FrameCoverage coverage = FrameCoverage::of(RgbImage::readTexture(demo.depthTarget()), cleared,
                                                     RgbImage::readTexture(demo.colorTarget()));
    // Under a name of its own until whole, so that Ctrl-C leaves no picture and an earlier
    // one as it was.
    const std::string part = file + ".part";
    if (!window.savePng(part)) return report.fail("cannot write " + file + ": " + std::strerror(errno));
    if (ToolReport::stopSignal()) {
        std::remove(part.c_str());
        return report.interrupted("the shot");
    }
    if (std::rename(part.c_str(), file.c_str()) != 0) {
        const int reason = errno;
        std::remove(part.c_str());
        return report.fail("cannot write " + file + ": " + std::strerror(reason));
    }
    report.say(fmt::format("first frame: {}; the scene fills {:.1f} % of it, mean brightness there {:.0f} of 255", file,
                           coverage.share * 100.0, coverage.brightness));
    return 0;
}

int StudyFiles::saveView(const std::string& file) const {
    const Camera& camera = demo.camera();
    const SceneFitting& fitting = demo.fitting();
    const Placement& placement = fitting.placement;
    // Saved in the scene's own coordinates, as path files give them: a placed scene's camera,
    // planes and box are taken back from where it is drawn.
    const mat4 eye = glm::inverse(camera.view);
    const vec3 position = placement.toScene(vec3(eye[3]));
    const mat4 view = glm::lookAt(position, position - vec3(eye[2]), vec3(eye[1]));
    const auto length = [&](float drawn) { return static_cast<float>(placement.toScene(drawn)); };
    // Our own scene keeps the demo's planes, the shares of its courtyard's radius.
    const float nearPlane = length(fitting.nearPlane());
    const float farPlane = length(fitting.farPlane());
    Bounds box;
    if (fitting.ownScale && !fitting.framing.bounds.empty()) {
        box.add(placement.toScene(fitting.framing.bounds.min));
        box.add(placement.toScene(fitting.framing.bounds.max));
    }
    const std::string text = ViewFile::text(view, camera.projection, nearPlane, farPlane, box);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return report.fail("cannot write " + file + ": " + std::strerror(errno));
    report.say("view saved: " + file);
    return 0;
}

}  // namespace Quessel::Study
