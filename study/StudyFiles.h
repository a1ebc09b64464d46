#pragma once
#include "app/Demo.h"
#include "paths/CameraPath.h"

#include <array>
#include <string>

namespace Quessel {
class ToolReport;
}

namespace Quessel::Study {

// What the study tool writes: screenshots (F12), paths (F6), a shot's picture and the view
// file of its camera. Each says what it wrote, or why not.
class StudyFiles {
public:
    StudyFiles(DemoView demo, const ToolReport& report) : demo(demo), report(report) {}

    // The window as drawn, into the screenshot folder, named after the time.
    void screenshot(double demoTime) const;
    // A path, in the scene's own coordinates, into the paths folder.
    void savePath(const CameraPath::Script& script, double demoTime) const;
    // The last frame's camera as a view file (ViewFile); the exit status.
    int saveView(const std::string& file) const;
    // The window just drawn as a PNG, whole or not at all, with the share of it the scene
    // fills and how bright it is there, told apart from the colour `cleared` (the depth
    // target's clear); the exit status.
    int shot(const std::string& file, const std::array<unsigned char, 3>& cleared) const;

private:
    DemoView demo;
    const ToolReport& report;
};

}  // namespace Quessel::Study
