#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>

namespace tovren {
namespace {

using support::captureMainLog;
using support::makeBody;

constexpr float kTolerance = 1e-3f;
constexpr float kRadius = 9.15f;
// The strip in front of the opponents' goal that both callers use.
constexpr float kX1 = 36.0f;
constexpr float kY1 = -20.0f;
constexpr float kY2 = 20.0f;
// Far more cycles than any of the walks below needs.
constexpr int kMaxWalkCycles = 150;

std::string textOf(BasicAction& skill) {
  std::unique_ptr<Command> command = skill.takeCommand();
  return command != nullptr ? command->toString() : std::string("null");
}

// The command the inner go-to gives towards a point, as the skill must take it over.
std::string normalTowards(const Point& point, float tolerance, const Body& body) {
  DashNormalGotoPoint expected(point, tolerance, body, 90.0f);
  return textOf(expected);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void expectPoint(const Point& actual, const Point& expected) {
  EXPECT_NEAR(actual.x, expected.x, kTolerance);
  EXPECT_NEAR(actual.y, expected.y, kTolerance);
}

// --- circle --------------------------------------------------------------------------

// What one circle go-to chose, read from its command and its log.
struct CircleRun {
  std::string command;
  std::string log;
  int status = -1;
  bool forbiddenSource = false;
  bool forbiddenTarget = false;
  Point realTarget;
};

CircleRun runCircle(const Point& target, const Point& center, float radius, const Body& body,
                    bool forbidBeyondCenterX = false) {
  std::ostringstream& log = captureMainLog();
  ForbiddenAreaGotoPoint skill(target, center, radius, body, forbidBeyondCenterX);
  CircleRun run;
  run.log = log.str();
  run.status = skill.getStatus();
  run.forbiddenSource = skill.isForbiddenSource();
  run.forbiddenTarget = skill.isForbiddenTarget();
  run.realTarget = skill.getRealTargetPoint();
  EXPECT_EQ(skill.getRealTargetPlace(), 0);
  EXPECT_FALSE(skill.isClockwise());
  run.command = textOf(skill);
  EXPECT_NE(run.command, "null");
  return run;
}

bool isDetour(const CircleRun& run) { return contains(run.log, "FAGotoPoint <radius \n"); }

TEST(ForbiddenAreaCircle, BodyDeepInsideEscapesRadially) {
  // At the center: out towards -x to radius + 0.5, with the escape tolerance.
  const Point center(10.0f, 5.0f);
  const Body atCenter = makeBody(center, 0.0f);
  const CircleRun run = runCircle(Point(30.0f, 5.0f), center, kRadius, atCenter);
  EXPECT_TRUE(run.forbiddenSource);
  expectPoint(run.realTarget, Point(center.x - 9.65f, center.y));
  EXPECT_EQ(run.command, normalTowards(run.realTarget, 1.5f, atCenter));
  EXPECT_EQ(run.status, GOTO_STATUS_MOVING);
  EXPECT_EQ(run.log,
            "  0000. ForbiddenAreaGotoPoint Circle\n"
            "  0000. FAGotoPoint Point = (30.00,5.00)\n"
            "  0000. FAGotoPoint Center = (10.00,5.00)\n"
            "  0000. FAGotoPoint Radius = 9.15\n"
            "  0000. FAGotoPoint forbiddenSource = true\n");

  // Off the center: along the ray from the center through the body.
  const Body offCenter = makeBody(Point(center.x + 3.0f, center.y + 4.0f), 0.0f);
  const CircleRun off = runCircle(Point(30.0f, 5.0f), center, kRadius, offCenter);
  expectPoint(off.realTarget, Point(center.x + 9.65f * 0.6f, center.y + 9.65f * 0.8f));
}

TEST(ForbiddenAreaCircle, EscapeStartsOnlyBeyondTheEscapeDepth) {
  // Exactly radius - 1.3 from the center is not escaped; it plans like a body outside and
  // the detour swings out by the full margin.
  const Point center(0.0f, 0.0f);
  const Body body = makeBody(Point(kRadius - 1.3f, 0.0f), 0.0f);
  const CircleRun run = runCircle(Point(-20.0f, 0.0f), center, kRadius, body);
  EXPECT_FALSE(run.forbiddenSource);
  EXPECT_TRUE(isDetour(run));
  EXPECT_TRUE(contains(run.log, "FAGotoPoint tp1(0.00,19.15)\n")) << run.log;
  EXPECT_TRUE(contains(run.log, "FAGotoPoint tp2(0.00,-19.15)\n")) << run.log;

  // A circle no larger than the escape depth never leads out.
  const Body inSmall = makeBody(Point(0.1f, 0.0f), 0.0f);
  EXPECT_FALSE(runCircle(Point(5.0f, 0.0f), center, 1.3f, inSmall).forbiddenSource);
}

TEST(ForbiddenAreaCircle, TargetInsideMovesOutRadiallyAndTheRimIsAllowed) {
  const Point center(-5.0f, 2.0f);
  const Body body = makeBody(Point(-30.0f, 2.0f), 0.0f);
  const CircleRun atCenter = runCircle(center, center, kRadius, body);
  EXPECT_TRUE(atCenter.forbiddenTarget);
  expectPoint(atCenter.realTarget, Point(center.x - kRadius - 0.5f, center.y));
  EXPECT_TRUE(contains(atCenter.log, "FAGotoPoint forbiddenTarget = true\n"));

  const CircleRun inside =
      runCircle(Point(center.x + 3.0f, center.y - 4.0f), center, kRadius, body);
  EXPECT_TRUE(inside.forbiddenTarget);
  expectPoint(inside.realTarget, Point(center.x + 9.65f * 0.6f, center.y - 9.65f * 0.8f));

  const Point onRim(center.x + kRadius, center.y);
  const CircleRun rim = runCircle(onRim, center, kRadius, body);
  EXPECT_FALSE(rim.forbiddenTarget);
  expectPoint(rim.realTarget, onRim);
}

TEST(ForbiddenAreaCircle, TargetBeyondTheCenterXIsClampedWhenForbidden) {
  const Point center(10.0f, 0.0f);
  const Body body = makeBody(Point(-20.0f, 0.0f), 0.0f);
  // Exactly at center.x - 1.5: allowed.
  const CircleRun atLimit = runCircle(Point(8.5f, 20.0f), center, kRadius, body, true);
  EXPECT_FALSE(atLimit.forbiddenTarget);
  expectPoint(atLimit.realTarget, Point(8.5f, 20.0f));
  // Beyond it: the x is clamped, the y kept.
  const CircleRun clamped = runCircle(Point(13.0f, 20.0f), center, kRadius, body, true);
  EXPECT_TRUE(clamped.forbiddenTarget);
  expectPoint(clamped.realTarget, Point(8.5f, 20.0f));
  EXPECT_TRUE(contains(clamped.log, "FAGotoPoint forbiddenTargetX = true\n"));
  // Clamped into the circle: then moved out radially as well.
  const CircleRun both = runCircle(Point(13.0f, 3.0f), center, kRadius, body, true);
  const float direction = Degree::arcTan2(3.0f, -1.5f);
  expectPoint(both.realTarget,
              Point(center.x + 9.65f * Degree::cos(direction), 9.65f * Degree::sin(direction)));
  // Without the flag nothing is clamped.
  EXPECT_FALSE(runCircle(Point(13.0f, 20.0f), center, kRadius, body).forbiddenTarget);
}

TEST(ForbiddenAreaCircle, StraightPathWhenTheLineMissesOrTheTargetIsNearer) {
  const Point center(0.0f, 0.0f);
  // The line from (-20, 10) to (20, 10) passes 10 m from the center.
  const Body above = makeBody(Point(-20.0f, 10.0f), 0.0f);
  const CircleRun missing = runCircle(Point(20.0f, 10.0f), center, kRadius, above);
  EXPECT_FALSE(isDetour(missing));
  EXPECT_EQ(missing.command, normalTowards(Point(20.0f, 10.0f), 1.4f, above));
  EXPECT_TRUE(contains(missing.log, "FAGotoPoint formulaA = 10.00\n")) << missing.log;
  // A line that only grazes the circle by up to 0.07 still counts as missing it.
  const float graze = kRadius - 0.06f;
  const Body grazing = makeBody(Point(-20.0f, graze), 0.0f);
  EXPECT_FALSE(isDetour(runCircle(Point(20.0f, graze), center, kRadius, grazing)));
  const float cut = kRadius - 0.08f;
  const Body cutting = makeBody(Point(-20.0f, cut), 0.0f);
  EXPECT_TRUE(isDetour(runCircle(Point(20.0f, cut), center, kRadius, cutting)));

  // A target nearer than the center is walked to straight, though the line cuts the circle.
  const Body west = makeBody(Point(-20.0f, 0.0f), 0.0f);
  const CircleRun nearer = runCircle(Point(-12.0f, 0.0f), center, kRadius, west);
  EXPECT_FALSE(isDetour(nearer));
  EXPECT_EQ(nearer.command, normalTowards(Point(-12.0f, 0.0f), 1.4f, west));

  // A tiny circle never forces a detour.
  EXPECT_FALSE(isDetour(runCircle(Point(20.0f, 0.0f), center, 0.05f, west)));
}

TEST(ForbiddenAreaCircle, CircleBehindTheBodyOnTheLineStillForcesADetour) {
  // The test looks at the whole line and at distances only: a circle behind the body,
  // with the target farther than the center, is gone around.
  const Body body = makeBody(Point(0.0f, 0.0f), 0.0f);
  EXPECT_TRUE(isDetour(runCircle(Point(30.0f, 0.0f), Point(-10.0f, 0.0f), 3.0f, body)));
}

TEST(ForbiddenAreaCircle, DetourMarginShrinksWithTheDistanceFromTheRim) {
  const Point center(0.0f, 0.0f);
  // 12 m from the center: 2.85 m outside the rim, margin 7.15, detour radius 16.30.
  const Body near = makeBody(Point(-12.0f, 0.0f), 0.0f);
  const CircleRun run = runCircle(Point(30.0f, 0.0f), center, kRadius, near);
  EXPECT_TRUE(contains(run.log, "FAGotoPoint tp1(0.00,16.30)\n")) << run.log;
  // 10 m or more outside the rim: the detour points lie on the circle itself.
  const Body far = makeBody(Point(-25.0f, 0.0f), 0.0f);
  const CircleRun onCircle = runCircle(Point(30.0f, 0.0f), center, kRadius, far);
  EXPECT_TRUE(contains(onCircle.log, "FAGotoPoint tp1(0.00,9.15)\n")) << onCircle.log;
}

// The detour rules, each on a case made for it. The body is 12 m from the center on its
// -x side unless said otherwise; the target lies beyond the circle.
struct DetourCase {
  const char* name;
  Point center;
  Point body;
  float bodyDir;
  Point target;
  bool forbidBeyondCenterX;
  const char* selectLine;
  bool first;  // tp1 chosen
};

// tp1 and tp2 as the log wrote them, read back with two decimals.
Point loggedPoint(const std::string& log, const std::string& label) {
  const std::string::size_type at = log.find(label);
  EXPECT_NE(at, std::string::npos) << log;
  Point point;
  if (at != std::string::npos) {
    std::istringstream in(log.substr(at + label.size()));
    char ignored = 0;
    in >> ignored >> point.x >> ignored >> point.y;
  }
  return point;
}

TEST(ForbiddenAreaCircle, DetourPointChosenByTheFirstRuleThatHolds) {
  // tp1 and tp2 lie on the bisector of the two angles from the center (not normalised)
  // and opposite it. With the body at 12 m from the center the detour radius is 16.30.
  const DetourCase cases[] = {
      // Both off the field (beyond |x| 56.5): tp2.
      {"both refused", Point(100.0f, 0.0f), Point(90.0f, 0.0f), 0.0f, Point(110.0f, 0.1f), false,
       "FAGotoPoint select2 mode 1\n", false},
      // tp1 above |y| 38.
      {"tp1 refused", Point(0.0f, 30.0f), Point(-10.3923f, 36.0f), 0.0f, Point(10.3923f, 36.0f),
       false, "FAGotoPoint select2 mode 1\n", false},
      // tp2 above |y| 38.
      {"tp2 refused", Point(0.0f, 30.0f), Point(-10.3923f, 24.0f), 0.0f, Point(10.3923f, 24.0f),
       false, "FAGotoPoint select1 mode 1\n", true},
      // tp2 beyond the center's x, which the flag forbids.
      {"tp2 beyond center x", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), 0.0f, Point(-1.5f, 11.0f),
       true, "FAGotoPoint select1 mode 1\n", true},
      // Target up and right: tp1 (at 100 degrees) is clearly nearer.
      {"tp1 clearly nearer", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), 0.0f,
       Point(28.1908f, 10.2606f), false, "FAGotoPoint select1 mode 2\n", true},
      // Its mirror image: tp2 (at -100 degrees) is clearly nearer.
      {"tp2 clearly nearer", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), 0.0f,
       Point(28.1908f, -10.2606f), false, "FAGotoPoint select2 mode 2\n", false},
      // Equally far; only the body facing tp1 (up at 53.6 degrees) would dash now.
      {"dash only to tp1", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), 53.6371f, Point(30.0f, 0.0f),
       false, "FAGotoPoint select1 mode 3\n", true},
      {"dash only to tp2", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), -53.6371f, Point(30.0f, 0.0f),
       false, "FAGotoPoint select2 mode 3\n", false},
      // Equally far, both turning: the one nearer the middle of the field across, tp1 here.
      {"tp1 nearer the middle", Point(0.0f, -5.0f), Point(-12.0f, -5.0f), 0.0f, Point(30.0f, -5.0f),
       false, "FAGotoPoint select1 mode 4\n", true},
      // Equal |y|: tp2.
      {"equal y", Point(0.0f, 0.0f), Point(-12.0f, 0.0f), 0.0f, Point(30.0f, 0.0f), false,
       "FAGotoPoint select2 mode 4\n", false},
  };
  for (const DetourCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body = makeBody(c.body, c.bodyDir);
    const CircleRun run = runCircle(c.target, c.center, kRadius, body, c.forbidBeyondCenterX);
    ASSERT_TRUE(isDetour(run)) << run.log;
    EXPECT_TRUE(contains(run.log, c.selectLine)) << run.log;
    // Only the last rules need the trial go-tos.
    EXPECT_EQ(contains(run.log, "FAGotoPoint directdashes"),
              contains(c.selectLine, "mode 3") || contains(c.selectLine, "mode 4"));
    const Point chosen = loggedPoint(run.log, c.first ? "FAGotoPoint tp1" : "FAGotoPoint tp2");
    // The logged point carries two decimals: the command must be the one towards a point
    // that near, up to the turn that the rounding makes.
    const std::string expected = normalTowards(chosen, 1.1f, body);
    EXPECT_EQ(run.command.substr(0, 6), expected.substr(0, 6)) << run.command;
    EXPECT_NEAR(std::stof(run.command.substr(6)), std::stof(expected.substr(6)), 0.1f);
    EXPECT_EQ(run.status, GOTO_STATUS_MOVING);
    EXPECT_FALSE(run.forbiddenSource);
  }
}

