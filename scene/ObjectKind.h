#pragma once

namespace Quessel {

// The roles a scene node can play; selects IScene's node and object lists.
enum class ObjectKind : int { All = 0, Reflective = 1, Refractive = 2, Other = 3, Light = 4 };
constexpr int ObjectKindCount = 5;

}  // namespace Quessel
