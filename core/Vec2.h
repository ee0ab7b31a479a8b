// Two-component vector. Gameplay positions and velocities live on the ground
// plane: x is world x, y is world z (the forward axis).
#pragma once

template <typename T>
class Vec2T {
public:
    T x{}, y{};

    Vec2T() = default;
    Vec2T(T x_, T y_) : x(x_), y(y_) {}
    Vec2T(const Vec2T&) = default;
    Vec2T& operator=(const Vec2T&) = default;
    virtual ~Vec2T() = default;

    Vec2T operator+(const Vec2T& o) const { return {x + o.x, y + o.y}; }
    Vec2T operator-(const Vec2T& o) const { return {x - o.x, y - o.y}; }
    Vec2T operator*(T s) const { return {x * s, y * s}; }
    Vec2T operator/(T s) const { return {x / s, y / s}; }
};

using Vec2 = Vec2T<float>;