TEST(ForbiddenAreaCircle, TrialGoTosAreLoggedAsZeroOrOne) {
  const Body body = makeBody(Point(-12.0f, 0.0f), 53.6371f);
  const CircleRun run = runCircle(Point(30.0f, 0.0f), Point(0.0f, 0.0f), kRadius, body);
  EXPECT_EQ(run.log,
            "  0000. ForbiddenAreaGotoPoint Circle\n"
            "  0000. FAGotoPoint Point = (30.00,0.00)\n"
            "  0000. FAGotoPoint Center = (0.00,0.00)\n"
            "  0000. FAGotoPoint Radius = 9.15\n"
            "  0000. FAGotoPoint newPoint = (30.00,0.00)\n"
            "  0000. FAGotoPoint formulaA = 0.00\n"
            "  0000. FAGotoPoint <radius \n"
            "  0000. FAGotoPoint centerSourceAngle=180.00\n"
            "  0000. FAGotoPoint centerTargetAngle=0.00\n"
            "  0000. FAGotoPoint middleAngle=-90.00\n"
            "  0000. FAGotoPoint tp1(0.00,16.30)\n"
            "  0000. FAGotoPoint tp2(0.00,-16.30)\n"
            "  0000. FAGotoPoint directdashes1 0\n"
            "  0000. FAGotoPoint select1 mode 3\n");
  EXPECT_EQ(run.command, normalTowards(Point(0.0f, 16.3f), 1.1f, body));
}

