// quessel-study: the demo's own start-up, set-up and frames with a pause, a single step,
// a free camera, the off-screen targets and cube maps on screen, shader reloading,
// screenshots and an overlay.
#include "app/DemoHost.h"
#include "core/ToolReport.h"
#include "study/StudyOptions.h"
#include "study/StudySession.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    using namespace Quessel;
    using namespace Quessel::Study;
    const ToolReport report("quessel-study");
    StudyOptions options;
    std::string text;
    switch (StudyOptions::parse(argc, argv, options, text)) {
    case StudyOptions::Outcome::Help: std::fputs(text.c_str(), stdout); return 0;
    case StudyOptions::Outcome::Bad: return report.badOptions(text);
    case StudyOptions::Outcome::Run: break;
    }
    ToolReport::catchStopSignals();

    DemoScene scene;
    if (!options.scene.empty()) {
        scene.path = options.scene;
        // Its images beside it first, then where the demo finds its own.
        scene.imageFolders = {std::filesystem::path(options.scene).parent_path().string()};
    }
    std::string error;
    const std::unique_ptr<DemoHost> host = DemoHost::open(scene, error);
    if (!host) return report.fail(error);
    // Made after the demo and so ended before it: the overlay's GL and GLFW calls run
    // while both still live.
    StudySession session(host->demo(), report);
    session.startAt(options.start);
    return options.overlayCost > 0 ? session.measureOverlay(options.overlayCost) : session.run();
}
