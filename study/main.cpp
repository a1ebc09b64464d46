// quessel-study: the demo's own start-up, set-up and frames with a pause, a single step,
// a free camera, the off-screen targets and cube maps on screen, shader reloading,
// screenshots and an overlay.
#include "app/DemoHost.h"
#include "core/ToolReport.h"
#include "study/StudyOptions.h"
#include "study/StudySession.h"

#include <cstdio>

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

    // Start-up and the import cannot stop part-way: Ctrl-C ends them at once.
    report.endAtOnceOnStop("start-up");
    SetupFailure failure;
    const std::unique_ptr<DemoHost> host =
        DemoHost::open(DemoScene::forTool(options.scene, options.mirrors, options.glass), failure);
    if (!host)
        return failure.status == ToolReport::BadOptions ? report.badOptions(failure.message)
                                                        : report.fail(failure.message);
    ToolReport::catchStopSignals();
    Demo& demo = host->demo();
    for (const std::string& note : demo.notes()) report.say(note);
    std::string error;
    const auto path = demo.pathFor(options.path, error);
    if (!path) return report.badOptions("--path: " + error);
    if (!options.path.empty() || options.scene.size()) demo.play(*path);

    // Made after the demo and so ended before it: the overlay's GL and GLFW calls run
    // while both still live.
    StudySession session(demo, report);
    if (const int ended = session.startAt(options.start); ended >= 0) return ended;
    if (!options.shot.empty()) return session.shoot(options.shot);
    return options.overlayCost > 0 ? session.measureOverlay(options.overlayCost) : session.run();
}
