#include "harness/PathChoice.h"

#include "app/Demo.h"
#include "paths/PlacedPath.h"
#include "paths/Tour.h"

namespace Quessel {

bool PathChoice::namesFile(const std::string& choice) { return !choice.empty() && choice != "demo" && choice != "tour"; }

CameraPath::Script PathChoice::made(const std::string& choice, const DemoView& demo) {
    const SceneFitting& fitting = demo.fitting();
    // The demo's path gives points in the scene's own coordinates.
    if (choice == "demo" || (choice.empty() && !demo.scene().brought))
        return PlacedPath::drawn(CameraPath::Script::demo(), fitting.placement);
    return tour(demo);
}

CameraPath::Script PathChoice::tour(const DemoView& demo) {
    const SceneFitting& fitting = demo.fitting();
    std::vector<Tour::Stop> stops;
    for (const ObjectExtent& object : fitting.objects) stops.push_back({object.centre, object.radius});
    return Tour::make(fitting.framing, stops);
}

}  // namespace Quessel