TEST(ForbiddenAreaCircle, ArrivalOnlyOnTheStraightPath) {
  // Standing on the target outside the circle: straight, and arrived.
  const Body onTarget = makeBody(Point(-20.0f, 3.0f), 0.0f);
  const CircleRun arrived = runCircle(Point(-20.0f, 3.0f), Point(0.0f, 0.0f), kRadius, onTarget);
  EXPECT_EQ(arrived.status, GOTO_STATUS_ARRIVED);
  EXPECT_NE(arrived.command, "null");

  // 5 m outside the rim the detour circle runs through the body: with a target almost on
  // the ray from the center through the body, the chosen detour point lies within its
  // tolerance. That is no arrival.
  const Body onDetourCircle = makeBody(Point(kRadius + 5.0f, 0.0f), 0.0f);
  const CircleRun detour =
      runCircle(Point(40.0f, 0.5f), Point(0.0f, 0.0f), kRadius, onDetourCircle);
  ASSERT_TRUE(isDetour(detour)) << detour.log;
  EXPECT_TRUE(contains(detour.log, "FAGotoPoint select1 mode 2\n")) << detour.log;
  EXPECT_EQ(detour.status, GOTO_STATUS_MOVING);
}

TEST(ForbiddenAreaCircle, StatusAndCommandOverRandomPlacements) {
  // Wherever body and target stand: a finite command, and arrival only when the body went
  // straight and stands within the straight path's tolerance of the real target.
  std::mt19937 random(12);
  std::uniform_real_distribution<float> xs(-55.0f, 55.0f);
  std::uniform_real_distribution<float> ys(-36.0f, 36.0f);
  std::uniform_real_distribution<float> dirs(-180.0f, 180.0f);
  std::uniform_real_distribution<float> near(-2.0f, 2.0f);
  int arrivals = 0;
  int detours = 0;
  for (int i = 0; i < 2000; ++i) {
    const Point center(xs(random) * 0.5f, ys(random) * 0.5f);
    const Point position = i % 4 == 0
                               ? Point(center.x + 12.0f + near(random), center.y + near(random))
                               : Point(xs(random), ys(random));
    const Point target = i % 3 == 0 ? Point(position.x + near(random), position.y + near(random))
                                    : Point(xs(random), ys(random));
    const Body body = makeBody(position, dirs(random));
    const CircleRun run = runCircle(target, center, kRadius, body, i % 5 == 0);
    EXPECT_FALSE(contains(run.command, "nan") || contains(run.command, "inf")) << run.command;
    detours += isDetour(run) ? 1 : 0;
    if (run.status == GOTO_STATUS_ARRIVED) {
      ++arrivals;
      EXPECT_FALSE(isDetour(run));
      EXPECT_FALSE(run.forbiddenSource);
      EXPECT_LE(body.getDistance(run.realTarget), 1.4f + kTolerance);
    }
  }
  EXPECT_GT(arrivals, 0);
  EXPECT_GT(detours, 0);
}

