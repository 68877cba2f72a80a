#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>

namespace tovren {
namespace {

using support::makeBody;
using support::textOf;

constexpr float kTolerance = 1e-3f;
constexpr float kRadius = 9.15f;
// The strip in front of the opponents' goal that both callers use.
constexpr float kX1 = 36.0f;
constexpr float kY1 = -20.0f;
constexpr float kY2 = 20.0f;
// The inner go-to's tolerance by path.
constexpr float kStraight = 1.4f;
constexpr float kCircleEscape = 1.5f;
constexpr float kCircleDetour = 1.1f;
constexpr float kRectEscape = 1.2f;
constexpr float kCorner = 1.0f;
constexpr float kUnchecked = 0.0f;
const Point kY2Corner(34.5f, 21.5f);
const Point kY1Corner(34.5f, -21.5f);

// The command the inner go-to gives towards a point, as the skill must take it over.
std::string normalTowards(const Point& point, float tolerance, const Body& body) {
  return textOf(DashNormalGotoPoint(point, tolerance, body, 90.0f).getCommand());
}

// The skill heads for the point with the tolerance. Hand-made points carry four decimals,
// so the turn may differ a little.
void expectAim(const ForbiddenAreaGotoPoint& skill, const Point& aim, float tolerance,
               const Body& body) {
  const std::string command = textOf(skill.getCommand());
  const std::string expected = normalTowards(aim, tolerance, body);
  ASSERT_EQ(command.substr(0, 6), expected.substr(0, 6)) << command << " " << expected;
  EXPECT_NEAR(std::stof(command.substr(6)), std::stof(expected.substr(6)), 0.1f) << command;
}

void expectPoint(const Point& actual, const Point& expected) {
  EXPECT_NEAR(actual.x, expected.x, kTolerance);
  EXPECT_NEAR(actual.y, expected.y, kTolerance);
}

struct CircleCase {
  const char* name;
  Point center;
  float radius;
  Point body;
  float bodyDir;
  Point target;
  bool forbidBeyondCenterX;
  bool forbiddenSource;
  bool forbiddenTarget;
  Point realTarget;
  Point aim;
  float aimTolerance;
  int status;
};

TEST(ForbiddenAreaCircle, TargetAndPathByTheScene) {
  const Point o(0, 0);
  const int moving = GOTO_STATUS_MOVING;
  // A body 12 m from the center swings the detour out to 16.30: the margin shrinks from 10
  // at the rim to 0 at 10 m outside it. The detour points lie on the bisector of the
  // angles from the center to body and target, and opposite it.
  const CircleCase cases[] = {
      {"escape from the center towards -x", Point(10, 5), kRadius, Point(10, 5), 0, Point(30, 5),
       false, true, false, Point(0.35f, 5), Point(0.35f, 5), kCircleEscape, moving},
      {"escape along the ray", Point(10, 5), kRadius, Point(13, 9), 0, Point(30, 5), false, true,
       false, Point(15.79f, 12.72f), Point(15.79f, 12.72f), kCircleEscape, moving},
      {"at the escape depth plans from outside", o, kRadius, Point(7.85f, 0), 0, Point(-20, 0),
       false, false, false, Point(-20, 0), Point(0, -19.15f), kCircleDetour, moving},
      {"a circle within the escape depth", o, 1.3f, Point(0.1f, 0), 0, Point(5, 0), false, false,
       false, Point(5, 0), o, kUnchecked, moving},
      {"target at the center moves towards -x", Point(-5, 2), kRadius, Point(-30, 2), 0,
       Point(-5, 2), false, false, true, Point(-14.65f, 2), Point(-14.65f, 2), kStraight, moving},
      {"target inside moves out along its ray", Point(-5, 2), kRadius, Point(-30, 2), 0,
       Point(-2, -2), false, false, true, Point(0.79f, -5.72f), o, kUnchecked, moving},
      {"target on the rim is allowed", Point(-5, 2), kRadius, Point(-30, 2), 0, Point(4.15f, 2),
       false, false, false, Point(4.15f, 2), o, kUnchecked, moving},
      {"target at center x - 1.5 is allowed", Point(10, 0), kRadius, Point(-20, 0), 0,
       Point(8.5f, 20), true, false, false, Point(8.5f, 20), Point(8.5f, 20), kStraight, moving},
      {"target beyond it is clamped", Point(10, 0), kRadius, Point(-20, 0), 0, Point(13, 20), true,
       false, true, Point(8.5f, 20), Point(8.5f, 20), kStraight, moving},
      {"target beyond it, other side", Point(10, 0), kRadius, Point(-20, 0), 0, Point(13, -20),
       true, false, true, Point(8.5f, -20), Point(8.5f, -20), kStraight, moving},
      {"clamped into the circle, then out", Point(10, 0), kRadius, Point(-20, 0), 0, Point(13, 3),
       true, false, true, Point(5.6845f, 8.6313f), o, kUnchecked, moving},
      {"no clamp without the flag", Point(10, 0), kRadius, Point(-20, 0), 0, Point(13, 20), false,
       false, false, Point(13, 20), o, kUnchecked, moving},
      {"line 10 m from the center", o, kRadius, Point(-20, 10), 0, Point(20, 10), false, false,
       false, Point(20, 10), Point(20, 10), kStraight, moving},
      {"line grazing by 0.06", o, kRadius, Point(-12, 9.09f), 0, Point(20, 9.09f), false, false,
       false, Point(20, 9.09f), Point(20, 9.09f), kStraight, moving},
      {"line grazing by 0.06 below", o, kRadius, Point(-12, -9.09f), 0, Point(20, -9.09f), false,
       false, false, Point(20, -9.09f), Point(20, -9.09f), kStraight, moving},
      {"line cutting by 0.08", o, kRadius, Point(-12, 9.07f), 0, Point(20, 9.07f), false, false,
       false, Point(20, 9.07f), Point(1.4651f, 13.1767f), kCircleDetour, moving},
      {"target nearer than the center", o, kRadius, Point(-20, 0), 0, Point(-12, 0), false, false,
       false, Point(-12, 0), Point(-12, 0), kStraight, moving},
      {"tiny circle", o, 0.05f, Point(-20, 0), 0, Point(20, 0), false, false, false, Point(20, 0),
       Point(20, 0), kStraight, moving},
      // The test looks at the whole line and at distances only.
      {"circle behind the body", Point(-10, 0), 3, o, 0, Point(30, 0), false, false, false,
       Point(30, 0), Point(-4, 0), kCircleDetour, moving},
      {"10 m outside the rim the detour hugs it", o, kRadius, Point(-25, 0), 0, Point(30, 0), false,
       false, false, Point(30, 0), Point(0, -9.15f), kCircleDetour, moving},
      {"standing on the target", o, kRadius, Point(-20, 3), 0, Point(-20, 3), false, false, false,
       Point(-20, 3), Point(-20, 3), kStraight, GOTO_STATUS_ARRIVED},
      // The detour circle runs through the body: the chosen point lies within the
      // tolerance, and that is no arrival.
      {"within the tolerance of a detour point", o, kRadius, Point(14.15f, 0), 0, Point(40, 0.5f),
       false, false, false, Point(40, 0.5f), Point(14.1497f, 0.0884f), kCircleDetour, moving},
      // The detour point by the first rule that holds.
      {"both off the field: tp2", Point(100, 0), kRadius, Point(90, 0), 0, Point(110, 0.1f), false,
       false, false, Point(110, 0.1f), Point(100.0915f, -18.2998f), kCircleDetour, moving},
      {"tp1 above |y| 38", Point(0, 30), kRadius, Point(-10.3923f, 36), 0, Point(10.3923f, 36),
       false, false, false, Point(10.3923f, 36), Point(0, 13.7f), kCircleDetour, moving},
      {"tp2 above |y| 38", Point(0, 30), kRadius, Point(-10.3923f, 24), 0, Point(10.3923f, 24),
       false, false, false, Point(10.3923f, 24), Point(0, 13.7f), kCircleDetour, moving},
      {"tp2 beyond the center's x", o, kRadius, Point(-12, 0), 0, Point(-1.5f, 11), true, false,
       false, Point(-1.5f, 11), Point(-12.2798f, 10.7189f), kCircleDetour, moving},
      {"tp1 beyond the center's x", o, kRadius, Point(-12, 0), 0, Point(-1.5f, -11), true, false,
       false, Point(-1.5f, -11), Point(-12.2798f, -10.7189f), kCircleDetour, moving},
      {"tp1 clearly nearer", o, kRadius, Point(-12, 0), 0, Point(28.1908f, 10.2606f), false, false,
       false, Point(28.1908f, 10.2606f), Point(-2.8305f, 16.0524f), kCircleDetour, moving},
      {"tp2 clearly nearer", o, kRadius, Point(-12, 0), 0, Point(28.1908f, -10.2606f), false, false,
       false, Point(28.1908f, -10.2606f), Point(-2.8305f, -16.0524f), kCircleDetour, moving},
      {"only tp1 dashes", o, kRadius, Point(-12, 0), 53.6371f, Point(30, 0), false, false, false,
       Point(30, 0), Point(0, 16.3f), kCircleDetour, moving},
      {"only tp2 dashes", o, kRadius, Point(-12, 0), -53.6371f, Point(30, 0), false, false, false,
       Point(30, 0), Point(0, -16.3f), kCircleDetour, moving},
      {"tp1 nearer the middle across", Point(0, -5), kRadius, Point(-12, -5), 0, Point(30, -5),
       false, false, false, Point(30, -5), Point(0, 11.3f), kCircleDetour, moving},
      {"tp2 nearer the middle across", Point(0, 5), kRadius, Point(-12, 5), 0, Point(30, 5), false,
       false, false, Point(30, 5), Point(0, -11.3f), kCircleDetour, moving},
      {"equal |y|: tp2", o, kRadius, Point(-12, 0), 0, Point(30, 0), false, false, false,
       Point(30, 0), Point(0, -16.3f), kCircleDetour, moving},
  };
  for (const CircleCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(c.body, c.bodyDir);
    ForbiddenAreaGotoPoint skill(c.target, c.center, c.radius, body, c.forbidBeyondCenterX);
    EXPECT_EQ(skill.isForbiddenSource(), c.forbiddenSource);
    EXPECT_EQ(skill.isForbiddenTarget(), c.forbiddenTarget);
    expectPoint(skill.getRealTargetPoint(), c.realTarget);
    EXPECT_EQ(skill.getStatus(), c.status);
    ASSERT_NE(skill.getCommand(), nullptr);
    if (c.aimTolerance != kUnchecked) {
      expectAim(skill, c.aim, c.aimTolerance, body);
    }
  }
}

TEST(ForbiddenAreaCircle, OverRandomPlacementsArrivalOnlyOnTheStraightPath) {
  // Wherever body and target stand: a finite command, and arrival only when the body
  // stands within the straight path's tolerance of the real target, outside the circle.
  std::mt19937 random(12);
  std::uniform_real_distribution<float> xs(-55.0f, 55.0f);
  std::uniform_real_distribution<float> ys(-36.0f, 36.0f);
  std::uniform_real_distribution<float> dirs(-180.0f, 180.0f);
  std::uniform_real_distribution<float> near(-2.0f, 2.0f);
  int arrivals = 0;
  for (int i = 0; i < 2000; ++i) {
    const Point center(xs(random) * 0.5f, ys(random) * 0.5f);
    const Point position = i % 4 == 0
                               ? Point(center.x + 12.0f + near(random), center.y + near(random))
                               : Point(xs(random), ys(random));
    const Point target = i % 3 == 0 ? Point(position.x + near(random), position.y + near(random))
                                    : Point(xs(random), ys(random));
    const Body body = makeBody(position, dirs(random));
    ForbiddenAreaGotoPoint skill(target, center, kRadius, body, i % 5 == 0);
    ASSERT_NE(skill.getCommand(), nullptr);
    EXPECT_TRUE(support::hasFiniteText(*skill.getCommand())) << textOf(skill.getCommand());
    if (skill.getStatus() == GOTO_STATUS_ARRIVED) {
      ++arrivals;
      EXPECT_FALSE(skill.isForbiddenSource());
      EXPECT_LE(body.getDistance(skill.getRealTargetPoint()), kStraight + kTolerance);
      EXPECT_EQ(textOf(skill.getCommand()),
                normalTowards(skill.getRealTargetPoint(), kStraight, body));
    }
  }
  EXPECT_GT(arrivals, 0);
}

// --- rectangle -----------------------------------------------------------------------

bool insideStrip(const Point& p) { return p.x > kX1 && p.y > kY1 && p.y < kY2; }

// Whether the segment from a to b enters the open strip by more than a hair (touching a
// border is allowed).
bool crossesStrip(const Point& a, const Point& b) {
  constexpr float hair = 1e-3f;
  float low = 0.0f;
  float high = 1.0f;
  // Keeps the part of [low, high] where value + slope × t > 0.
  auto keep = [&](float value, float slope) {
    if (slope == 0.0f) {
      if (value <= 0.0f) high = -1.0f;
      return;
    }
    const float t = -value / slope;
    if (slope > 0.0f) {
      low = std::max(low, t);
    } else {
      high = std::min(high, t);
    }
  };
  keep(a.x - (kX1 + hair), b.x - a.x);
  keep(a.y - (kY1 + hair), b.y - a.y);
  keep((kY2 - hair) - a.y, a.y - b.y);
  return low < high;
}

struct RectCase {
  const char* name;
  Point body;
  Point target;
  bool forbiddenSource;
  bool forbiddenTarget;
  int place;
  Point realTarget;
  Point aim;
  float aimTolerance;
};

TEST(ForbiddenAreaRect, TargetAndPathByTheScene) {
  // The body faces +x, so each aim shows in the turn.
  const RectCase cases[] = {
      {"on the open end's line: in front", Point(0, 0), Point(kX1, 5), false, false, 3,
       Point(kX1, 5), Point(kX1, 5), kStraight},
      {"on the Y2 side: beside, by the corner", Point(0, 0), Point(45, kY2), false, false, 1,
       Point(45, kY2), kY2Corner, kCorner},
      {"Y2 corner", Point(0, 0), Point(kX1, kY2), false, false, 2, Point(kX1, kY2), Point(),
       kUnchecked},
      {"Y1 corner", Point(0, 0), Point(kX1, kY1), false, false, 4, Point(kX1, kY1), Point(),
       kUnchecked},
      {"on the Y1 side", Point(0, 0), Point(45, kY1), false, false, 5, Point(45, kY1), Point(),
       kUnchecked},
      {"inside, nearest the open end", Point(0, 0), Point(40, 5), false, true, 3, Point(kX1, 5),
       Point(kX1, 5), kStraight},
      {"inside, nearest the Y1 side", Point(0, 0), Point(50, -17), false, true, 5, Point(50, kY1),
       Point(), kUnchecked},
      {"inside, nearest the Y2 side", Point(0, 0), Point(50, 17), false, true, 1, Point(50, kY2),
       Point(), kUnchecked},
      {"tie open end and Y1 side", Point(0, 0), Point(46, -10), false, true, 3, Point(kX1, -10),
       Point(), kUnchecked},
      {"tie open end and Y2 side", Point(0, 0), Point(46, 10), false, true, 3, Point(kX1, 10),
       Point(), kUnchecked},
      {"tie Y1 and Y2 sides", Point(0, 0), Point(58, 0), false, true, 5, Point(58, kY1), Point(),
       kUnchecked},
      {"moved target gone round by the Y1 corner", Point(20, 30), Point(58, 0), false, true, 5,
       Point(58, kY1), kY1Corner, kCorner},
      {"escape through the open end at the target's y", Point(40, 0), Point(0, 30), true, false, 1,
       Point(kX1, 30), Point(kX1, 30), kRectEscape},
      {"escape across the Y1 side", Point(50, -18), Point(0, 0), true, false, 1, Point(50, kY1),
       Point(50, kY1), kRectEscape},
      {"escape across the Y2 side", Point(50, 18), Point(0, 0), true, false, 1, Point(50, kY2),
       Point(50, kY2), kRectEscape},
      {"at the escape depth inside the open end", Point(kX1 + 0.8f, 0), Point(0, 30), false, false,
       2, Point(0, 30), Point(0, 30), kStraight},
      {"at the escape depth inside the Y2 side", Point(50, kY2 - 0.8f), Point(50, -30), false,
       false, 5, Point(50, -30), Point(), kUnchecked},
      {"at the escape depth inside the Y1 side", Point(50, kY1 + 0.8f), Point(50, 30), false, false,
       1, Point(50, 30), Point(), kUnchecked},
      {"place 1 to 5: by the Y2 corner", Point(45, 30), Point(45, -30), false, false, 5,
       Point(45, -30), kY2Corner, kCorner},
      {"place 5 to 1: by the Y1 corner", Point(45, -30), Point(45, 30), false, false, 1,
       Point(45, 30), kY1Corner, kCorner},
      {"place 2 to 4: straight off the open end", Point(30, 30), Point(30, -30), false, false, 4,
       Point(30, -30), Point(30, -30), kStraight},
      {"place 2 to 5", Point(30, 30), Point(45, -30), false, false, 5, Point(45, -30), kY1Corner,
       kCorner},
      {"place 3 to 1", Point(30, 0), Point(45, 30), false, false, 1, Point(45, 30), kY2Corner,
       kCorner},
      {"place 3 to 5", Point(30, 0), Point(45, -30), false, false, 5, Point(45, -30), kY1Corner,
       kCorner},
      {"place 4 to 1", Point(30, -30), Point(45, 30), false, false, 1, Point(45, 30), kY2Corner,
       kCorner},
      {"place 5 to 3", Point(45, -30), Point(30, 0), false, false, 3, Point(30, 0), kY1Corner,
       kCorner},
      {"neighbours: straight", Point(45, 30), Point(30, 25), false, false, 2, Point(30, 25),
       Point(30, 25), kStraight},
  };
  for (const RectCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(c.body, 0.0f);
    for (bool swapped : {false, true}) {
      ForbiddenAreaGotoPoint skill(c.target, kX1, swapped ? kY2 : kY1, swapped ? kY1 : kY2, body);
      EXPECT_EQ(skill.isForbiddenSource(), c.forbiddenSource);
      EXPECT_EQ(skill.isForbiddenTarget(), c.forbiddenTarget);
      expectPoint(skill.getRealTargetPoint(), c.realTarget);
      EXPECT_EQ(skill.getRealTargetPlace(), c.place);
      if (c.aimTolerance != kUnchecked) {
        expectAim(skill, c.aim, c.aimTolerance, body);
      }
    }
  }
}

TEST(ForbiddenAreaRect, LegNeverCrossesTheStripFromOutside) {
  // The command heads straight for the real target or for a corner; the leg that the
  // command can be heading for never crosses the strip, and arrival is on the straight path.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> xs(-10.0f, 60.0f);
  std::uniform_real_distribution<float> ys(-40.0f, 40.0f);
  std::uniform_real_distribution<float> dirs(-180.0f, 180.0f);
  int tested = 0;
  while (tested < 3000) {
    const Point position(xs(random), ys(random));
    if (insideStrip(position)) continue;
    ++tested;
    const Point target(xs(random), ys(random));
    const Body body = makeBody(position, dirs(random));
    ForbiddenAreaGotoPoint skill(target, kX1, kY1, kY2, body);
    ASSERT_FALSE(skill.isForbiddenSource());
    const std::string command = textOf(skill.getCommand());
    const Point real = skill.getRealTargetPoint();
    const bool straight = command == normalTowards(real, kStraight, body);
    bool fits = straight && !crossesStrip(position, real);
    for (const Point& corner : {kY2Corner, kY1Corner}) {
      fits = fits ||
             (command == normalTowards(corner, kCorner, body) && !crossesStrip(position, corner));
    }
    EXPECT_TRUE(fits) << position << " to " << target << ": " << command;
    if (skill.getStatus() == GOTO_STATUS_ARRIVED) {
      EXPECT_TRUE(straight);
    }
  }
}

}  // namespace
}  // namespace tovren
