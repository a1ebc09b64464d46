#include "study/PathDraft.h"

namespace Quessel::Study {

namespace {
using Kind = CameraPath::Kind;
constexpr float SameDirection = 0.99999f;
}  // namespace

void PathDraft::addView(const CameraPose& pose) {
    const vec3 direction = glm::normalize(pose.direction);
    if (!hasStart) {
        draft = {pose.position, pose.position + direction, {}};
        hasStart = true;
    } else {
        const vec3 travel = pose.position - lastPosition;
        if (glm::length(travel) > 0.0f) {
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
    for (const CameraPath::Step& row : draft.rows) {
        if (row.kind == Kind::Move) {
            lastDirection = glm::normalize(row.to - row.from);
            lastPosition = row.to;
        } else if (row.kind == Kind::Turn) {
            lastDirection = glm::normalize(row.to);
        }
    }
}

}  // namespace Quessel::Study
