#include "worldmodel/Ball.h"

#include "connection/Command.h"
#include "foundation/SExpression.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

namespace tovren {
namespace {

using support::parseEntry;

constexpr float TOLERANCE = 1e-4f;
// The grid places a seen ball to about a cell (0.18 m).
constexpr float GRID_TOLERANCE = 0.2f;

// The recorded match: ball_size 0.085, ball_decay 0.94, ball_speed_max 3,
// ball_accel_max 2.7, kick_power_rate 0.027, maxpower 100; type 0: player_size 0.3,
// kickable_margin 0.7.
Body originBody(float bodyDir = 0.0f) { return support::makeBody(Point(0.0f, 0.0f), bodyDir); }

TEST(BallKick, EffectivenessFallsWithGapAndAngle) {
  Body body = originBody();
  // Straight ahead at 0.5: gap 0.115, effectiveness 1 - 0.25 * 0.115 / 0.7 = 0.958929.
  Ball ahead = support::makeBallNearBody(body, 0.5f, 0.0f);
  KickCommand kick(100.0f, 20.0f);
  ahead.simulateByAction(body, &kick, false);
  EXPECT_NEAR(ahead.getVel().getMagnitude(), 2.5891071f, TOLERANCE);
  EXPECT_NEAR(ahead.getVel().getDirection(), 20.0f, TOLERANCE);
  EXPECT_EQ(ahead.getPos().getX(), 0.5f);

  // 45 degrees off the body: a further 0.25 * 45 / 180.
  Ball aside = support::makeBallNearBody(body, 0.5f, 45.0f);
  KickCommand straight(100.0f, 0.0f);
  aside.simulateByAction(body, &straight, false);
  EXPECT_NEAR(aside.getVel().getMagnitude(), 100.0f * 0.027f * 0.8964286f, TOLERANCE);
}

TEST(BallKick, AtTheEdgeOfTheKickableAreaAQuarterIsLost) {
  Body body = originBody(-30.0f);
  // 0.3 + 0.7 + 0.085 from the body's centre: gap 0.7, effectiveness 0.75.
  Ball edge = support::makeBallNearBody(body, 1.085f, 0.0f);
  KickCommand kick(100.0f, 0.0f);
  edge.simulateByAction(body, &kick, false);
  EXPECT_NEAR(edge.getVel().getMagnitude(), 2.025f, TOLERANCE);
  EXPECT_NEAR(edge.getVel().getDirection(), -30.0f, TOLERANCE);

  Ball edgeSide = support::makeBallNearBody(body, 1.085f, -90.0f);
  edgeSide.simulateByAction(body, &kick, false);
  EXPECT_NEAR(edgeSide.getVel().getMagnitude(), 2.7f * 0.625f, TOLERANCE);
}

TEST(BallKick, BodyWithoutKickableMarginMovesNothing) {
  // As the kick skills plan it: no margin, no reach, whatever the gap.
  Body body = originBody();
  ConfigGroup type = support::RecordedParams::get().getPlayerType(0);
  type.add("kickable_margin", "0");
  body.setType(0, type);
  Ball ball = support::makeBallNearBody(body, 0.385f, 0.0f);
  KickCommand kick(100.0f, 0.0f);
  ball.simulateByAction(body, &kick, false);
  EXPECT_EQ(ball.getVel().getMagnitude(), 0.0f);
}

TEST(BallKick, PowerAndSpeedAreCapped) {
  Body body = originBody();
  Ball strong = support::makeBallNearBody(body, 0.5f, 0.0f);
  KickCommand tooStrong(150.0f, 0.0f);
  strong.simulateByAction(body, &tooStrong, false);
  EXPECT_NEAR(strong.getVel().getMagnitude(), 2.5891071f, TOLERANCE);

  Ball rolling = support::makeBallNearBody(body, 0.5f, 0.0f, support::polar(2.0f, 0.0f));
  KickCommand kick(100.0f, 0.0f);
  rolling.simulateByAction(body, &kick, false);
  EXPECT_NEAR(rolling.getVel().getMagnitude(), 3.0f, TOLERANCE);
}

TEST(BallKickDeathTest, DirectionOutsideTheMomentsStops) {
  Body body = originBody();
  Ball ball = support::makeBallNearBody(body, 0.5f, 0.0f);
  KickCommand kick(50.0f, 190.0f);
  EXPECT_DEATH(ball.simulateByAction(body, &kick, false), "direction >= body.getMinMoment");
}

TEST(BallMove, OnlyACarryingMoveTakesTheBallAlong) {
  Body body = support::makeBody(Point(-40.0f, 5.0f), 0.0f);
  Ball ball = support::makeBall(body, Point(-39.5f, 5.2f), support::polar(1.0f, 0.0f));
  MoveCommand move(-45.0f, 10.0f);
  Ball kept = ball;
  kept.simulateByAction(body, &move, false);
  EXPECT_FLOAT_EQ(kept.getPos().getX(), -39.5f);
  ball.simulateByAction(body, &move, true);
  EXPECT_NEAR(ball.getPos().getX(), -44.5f, TOLERANCE);
  EXPECT_NEAR(ball.getPos().getY(), 10.2f, TOLERANCE);
  EXPECT_EQ(ball.getVel().getMagnitude(), 0.0f);
}

Ball movingBall(const Body& body, unsigned int seeTime) {
  Ball ball = support::makeBall(body, Point(10.0f, 0.0f), support::polar(1.0f, 0.0f));
  ball.setVelDeviation(0.0f);
  ball.setSeePosDeviation(0.0f);
  ball.setSeeTime(seeTime);
  return ball;
}

TEST(BallDynamics, PlainStepMovesDecaysAndGrowsDeviations) {
  Body body = originBody();
  Ball ball = movingBall(body, 0);
  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  EXPECT_NEAR(ball.getPos().getX(), 11.0f, TOLERANCE);
  EXPECT_NEAR(ball.getVel().getX(), 0.94f, TOLERANCE);
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 1.5f);
  EXPECT_FLOAT_EQ(ball.getValidPosDeviation(), 1.5f);
  EXPECT_FLOAT_EQ(ball.getSeePosDeviation(), 1.5f);
  EXPECT_NEAR(ball.getVelDeviation(), 0.03f, TOLERANCE);
  EXPECT_NEAR(ball.getBodyVec().getX(), 11.0f, TOLERANCE);
  EXPECT_FALSE(ball.isCollision());
}

TEST(BallDynamics, TrackedStepGrowsWithTheSpeedAfterDecay) {
  Body body = originBody();
  Ball ball = movingBall(body, 10);
  ball.simulateByDynamics(body, BCM_NONE, BS_FreeBall, 10);
  // 0.3 * 0.94 is below 0.3; the seen deviation grows by 0.5 * 0.94 + 0.1.
  EXPECT_NEAR(ball.getPosDeviation(), 0.3f, TOLERANCE);
  EXPECT_NEAR(ball.getSeePosDeviation(), 0.57f, TOLERANCE);
  EXPECT_NEAR(ball.getVelDeviation(), 0.01f, TOLERANCE);
  EXPECT_NEAR(ball.getPos().getX(), 11.0f, TOLERANCE);

  Ball fast = movingBall(body, 10);
  fast.setVel() = support::polar(2.0f, 0.0f);
  fast.simulateByDynamics(body, BCM_NONE, BS_KICKABLE_BODY, 12);
  EXPECT_NEAR(fast.getPosDeviation(), 0.3f * 1.88f, TOLERANCE);
}

TEST(BallDynamics, HeldOrLongUnseenBallKeepsItsPosition) {
  Body body = originBody();
  Ball held = movingBall(body, 10);
  held.simulateByDynamics(body, BCM_NONE, BS_KICKABLE_OPP, 11);
  EXPECT_FLOAT_EQ(held.getPos().getX(), 10.0f);
  EXPECT_NEAR(held.getVel().getX(), 0.94f, TOLERANCE);
  EXPECT_FLOAT_EQ(held.getPosDeviation(), 1.5f);

  Ball unseen = movingBall(body, 10);
  unseen.simulateByDynamics(body, BCM_NONE, BS_KICKABLE_BODY, 16);
  EXPECT_FLOAT_EQ(unseen.getPos().getX(), 10.0f);

  Ball recent = movingBall(body, 10);
  recent.simulateByDynamics(body, BCM_NONE, BS_KICKABLE_BODY, 15);
  EXPECT_NEAR(recent.getPos().getX(), 11.0f, TOLERANCE);
}

TEST(BallDynamics, UnknownStatusMovesNothingButCapsAndRefreshes) {
  Body body = originBody();
  Ball ball = movingBall(body, 10);
  ball.setPosDeviation(25.0f);
  body.setPos().setAsCartesian(5.0f, 0.0f);
  ball.simulateByDynamics(body, BCM_NONE, static_cast<BallStatus>(14), 10);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 10.0f);
  EXPECT_FLOAT_EQ(ball.getVel().getX(), 1.0f);
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 20.0f);
  EXPECT_NEAR(ball.getAbsVec().getX(), 5.0f, TOLERANCE);
}

