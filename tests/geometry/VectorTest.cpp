#include "geometry/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-5f;

void expectVector(const Vector& v, float x, float y, float magnitude, float direction) {
  EXPECT_NEAR(v.getX(), x, kTolerance);
  EXPECT_NEAR(v.getY(), y, kTolerance);
  EXPECT_NEAR(v.getMagnitude(), magnitude, kTolerance);
  EXPECT_NEAR(v.getDirection(), direction, kTolerance);
}

TEST(Vector, EveryChangeKeepsBothForms) {
  Vector polar;
  polar.setAsPolar(2, 270);
  expectVector(polar, 0, -2, 2, -90);
  // A negative magnitude is kept, not folded into the direction.
  Vector negative;
  negative.setAsPolar(-3, 0);
  expectVector(negative, -3, 0, -3, 0);
  negative.rotate(90);
  expectVector(negative, 0, -3, -3, 90);
  Vector rotated;
  rotated.setAsPolar(1, 170);
  rotated.rotate(20);
  expectVector(rotated, -Degree::cos(10), -Degree::sin(10), 1, -170);

  expectVector(Vector(Point(3, 4)), 3, 4, 5, 53.130102f);
  Vector between;
  between.setByPoints(Point(1, 1), Point(-2, 1));
  expectVector(between, -3, 0, 3, 180);
  between.setByPoints(Point(5, 5), Point(5, 5));
  expectVector(between, 0, 0, 0, 0);

  const Vector a(Point(1, 2));
  const Vector b(Point(-3, 0.5f));
  expectVector(a + b, -2, 2.5f, 3.2015621f, 128.65981f);
  expectVector(a - b, 4, 1.5f, 4.2720019f, 20.556045f);
  expectVector(a * 2, 2, 4, 2 * std::sqrt(5.0f), a.getDirection());
  Vector scaled = a;
  scaled /= 4;
  expectVector(scaled, 0.25f, 0.5f, std::sqrt(5.0f) / 4, a.getDirection());
  Vector zero(Point(0, 0));
  zero *= -1;
  expectVector(zero, 0, 0, 0, -180);
}

TEST(Vector, ChangeValuesGiveRadialAndTangentialParts) {
  const struct Case {
    const char* name;
    float relDirection, distChange, dirChange, x, y;
  } cases[] = {
      // Ahead along +y, moving away at 0.5 and turning 1 degree counter-clockwise.
      {"ahead", 90, 0.5f, 1, -10 * Degree::degToRad, 0.5f},
      {"right, closing, clockwise", 0, -0.5f, -1, -0.5f, -10 * Degree::degToRad},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Vector rel;
    rel.setAsPolar(10, c.relDirection);
    Vector velocity;
    velocity.setByDistDirChange(rel, c.distChange, c.dirChange);
    EXPECT_NEAR(velocity.getX(), c.x, kTolerance);
    EXPECT_NEAR(velocity.getY(), c.y, kTolerance);
  }
  Vector velocity;
  velocity.setAsPolar(3, 30);
  velocity.setByDistDirChange(Vector(Point(0, 0)), 0.7f, 12);
  expectVector(velocity, 0, 0, 0, 0);
}

TEST(Vector, PrintsOnlyTheCoordinates) {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(2);
  Vector v(Point(1.5f, -2));
  out << v << " " << Point(0.25f, 3);
  EXPECT_EQ(out.str(), "(1.50,-2.00) (0.25,3.00)");
  EXPECT_FLOAT_EQ(Point(1, 1).getDistance(Point(4, 5)), 5);
}

}  // namespace
}  // namespace tovren
