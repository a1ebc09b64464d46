#pragma once
#include "math/MathTypes.h"

#include <optional>
#include <string>

namespace Quessel {

// What shows behind a brought scene: its environment ("sky"), the viewers' neutral grey
// ("grey", the default) or a colour given as #RRGGBB. Plain colours are shown as given.
struct BackgroundChoice {
    enum class Kind { Sky, Color };

    Kind kind = Kind::Color;
    // sRGB-encoded, 0 to 1.
    vec3 color{0.5f};

    // Nothing, with `error` saying what is accepted, for any other text.
    static std::optional<BackgroundChoice> parse(const std::string& text, std::string& error);
};

}  // namespace Quessel
