#pragma once

#include "geometry/Vector.h"

namespace tovren {

// The line a·x + b·y + c = 0 (metres), remembering the direction (degrees) it was made
// with. Distances are measured along the perpendicular built from that direction.
class Line {
 public:
  // Marks a vertical line: the largest float below 2^24.
  static constexpr float verticalSlope = 16777215.0f;

  // The x axis, so that a line never made by a setter still answers finitely.
  Line() = default;

  void setByPoints(const Point& p1, const Point& p2);
  // The direction is stored as given, not normalised.
  void setBySourceDir(const Point& p, float direction);

  float getA() const { return a; }
  float getB() const { return b; }
  float getC() const { return c; }
  float getDirection() const { return direction; }

  // Cramer's rule. Parallel lines (determinant 0) answer false; out still receives what
  // the formula gives.
  bool getLineIntersect(const Line& other, Point& out) const {
    const float det = a * other.b - b * other.a;
    out.x = (b * other.c - other.b * c) / det;
    out.y = (c * other.a - other.c * a) / det;
    return det != 0.0f;
  }

  float getPointDist(const Point& p) const;

 private:
  float a = 0.0f;
  float b = 1.0f;
  float c = 0.0f;
  [[maybe_unused]] float slope = 0.0f;  // dy/dx, verticalSlope when vertical
  float direction = 0.0f;               // degrees
};

}  // namespace tovren
