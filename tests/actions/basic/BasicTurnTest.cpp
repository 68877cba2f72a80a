#include "actions/basic/BasicTurn.h"

#include "connection/Command.h"
#include "support/ActionScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace {

using support::makeBall;
using support::makeBody;
using support::polar;

constexpr float kTolerance = 1e-4f;

// Takes the skill's command over, as a caller does.
std::unique_ptr<Command> take(BasicAction& skill) { return skill.takeCommand(); }

float momentOf(const Command& command) {
  const auto* turn = dynamic_cast<const TurnCommand*>(&command);
  EXPECT_NE(turn, nullptr);
  return turn != nullptr ? turn->getDirection() : 0.0f;
}

// The recorded parameters with another moment range.
Body withMomentRange(Body body, float minMoment, float maxMoment) {
  ConfigGroup serverParam = support::RecordedParams::get().getServerParam();
  serverParam.add("minmoment", std::to_string(minMoment));
  serverParam.add("maxmoment", std::to_string(maxMoment));
  body.setServerParamVars(serverParam);
  return body;
}

TEST(TurnAngle, ZeroAngleGivesTheZeroTurn) {
  const Body body = makeBody(Point(0, 0), 30.0f, polar(0.6f, 10.0f));
  TurnAngle turn(0.0f, body, 0.0f);
  const auto command = take(turn);
  EXPECT_EQ(command->toString(), "(turn -0.00)");
  EXPECT_TRUE(turn.isOneTurnPossible());
  EXPECT_EQ(turn.getDeltaAngle(), 0.0f);
  EXPECT_EQ(turn.getPerformedTurnMoment(), 0.0f);
}

TEST(TurnAngle, BodyAtRestTurnsByTheMomentItself) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  TurnAngle turn(45.0f, body, 0.0f);
  const auto command = take(turn);
  EXPECT_NEAR(momentOf(*command), 45.0f, kTolerance);
  // An angle beyond half a turn is normalised for the moment only.
  TurnAngle wide(200.0f, body, 0.0f);
  const auto wideCommand = take(wide);
  EXPECT_NEAR(momentOf(*wideCommand), -160.0f, kTolerance);
  EXPECT_NEAR(wide.getPerformedTurnAngle(), 200.0f, kTolerance);
  EXPECT_NEAR(wide.getNecessaryTurnAngle(), 200.0f, kTolerance);
  EXPECT_NEAR(wide.getRequestedTargetAngle(), 200.0f, kTolerance);
}

TEST(TurnAngle, TurnAtSpeedIsClampedToTheMomentRange) {
  // Speed 1.0 and inertia moment 5: the factor is 6.
  const Body body = makeBody(Point(0, 0), 0.0f, polar(1.0f, 0.0f));
  ASSERT_NEAR(body.getInertiaMoment(), 5.0f, kTolerance);
  TurnAngle left(60.0f, body, 30.0f);
  const auto command = take(left);
  EXPECT_NEAR(momentOf(*command), 180.0f, kTolerance);
  EXPECT_NEAR(left.getPerformedTurnAngle(), 30.0f, kTolerance);
  EXPECT_NEAR(left.getDeltaAngle(), 30.0f, kTolerance);
  EXPECT_TRUE(left.isOneTurnPossible());

  TurnAngle strict(60.0f, body, 29.0f);
  const auto strictCommand = take(strict);
  EXPECT_FALSE(strict.isOneTurnPossible());

  TurnAngle right(-60.0f, body, 0.0f);
  const auto rightCommand = take(right);
  EXPECT_NEAR(momentOf(*rightCommand), -180.0f, kTolerance);
  EXPECT_NEAR(right.getPerformedTurnAngle(), -30.0f, kTolerance);
}

TEST(TurnAngle, AsymmetricMomentRangeClampsToItsOwnEnds) {
  // |moment| against the ends would let -120 through a range that starts at -90.
  const Body body = withMomentRange(makeBody(Point(0, 0), 0.0f), -90.0f, 180.0f);
  TurnAngle turn(-120.0f, body, 0.0f);
  const auto command = take(turn);
  EXPECT_NEAR(momentOf(*command), -90.0f, kTolerance);
  EXPECT_NEAR(turn.getDeltaAngle(), 30.0f, kTolerance);
  EXPECT_FALSE(turn.isOneTurnPossible());
}

TEST(TurnAngle, MotionModelTurnsTheBodyByThePerformedAngle) {
  for (float speed : {0.0f, 0.3f, 0.8f}) {
    for (float angle : {-170.0f, -90.0f, -25.0f, 5.0f, 40.0f, 130.0f, 250.0f}) {
      Body body = makeBody(Point(3, -2), -60.0f, polar(speed, 100.0f));
      TurnAngle turn(angle, body, 0.0f);
      const auto command = take(turn);
      const float before = body.getBodyDir();
      body.simulateByAction(command.get(), false);
      const float turned = Degree::getDeltaAngle(body.getBodyDir(), before);
      EXPECT_NEAR(turned, Degree::normalizeAngle(turn.getPerformedTurnAngle()), 1e-3f)
          << "speed " << speed << " angle " << angle;
      if (turn.isOneTurnPossible()) {
        EXPECT_NEAR(Degree::getDeltaAngle(body.getBodyDir(), turn.getRequestedTargetAngle()), 0.0f,
                    1e-3f);
      }
    }
  }
}

