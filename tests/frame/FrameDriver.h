#pragma once
// The real set-up, then the product's frame driver: the real frame with chosen time steps
// and a simulated clock, so the same schedule renders the same frames. A GL error during a
// frame fails the test, naming the pass it came from.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"
#include "GlTestHelpers.h"
#include "app/Demo.h"
#include "harness/DemoHost.h"
#include "app/DemoParts.h"
#include "harness/FrameDriver.h"
#include "app/IPassObserver.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace Quessel::Test {

// Owns the demo the driver steps, set up by the tools' own start-up in the tests' window
// before the driver takes it.
struct SetUpDemo {
    SetUpDemo() {
        standardPrograms();  // the errors of building them are expected; set-up finds them built
        host = Quessel::DemoHost::openIn(glWindow(), {}, failure);
        ok = host != nullptr;
    }
    // Without a demo there is nothing to drive: the test ends with the reason.
    Quessel::Demo& ownDemo() {
        if (!host) throw std::runtime_error(failure.message);
        return host->demo();
    }
    Quessel::SetupFailure failure;
    std::unique_ptr<Quessel::DemoHost> host;
    bool ok = false;
};

// Names the running pass in GL error reports and hands the calls on to a test's observer.
struct PassNamer : Quessel::IPassObserver {
    Quessel::IPassObserver* next = nullptr;
    void beginPass(Quessel::Pass pass) override {
        setGlErrorContext(std::string("the ") + Quessel::passName(pass) + " pass");
        if (next) next->beginPass(pass);
    }
    void endPass(Quessel::Pass pass) override {
        if (next) next->endPass(pass);
        setGlErrorContext("");
    }
};

class FrameDriver : private SetUpDemo, public Quessel::FrameDriver {
public:
    FrameDriver() : SetUpDemo(), Quessel::FrameDriver(ownDemo()) { Quessel::FrameDriver::observe(&namer); }
    void observe(Quessel::IPassObserver* next) { namer.next = next; }
    using SetUpDemo::ok;

private:
    PassNamer namer;
};

}  // namespace Quessel::Test
