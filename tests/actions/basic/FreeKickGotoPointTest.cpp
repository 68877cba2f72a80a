#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "support/ActionScene.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace {

using support::makeBody;

constexpr float kTolerance = 1e-3f;
// Far more cycles than any of the walks below needs.
constexpr int kMaxWalkCycles = 80;
// The recorded player size and the distance behind the ball used below.
constexpr float kBodySize = 0.3f;
constexpr float kBehind = 0.5f;

std::string textOf(BasicAction& skill) {
  std::unique_ptr<Command> command = skill.takeCommand();
  return command != nullptr ? command->toString() : std::string("null");
}

// The command the set-play approach must give when it heads for the point.
std::string exactTowards(const Point& point, const Body& body) {
  ExactGotoPoint expected(point, 0.2f, body, false);
  return textOf(expected);
}

TEST(FreeKickGotoPoint, BehindPointLiesOppositeTheKickBeyondBothSizes) {
  // Kick direction 0 from the origin: the point behind lies 0.3 + 0.5 + 0.1 on the -x axis.
  const Body body = makeBody(Point(-10.0f, 0.0f), 0.0f);
  ASSERT_NEAR(body.getSize(), kBodySize, kTolerance);
  FreeKickGotoPoint skill(Point(0.0f, 0.0f), 0.0f, kBehind, body);
  EXPECT_EQ(skill.getStatus(), GOTO_STATUS_MOVING);
  EXPECT_EQ(textOf(skill), exactTowards(Point(-0.9f, 0.0f), body));
}

TEST(FreeKickGotoPoint, KickerOnTheKickSideGoesHalfwayRound) {
  // Ball at the origin, kick towards +x; the kicker stands on the kick side, a little
  // above the line. The way round lies at 0.3 + 0.5 + 2.0 from the ball, halfway between
  // the ball-to-kicker direction and the direction behind the ball.
  const Point kicker(5.0f, 0.2f);
  const Body body = makeBody(kicker, 180.0f);
  const float ballToKicker = Degree::arcTan2(kicker.y, kicker.x);
  const float halfway = ballToKicker + 0.5f * Degree::normalizeAngle(180.0f - ballToKicker);
  const Point detour(2.8f * Degree::cos(halfway), 2.8f * Degree::sin(halfway));
  EXPECT_GT(detour.y, 2.7f);  // the side of the ball the kicker already stands on

  FreeKickGotoPoint skill(Point(0.0f, 0.0f), 0.0f, kBehind, body);
  EXPECT_EQ(skill.getStatus(), GOTO_STATUS_MOVING);
  EXPECT_EQ(textOf(skill), exactTowards(detour, body));

  // Mirrored below the line: round the other side.
  const Body below = makeBody(Point(kicker.x, -kicker.y), 180.0f);
  FreeKickGotoPoint mirrored(Point(0.0f, 0.0f), 0.0f, kBehind, below);
  EXPECT_EQ(textOf(mirrored), exactTowards(Point(detour.x, -detour.y), below));
}

TEST(FreeKickGotoPoint, BallClearOfTheWayIsNotGoneAround) {
  // The line from (0, 5) to the point behind (-0.9, 0) passes 0.886 from the ball, beyond
  // the sizes plus the margin (0.81).
  const Body body = makeBody(Point(0.0f, 5.0f), -90.0f);
  FreeKickGotoPoint skill(Point(0.0f, 0.0f), 0.0f, kBehind, body);
  EXPECT_EQ(textOf(skill), exactTowards(Point(-0.9f, 0.0f), body));
}

TEST(FreeKickGotoPoint, KickerCloseToThePointBehindNeverGoesRound) {
  // Between the ball and the point behind, on the line: the ball is nearer than the point
  // behind, but the point behind lies within the offset's length.
  const Body body = makeBody(Point(-0.3f, 0.05f), 180.0f);
  FreeKickGotoPoint skill(Point(0.0f, 0.0f), 0.0f, kBehind, body);
  EXPECT_EQ(textOf(skill), exactTowards(Point(-0.9f, 0.0f), body));
}

TEST(FreeKickGotoPoint, ArrivesOnlyWithinTheToleranceOfThePointBehind) {
  const Body within = makeBody(Point(-0.9f + 0.19f, 0.0f), 0.0f);
  FreeKickGotoPoint arrived(Point(0.0f, 0.0f), 0.0f, kBehind, within);
  EXPECT_EQ(arrived.getStatus(), GOTO_STATUS_ARRIVED);
  EXPECT_EQ(arrived.getCommand(), nullptr);

  const Body outside = makeBody(Point(-0.9f - 0.21f, 0.0f), 0.0f);
  FreeKickGotoPoint moving(Point(0.0f, 0.0f), 0.0f, kBehind, outside);
  EXPECT_EQ(moving.getStatus(), GOTO_STATUS_MOVING);
  EXPECT_NE(textOf(moving), "null");
}

TEST(FreeKickGotoPoint, WalksAroundTheBallAndArrivesBehindIt) {
  // From every side of a ball kicked at 30 degrees: the kicker reaches the point behind
  // the ball under the motion model and never runs into the ball on the way.
  const Point ball(10.0f, -5.0f);
  const float kickDir = 30.0f;
  const Point behind(ball.x + 0.9f * Degree::cos(kickDir + 180.0f),
                     ball.y + 0.9f * Degree::sin(kickDir + 180.0f));
  for (int side = 0; side < 8; ++side) {
    SCOPED_TRACE(side);
    const float around = 45.0f * static_cast<float>(side) + 10.0f;
    Body body = makeBody(
        Point(ball.x + 6.0f * Degree::cos(around), ball.y + 6.0f * Degree::sin(around)), around);
    int cycle = 0;
    for (; cycle < kMaxWalkCycles; ++cycle) {
      FreeKickGotoPoint skill(ball, kickDir, kBehind, body);
      std::unique_ptr<Command> command = skill.takeCommand();
      if (skill.getStatus() == GOTO_STATUS_ARRIVED) {
        break;
      }
      support::simulateCycle(body, command.get());
      EXPECT_GT(body.getDistance(ball), kBodySize);
    }
    EXPECT_LT(cycle, kMaxWalkCycles);
    EXPECT_LT(body.getDistance(behind), 0.2f);
  }
}

}  // namespace
}  // namespace tovren
