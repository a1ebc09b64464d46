#include "harness/PassTimer.h"

namespace Quessel {

PassTimer::PassTimer(bool synchronous) : synchronous(synchronous) { glGenQueries(PassCount, queries.data()); }

void PassTimer::beginPass(Pass pass) {
    const int index = static_cast<int>(pass);
    // A second open GL_TIME_ELAPSED query would be an error, so a nested pass goes untimed.
    if (hasGpuTime(pass) && !queryOpen) {
        glBeginQuery(GL_TIME_ELAPSED, queries[index]);
        issued[index] = true;
        queryOpen = true;
    }
    begun[index] = Clock::now();
}

void PassTimer::endPass(Pass pass) {
    const int index = static_cast<int>(pass);
    if (synchronous) glFinish();
    cpuMs[index] += std::chrono::duration<double, std::milli>(Clock::now() - begun[index]).count();
    if (issued[index] && queryOpen) {
        glEndQuery(GL_TIME_ELAPSED);
        queryOpen = false;
    }
}

PassTimer::Times PassTimer::collect() {
    Times times;
    for (int index = 0; index < PassCount; ++index) {
        times.cpuMs[index] = cpuMs[index];
        if (issued[index]) {
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(queries[index], GL_QUERY_RESULT, &nanoseconds);
            times.gpuMs[index] = static_cast<double>(nanoseconds) * 1e-6;
        }
        issued[index] = false;
        cpuMs[index] = 0.0;
    }
    return times;
}

}  // namespace Quessel
