#include "worldmodel/Body.h"

#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;
constexpr float VEL_TOLERANCE = 1e-3f;

// A sense_body as the server sends it (the first of the recorded ones), with the
// fields the tests vary.
std::string senseBody(const std::string& viewMode = "high normal", const std::string& speed = "0 0",
                      const std::string& headAngle = "0", int dash = 0,
                      const std::string& focusTarget = "none") {
  return "(sense_body 12 (view_mode " + viewMode + ") (stamina 7500.5 0.9) (speed " + speed +
         ") (head_angle " + headAngle + ") (kick 1) (dash " + std::to_string(dash) +
         ") (turn 3) (say 4) (turn_neck 5) (catch 6) (move 7) (change_view 8) (arm (movable 9) "
         "(expires 10) (target 11.5 20) (count 12)) (focus (target " +
         focusTarget + ") (count 13)) (tackle (expires 14) (count 15)))";
}

bool parse(Body& body, const std::string& text, Side side = SI_LEFT) {
  return body.parseSenseBody(*support::parseMessage(text), side);
}

TEST(BodySenseBody, ReadsEveryFieldOfARecordedMessage) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody()));
  EXPECT_EQ(body.getSenseBodyCycle(), 12u);
  EXPECT_FLOAT_EQ(body.getStamina(), 7500.5f);
  EXPECT_FLOAT_EQ(body.getEffort(), 0.9f);
  EXPECT_EQ(body.getKickCount(), 1u);
  EXPECT_EQ(body.getTurnCount(), 3u);
  EXPECT_EQ(body.getSayCount(), 4u);
  EXPECT_EQ(body.getTurnNeckCount(), 5u);
  EXPECT_EQ(body.getCatchCount(), 6u);
  EXPECT_EQ(body.getMoveCount(), 7u);
  EXPECT_EQ(body.getChangeViewCount(), 8u);
  EXPECT_EQ(body.getArmMovable(), 9u);
  EXPECT_EQ(body.getArmExpires(), 10u);
  EXPECT_FLOAT_EQ(body.getArmTargetDist(), 11.5f);
  EXPECT_FLOAT_EQ(body.getArmTargetDir(), -20.0f);
  EXPECT_EQ(body.getArmCount(), 12u);
  EXPECT_EQ(body.getFocusTargetUniNum(), 0u);
  EXPECT_EQ(body.getFocusCount(), 13u);
  EXPECT_EQ(body.getTackleExpires(), 14u);
  EXPECT_EQ(body.getTackleCount(), 15u);
}

TEST(BodySenseBody, ViewModeWordsGiveQualityWidthAndAngle) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal")));
  EXPECT_EQ(body.getVMQuality(), VMQ_HIGH);
  EXPECT_EQ(body.getVMWidth(), VMW_NORMAL);
  EXPECT_FLOAT_EQ(body.getViewAngle(), 45.0f);
  ASSERT_TRUE(parse(body, senseBody("low wide")));
  EXPECT_EQ(body.getVMQuality(), VMQ_LOW);
  EXPECT_EQ(body.getVMWidth(), VMW_WIDE);
  EXPECT_FLOAT_EQ(body.getViewAngle(), 90.0f);
  ASSERT_TRUE(parse(body, senseBody("high narrow")));
  EXPECT_EQ(body.getVMWidth(), VMW_NARROW);
  EXPECT_FLOAT_EQ(body.getViewAngle(), 22.5f);
}

TEST(BodySenseBody, HeadAngleAndSpeedAreNegatedAndTurnedIntoGlobalAxes) {
  Body body;
  body.setBodyDir(10.0f);
  ASSERT_TRUE(parse(body, senseBody("high normal", "0.5 20", "30")));
  EXPECT_FLOAT_EQ(body.getRelativeHeadDir(), -30.0f);
  EXPECT_FLOAT_EQ(body.getHeadDir(), -20.0f);
  EXPECT_FLOAT_EQ(body.getSpeedDir(), -20.0f);
  body.completeParseSenseBody();
  EXPECT_NEAR(body.getVel().getMagnitude(), 0.5f, TOLERANCE);
  EXPECT_NEAR(body.getVel().getDirection(), -40.0f, TOLERANCE);
  // The arm's target direction 20 (negated) plus the head direction.
  EXPECT_NEAR(body.getPointingDir(), -40.0f, TOLERANCE);
}

