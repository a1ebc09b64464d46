// quessel-study: the demo's own start-up, set-up and frames with a pause, a single step,
// a free camera, the off-screen targets and cube maps on screen, shader reloading,
// screenshots and an overlay.
#include "harness/DemoHost.h"
#include "app/Demo.h"
#include "core/ToolReport.h"
#include "fit/NodeTree.h"
#include "study/StudyOptions.h"
#include "study/StudySession.h"

#include <algorithm>
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
    const SceneFitting& fitting = demo.view().fitting();
    if (options.list) {
        std::printf("nodes:\n%s", NodeTree::text(fitting.nodes).c_str());
        std::printf("cameras:%s\n", fitting.cameras.empty() ? " none" : "");
        for (const FileCamera& camera : fitting.cameras) {
            const vec3 at = fitting.placement.toScene(camera.position);
            std::printf("  \"%s\" at (%g, %g, %g) looking (%.3g, %.3g, %.3g)\n", camera.name.c_str(), at.x, at.y, at.z,
                        camera.direction.x, camera.direction.y, camera.direction.z);
        }
        std::fflush(stdout);
        return 0;
    }
    if (!options.camera.empty()) {
        const auto named = std::find_if(fitting.cameras.begin(), fitting.cameras.end(),
                                        [&](const FileCamera& camera) { return camera.name == options.camera; });
        if (named == fitting.cameras.end()) {
            std::string names;
            for (const FileCamera& camera : fitting.cameras) names += (names.empty() ? "\"" : ", \"") + camera.name + "\"";
            return report.badOptions("--camera: the scene has no camera named \"" + options.camera + "\"; its cameras: " +
                                     (names.empty() ? "none" : names));
        }
        // Held at the camera, as a view file holds its view.
        CameraPath::Script held{named->position, named->position + named->direction, {}};
        held.add(CameraPath::Kind::Hold, 10.0f);
        demo.play(held);
        report.say("starting at the file's camera \"" + named->name + "\"");
    }

    std::optional<DemoScene> next;
    {
        // Made after the demo and so ended before it: the overlay's GL and GLFW calls run
        // while both still live.
        StudySession session(demo, report);
        if (const int ended = session.startAt(options.start); ended >= 0) return ended;
        if (!options.shot.empty() || !options.view.empty()) return session.shoot(options.shot, options.view);
        const int ended = session.run();
        if (!session.next()) return ended;
        next = session.next();
    }
    // Another scene (a file dropped on the window) or this one with other mirrors opens in
    // its place; one that cannot be set up after all gives the window back to the one before.
    for (DemoScene previous = demo.view().scene();;) {
        if (!host->reopen(report, *next)) {
            if (!host->reopen(report, previous)) return report.fail("the scene open before cannot be set up again");
            next = previous;
        }
        StudySession session(host->demo(), report);
        const int ended = session.run();
        if (!session.next()) return ended;
        previous = *next;
        next = session.next();
    }
}