TEST(ForbiddenAreaCircle, WalksAroundTheCircleToTheTarget) {
  const Point center(0.0f, 0.0f);
  const Point target(20.0f, 1.0f);
  Body body = makeBody(Point(-20.0f, -1.0f), 90.0f);
  int cycle = 0;
  for (; cycle < kMaxWalkCycles; ++cycle) {
    ForbiddenAreaGotoPoint skill(target, center, kRadius, body, false);
    std::unique_ptr<Command> command = skill.takeCommand();
    ASSERT_NE(command, nullptr);
    if (skill.getStatus() == GOTO_STATUS_ARRIVED) {
      break;
    }
    support::simulateCycle(body, command.get());
    EXPECT_GT(body.getDistance(center), kRadius - 1.3f);
  }
  EXPECT_LT(cycle, kMaxWalkCycles);
  EXPECT_LE(body.getDistance(target), 1.4f);
}

// --- rectangle -----------------------------------------------------------------------

struct RectRun {
  std::string command;
  std::string log;
  int status = -1;
  bool forbiddenSource = false;
  bool forbiddenTarget = false;
  int place = -1;
  Point realTarget;
  int goModel = -1;  // -1 when none was logged (escape)
};

RectRun runRect(const Point& target, const Body& body, float X1 = kX1, float Y1 = kY1,
                float Y2 = kY2) {
  std::ostringstream& log = captureMainLog();
  ForbiddenAreaGotoPoint skill(target, X1, Y1, Y2, body);
  RectRun run;
  run.log = log.str();
  run.status = skill.getStatus();
  run.forbiddenSource = skill.isForbiddenSource();
  run.forbiddenTarget = skill.isForbiddenTarget();
  run.place = skill.getRealTargetPlace();
  run.realTarget = skill.getRealTargetPoint();
  EXPECT_FALSE(skill.isClockwise());
  run.command = textOf(skill);
  EXPECT_NE(run.command, "null");
  const std::string label = "FAGotoPoint goModel = ";
  const std::string::size_type at = run.log.find(label);
  if (at != std::string::npos) {
    run.goModel = std::stoi(run.log.substr(at + label.size()));
  }
  return run;
}

