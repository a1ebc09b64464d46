#include "look/BackgroundChoice.h"

#include <cctype>

namespace Quessel {

std::optional<BackgroundChoice> BackgroundChoice::parse(const std::string& text, std::string& error) {
    BackgroundChoice choice;
    if (text == "sky") {
        choice.kind = Kind::Sky;
        return choice;
    }
    if (text == "grey" || text == "gray") return choice;
    bool hex = text.size() == 7 && text[0] == '#';
    for (size_t i = 1; hex && i < text.size(); ++i) hex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    if (!hex) {
        error = "background '" + text + "' is none of sky, grey or #RRGGBB";
        return std::nullopt;
    }
    for (int c = 0; c < 3; ++c)
        choice.color[c] = static_cast<float>(std::stoi(text.substr(1 + 2 * c, 2), nullptr, 16)) / 255.0f;
    return choice;
}

}  // namespace Quessel
