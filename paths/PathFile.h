#pragma once
#include "paths/CameraPath.h"

#include <optional>
#include <string>

namespace Quessel {

// A camera path as a small JSON file: where it starts and its rows in order, each a move
// to a point (looking the way it goes, or at a point), a turn to a direction, or a hold,
// each over its seconds; the last row leads back to the first. Written a row a line:
//
//   {
//     "start": {"position": [8.87, 9.35, 19.19], "looking_at": [1.17, 4.86, 7.78]},
//     "rows": [
//       {"kind": "move", "seconds": 5, "from": [8.87, 9.35, 19.19], "to": [1.17, 4.86, 7.78]},
//       {"kind": "hold", "seconds": 12},
//       {"kind": "turn", "seconds": 1, "from": [-0.54, -0.31, -0.79], "to": [-0.39, -0.36, 0.85]},
//       {"kind": "move", "seconds": 3, "from": [...], "to": [...], "looking_at": [0, 0, 0]}
//     ]
//   }
//
// Numbers are written so that reading them back gives the same floats. A file is a regular
// file of at most PathRules::MaxFileBytes, and its path one PathRules::check passes.
class PathFile {
public:
    // The path in a file; nothing, with `error` naming the row (from 1) and what is wrong
    // with it, when the file cannot be read or a row is not one the camera can fly.
    static std::optional<CameraPath::Script> read(const std::string& file, std::string& error);
    static std::optional<CameraPath::Script> parse(const std::string& text, std::string& error);
    // The whole text of a regular file within the size a path file may have; false with
    // the reason (it is empty, too large, not a regular file, cannot be read).
    static bool readText(const std::string& file, std::string& text, std::string& error);
    // False with the reason when the file cannot be written whole, or the path is not one
    // read() would take back.
    static bool write(const CameraPath::Script& script, const std::string& file, std::string& error);
    static std::string text(const CameraPath::Script& script);
};

}  // namespace Quessel
