#pragma once
// Single-precision vectors (double where a scene's own coordinates need it) and column-major matrices with GLM's default conventions:
// element (column i, row j) of a mat4 is stored at float index 4*i + j.
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace Quessel {
using glm::dmat4;
using glm::dvec3;
using glm::mat4;
using glm::vec3;
using glm::vec4;
}  // namespace Quessel
