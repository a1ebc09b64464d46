#include "bench/ViewCounts.h"

namespace Quessel::Bench {

void ViewCounts::beginPass(Pass pass) {
    before = view.lookDraws();
    next.beginPass(pass);
}

void ViewCounts::endPass(Pass pass) {
    next.endPass(pass);
    const DrawStats drawn = view.lookDraws() - before;
    if (pass == Pass::Main) main += drawn;
    if (pass == Pass::EnvironmentMap) faces += drawn;
}

}  // namespace Quessel::Bench
