#pragma once
#include "app/Demo.h"
#include "app/IPassObserver.h"
#include "look/DrawStats.h"

namespace Quessel::Bench {

// Passes a frame's pass ends on to another observer and counts, from the look's running
// total, what the main pass and the cube-map faces drew of a brought scene (nothing for a
// scene without a look).
class ViewCounts : public IPassObserver {
public:
    ViewCounts(DemoView view, IPassObserver& next) : view(view), next(next) {}

    void beginPass(Pass pass) override;
    void endPass(Pass pass) override;

    DrawStats main, faces;

private:
    DemoView view;
    IPassObserver& next;
    DrawStats before;
};

}  // namespace Quessel::Bench