// The ball ends 0.3 from the body's centre: sizes 0.3 + 0.085 = 0.385.
Ball touchingBall(const Body& body, float endDistance) {
  Ball ball = support::makeBall(body, Point(endDistance - 0.2f, 0.0f), support::polar(0.2f, 0.0f));
  ball.setSeeTime(3);
  return ball;
}

TEST(BallCollision, ModesDecideWhenTheBallBouncesOffTheBody) {
  Body body = originBody();
  struct Case {
    BallCollisionMode mode;
    TriAnswer status;
    float endDistance;
    bool collides;
  };
  const Case cases[] = {
      {BCM_OVERLAP, TA_DONT_KNOW, 0.3f, true},  // 0.3 <= 0.31
      {BCM_OVERLAP, TA_DONT_KNOW, 0.32f, false}, {BCM_SENSED, TA_YES, 0.3f, true},
      {BCM_SENSED, TA_DONT_KNOW, 0.3f, true},    {BCM_SENSED, TA_NO, 0.3f, false},
      {BCM_NONE, TA_YES, 0.3f, false},           {BCM_SENSED, TA_YES, 0.5f, true},  // 0.5 <= 0.585
      {BCM_SENSED, TA_DONT_KNOW, 0.5f, false},                                      // 0.5 > 0.385
  };
  for (const Case& c : cases) {
    body.setCollisionStatus(c.status);
    Ball ball = touchingBall(body, c.endDistance);
    ball.simulateByDynamics(body, c.mode, BS_NONE, 3);
    EXPECT_EQ(ball.isCollision(), c.collides) << c.mode << " " << c.status << " " << c.endDistance;
    if (!c.collides) {
      EXPECT_NEAR(ball.getPos().getX(), c.endDistance, TOLERANCE);
      continue;
    }
    // The overlap s - d moves the ball against its travel (forward when negative).
    EXPECT_NEAR(ball.getPos().getX(), c.endDistance - (0.385f - c.endDistance), TOLERANCE);
    EXPECT_NEAR(ball.getVel().getX(), -0.1f * 0.2f * 0.94f, TOLERANCE);
    EXPECT_NEAR(ball.getAbsVec().getX(), ball.getPos().getX(), TOLERANCE);
  }
}