TEST(TurnToAngle, PassesTheUnnormalisedDifferenceOn) {
  const Body body = makeBody(Point(0, 0), -170.0f);
  TurnToAngle turn(170.0f, body, 0.0f);
  const auto command = take(turn);
  EXPECT_NEAR(momentOf(*command), -20.0f, kTolerance);
  EXPECT_TRUE(turn.isOneTurnPossible());
  EXPECT_NEAR(turn.getNecessaryTurnAngle(), 340.0f, kTolerance);
  EXPECT_NEAR(turn.getPerformedTurnAngle(), 340.0f, kTolerance);
  EXPECT_NEAR(turn.getRequestedTargetAngle(), 170.0f, kTolerance);
}

TEST(TurnToPoint, AimsFromWhereTheBodyWillBe) {
  // Moving up at 1.0: from the next position (0, 1) the point (2, 1) lies straight ahead.
  const Body body = makeBody(Point(0, 0), 0.0f, polar(1.0f, 90.0f));
  TurnToPoint turn(Point(2.0f, 1.0f), body, 0.0f);
  const auto command = take(turn);
  EXPECT_NEAR(momentOf(*command), 0.0f, kTolerance);
  EXPECT_NEAR(turn.getNecessaryTurnAngle(), 0.0f, kTolerance);

  const Body still = makeBody(Point(0, 0), 0.0f);
  TurnToPoint fromRest(Point(2.0f, 1.0f), still, 0.0f);
  const auto restCommand = take(fromRest);
  EXPECT_NEAR(momentOf(*restCommand), 26.565051f, kTolerance);
}

TEST(TurnToObject, TurnsTowardsTheObjectsPosition) {
  const Body body = makeBody(Point(1, 1), 45.0f, polar(0.2f, 0.0f));
  const Ball ball = makeBall(body, Point(-4.0f, 6.0f), polar(1.0f, 30.0f));
  TurnToObject toBall(ball, body, 5.0f);
  TurnToPoint toPoint(Point(-4.0f, 6.0f), body, 5.0f);
  const auto ballCommand = take(toBall);
  const auto pointCommand = take(toPoint);
  EXPECT_EQ(ballCommand->toString(), pointCommand->toString());
  EXPECT_EQ(toBall.isOneTurnPossible(), toPoint.isOneTurnPossible());
  EXPECT_NEAR(toBall.getDeltaAngle(), toPoint.getDeltaAngle(), kTolerance);
}

TEST(BasicTurn, MomentAndAngleInvertEachOtherAtSpeed) {
  const Body body = makeBody(Point(0, 0), 0.0f, polar(0.5f, -45.0f));
  EXPECT_NEAR(BasicTurn::getTurnAngle(60.0f, body), 17.142857f, kTolerance);
  EXPECT_NEAR(BasicTurn::getTurnMoment(17.142857f, body), 60.0f, kTolerance);
  // The angle is normalised before it is turned into a moment.
  EXPECT_NEAR(BasicTurn::getTurnMoment(350.0f, body), -35.0f, kTolerance);
}

TEST(BasicTurnDeathTest, TurnAngleOfAMomentOutsideTheRangeStops) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  EXPECT_DEATH(BasicTurn::getTurnAngle(181.0f, body),
               "moment <= player.getMaxMoment\\(\\) && moment >= player.getMinMoment\\(\\)");
  EXPECT_DEATH(BasicTurn::getTurnAngle(-180.5f, body), "moment <= player.getMaxMoment");
}

TEST(BasicTurn, FixedMomentIsClampedToTheServersRange) {
  const Body narrow = withMomentRange(makeBody(Point(0, 0), 0.0f), -90.0f, 90.0f);
  EXPECT_NEAR(BasicTurn::clampMoment(179.0f, narrow), 90.0f, kTolerance);
  EXPECT_NEAR(BasicTurn::clampMoment(-179.0f, narrow), -90.0f, kTolerance);
  EXPECT_NEAR(BasicTurn::getTurnAngle(BasicTurn::clampMoment(179.0f, narrow), narrow), 90.0f,
              kTolerance);
  const Body normal = makeBody(Point(0, 0), 0.0f);
  EXPECT_NEAR(BasicTurn::clampMoment(179.0f, normal), 179.0f, kTolerance);
}

TEST(BasicTurn, ActionsToTurnAngleCountsTurnsAtMaximumMoment) {
  const Body still = makeBody(Point(0, 0), 0.0f);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(10.0f, still, 10.0f), 0);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(-5.0f, still, 10.0f), 0);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(90.0f, still, 0.0f), 1);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(-180.0f, still, 0.0f), 1);
  // At speed 1 the turns add 30, 60 (speed 0.4) and 100 (speed 0.16) degrees.
  const Body moving = makeBody(Point(0, 0), 0.0f, polar(1.0f, 0.0f));
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(29.0f, moving, 0.0f), 1);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(89.0f, moving, 0.0f), 2);
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(100.0f, moving, 0.0f), 3);
  // Ten turns are the most it reports.
  EXPECT_EQ(BasicTurn::actionsToTurnAngle(100000.0f, still, 0.0f), 10);
}

}  // namespace
}  // namespace tovren
