#pragma once
#include "scene/LightRecord.h"
#include "scene/SceneryObject.h"

#include <memory>

namespace Quessel {

// A light node; its record follows the node's local translation on every update.
class LightObject : public SceneryObject {
public:
    explicit LightObject(aiNode* node);

    bool update(double dt) override;

    std::unique_ptr<LightRecord> record;
};

}  // namespace Quessel
