#pragma once

#include "geometry/Degree.h"

#include <cmath>
#include <iosfwd>

namespace tovren {

namespace detail {
// hypot(x, y) of two floats: in double precision the squares are exact and cannot
// overflow, so this rounds like hypot at a fraction of its cost.
inline float hypotOf(float x, float y) {
  return static_cast<float>(std::sqrt(double(x) * x + double(y) * y));
}
}  // namespace detail

// A position on the field (metres). Plain value, no invariant.
struct Point {
  float x = 0.0f;
  float y = 0.0f;

  Point() = default;
  Point(float x, float y) : x(x), y(y) {}

  float getDistance(const Point& other) const { return detail::hypotOf(x - other.x, y - other.y); }
};

// Writes "(x,y)" in the stream's current number format.
std::ostream& operator<<(std::ostream& out, const Point& point);

// A vector kept in cartesian and polar form at once (metres or metres per cycle;
// direction in degrees, -180..180). Every mutator restores both forms.
class Vector {
 public:
  // The zero vector.
  Vector() = default;
  Vector(const Point& point) { setAsCartesian(point.x, point.y); }

  void setAsCartesian(float x, float y) {
    this->x = x;
    this->y = y;
    updatePolar();
  }

  // A negative magnitude is stored as it is, not folded into the direction.
  void setAsPolar(float magnitude, float direction) {
    this->magnitude = magnitude;
    this->direction = Degree::normalizeAngle(direction);
    updateCartesian();
  }

  void setByPoints(const Point& from, const Point& to) {
    setAsCartesian(to.x - from.x, to.y - from.y);
  }

  // Velocity of a seen object from its position relative to the observer and the
  // distance change (metres per cycle) and direction change (degrees per cycle) the
  // server reports: the radial part along rel plus the tangential part across it.
  // At distance 0 there is no direction to resolve: the result is the zero vector.
  void setByDistDirChange(const Vector& rel, float distChange, float dirChange);

  void rotate(float angle) {
    direction = Degree::normalizeAngle(direction + angle);
    updateCartesian();
  }

  float getX() const { return x; }
  float getY() const { return y; }
  float getMagnitude() const { return magnitude; }
  float getDirection() const { return direction; }

  operator Point() const { return Point(x, y); }

  Vector& operator+=(const Vector& other) {
    setAsCartesian(x + other.x, y + other.y);
    return *this;
  }
  Vector& operator-=(const Vector& other) {
    setAsCartesian(x - other.x, y - other.y);
    return *this;
  }
  Vector& operator*=(float factor) {
    setAsCartesian(x * factor, y * factor);
    return *this;
  }
  // A zero divisor follows IEEE arithmetic; callers divide by known non-zero values.
  Vector& operator/=(float divisor) {
    setAsCartesian(x / divisor, y / divisor);
    return *this;
  }

 private:
  void updatePolar() {
    magnitude = detail::hypotOf(x, y);
    direction = Degree::normalizeAngle(Degree::arcTan2(y, x));
  }
  void updateCartesian() {
    x = magnitude * Degree::cos(direction);
    y = magnitude * Degree::sin(direction);
  }

  float x = 0.0f;
  float y = 0.0f;
  float magnitude = 0.0f;
  float direction = 0.0f;  // degrees
};

inline Vector operator+(Vector left, const Vector& right) { return left += right; }
inline Vector operator-(Vector left, const Vector& right) { return left -= right; }
inline Vector operator*(Vector vector, float factor) { return vector *= factor; }

// Writes "(x,y)" like a Point; magnitude and direction are not written.
std::ostream& operator<<(std::ostream& out, const Vector& vector);

}  // namespace tovren