// The point the rectangle go-to heads for and the tolerance it uses.
Point aimedPoint(const RectRun& run) {
  if (run.goModel == 1) return Point(kX1 - 1.5f, kY2 + 1.5f);
  if (run.goModel == 2) return Point(kX1 - 1.5f, kY1 - 1.5f);
  return run.realTarget;
}

float aimedTolerance(const RectRun& run) {
  if (run.forbiddenSource) return 1.2f;
  return run.goModel == 0 ? 1.4f : 1.0f;
}

// Whether the segment from a to b enters the open strip x > X1, Y1 < y < Y2 by more than
// a hair (touching a border is allowed).
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

TEST(ForbiddenAreaRect, BoundsGivenInEitherOrderMakeTheSameArea) {
  const Body body = makeBody(Point(45.0f, 30.0f), -90.0f);
  const RectRun ordered = runRect(Point(45.0f, -30.0f), body, kX1, kY1, kY2);
  const RectRun swapped = runRect(Point(45.0f, -30.0f), body, kX1, kY2, kY1);
  EXPECT_EQ(ordered.log, swapped.log);
  EXPECT_EQ(ordered.command, swapped.command);
  EXPECT_TRUE(contains(swapped.log, "ForbiddenAreaGotoPoint Y1 = -20.00\n"));
  EXPECT_TRUE(contains(swapped.log, "ForbiddenAreaGotoPoint Y2 = 20.00\n"));
}

