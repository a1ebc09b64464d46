#include "paths/PathFile.h"

#include "paths/PathRules.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

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
    if (auto problem = PathRules::secondsProblem(found->get<double>())) throw Refused{*problem};
    return found->get<float>();
}

CameraPath::Row readRow(const json& row) {
    if (!row.is_object()) throw Refused{"not an object"};
    const auto kind = row.find("kind");
    if (kind == row.end() || !kind->is_string()) throw Refused{"no \"kind\""};
    CameraPath::Row step{Kind::Hold, readSeconds(row), vec3(0.0f), vec3(0.0f), 0};
    const std::string name = kind->get<std::string>();
    if (name == "hold") return step;
    if (name != "move" && name != "turn") throw Refused{"unknown kind \"" + name + "\" (move, turn or hold)"};
    step.kind = name == "move" ? Kind::Move : Kind::Turn;
    step.from = readPoint(row, "from");
    step.to = readPoint(row, "to");
    if (step.kind == Kind::Move) {
        step.aimed = row.contains("looking_at");
        if (step.aimed) step.target = readPoint(row, "looking_at");
        // A move to the point it looks at looks where it goes, which it does all the way
        // but for its last frame, where it would look nowhere.
        if (PathRules::endsOnTarget(step)) step.aimed = false;
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
// The text with each number outside a string that overflows a double made a string
// (TooLarge), which the parser would otherwise refuse without saying where.
std::string tooLargeMarked(const std::string& text) {
    std::string marked;
    marked.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const char c = text[at];
        size_t end = at + 1;
        if (c == '"') {
            while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, text.size());
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            end = text.find_first_not_of("0123456789+-.eE", at);
            if (end == std::string::npos) end = text.size();
            const std::string number = text.substr(at, end - at);
            char* stop = nullptr;
            const double value = std::strtod(number.c_str(), &stop);
            if (stop == number.c_str() + number.size() && std::isinf(value)) {
                marked += json(TooLarge).dump();
                at = end;
                continue;
            }
        }
        marked.append(text, at, end - at);
        at = end;
    }
    return marked;
}

std::optional<json> parsed(const std::string& text, std::string& error) {
    try {
        return json::parse(tooLargeMarked(text));
    } catch (const json::exception& problem) {
        error = std::string("not JSON: ") + problem.what();
        return std::nullopt;
    }
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
        // Counted before they are read: a long list takes long.
        if (auto problem = PathRules::rowsProblem(rows->size())) throw Refused{*problem};
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
    if (const auto problem = PathRules::check(script)) {
        error = problem->text();
        return std::nullopt;
    }
    return script;
}

std::optional<CameraPath::Script> PathFile::read(const std::string& file, std::string& error) {
    std::string text;
    if (!readText(file, text, error)) return std::nullopt;
    const auto script = parse(text, error);
    if (!script) error = file + ": " + error;
    return script;
}

bool PathFile::readText(const std::string& file, std::string& text, std::string& error) {
    error.clear();
    // Not blocking: a FIFO is refused below instead of waiting for a writer.
    const int in = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        error = "cannot read " + file + ": " + std::strerror(errno);
        return false;
    }
    const auto limit = [&file](double megabytes) {
        return fmt::format("{} is {}larger than the {} MB a path file may be", file,
                           megabytes > 0.0 ? fmt::format("{:.1f} MB, ", megabytes) : "",
                           PathRules::MaxFileBytes / 1000000);
    };
    struct stat status {};
    if (fstat(in, &status) != 0)
        error = "cannot read " + file + ": " + std::strerror(errno);
    else if (!S_ISREG(status.st_mode))
        error = file + " is not a regular file (a path file is JSON text)";
    else if (static_cast<std::uintmax_t>(status.st_size) > PathRules::MaxFileBytes)
        error = limit(status.st_size / 1e6);
    // One byte more than a file may hold tells one that grew since.
    text.resize(PathRules::MaxFileBytes + 1);
    size_t size = 0;
    while (error.empty() && size < text.size()) {
        const ssize_t got = ::read(in, &text[size], text.size() - size);
        if (got > 0)
            size += static_cast<size_t>(got);
        else if (got == 0)
            break;
        else if (errno != EINTR)
            error = "cannot read " + file + ": " + std::strerror(errno);
    }
    close(in);
    text.resize(size);
    if (error.empty() && size > PathRules::MaxFileBytes) error = limit(0.0);
    if (error.empty() && size == 0)
        error = file + " is empty (a path file is JSON text, as quessel-study's F6 saves it)";
    return error.empty();
}

std::string PathFile::text(const CameraPath::Script& script) {
    // A row a line, each in the order it is read: kind, seconds, the points.
    using Ordered = nlohmann::ordered_json;
    const auto point = [](const vec3& v) { return Ordered::array({v.x, v.y, v.z}); };
    std::string text = "{\n  \"start\": " +
                       Ordered{{"position", point(script.start)}, {"looking_at", point(script.startTarget)}}.dump() +
                       ",\n  \"rows\": [\n";
    for (size_t i = 0; i < script.rows.size(); ++i) {
        const CameraPath::Row& step = script.rows[i];
        Ordered row = {{"kind", kindName(step.kind)}, {"seconds", step.duration}};
        if (step.kind != Kind::Hold) {
            row["from"] = point(step.from);
            row["to"] = point(step.to);
        }
        if (step.kind == Kind::Move && step.aimed) row["looking_at"] = point(step.target);
        text += "    " + row.dump() + (i + 1 < script.rows.size() ? ",\n" : "\n");
    }
    return text + "  ]\n}\n";
}

bool PathFile::write(const CameraPath::Script& script, const std::string& file, std::string& error) {
    // Only what the reader takes back.
    if (const auto problem = PathRules::check(script)) {
        error = "cannot write " + file + ": the path is not one the camera can fly: " + problem->text();
        return false;
    }
    const std::string written = text(script);
    if (written.size() > PathRules::MaxFileBytes) {
        error = fmt::format("cannot write {}: the path takes {:.1f} MB, more than the {} MB a path file may be", file,
                            written.size() / 1e6, PathRules::MaxFileBytes / 1000000);
        return false;
    }
    // Written whole or not at all: a file of its own renamed into place.
    const std::string part = file + ".part";
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << written;
    out.close();
    if (!out || std::rename(part.c_str(), file.c_str()) != 0) {
        error = "cannot write " + file + ": " + std::strerror(errno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace Quessel
