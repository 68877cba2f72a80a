#include "worldmodel/Body.h"

#include "connection/Command.h"
#include "foundation/Config.h"
#include "foundation/FieldData.h"
#include "foundation/SExpression.h"
#include "support/ActionScene.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace tovren {
namespace {

using support::parseEntry;

constexpr float TOLERANCE = 1e-4f;

// The recorded match: player_accel_max 1, player_decay 0.4, player_speed_max 1.05,
// stamina_max 8000, minmoment -180, maxmoment 180; type 0: dash_power_rate 0.006,
// inertia_moment 5, stamina_inc_max 45. A fresh body has effort 1.
Body recordedBody(float bodyDir = 0.0f, const Vector& vel = Vector()) {
  return support::makeBody(Point(0.0f, 0.0f), bodyDir, vel);
}

TEST(BodyDash, AccelerationIsPowerTimesRateAlongTheBody) {
  Body body = recordedBody(30.0f);
  DashCommand dash(100.0f);
  body.simulateByAction(&dash, false);
  // 100 * 0.006 * 1 = 0.6 along 30 degrees.
  EXPECT_NEAR(body.getVel().getX(), 0.5196152f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getY(), 0.3f, TOLERANCE);
  EXPECT_NEAR(body.getStamina(), 7900.0f, TOLERANCE);
  EXPECT_EQ(body.getPos().getMagnitude(), 0.0f);
}

TEST(BodyDash, AccelerationAndSpeedAreCapped) {
  Body fromRest = recordedBody();
  DashCommand hard(200.0f);  // 1.2 wanted, player_accel_max 1
  fromRest.simulateByAction(&hard, true);
  EXPECT_NEAR(fromRest.getVel().getX(), 1.0f, TOLERANCE);
  EXPECT_FLOAT_EQ(fromRest.getStamina(), 8000.0f);

  Body moving = recordedBody(0.0f, support::polar(0.8f, 0.0f));
  DashCommand full(100.0f);  // 0.8 + 0.6 = 1.4 above player_speed_max 1.05
  moving.simulateByAction(&full, true);
  EXPECT_NEAR(moving.getVel().getX(), 1.05f, TOLERANCE);
  EXPECT_NEAR(moving.getVel().getY(), 0.0f, TOLERANCE);
}

TEST(BodyDash, BackwardDashCostsTwiceAndIsCappedOnlyBySpeed) {
  Body body = recordedBody();
  DashCommand back(-50.0f);
  body.simulateByAction(&back, false);
  EXPECT_NEAR(body.getVel().getX(), -0.3f, TOLERANCE);
  EXPECT_NEAR(body.getStamina(), 7900.0f, TOLERANCE);

  // -1.2 keeps its negative magnitude past the acceleration cap; the speed cap stops it.
  Body hard = recordedBody();
  DashCommand hardBack(-200.0f);
  hard.simulateByAction(&hardBack, false);
  EXPECT_NEAR(hard.getVel().getX(), -1.05f, TOLERANCE);
  EXPECT_NEAR(hard.getStamina(), 7600.0f, TOLERANCE);
}

TEST(BodyDash, StaminaNeverGoesBelowZero) {
  Body body = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 20.0f);
  DashCommand dash(30.0f);
  body.simulateByAction(&dash, false);
  EXPECT_EQ(body.getStamina(), 0.0f);
}

TEST(BodyTurn, InertiaShrinksTheTurnAndTheHeadFollows) {
  Body body = recordedBody(10.0f, support::polar(0.5f, 10.0f));
  body.setRelativeHeadDir(30.0f);
  TurnCommand turn(60.0f);
  body.simulateByAction(&turn, false);
  // 60 / (1 + 5 * 0.5)
  EXPECT_NEAR(body.getBodyDir(), 10.0f + 17.142857f, TOLERANCE);
  EXPECT_NEAR(body.getHeadDir(), 10.0f + 17.142857f + 30.0f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getMagnitude(), 0.5f, TOLERANCE);
}

TEST(BodyTurn, MomentsOutsideTheServerRangeAreClamped) {
  Body body = recordedBody(0.0f);
  TurnCommand wide(250.0f);
  body.simulateByAction(&wide, true);
  EXPECT_NEAR(std::abs(body.getBodyDir()), 180.0f, TOLERANCE);

  Body other = recordedBody(10.0f);
  TurnCommand negative(-400.0f);
  other.simulateByAction(&negative, true);
  EXPECT_NEAR(other.getBodyDir(), -170.0f, TOLERANCE);
}

TEST(BodyTurnDeathTest, TurnAngleOutsideAnIllegalRangeStops) {
  // A server whose smallest moment is positive cannot turn by a small angle.
  ConfigGroup params = support::RecordedParams::get().getServerParam();
  params.add("minmoment", "10");
  Body body = recordedBody(0.0f, support::polar(0.5f, 0.0f));
  body.setServerParamVars(params);
  body.setVel() = support::polar(0.5f, 0.0f);
  TurnCommand turn(20.0f);
  EXPECT_DEATH(body.simulateByAction(&turn, false), "turnAngle >= minMoment");
}

