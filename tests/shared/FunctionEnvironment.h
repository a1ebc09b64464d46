#pragma once
// An environment given by a function of the direction, for tests that know what it holds.
#include "look/IEnvironment.h"

#include <functional>
#include <utility>

namespace Quessel::Test {

class FunctionEnvironment : public IEnvironment {
public:
    explicit FunctionEnvironment(std::function<vec3(const vec3&)> radiance, int size = 64)
        : function(std::move(radiance)), size(size) {}
    vec3 radiance(const vec3& direction) const override { return function(direction); }
    std::string name() const override { return "function"; }
    int faceSize() const override { return size; }

private:
    std::function<vec3(const vec3&)> function;
    int size;
};

}  // namespace Quessel::Test
