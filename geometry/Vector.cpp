#include "geometry/Vector.h"

#include <ostream>

namespace tovren {

std::ostream& operator<<(std::ostream& out, const Point& point) {
  return out << "(" << point.x << "," << point.y << ")";
}

std::ostream& operator<<(std::ostream& out, const Vector& vector) {
  return out << "(" << vector.getX() << "," << vector.getY() << ")";
}

void Vector::setByDistDirChange(const Vector& rel, float distChange, float dirChange) {
  const float d = rel.getMagnitude();
  if (d == 0.0f) {
    setAsCartesian(0.0f, 0.0f);
    return;
  }
  const float ux = rel.getX() / d;
  const float uy = rel.getY() / d;
  const float omega = static_cast<float>(dirChange * Degree::degToRad);
  setAsCartesian(distChange * ux - uy * (d * omega), omega * d * ux + distChange * uy);
}

}  // namespace tovren
