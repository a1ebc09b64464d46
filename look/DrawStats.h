#pragma once

namespace Quessel {

// How much of what it was given the look drew: the parts of the listed nodes' meshes at
// their world places (a mesh, or each chunk of a big one) and those the view's frustum
// kept, over `views` draws (the main view, a cube-map face each).
struct DrawStats {
    unsigned long long views = 0;
    unsigned long long parts = 0;
    unsigned long long drawn = 0;

    // The share of parts drawn; 1 when none was given.
    double share() const { return parts ? static_cast<double>(drawn) / static_cast<double>(parts) : 1.0; }
    DrawStats& operator+=(const DrawStats& other) {
        views += other.views;
        parts += other.parts;
        drawn += other.drawn;
        return *this;
    }
    // What was drawn between two readings of a running total.
    DrawStats operator-(const DrawStats& earlier) const {
        return {views - earlier.views, parts - earlier.parts, drawn - earlier.drawn};
    }
};

}  // namespace Quessel