TEST(BodyMove, MovePlacesTheBodyAndKeepsItsVelocity) {
  Body body = recordedBody(0.0f, support::polar(0.3f, 90.0f));
  MoveCommand move(-10.0f, 20.0f);
  body.simulateByAction(&move, false);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -10.0f);
  EXPECT_FLOAT_EQ(body.getPos().getY(), 20.0f);
  EXPECT_NEAR(body.getVel().getY(), 0.3f, TOLERANCE);

  KickCommand kick(100.0f, 0.0f);
  body.simulateByAction(&kick, false);
  body.simulateByAction(nullptr, false);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -10.0f);
  EXPECT_FLOAT_EQ(body.getStamina(), 8000.0f);
}

TEST(BodyDynamics, MovesDecaysRecoversAndForgetsTheCollision) {
  Body body = support::makeBody(Point(1.0f, 2.0f), 0.0f, support::polar(1.0f, 0.0f), 7000.0f);
  body.setPosDeviation(19.8f);
  body.setValidPosDeviation(1.0f);
  body.setVelDeviation(0.0f);
  body.setCollisionStatus(TA_YES);
  body.simulateByDynamics(false);
  EXPECT_NEAR(body.getPos().getX(), 2.0f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getX(), 0.4f, TOLERANCE);
  EXPECT_FLOAT_EQ(body.getPosDeviation(), 20.0f);
  EXPECT_FLOAT_EQ(body.getValidPosDeviation(), 1.5f);
  EXPECT_NEAR(body.getVelDeviation(), 0.02f, TOLERANCE);
  EXPECT_NEAR(body.getStamina(), 7045.0f, TOLERANCE);
  EXPECT_EQ(body.getCollisionStatus(), TA_DONT_KNOW);

  Body full = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 7990.0f);
  full.simulateByDynamics(false);
  EXPECT_FLOAT_EQ(full.getStamina(), 8000.0f);
  Body kept = support::makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 7000.0f);
  kept.simulateByDynamics(true);
  EXPECT_FLOAT_EQ(kept.getStamina(), 7000.0f);
}

TEST(BodyUpdate, TheFarthestLineGivesTheHeadAndBodyDirections) {
  FieldData fieldData;
  FieldLine near;
  FieldLine far;
  // (l r) stands at x = 52.5 with its outward normal at 0 degrees.
  ASSERT_TRUE(near.parse(1, *parseEntry("((l r) 20 80)"), 1));
  ASSERT_TRUE(far.parse(1, *parseEntry("((l r) 40 -60)"), 1));
  near.update(fieldData);
  far.update(fieldData);
  const FieldLine* lines[2] = {&near, &far};
  Body body = recordedBody();
  body.setRelativeHeadDir(20.0f);
  body.update(nullptr, nullptr, lines, 0, 0, 2);
  // The line at +60 relative to the head: head = 0 + (90 - 60).
  EXPECT_NEAR(body.getHeadDir(), 30.0f, TOLERANCE);
  EXPECT_NEAR(body.getBodyDir(), 10.0f, TOLERANCE);

  const FieldLine* behind[1] = {&near};
  body.update(nullptr, nullptr, behind, 0, 0, 1);
  // At -80: head = 0 - (-80 + 90).
  EXPECT_NEAR(body.getHeadDir(), -10.0f, TOLERANCE);
}

TEST(BodyUpdate, LandmarksWithoutADirectionNeitherTurnNorPlaceTheAgent) {
  FieldData fieldData;
  FieldLine line;
  FieldFlag flag;
  ASSERT_TRUE(line.parse(1, *parseEntry("((l r) 40)"), 1));
  ASSERT_TRUE(flag.parse(0, *parseEntry("((f c) 12)"), 1));
  line.update(fieldData);
  flag.update(fieldData);
  const FieldLine* lines[1] = {&line};
  const FieldFlag* flags[1] = {&flag};
  Body body = support::makeBody(Point(-5.0f, 3.0f), 25.0f);
  body.setPosDeviation(2.0f);
  body.update(flags, nullptr, lines, 1, 0, 1);
  EXPECT_FLOAT_EQ(body.getBodyDir(), 25.0f);
  EXPECT_FLOAT_EQ(body.getHeadDir(), 25.0f);
  EXPECT_FLOAT_EQ(body.getPos().getX(), -5.0f);
  EXPECT_FLOAT_EQ(body.getPos().getY(), 3.0f);
  EXPECT_FLOAT_EQ(body.getValidPosDeviation(), 2.0f);
}

TEST(Body, ViewWidthsGiveHalfViewAngles) {
  EXPECT_FLOAT_EQ(Body::viewWidthToViewAngle(VMW_NARROW), 22.5f);
  EXPECT_FLOAT_EQ(Body::viewWidthToViewAngle(VMW_NORMAL), 45.0f);
  EXPECT_FLOAT_EQ(Body::viewWidthToViewAngle(VMW_WIDE), 90.0f);
  EXPECT_FLOAT_EQ(Body::viewWidthToViewAngle(static_cast<ViewModeWidth>(3)), 0.0f);
}

}  // namespace
}  // namespace tovren
