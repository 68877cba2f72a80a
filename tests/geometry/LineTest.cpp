#include "geometry/Line.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-4f;

TEST(Line, VerticalThroughTwoPoints) {
  Line line;
  line.setByPoints(Point(3, 1), Point(3, 5));
  EXPECT_EQ(line.getA(), 1);
  EXPECT_EQ(line.getB(), 0);
  EXPECT_EQ(line.getC(), -3);
  EXPECT_EQ(line.getDirection(), 90);
  EXPECT_EQ(Line::verticalSlope, 16777215.0f);
  EXPECT_NEAR(line.getPointDist(Point(0, 0)), 3.0f, kTolerance);
  EXPECT_NEAR(line.getPointDist(Point(7, -20)), 4.0f, kTolerance);

  line.setByPoints(Point(3, 5), Point(3, 1));
  EXPECT_EQ(line.getDirection(), -90);
}

TEST(Line, ThroughTwoPointsContainsBoth) {
  const Point p1(-2, 1);
  const Point p2(4, 4);
  Line line;
  line.setByPoints(p1, p2);
  EXPECT_EQ(line.getA(), -3);
  EXPECT_EQ(line.getB(), 6);
  for (const Point& p : {p1, p2, Point(0, 2)}) {
    EXPECT_NEAR(line.getA() * p.x + line.getB() * p.y + line.getC(), 0.0f, kTolerance);
    EXPECT_NEAR(line.getPointDist(p), 0.0f, kTolerance);
  }
  EXPECT_NEAR(line.getDirection(), Degree::arcTan2(3, 6), kTolerance);
  // (0, 2) lies on it; one step along the normal (-1, 2)/sqrt(5) away gives distance 1.
  const float s = std::sqrt(5.0f);
  EXPECT_NEAR(line.getPointDist(Point(-1 / s, 2 + 2 / s)), 1.0f, kTolerance);
}

TEST(Line, SourceDirVerticalOnlyAtRightAngles) {
  for (float direction : {90.0f, -90.0f, 270.0f, 450.0f}) {
    Line line;
    line.setBySourceDir(Point(2, 7), direction);
    EXPECT_EQ(line.getA(), 1) << direction;
    EXPECT_EQ(line.getB(), 0) << direction;
    EXPECT_EQ(line.getC(), -2) << direction;
    EXPECT_EQ(line.getDirection(), direction);
  }
  Line nearly;
  nearly.setBySourceDir(Point(2, 7), 89.9f);
  EXPECT_NE(nearly.getB(), 0);
  EXPECT_NEAR(nearly.getPointDist(Point(2, 7)), 0.0f, kTolerance);
}

TEST(Line, SourceDirKeepsItsPointAndDirection) {
  Line line;
  line.setBySourceDir(Point(1, 2), 30);
  EXPECT_NEAR(line.getA() * 1 + line.getB() * 2 + line.getC(), 0.0f, kTolerance);
  EXPECT_NEAR(line.getA(), -0.5f, kTolerance);
  EXPECT_NEAR(line.getB(), std::sqrt(3.0f) / 2, kTolerance);
  line.setBySourceDir(Point(1, 2), 390);
  EXPECT_EQ(line.getDirection(), 390);
  EXPECT_NEAR(line.getPointDist(Point(1, 0)), std::cos(30 * 3.14159265f / 180) * 2, kTolerance);
}

TEST(Line, IntersectionOfCrossingLines) {
  Line horizontal;
  horizontal.setBySourceDir(Point(0, 2), 0);
  Line vertical;
  vertical.setByPoints(Point(-1, -5), Point(-1, 5));
  Point out;
  EXPECT_TRUE(horizontal.getLineIntersect(vertical, out));
  EXPECT_NEAR(out.x, -1.0f, kTolerance);
  EXPECT_NEAR(out.y, 2.0f, kTolerance);

  Line diagonal;
  diagonal.setByPoints(Point(0, 0), Point(1, 1));
  EXPECT_TRUE(diagonal.getLineIntersect(horizontal, out));
  EXPECT_NEAR(out.x, 2.0f, kTolerance);
  EXPECT_NEAR(out.y, 2.0f, kTolerance);
}

TEST(Line, ParallelLinesAreReported) {
  Line first;
  first.setByPoints(Point(0, 0), Point(2, 1));
  Line second;
  second.setByPoints(Point(0, 3), Point(2, 4));
  Point out(7, 7);
  EXPECT_FALSE(first.getLineIntersect(second, out));
  EXPECT_FALSE(std::isfinite(out.x));

  Line vertical1;
  vertical1.setByPoints(Point(1, 0), Point(1, 1));
  Line vertical2;
  vertical2.setBySourceDir(Point(4, 0), 90);
  EXPECT_FALSE(vertical1.getLineIntersect(vertical2, out));
  EXPECT_FALSE(first.getLineIntersect(first, out));
}

TEST(Line, DistanceFromALineOfTwoEqualPointsIsFinite) {
  Line line;
  line.setByPoints(Point(3, 1), Point(3, 1));
  EXPECT_EQ(line.getDirection(), 0);
  EXPECT_NEAR(line.getPointDist(Point(0, 0)), 3.0f, kTolerance);
  EXPECT_NEAR(line.getPointDist(Point(3, 9)), 0.0f, kTolerance);
}

TEST(Line, DefaultLineIsTheXAxis) {
  Line line;
  EXPECT_NEAR(line.getPointDist(Point(5, -2)), 2.0f, kTolerance);
}

}  // namespace
}  // namespace tovren