TEST(BodySenseBody, FocusSideIsTeamRelative) {
  Body left;
  ASSERT_TRUE(parse(left, senseBody("high normal", "0 0", "0", 0, "l 7"), SI_LEFT));
  EXPECT_EQ(left.getFocusTargetTeamId(), TID_TEAMMATE);
  EXPECT_EQ(left.getFocusTargetUniNum(), 7u);
  Body right;
  ASSERT_TRUE(parse(right, senseBody("high normal", "0 0", "0", 0, "l 7"), SI_RIGHT));
  EXPECT_EQ(right.getFocusTargetTeamId(), TID_OPPONENT);
  // "none" clears the number and leaves the team.
  ASSERT_TRUE(parse(right, senseBody()));
  EXPECT_EQ(right.getFocusTargetUniNum(), 0u);
  EXPECT_EQ(right.getFocusTargetTeamId(), TID_OPPONENT);
}

TEST(BodySenseBody, CountersShiftByOneMessage) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 12)));
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 13)));
  EXPECT_TRUE(body.isDashCountChanged());
  // Every other counter repeats its value.
  EXPECT_FALSE(body.isKickCountChanged());
  EXPECT_FALSE(body.isTackleCountChanged());
  EXPECT_FALSE(body.isFocusCountChanged());
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 13)));
  EXPECT_FALSE(body.isDashCountChanged());
}

TEST(BodySenseBody, MalformedMessagesAreLoggedAndChangeNothing) {
  std::ostringstream& log = support::captureMainLog();
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal", "0 0", "0", 12)));
  const std::string good = senseBody("high normal", "0.5 10", "0", 13);
  const std::string bad[] = {
      // A dash where the kick belongs.
      "(sense_body 12 (view_mode high normal) (stamina 1 1) (speed 0 0) (head_angle 0) "
      "(dash 3) (dash 13) (turn 3) (say 4) (turn_neck 5) (catch 6) (move 7) (change_view 8) "
      "(arm (movable 9) (expires 10) (target 11.5 20) (count 12)) (focus (target none) "
      "(count 13)) (tackle (expires 14) (count 15)))",
      senseBody("medium normal"),
      senseBody("high nice"),
      senseBody("high normal", "nan 0"),
      senseBody("high normal", "0 0", "0", 13, "x 7"),
      senseBody("high normal", "0 0", "0", -1),
      "(sense_body 12)",
      "(see 12 (view_mode high normal))",
      good.substr(0, good.find("(tackle")) + ")"};
  for (const std::string& text : bad) {
    EXPECT_FALSE(parse(body, text)) << text;
    EXPECT_EQ(body.getDashCount(), 12u);
    EXPECT_FLOAT_EQ(body.getSpeedAmount(), 0.0f);
  }
  EXPECT_NE(log.str().find("Skipping malformed sense_body: (sense_body 12)"), std::string::npos);
  EXPECT_TRUE(parse(body, good));
  EXPECT_EQ(body.getDashCount(), 13u);
}

// The sensed speed against the motion model's prediction, in global axes.
TriAnswer collisionAfter(const Vector& predicted, float speed, float direction) {
  Body body;
  std::string speedText = std::to_string(speed) + " " + std::to_string(-direction);
  EXPECT_TRUE(parse(body, senseBody("high normal", speedText)));
  body.setVel() = predicted;
  body.completeParseSenseBody();
  return body.getCollisionStatus();
}

Vector cartesian(float x, float y) {
  Vector vector;
  vector.setAsCartesian(x, y);
  return vector;
}

TEST(BodySenseBody, CollisionIsJudgedFromPredictedAndSensedVelocity) {
  std::ostringstream& log = support::captureMainLog();
  EXPECT_EQ(collisionAfter(cartesian(0.01f, 0.0f), 0.015f, 0.0f), TA_DONT_KNOW);
  Vector sensed = cartesian(0.9f, 0.05f);
  EXPECT_EQ(collisionAfter(cartesian(1.0f, 0.0f), sensed.getMagnitude(), sensed.getDirection()),
            TA_NO);
  EXPECT_EQ(log.str().find("*** Body Collision ***"), std::string::npos);
  EXPECT_EQ(collisionAfter(cartesian(1.0f, 0.0f), 0.2f, 0.0f), TA_YES);
  EXPECT_NE(log.str().find("*** Body Collision ***"), std::string::npos);
  EXPECT_EQ(collisionAfter(cartesian(0.3f, 0.0f), 0.3f, 90.0f), TA_YES);
}

TEST(BodySenseBody, SensedVelocityReplacesThePrediction) {
  Body body;
  ASSERT_TRUE(parse(body, senseBody("high normal", "0.8 -30")));
  body.setVel() = cartesian(0.1f, 0.0f);
  body.completeParseSenseBody();
  EXPECT_NEAR(body.getVel().getMagnitude(), 0.8f, VEL_TOLERANCE);
  EXPECT_NEAR(body.getVel().getDirection(), 30.0f, VEL_TOLERANCE);
}

}  // namespace
}  // namespace tovren