TEST(BallUpdate, ChangeValuesGiveTheVelocityInGlobalAxes) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 90.0f, support::polar(0.1f, 0.0f));
  Ball ball;
  ball.setServerParamVars(support::RecordedParams::get().getServerParam());
  // Straight ahead of the head, moving away at 0.5 per cycle.
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 10 0 0.5 0)"), 1));
  ball.update(body);
  EXPECT_NEAR(ball.getPos().getX(), 0.0f, GRID_TOLERANCE);
  EXPECT_NEAR(ball.getPos().getY(), 10.0f, 0.6f);
  EXPECT_LT(ball.getPosDeviation(), 1.0f);
  EXPECT_EQ(ball.getSeePosDeviation(), ball.getPosDeviation());
  EXPECT_EQ(ball.getValidPosDeviation(), ball.getPosDeviation());
  EXPECT_NEAR(ball.getVel().getX(), 0.1f, 0.01f);
  EXPECT_NEAR(ball.getVel().getY(), 0.5f, 0.01f);
  EXPECT_EQ(ball.getVelSeeTime(), 1u);
  EXPECT_FALSE(ball.isAbsoluteUpdate());
}

TEST(BallUpdate, FirstCloseSightingGivesNoVelocityTheSecondDoes) {
  Body body = originBody();
  Ball ball;
  ball.setServerParamVars(support::RecordedParams::get().getServerParam());
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5 0)"), 1));
  ball.update(body);
  // No earlier sighting: nothing to take a difference from.
  EXPECT_EQ(ball.getVel().getMagnitude(), 0.0f);
  EXPECT_EQ(ball.getVelSeeTime(), 0u);
  EXPECT_EQ(ball.getLastAbsSeeTime(), 1u);

  ball.simulateByDynamics(body, BCM_NONE, BS_NONE, 1);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5.5 0)"), 2));
  ball.update(body);
  EXPECT_EQ(ball.getVelSeeTime(), 2u);
  EXPECT_NEAR(ball.getVel().getX(), 0.94f * (ball.getAbsVec().getX() - 5.0f), 0.25f);
  EXPECT_GT(ball.getVel().getX(), 0.2f);

  // A far sighting clears the memory.
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 9 0)"), 3));
  ball.update(body);
  EXPECT_EQ(ball.getLastAbsSeeTime(), 0u);
}

