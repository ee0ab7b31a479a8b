// Three-component vector: float for geometry, int for OBJ index triples.
#pragma once

#include <cmath>

template <typename T>
class Vec3T {
public:
    T x{}, y{}, z{};

    Vec3T() = default;
    Vec3T(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
    Vec3T(const Vec3T&) = default;
    Vec3T& operator=(const Vec3T&) = default;
    virtual ~Vec3T() = default;

    Vec3T operator+(const Vec3T& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3T operator-(const Vec3T& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3T operator*(T s) const { return {x * s, y * s, z * s}; }
    Vec3T operator/(T s) const { return {x / s, y / s, z / s}; }
    Vec3T& operator+=(const Vec3T& o) { x += o.x; y += o.y; z += o.z; return *this; }

    Vec3T Cross(const Vec3T& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    T LengthSquared() const { return x * x + y * y + z * z; }
    T Length() const { return static_cast<T>(std::sqrt(LengthSquared())); }

    // A zero vector stays zero rather than turning into NaN.
    Vec3T Normalized() const {
        T len = Length();
        return len > T(0) ? *this / len : *this;
    }
};

using Vec3 = Vec3T<float>;
using Vec3i = Vec3T<int>;
