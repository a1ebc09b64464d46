#include "app/PathFile.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace Quessel {

namespace {
using nlohmann::json;

// A number too large for JSON's doubles stops the parser without saying where; such numbers
// are read as this string instead, so that the row holding one is named.
const char* const TooLarge = "\x01too large";

using Kind = CameraPath::Kind;

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Move: return "move";
    case Kind::Turn: return "turn";
    case Kind::Hold: break;
    }
    return "hold";
}

json point(const vec3& v) { return json::array({v.x, v.y, v.z}); }

// What is wrong with a row, thrown with the row's place.
struct Refused {
    std::string reason;
};

vec3 readPoint(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) throw Refused{std::string("no \"") + key + "\""};
    if (!found->is_array() || found->size() != 3) throw Refused{std::string("\"") + key + "\" is not three numbers"};
    vec3 value;
    for (int i = 0; i < 3; ++i) {
        const json& number = (*found)[static_cast<size_t>(i)];
        if (number == TooLarge) throw Refused{std::string("\"") + key + "\" holds a number that is not finite"};
        if (!number.is_number()) throw Refused{std::string("\"") + key + "\" is not three numbers"};
        value[i] = number.get<float>();
        if (!std::isfinite(value[i])) throw Refused{std::string("\"") + key + "\" holds a number that is not finite"};
    }
    return value;
}

float readSeconds(const json& row) {
    const auto found = row.find("seconds");
    if (found != row.end() && *found == TooLarge) throw Refused{"\"seconds\" is not finite"};
    if (found == row.end() || !found->is_number()) throw Refused{"no \"seconds\" as a number"};
    const float seconds = found->get<float>();
    if (!std::isfinite(seconds)) throw Refused{"\"seconds\" is not finite"};
    if (!(seconds > 0.0f)) throw Refused{"\"seconds\" is " + found->dump() + ", not above 0"};
    return seconds;
}

CameraPath::Step readRow(const json& row) {
    if (!row.is_object()) throw Refused{"not an object"};
    const auto kind = row.find("kind");
    if (kind == row.end() || !kind->is_string()) throw Refused{"no \"kind\""};
    CameraPath::Step step{Kind::Hold, readSeconds(row), vec3(0.0f), vec3(0.0f), 0};
    const std::string name = kind->get<std::string>();
    if (name == "hold") return step;
    if (name != "move" && name != "turn") throw Refused{"unknown kind \"" + name + "\" (move, turn or hold)"};
    step.kind = name == "move" ? Kind::Move : Kind::Turn;
    step.from = readPoint(row, "from");
    step.to = readPoint(row, "to");
    if (step.kind == Kind::Move) {
        step.aimed = row.contains("looking_at");
        if (step.aimed) step.target = readPoint(row, "looking_at");
        // The camera looks the way it goes, which a move on the spot has not.
        if (step.from == step.to && !step.aimed) throw Refused{"a move from a point to the same point"};
        return step;
    }
    // A turn passes through every direction in between, which must never be none.
    const float fromLength = glm::length(step.from), toLength = glm::length(step.to);
    if (!(fromLength > 0.0f) || !(toLength > 0.0f)) throw Refused{"a turn from or to no direction"};
    if (glm::dot(step.from / fromLength, step.to / toLength) < -0.9999f)
        throw Refused{"a turn between opposite directions"};
    return step;
}
// The text with each number that overflows a double (its token as the parser quotes it)
// made a string; nothing when the text is not JSON for another reason.
std::optional<json> parsed(std::string text, std::string& error) {
    for (int tries = 0; tries < 64; ++tries) {
        try {
            return json::parse(text);
        } catch (const json::out_of_range& overflow) {
            const std::string what = overflow.what();
            const size_t open = what.find('\''), close = what.rfind('\'');
            const size_t at = open < close ? text.find(what.substr(open + 1, close - open - 1)) : std::string::npos;
            if (at == std::string::npos) {
                error = "not JSON: " + what;
                return std::nullopt;
            }
            text.replace(at, close - open - 1, json(TooLarge).dump());
        } catch (const json::exception& problem) {
            error = std::string("not JSON: ") + problem.what();
            return std::nullopt;
        }
    }
    error = "not JSON: too many numbers out of range";
    return std::nullopt;
}
}  // namespace

std::optional<CameraPath::Script> PathFile::parse(const std::string& text, std::string& error) {
    const std::optional<json> read = parsed(text, error);
    if (!read) return std::nullopt;
    const json& document = *read;
    CameraPath::Script script;
    std::string place = "the file";
    try {
        if (!document.is_object()) throw Refused{"not a JSON object"};
        place = "\"start\"";
        const auto start = document.find("start");
        if (start == document.end() || !start->is_object()) throw Refused{"missing"};
        script.start = readPoint(*start, "position");
        script.startTarget = readPoint(*start, "looking_at");
        if (script.start == script.startTarget) throw Refused{"looks at the point it stands on"};
        place = "\"rows\"";
        const auto rows = document.find("rows");
        if (rows == document.end() || !rows->is_array()) throw Refused{"missing or not a list"};
        for (size_t i = 0; i < rows->size(); ++i) {
            place = "row " + std::to_string(i + 1);
            script.rows.push_back(readRow((*rows)[i]));
            script.rows.back().next = static_cast<int>((i + 1) % rows->size());
        }
    } catch (const Refused& refused) {
        error = place + ": " + refused.reason;
        return std::nullopt;
    } catch (const json::exception& problem) {
        error = place + ": " + problem.what();
        return std::nullopt;
    }
    return script;
}

std::optional<CameraPath::Script> PathFile::read(const std::string& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        error = "cannot read " + file + ": " + std::strerror(errno);
        return std::nullopt;
    }
    const auto script = parse(text.str(), error);
    if (!script) error = file + ": " + error;
    return script;
}

std::string PathFile::text(const CameraPath::Script& script) {
    json rows = json::array();
    for (const CameraPath::Step& step : script.rows) {
        json row = {{"kind", kindName(step.kind)}, {"seconds", step.duration}};
        if (step.kind != Kind::Hold) {
            row["from"] = point(step.from);
            row["to"] = point(step.to);
        }
        if (step.kind == Kind::Move && step.aimed) row["looking_at"] = point(step.target);
        rows.push_back(row);
    }
    const json document = {{"start", {{"position", point(script.start)}, {"looking_at", point(script.startTarget)}}},
                           {"rows", rows}};
    return document.dump(2) + "\n";
}

bool PathFile::write(const CameraPath::Script& script, const std::string& file, std::string& error) {
    // Written whole or not at all: a file of its own renamed into place.
    const std::string part = file + ".part";
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << text(script);
    out.close();
    if (!out || std::rename(part.c_str(), file.c_str()) != 0) {
        error = "cannot write " + file + ": " + std::strerror(errno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace Quessel