TEST(ForbiddenAreaRect, PlacesFollowTheBordersExactly) {
  const Body body = makeBody(Point(0.0f, 0.0f), 0.0f);
  // On the open end's line: not inside, in front of it.
  const RectRun onOpenEnd = runRect(Point(kX1, 5.0f), body);
  EXPECT_FALSE(onOpenEnd.forbiddenTarget);
  EXPECT_EQ(onOpenEnd.place, 3);
  // On the Y2 side beyond X1: not inside, beside it.
  const RectRun onSide = runRect(Point(45.0f, kY2), body);
  EXPECT_FALSE(onSide.forbiddenTarget);
  EXPECT_EQ(onSide.place, 1);
  EXPECT_EQ(runRect(Point(kX1, kY2), body).place, 2);
  EXPECT_EQ(runRect(Point(kX1, kY1), body).place, 4);
  EXPECT_EQ(runRect(Point(45.0f, kY1), body).place, 5);
}

TEST(ForbiddenAreaRect, TargetInsideMovesOntoTheNearestBorder) {
  const Body body = makeBody(Point(0.0f, 0.0f), 0.0f);
  // Nearest the open end.
  const RectRun open = runRect(Point(40.0f, 5.0f), body);
  EXPECT_TRUE(open.forbiddenTarget);
  expectPoint(open.realTarget, Point(kX1, 5.0f));
  EXPECT_EQ(open.place, 3);
  // Nearest the Y1 side, and the Y2 side.
  const RectRun y1 = runRect(Point(50.0f, -17.0f), body);
  expectPoint(y1.realTarget, Point(50.0f, kY1));
  EXPECT_EQ(y1.place, 5);
  const RectRun y2 = runRect(Point(50.0f, 17.0f), body);
  expectPoint(y2.realTarget, Point(50.0f, kY2));
  EXPECT_EQ(y2.place, 1);
  EXPECT_TRUE(contains(y2.log, "FAGotoPoint near2\n"));
  // Ties: the open end before the Y1 side, the Y1 side before the Y2 side.
  expectPoint(runRect(Point(46.0f, -10.0f), body).realTarget, Point(kX1, -10.0f));
  const RectRun middle = runRect(Point(58.0f, 0.0f), body);
  expectPoint(middle.realTarget, Point(58.0f, kY1));
  EXPECT_TRUE(contains(middle.log, "FAGotoPoint near1\n"));
  EXPECT_FALSE(contains(middle.log, "FAGotoPoint near2\n"));
}

