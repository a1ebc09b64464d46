#include "scene/LightRecord.h"

namespace Quessel {

LightRecord LightRecord::forLightObject() {
    LightRecord record;
    record.setFromTranslation(0.0f, 0.0f, 0.0f);
    return record;
}

void LightRecord::setFromTranslation(float x, float y, float z) {
    position[0] = x;
    position[1] = z;
    position[2] = -y;
    for (float& word : ones) word = 1.0f;
    for (float& word : factors) word = 0.01f;
}

}  // namespace Quessel