TEST(BallUpdate, ADistanceAloneKeepsTheBallInStepWithTheBody) {
  Body body = support::makeBody(Point(2.0f, 1.0f), 0.0f);
  Ball ball = support::makeBall(body, Point(6.0f, 1.0f));
  ball.setPosDeviation(1.0f);
  body.setPos().setAsCartesian(3.0f, 1.0f);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 4)"), 5));
  ball.update(body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 7.0f);
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 1.0f);
  EXPECT_TRUE(std::isfinite(ball.getVel().getX()));
}

TEST(BallUpdate, ZeroDistanceWithChangesLeavesTheVelocity) {
  Body body = originBody();
  Ball ball = support::makeBall(body, Point(0.0f, 0.0f), support::polar(0.3f, 45.0f));
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 0 0 0.4 3)"), 2));
  ball.update(body);
  EXPECT_TRUE(std::isfinite(ball.getPos().getX()));
  EXPECT_NEAR(ball.getVel().getMagnitude(), 0.3f, TOLERANCE);
}

TEST(BallHear, HeardBallIsExactAndKeptAbsolute) {
  Body body = support::makeBody(Point(1.0f, 1.0f), 90.0f);
  Ball ball;
  ball.updateByHear(4.0f, 5.0f, 1.2f, 180.0f, body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 4.0f);
  EXPECT_NEAR(ball.getVel().getX(), -1.2f, TOLERANCE);
  EXPECT_EQ(ball.getPosDeviation(), 0.0f);
  EXPECT_EQ(ball.getValidPosDeviation(), 0.0f);
  EXPECT_EQ(ball.getVelDeviation(), 0.0f);
  EXPECT_TRUE(ball.isAbsoluteUpdate());
  // In the body's frame (facing +y) the ball is 4 ahead and 3 to the right.
  EXPECT_NEAR(ball.getBodyVec().getX(), 4.0f, TOLERANCE);
  EXPECT_NEAR(ball.getBodyVec().getY(), -3.0f, TOLERANCE);

  body.setPos().setAsCartesian(2.0f, 1.0f);
  ball.virtualUpdate(body);
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 4.0f);
  EXPECT_NEAR(ball.getAbsVec().getX(), 2.0f, TOLERANCE);

  ball.setAbsoluteUpdate(false);
  body.setPos().setAsCartesian(3.0f, 1.0f);
  ball.virtualUpdate(body);
  EXPECT_NEAR(ball.getPos().getX(), 5.0f, TOLERANCE);
}

TEST(BallLog, EstimateAndCollisionLines) {
  std::ostringstream& mainLog = support::captureMainLog();
  Body body = originBody();
  Ball ball;
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5 0)"), 1));
  ball.update(body);
  ASSERT_TRUE(ball.parse(*parseEntry("((b) 5.5 0)"), 2));
  ball.update(body);
  Ball touching = touchingBall(body, 0.3f);
  touching.simulateByDynamics(body, BCM_OVERLAP, BS_NONE, LOOK_AHEAD_TIME);
  EXPECT_EQ(mainLog.str(),
            "  0000. ABVR: executed for the ball.\n"
            "  0000. *** Ball Collision ***\n");
}

}  // namespace
}  // namespace tovren
