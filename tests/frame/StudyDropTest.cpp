// A file dropped on the study tool's window: refused before anything is taken down when it
// cannot open (the scene stays), else it ends the session and the host sets it up in the
// same window; a scene that fails set-up after all gives the window back to the one before.
#include "FrameDriver.h"
#include "TestScene.h"

#include "core/ToolReport.h"
#include "fit/DemoScene.h"
#include "harness/DemoHost.h"
#include "study/StudyInput.h"
#include "study/StudySession.h"

#include <fstream>

using namespace Quessel;

TEST(StudyDrop, ARefusedFileKeepsTheSceneAnOpenableOneReplacesItInTheSameWindow) {
    const Quessel::Test::ScratchDir dir;
    const std::string cube = (dir.path / "cube.obj").string();
    std::ofstream(cube) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 3 4\nf 1 4 2\nf 2 4 3\n";
    const std::string points = (dir.path / "points.obj").string();
    std::ofstream(points) << "v 0 0 0\nv 1 0 0\nv 0 1 0\np 1 2 3\n";
    const std::string text = (dir.path / "notes.txt").string();
    std::ofstream(text) << "not a scene";

    Quessel::Test::standardPrograms();
    SetupFailure failure;
    const auto host = DemoHost::openIn(Quessel::Test::glWindow(), DemoScene::forTool(cube, {}, {}), failure);
    ASSERT_TRUE(host) << failure.message;
    const ToolReport report("study-drop-test");
    GLFWwindow* window = host->demo().view().window();
    const auto drop = [window](const std::string& path) {
        const char* paths[] = {path.c_str()};
        Study::StudyInput::onDrop(window, 1, paths);
    };
    {
        Study::StudySession session(host->demo(), report);
        for (const std::string& refused : {text, (dir.path / "nowhere.obj").string()}) {
            drop(refused);
            EXPECT_FALSE(session.frame()) << refused;
            EXPECT_FALSE(session.next()) << refused;
        }
        drop(points);
        EXPECT_TRUE(session.frame());
        ASSERT_TRUE(session.next());
        EXPECT_EQ(session.next()->path, points);
        EXPECT_TRUE(session.next()->brought);
    }
    // Points only pass the checks before opening but not set-up: the cube comes back.
    EXPECT_FALSE(host->reopen(report, DemoScene::forTool(points, {}, {})));
    ASSERT_TRUE(host->reopen(report, DemoScene::forTool(cube, {}, {})));
    EXPECT_EQ(host->demo().view().scene().path, cube);
    EXPECT_EQ(host->demo().view().window(), window);
    EXPECT_TRUE(host->demo().view().fitting().ownScale);
    Quessel::FrameDriver driver(host->demo());
    driver.frame(1.0 / 30.0);
    EXPECT_EQ(host->demo().view().errorCount(), 0);
}

// What "copy the options" puts on the clipboard: the command line that opens the scene as
// it is, quoted for the shell.
TEST(StudyDrop, TheCopiedOptionsOpenTheSceneAsItIs) {
    DemoScene scene = DemoScene::forTool("/models/Bob's car.gltf", {"Visor"}, {"Bottle"});
    scene.ownLook = false;
    scene.background = "#102030";
    EXPECT_EQ(Study::StudySession::options(scene),
              "quessel-study --scene '/models/Bob'\\''s car.gltf' --mirror 'Visor' --glass 'Bottle' --look demo "
              "--background '#102030'");
    EXPECT_EQ(Study::StudySession::options(DemoScene::forTool("", {}, {})), "quessel-study");
}
