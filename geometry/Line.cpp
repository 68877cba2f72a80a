#include "geometry/Line.h"

#include <cmath>

namespace tovren {

void Line::setByPoints(const Point& p1, const Point& p2) {
  const float dx = p2.x - p1.x;
  const float dy = p2.y - p1.y;
  if (p1.x == p2.x) {
    a = 1.0f;
    b = 0.0f;
    c = -p1.x;
    slope = verticalSlope;
  } else {
    a = p1.y - p2.y;
    b = dx;
    c = (p1.x - p2.x) * p1.y + p1.x * dy;
    slope = dy / dx;
  }
  direction = Degree::arcTan2(dy, dx);
}

void Line::setBySourceDir(const Point& p, float direction) {
  const double turns = (double(direction) + 90.0) / 180.0;
  if (turns == std::floor(turns)) {
    a = 1.0f;
    b = 0.0f;
    c = -p.x;
    slope = verticalSlope;
  } else {
    const float tangent = Degree::tan(direction);
    const float cosine = Degree::cos(direction);
    slope = tangent;
    a = -Degree::sin(direction);
    b = cosine;
    c = -cosine * (p.y - tangent * p.x);
  }
  this->direction = direction;
}

float Line::getPointDist(const Point& p) const {
  Line perpendicular;
  perpendicular.setBySourceDir(p, Degree::normalizeAngle(direction + 90.0f));
  Point foot;
  if (getLineIntersect(perpendicular, foot)) return foot.getDistance(p);
  // The stored direction does not match the coefficients (a line through two equal
  // points has direction 0 but is stored vertical): measure by the coefficients.
  const float norm = static_cast<float>(std::hypot(double(a), double(b)));
  return std::fabs(a * p.x + b * p.y + c) / norm;
}

}  // namespace tovren
