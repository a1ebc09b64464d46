#include "study/PathDraft.h"

#include "study/FreeCamera.h"

#include <cmath>

namespace Quessel::Study {

namespace {
using Kind = CameraPath::Kind;
constexpr float SameDirection = 0.99999f;
// How far ahead a move up or down looks, in lengths of the move.
constexpr float AheadOfSteepMoves = 100.0f;

// Whether a move goes more steeply than the free camera looks: looking the way it goes,
// the view would tip over to straight up or down.
bool steep(const vec3& travel) { return std::abs(travel.y) > std::sin(FreeCamera::PitchLimit) * glm::length(travel); }

// Whether the views are far enough apart for floats to tell the way from one to the other.
bool apart(const vec3& from, const vec3& to) {
    const float size = std::max(glm::length(from), glm::length(to));
    return glm::length(to - from) > 10.0f * static_cast<float>(PathRules::LeastShare) * size;
}
}  // namespace

void PathDraft::addView(const CameraPose& pose) {
    const vec3 direction = glm::normalize(pose.direction);
    if (!hasStart) {
        draft = {pose.position, pose.position + direction, {}};
        hasStart = true;
    } else {
        const vec3 travel = pose.position - lastPosition;
        if (apart(lastPosition, pose.position) && steep(travel)) {
            // Up or down it keeps looking ahead, at a point far along its last view.
            const vec3 ahead = lastPosition + lastDirection * (AheadOfSteepMoves * glm::length(travel));
            draft.addAimedMove(seconds, lastPosition, pose.position, ahead);
            lastDirection = glm::normalize(ahead - pose.position);
        } else if (apart(lastPosition, pose.position)) {
            if (glm::dot(glm::normalize(travel), lastDirection) < SameDirection)
                draft.addTurn(seconds / 2.0f, lastDirection, travel);
            draft.add(Kind::Move, seconds, lastPosition, pose.position);
            lastDirection = glm::normalize(travel);
        }
        if (glm::dot(direction, lastDirection) < SameDirection) draft.addTurn(seconds, lastDirection, direction);
    }
    lastPosition = pose.position;
    lastDirection = direction;
}

void PathDraft::addAimedView(const CameraPose& pose, const vec3& target) {
    const vec3 toTarget = target - pose.position;
    if (!(glm::length(toTarget) > 0.0f)) return addView(pose);
    if (!hasStart) {
        draft = {pose.position, target, {}};
        hasStart = true;
    } else {
        const vec3 first = target - lastPosition;
        if (glm::length(first) > 0.0f && glm::dot(glm::normalize(first), lastDirection) < SameDirection)
            draft.addTurn(seconds / 2.0f, lastDirection, first);
        if (apart(lastPosition, pose.position)) draft.addAimedMove(seconds, lastPosition, pose.position, target);
    }
    lastPosition = pose.position;
    lastDirection = glm::normalize(toTarget);
}

void PathDraft::addHold() {
    if (hasStart) draft.add(Kind::Hold, seconds);
}

void PathDraft::removeLast() {
    if (draft.rows.empty()) {
        hasStart = false;
        return;
    }
    draft.removeLast();
    // Where the rows left now end.
    lastPosition = draft.start;
    lastDirection = glm::normalize(draft.startTarget - draft.start);
    for (const CameraPath::Row& row : draft.rows) {
        if (row.kind == Kind::Move) {
            lastDirection = glm::normalize(row.aimed ? row.target - row.to : row.to - row.from);
            lastPosition = row.to;
        } else if (row.kind == Kind::Turn) {
            lastDirection = glm::normalize(row.to);
        }
    }
}

}  // namespace Quessel::Study
