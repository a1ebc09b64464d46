#pragma once
#include "math/MathTypes.h"

#include <vector>

namespace Quessel {

class Camera;

// A fly-through: a looping table of moves, turns and holds that drives the camera's timed
// operations once per frame. The demo flies its own fixed table; the tools also fly paths
// read from files, authored in the study tool or made for a scene (its tour).
class CameraPath {
public:
    enum class Kind { Move, Turn, Hold };
    struct Row {
        Kind kind;
        float duration;
        vec3 from;
        vec3 to;
        int next;
        // A move that looks at `target` all the way, instead of along the way it goes.
        bool aimed = false;
        vec3 target{0.0f};
    };
    // Where the camera stands and looks when the path starts, and its rows in order.
    struct Script {
        vec3 start{0.0f};
        vec3 startTarget{0.0f, 0.0f, -1.0f};
        std::vector<Row> rows;

        // The demo's own path: the table below, starting at P0 looking at P1.
        static Script demo();
        // Seconds of one lap when every row runs exactly its duration.
        double seconds() const;

        // Rows added at the end, the last leading back to the first.
        void add(Kind kind, float seconds, const vec3& from = vec3(0.0f), const vec3& to = vec3(0.0f));
        void addAimedMove(float seconds, const vec3& from, const vec3& to, const vec3& target);
        // A turn of more than 120 degrees, or one that would pass straight up or down, goes by
        // way of a direction between the two, so every view on the way has a direction and an
        // up (see PathRules).
        void addTurn(float seconds, const vec3& from, const vec3& to);
        void removeLast();
    };

    static constexpr int RowCount = 17;
    static const Row table[RowCount];
    static const vec3 points[6];
    static const vec3 directions[9];

    explicit CameraPath(Camera& camera, Script script = Script::demo());

    // Places the camera at the path's start; call once after set-up. The demo's camera
    // takes only the first start (its init acts once).
    void start();
    // Starts the path over, the camera placed at its start whatever it did before.
    void restart();
    // Flies another path from its start from now on.
    void play(Script script);
    // One frame of the path with the frame's time step in seconds.
    void advance(float dt);

    const Script& script() const { return playing; }
    // Seconds the camera has spent in the row it flies.
    float rowTime() const;

    int step = 0;
    // Laps finished: times the last row ended and the first came round again.
    int laps = 0;

private:
    bool run(const Row& row, float dt);
    Camera& camera;
    Script playing;
};

}  // namespace Quessel
