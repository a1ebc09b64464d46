#include "study/ComposedFrame.h"

#include "app/Demo.h"
#include "app/FrameDriver.h"
#include "core/GlConstants.h"
#include "math/Camera.h"
#include "scene/Importer.h"
#include "study/FreeCamera.h"

#include <GLFW/glfw3.h>

namespace Quessel::Study {

ComposedFrame::ComposedFrame(FrameDriver& driver) : driver(driver) {}

template <typename Work>
void ComposedFrame::timed(Pass pass, Work work) {
    // Whoever the driver has the demo tell about its passes (the overlay's timer).
    IPassObserver* observer = driver.demo.observer;
    if (observer) observer->beginPass(pass);
    work();
    if (observer) observer->endPass(pass);
}

void ComposedFrame::draw(double step, const FreeCamera* flight) {
    Demo& demo = driver.demo;
    if (flight)
        flight->apply(demo.camera);
    else
        demo.camera.previousView = demo.camera.view;  // held: nothing moved since the last frame
    if (step > 0.0) {
        driver.clock += step;
        glfwSetTime(driver.clock);
        timed(Pass::Camera, [&] { demo.importer->animateLight(step); });
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (step > 0.0) timed(Pass::EnvironmentMap, [&] { demo.refreshEnvironmentMap(step); });
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    timed(Pass::Main, [&] { demo.mainPass(); });
    timed(Pass::Reflect, [&] { demo.reflectPass(); });
    timed(Pass::Refract, [&] { demo.refractPass(); });
    // The particle pass takes the driver's clock: held, the smoke moves by nothing.
    timed(Pass::Particles, [&] { demo.particlePass(); });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    timed(Pass::Depth, [&] { demo.depthPass(); });
    timed(Pass::Composite, [&] { demo.motionBlurPass(CompositeStep); });
}

}  // namespace Quessel::Study
