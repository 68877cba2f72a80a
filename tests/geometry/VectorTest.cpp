#include "geometry/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-5f;

TEST(Vector, DefaultIsTheZeroVector) {
  Vector v;
  EXPECT_EQ(v.getX(), 0);
  EXPECT_EQ(v.getY(), 0);
  EXPECT_EQ(v.getMagnitude(), 0);
  EXPECT_EQ(v.getDirection(), 0);
}

TEST(Vector, SetAsPolarNormalisesDirection) {
  Vector v;
  v.setAsPolar(2, 270);
  EXPECT_EQ(v.getDirection(), -90);
  EXPECT_NEAR(v.getX(), 0.0f, kTolerance);
  EXPECT_FLOAT_EQ(v.getY(), -2);
}

TEST(Vector, NegativeMagnitudeIsKeptNotFolded) {
  Vector v;
  v.setAsPolar(-3, 0);
  EXPECT_EQ(v.getMagnitude(), -3);
  EXPECT_EQ(v.getDirection(), 0);
  EXPECT_FLOAT_EQ(v.getX(), -3);
  v.rotate(90);
  EXPECT_EQ(v.getMagnitude(), -3);
  EXPECT_NEAR(v.getX(), 0.0f, kTolerance);
  EXPECT_FLOAT_EQ(v.getY(), -3);
}

TEST(Vector, CartesianChangesRecomputeThePolarForm) {
  Vector v(Point(3, 4));
  EXPECT_FLOAT_EQ(v.getMagnitude(), 5);
  EXPECT_NEAR(v.getDirection(), 53.130102f, kTolerance);

  Vector w;
  w.setByPoints(Point(1, 1), Point(-2, 1));
  EXPECT_EQ(w.getMagnitude(), 3);
  EXPECT_EQ(w.getDirection(), 180);

  w.setByPoints(Point(5, 5), Point(5, 5));
  EXPECT_EQ(w.getMagnitude(), 0);
  EXPECT_EQ(w.getDirection(), 0);
}

TEST(Vector, ArithmeticKeepsBothForms) {
  Vector a(Point(1, 2));
  Vector b(Point(-3, 0.5f));
  Vector sum = a + b;
  EXPECT_FLOAT_EQ(sum.getX(), -2);
  EXPECT_FLOAT_EQ(sum.getY(), 2.5f);
  EXPECT_FLOAT_EQ(sum.getMagnitude(), std::hypot(2.0f, 2.5f));
  Vector difference = a - b;
  EXPECT_FLOAT_EQ(difference.getX(), 4);
  EXPECT_FLOAT_EQ(difference.getY(), 1.5f);
  Vector scaled = a * 2;
  EXPECT_FLOAT_EQ(scaled.getMagnitude(), 2 * a.getMagnitude());
  EXPECT_FLOAT_EQ(scaled.getDirection(), a.getDirection());
  scaled /= 4;
  EXPECT_FLOAT_EQ(scaled.getX(), 0.5f);
  EXPECT_FLOAT_EQ(scaled.getY(), 1);
  a += b;
  a -= b;
  EXPECT_FLOAT_EQ(a.getX(), 1);
  EXPECT_FLOAT_EQ(a.getY(), 2);
}

TEST(Vector, ZeroTimesMinusOnePointsBackwards) {
  Vector v(Point(0, 0));
  v *= -1;
  EXPECT_EQ(v.getDirection(), -180);
  EXPECT_EQ(v.getMagnitude(), 0);
}

TEST(Vector, RotateWrapsAroundTheBack) {
  Vector v;
  v.setAsPolar(1, 170);
  v.rotate(20);
  EXPECT_FLOAT_EQ(v.getDirection(), -170);
  EXPECT_NEAR(v.getX(), -std::cos(10 * 3.14159265f / 180), kTolerance);
  EXPECT_NEAR(v.getY(), -std::sin(10 * 3.14159265f / 180), kTolerance);
}

TEST(Vector, ChangeValuesGiveRadialAndTangentialParts) {
  Vector rel;
  rel.setAsPolar(10, 90);  // straight ahead along +y
  Vector velocity;
  // Moving away at 0.5 per cycle and turning 1 degree counter-clockwise.
  velocity.setByDistDirChange(rel, 0.5f, 1);
  const float tangential = 10 * 3.14159265f / 180;
  EXPECT_NEAR(velocity.getX(), -tangential, kTolerance);
  EXPECT_NEAR(velocity.getY(), 0.5f, kTolerance);
  EXPECT_NEAR(velocity.getMagnitude(), std::hypot(tangential, 0.5f), kTolerance);
}

TEST(Vector, ChangeValuesAtDistanceZeroGiveTheZeroVector) {
  Vector rel(Point(0, 0));
  Vector velocity;
  velocity.setAsPolar(3, 30);
  velocity.setByDistDirChange(rel, 0.7f, 12);
  EXPECT_EQ(velocity.getX(), 0);
  EXPECT_EQ(velocity.getY(), 0);
  EXPECT_EQ(velocity.getMagnitude(), 0);
  EXPECT_EQ(velocity.getDirection(), 0);
}

TEST(Vector, PrintsOnlyTheCoordinates) {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(2);
  Vector v(Point(1.5f, -2));
  out << v << " " << Point(0.25f, 3) << " " << static_cast<Point>(v);
  EXPECT_EQ(out.str(), "(1.50,-2.00) (0.25,3.00) (1.50,-2.00)");
}

TEST(Point, DistanceIsEuclidean) {
  EXPECT_FLOAT_EQ(Point(1, 1).getDistance(Point(4, 5)), 5);
  EXPECT_EQ(Point().getDistance(Point()), 0);
}

}  // namespace
}  // namespace tovren
