#pragma once

#include <cmath>

namespace Quessel::SceneGen {

struct Vec2 {
    double x = 0, y = 0;
};

struct Vec3 {
    double x = 0, y = 0, z = 0;

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec3 operator*(const Vec3& o) const { return {x * o.x, y * o.y, z * o.z}; }
};

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalize(const Vec3& a) { return a * (1.0 / length(a)); }

inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double mix(double a, double b, double t) { return a + (b - a) * t; }
inline Vec3 mix(const Vec3& a, const Vec3& b, double t) { return a + (b - a) * t; }
// Unit direction at an elevation above the horizon and an azimuth turning from +X
// towards -Z: how the sky dome lays out its texture and the sky panorama its pixels.
inline Vec3 domeDirection(double elevation, double azimuth) {
    return {std::cos(elevation) * std::cos(azimuth), std::sin(elevation), -std::cos(elevation) * std::sin(azimuth)};
}
inline double smoothstep(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Row-major 4x4 transform, m[row][col]; points are column vectors.
struct Mat4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Mat4 translation(const Vec3& t) {
        Mat4 r;
        r.m[0][3] = t.x;
        r.m[1][3] = t.y;
        r.m[2][3] = t.z;
        return r;
    }

    // Turn about the world's vertical (+Y) axis, counter-clockwise seen from above.
    static Mat4 yaw(double radians) {
        Mat4 r;
        double c = std::cos(radians), s = std::sin(radians);
        r.m[0][0] = c;
        r.m[0][2] = s;
        r.m[2][0] = -s;
        r.m[2][2] = c;
        return r;
    }

    static Mat4 scale(const Vec3& s) {
        Mat4 r;
        r.m[0][0] = s.x;
        r.m[1][1] = s.y;
        r.m[2][2] = s.z;
        return r;
    }

    // Turn by `radians` about a unit axis, counter-clockwise looking down the axis.
    static Mat4 rotation(const Vec3& axis, double radians) {
        Mat4 r;
        double c = std::cos(radians), s = std::sin(radians), t = 1 - c;
        const double a[3] = {axis.x, axis.y, axis.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r.m[i][j] = t * a[i] * a[j] + (i == j ? c : 0.0);
        r.m[0][1] -= s * axis.z;
        r.m[0][2] += s * axis.y;
        r.m[1][0] += s * axis.z;
        r.m[1][2] -= s * axis.x;
        r.m[2][0] -= s * axis.y;
        r.m[2][1] += s * axis.x;
        return r;
    }

    Mat4 operator*(const Mat4& o) const {
        Mat4 r;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                r.m[i][j] = 0;
                for (int k = 0; k < 4; ++k) r.m[i][j] += m[i][k] * o.m[k][j];
            }
        return r;
    }

    // Inverse of a rotation followed by a translation.
    Mat4 inverseRigid() const {
        Mat4 r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r.m[i][j] = m[j][i];
        for (int i = 0; i < 3; ++i) r.m[i][3] = -(r.m[i][0] * m[0][3] + r.m[i][1] * m[1][3] + r.m[i][2] * m[2][3]);
        return r;
    }

    Vec3 transformPoint(const Vec3& p) const {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
};

}  // namespace Quessel::SceneGen
