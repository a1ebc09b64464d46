// quessel-study: the demo's own start-up, set-up and frames with a pause, a single step,
// a free camera, the off-screen targets and cube maps on screen, shader reloading,
// screenshots and an overlay.
#include "harness/DemoHost.h"
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

    int status = 0;
    const std::unique_ptr<DemoHost> host = DemoHost::openForTool(
        report, DemoScene::forTool(options.scene, options.mirrors, options.glass, options.look), options.path, status);
    if (!host) return status;
    Demo& demo = host->demo();

    // Made after the demo and so ended before it: the overlay's GL and GLFW calls run
    // while both still live.
    StudySession session(demo, report);
    if (const int ended = session.startAt(options.start); ended >= 0) return ended;
    if (!options.shot.empty() || !options.view.empty()) return session.shoot(options.shot, options.view);
    return session.run();
}