TEST(ForbiddenAreaRect, GoldenLogOfAMovedTargetGoneRoundByTheY1Corner) {
  const Body body = makeBody(Point(20.0f, 30.0f), 0.0f);
  const RectRun run = runRect(Point(58.0f, 0.0f), body);
  EXPECT_EQ(run.log,
            "  0000. ForbiddenAreaGotoPoint Rect\n"
            "  0000. FAGotoPoint Point 1st=(58.00,0.00)\n"
            "  0000. ForbiddenAreaGotoPoint X1 = 36.00\n"
            "  0000. ForbiddenAreaGotoPoint Y1 = -20.00\n"
            "  0000. ForbiddenAreaGotoPoint Y2 = 20.00\n"
            "  0000. FAGotoPoint forbiddenTargetFlag = true\n"
            "  0000. FAGotoPoint near1\n"
            "  0000. FAGotoPoint Point 2nd=(58.00,-20.00)\n"
            "  0000. FAGotoPoint realTargetPlace = 5\n"
            "  0000. FAGotoPoint sourcePlace2\n"
            "  0000. FAGotoPoint goModel = 2\n");
  EXPECT_EQ(run.command, normalTowards(Point(34.5f, -21.5f), 1.0f, body));
  EXPECT_EQ(run.status, GOTO_STATUS_MOVING);
}

TEST(ForbiddenAreaRect, BodyDeepInsideEscapesByTheNearestBorder) {
  // Nearest the open end: out to X1 at the real target's y, not the body's.
  const Body nearOpen = makeBody(Point(40.0f, 0.0f), 0.0f);
  const RectRun open = runRect(Point(0.0f, 30.0f), nearOpen);
  EXPECT_TRUE(open.forbiddenSource);
  expectPoint(open.realTarget, Point(36.0f, 30.0f));
  EXPECT_EQ(open.place, 1);
  EXPECT_EQ(open.goModel, -1);
  EXPECT_EQ(open.command, normalTowards(Point(36.0f, 30.0f), 1.2f, nearOpen));
  EXPECT_TRUE(contains(open.log, "FAGotoPoint forbiddenSourceFlag = true\n"));
  // Nearest a side: out across it at the body's x.
  const Body nearY1 = makeBody(Point(50.0f, -18.0f), 0.0f);
  const RectRun y1 = runRect(Point(0.0f, 0.0f), nearY1);
  expectPoint(y1.realTarget, Point(50.0f, kY1));
  EXPECT_TRUE(contains(y1.log, "FAGotoPoint fsource near1\n"));
  EXPECT_EQ(y1.place, 1);
  const Body nearY2 = makeBody(Point(50.0f, 18.0f), 0.0f);
  const RectRun y2 = runRect(Point(0.0f, 0.0f), nearY2);
  expectPoint(y2.realTarget, Point(50.0f, kY2));
  EXPECT_TRUE(contains(y2.log, "FAGotoPoint fsource near2\n"));
}

TEST(ForbiddenAreaRect, BodyWithinTheEscapeMarginGoesStraight) {
  const Body edge = makeBody(Point(kX1 + 0.8f, 0.0f), 0.0f);
  const RectRun run = runRect(Point(0.0f, 30.0f), edge);
  EXPECT_FALSE(run.forbiddenSource);
  EXPECT_TRUE(contains(run.log, "FAGotoPoint sourcePlace0\n"));
  EXPECT_EQ(run.goModel, 0);
  EXPECT_EQ(run.command, normalTowards(Point(0.0f, 30.0f), 1.4f, edge));
  const Body side = makeBody(Point(50.0f, kY2 - 0.8f), 0.0f);
  EXPECT_FALSE(runRect(Point(50.0f, -30.0f), side).forbiddenSource);
}

