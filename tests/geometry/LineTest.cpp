#include "geometry/Line.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-4f;

float valueAt(const Line& line, const Point& p) {
  return line.getA() * p.x + line.getB() * p.y + line.getC();
}

TEST(Line, ThroughTwoPointsHoldsBothAndMeasuresDistance) {
  const struct Case {
    const char* name;
    Point p1, p2, off;  // off: a point at distance 1 from the line
    float direction;
  } cases[] = {
      {"slanted", {-2, 1}, {4, 4}, {-1 / std::sqrt(5.0f), 2 + 2 / std::sqrt(5.0f)}, 26.565051f},
      {"vertical up", {3, 1}, {3, 5}, {4, -20}, 90},
      {"vertical down", {3, 5}, {3, 1}, {2, 0}, -90},
      {"falling", {0, 0}, {-2, 1}, {1 / std::sqrt(5.0f), 2 / std::sqrt(5.0f)}, 153.43495f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line;
    line.setByPoints(c.p1, c.p2);
    EXPECT_NEAR(line.getDirection(), c.direction, kTolerance);
    for (const Point& p : {c.p1, c.p2}) {
      EXPECT_NEAR(valueAt(line, p), 0.0f, kTolerance);
      EXPECT_NEAR(line.getPointDist(p), 0.0f, kTolerance);
    }
    EXPECT_NEAR(line.getPointDist(c.off), 1.0f, kTolerance);
  }
}

TEST(Line, SourceDirIsVerticalOnlyAtRightAngles) {
  for (float direction : {90.0f, -90.0f, 270.0f, 450.0f}) {
    Line line;
    line.setBySourceDir(Point(2, 7), direction);
    EXPECT_EQ(line.getB(), 0) << direction;
    EXPECT_EQ(line.getC(), -2 * line.getA()) << direction;
    EXPECT_NEAR(line.getPointDist(Point(0, 0)), 2.0f, kTolerance) << direction;
  }
  for (float direction : {89.9f, 30.0f, 390.0f, -150.0f}) {
    Line line;
    line.setBySourceDir(Point(1, 2), direction);
    EXPECT_NE(line.getB(), 0) << direction;
    EXPECT_NEAR(valueAt(line, Point(1, 2)), 0.0f, kTolerance) << direction;
    // A point one step along the direction lies on it too.
    EXPECT_NEAR(valueAt(line, Point(1 + Degree::cos(direction), 2 + Degree::sin(direction))), 0.0f,
                kTolerance)
        << direction;
  }
}

TEST(Line, IntersectionOfCrossingLinesAndParallelsReported) {
  Line horizontal;
  horizontal.setBySourceDir(Point(0, 2), 0);
  Line vertical;
  vertical.setByPoints(Point(-1, -5), Point(-1, 5));
  Line diagonal;
  diagonal.setByPoints(Point(0, 0), Point(1, 1));
  Point out;
  EXPECT_TRUE(horizontal.getLineIntersect(vertical, out));
  EXPECT_NEAR(out.x, -1.0f, kTolerance);
  EXPECT_NEAR(out.y, 2.0f, kTolerance);
  EXPECT_TRUE(diagonal.getLineIntersect(horizontal, out));
  EXPECT_NEAR(out.x, 2.0f, kTolerance);
  EXPECT_NEAR(out.y, 2.0f, kTolerance);

  Line shifted;
  shifted.setByPoints(Point(0, 3), Point(1, 4));
  Line vertical2;
  vertical2.setBySourceDir(Point(4, 0), 90);
  EXPECT_FALSE(diagonal.getLineIntersect(shifted, out));
  EXPECT_FALSE(std::isfinite(out.x));
  EXPECT_FALSE(vertical.getLineIntersect(vertical2, out));
  EXPECT_FALSE(diagonal.getLineIntersect(diagonal, out));
}

TEST(Line, DistanceFromDegenerateAndDefaultLinesIsFinite) {
  Line point;
  point.setByPoints(Point(3, 1), Point(3, 1));
  EXPECT_NEAR(point.getPointDist(Point(0, 0)), 3.0f, kTolerance);
  EXPECT_NEAR(point.getPointDist(Point(3, 9)), 0.0f, kTolerance);
  EXPECT_NEAR(Line().getPointDist(Point(5, -2)), 2.0f, kTolerance);  // the x axis
}

}  // namespace
}  // namespace tovren