TEST(ForbiddenAreaRect, GoModelByPlaces) {
  struct PlaceCase {
    Point body;
    Point target;
    int goModel;
  };
  const PlaceCase cases[] = {
      {Point(45.0f, 30.0f), Point(45.0f, -30.0f), 1},  // 1 to 5: by the Y2 corner first
      {Point(30.0f, 30.0f), Point(30.0f, -30.0f), 0},  // 2 to 4: straight, off the open end
      {Point(30.0f, 30.0f), Point(45.0f, -30.0f), 2},  // 2 to 5
      {Point(30.0f, 0.0f), Point(45.0f, 30.0f), 1},    // 3 to 1
      {Point(30.0f, -30.0f), Point(45.0f, 30.0f), 1},  // 4 to 1
      {Point(45.0f, -30.0f), Point(30.0f, 0.0f), 2},   // 5 to 3
      {Point(45.0f, 30.0f), Point(30.0f, 25.0f), 0},   // neighbours
  };
  for (const PlaceCase& c : cases) {
    const Body body = makeBody(c.body, 0.0f);
    const RectRun run = runRect(c.target, body);
    EXPECT_EQ(run.goModel, c.goModel) << run.log;
  }
  // By a corner: heading for it, with the corner tolerance.
  const Body place1 = makeBody(Point(45.0f, 30.0f), 0.0f);
  EXPECT_EQ(runRect(Point(45.0f, -30.0f), place1).command,
            normalTowards(Point(34.5f, 21.5f), 1.0f, place1));
}

TEST(ForbiddenAreaRect, LegNeverCrossesTheStripFromOutside) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> xs(-10.0f, 60.0f);
  std::uniform_real_distribution<float> ys(-40.0f, 40.0f);
  std::uniform_real_distribution<float> dirs(-180.0f, 180.0f);
  int tested = 0;
  int byCorner = 0;
  while (tested < 3000) {
    const Point position(xs(random), ys(random));
    if (position.x > kX1 && position.y > kY1 && position.y < kY2) {
      continue;
    }
    ++tested;
    const Point target(xs(random), ys(random));
    const Body body = makeBody(position, dirs(random));
    const RectRun run = runRect(target, body);
    ASSERT_FALSE(run.forbiddenSource);
    ASSERT_GE(run.goModel, 0) << run.log;
    byCorner += run.goModel != 0 ? 1 : 0;
    const Point aimed = aimedPoint(run);
    EXPECT_FALSE(crossesStrip(position, aimed)) << run.log;
    // The command is the inner go-to's towards that very point.
    EXPECT_EQ(run.command, normalTowards(aimed, aimedTolerance(run), body)) << run.log;
    if (run.status == GOTO_STATUS_ARRIVED) {
      EXPECT_EQ(run.goModel, 0);
    }
  }
  EXPECT_GT(byCorner, 100);
}

TEST(ForbiddenAreaRect, ArrivalOnlyOnTheStraightPath) {
  // Within the tolerance of a target outside: arrived.
  const Body near = makeBody(Point(30.0f, 25.0f), 0.0f);
  EXPECT_EQ(runRect(Point(30.5f, 25.5f), near).status, GOTO_STATUS_ARRIVED);
  // Escaping through the open end from 0.9 m inside: the escape point (36, 0) lies within
  // the escape tolerance, and that is no arrival.
  const Body inside = makeBody(Point(36.9f, 0.0f), 0.0f);
  const RectRun escape = runRect(Point(0.0f, 0.0f), inside);
  ASSERT_TRUE(escape.forbiddenSource);
  EXPECT_EQ(escape.status, GOTO_STATUS_MOVING);
}

TEST(ForbiddenAreaRect, WalksRoundTheStripToTheOtherSide) {
  const Point target(45.0f, -25.0f);
  Body body = makeBody(Point(45.0f, 25.0f), 0.0f);
  int cycle = 0;
  int corners = 0;
  for (; cycle < kMaxWalkCycles; ++cycle) {
    const RectRun run = runRect(target, body);
    if (run.status == GOTO_STATUS_ARRIVED) {
      break;
    }
    corners += run.goModel != 0 ? 1 : 0;
    ASSERT_FALSE(run.forbiddenSource) << "cycle " << cycle;
    ForbiddenAreaGotoPoint skill(target, kX1, kY1, kY2, body);
    std::unique_ptr<Command> command = skill.takeCommand();
    support::simulateCycle(body, command.get());
  }
  EXPECT_LT(cycle, kMaxWalkCycles);
  EXPECT_GT(corners, 0);
  EXPECT_LE(body.getDistance(target), 1.4f);
}

}  // namespace
}  // namespace tovren
