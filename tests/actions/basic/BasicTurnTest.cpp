#include "actions/basic/BasicTurn.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace {

using support::makeBody;
using support::polar;
using support::turnMoment;

constexpr float kTolerance = 1e-4f;

// The recorded parameters with another moment range.
Body withMomentRange(Body body, float minMoment, float maxMoment) {
  body.setServerParamVars(support::recordedServerParamWith(
      {{"minmoment", std::to_string(minMoment)}, {"maxmoment", std::to_string(maxMoment)}}));
  return body;
}

TEST(TurnAngle, MomentIsTheAngleTimesTheSpeedFactorWithinTheRange) {
  // Inertia moment 5: at speed 1.0 the factor is 6.
  const struct {
    const char* name;
    float speed;
    float minMoment;
    float angle;
    float tolerance;
    float moment;
    float performed;
    float delta;
    bool oneTurn;
  } cases[] = {
      {"at rest", 0.0f, -180.0f, 45.0f, 0.0f, 45.0f, 45.0f, 0.0f, true},
      {"beyond half a turn", 0.0f, -180.0f, 200.0f, 0.0f, -160.0f, 200.0f, 0.0f, true},
      {"clamped, delta at the tolerance", 1.0f, -180.0f, 60.0f, 30.0f, 180.0f, 30.0f, 30.0f, true},
      {"clamped, delta beyond it", 1.0f, -180.0f, 60.0f, 29.0f, 180.0f, 30.0f, 30.0f, false},
      {"clamped to the right", 1.0f, -180.0f, -60.0f, 0.0f, -180.0f, -30.0f, 30.0f, false},
      // |moment| against the ends would let -120 through a range that starts at -90.
      {"asymmetric range", 0.0f, -90.0f, -120.0f, 0.0f, -90.0f, -90.0f, 30.0f, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Body body =
        withMomentRange(makeBody(Point(0, 0), 0.0f, polar(c.speed, 0.0f)), c.minMoment, 180.0f);
    TurnAngle turn(c.angle, body, c.tolerance);
    EXPECT_NEAR(turnMoment(turn.getCommand()), c.moment, kTolerance);
    EXPECT_NEAR(turn.getPerformedTurnAngle(), c.performed, kTolerance);
    EXPECT_NEAR(turn.getDeltaAngle(), c.delta, kTolerance);
    EXPECT_EQ(turn.isOneTurnPossible(), c.oneTurn);
    EXPECT_NEAR(turn.getRequestedTargetAngle(), c.angle, kTolerance);
  }
}

TEST(TurnAngle, MotionModelTurnsTheBodyByThePerformedAngle) {
  for (float speed : {0.0f, 0.3f, 0.8f}) {
    for (float angle : {-170.0f, -90.0f, -25.0f, 5.0f, 40.0f, 130.0f, 250.0f}) {
      SCOPED_TRACE(std::to_string(speed) + " " + std::to_string(angle));
      Body body = makeBody(Point(3, -2), -60.0f, polar(speed, 100.0f));
      TurnAngle turn(angle, body, 0.0f);
      const float before = body.getBodyDir();
      body.simulateByAction(turn.getCommand(), false);
      EXPECT_NEAR(Degree::getDeltaAngle(body.getBodyDir(), before),
                  Degree::normalizeAngle(turn.getPerformedTurnAngle()), 1e-3f);
      if (turn.isOneTurnPossible()) {
        EXPECT_NEAR(Degree::getDeltaAngle(body.getBodyDir(), turn.getRequestedTargetAngle()), 0.0f,
                    1e-3f);
      }
    }
  }
}

TEST(TurnToAngle, PassesTheUnnormalisedDifferenceOn) {
  TurnToAngle turn(170.0f, makeBody(Point(0, 0), -170.0f), 0.0f);
  EXPECT_NEAR(turnMoment(turn.getCommand()), -20.0f, kTolerance);
  EXPECT_NEAR(turn.getNecessaryTurnAngle(), 340.0f, kTolerance);
  EXPECT_NEAR(turn.getRequestedTargetAngle(), 170.0f, kTolerance);
}

TEST(TurnToPoint, AimsFromWhereTheBodyWillBe) {
  // Moving up at 1.0: from the next position (0, 1) the point (2, 1) lies straight ahead.
  TurnToPoint moving(Point(2, 1), makeBody(Point(0, 0), 0.0f, polar(1.0f, 90.0f)), 0.0f);
  EXPECT_NEAR(turnMoment(moving.getCommand()), 0.0f, kTolerance);
  TurnToPoint fromRest(Point(2, 1), makeBody(Point(0, 0), 0.0f), 0.0f);
  EXPECT_NEAR(turnMoment(fromRest.getCommand()), 26.565051f, kTolerance);
  // An object is turned to by its position.
  const Body body = makeBody(Point(1, 1), 45.0f, polar(0.2f, 0.0f));
  TurnToObject toBall(support::makeBall(body, Point(-4, 6), polar(1.0f, 30.0f)), body, 5.0f);
  TurnToPoint toPoint(Point(-4, 6), body, 5.0f);
  EXPECT_EQ(toBall.getCommand()->toString(), toPoint.getCommand()->toString());
}

TEST(BasicTurn, MomentAndAngleAtSpeed) {
  // Speed 0.5: the factor is 3.5.
  const Body body = makeBody(Point(0, 0), 0.0f, polar(0.5f, -45.0f));
  EXPECT_NEAR(BasicTurn::getTurnAngle(60.0f, body), 17.142857f, kTolerance);
  EXPECT_NEAR(BasicTurn::getTurnMoment(350.0f, body), -35.0f, kTolerance);
  const Body narrow = withMomentRange(makeBody(Point(0, 0), 0.0f), -90.0f, 90.0f);
  EXPECT_NEAR(BasicTurn::clampMoment(179.0f, narrow), 90.0f, kTolerance);
  EXPECT_NEAR(BasicTurn::clampMoment(-179.0f, narrow), -90.0f, kTolerance);
  EXPECT_DEATH(BasicTurn::getTurnAngle(181.0f, makeBody(Point(0, 0), 0.0f)),
               "moment <= player.getMaxMoment\\(\\) && moment >= player.getMinMoment\\(\\)");
}

TEST(BasicTurn, ActionsToTurnAngleCountsTurnsAtMaximumMoment) {
  // At speed 1 the turns add 30, 60 (speed 0.4) and 100 (speed 0.16) degrees.
  const struct {
    float speed;
    float angle;
    float tolerance;
    int turns;
  } cases[] = {{0.0f, 10.0f, 10.0f, 0},  {0.0f, -5.0f, 10.0f, 0},    {0.0f, 90.0f, 0.0f, 1},
               {0.0f, -180.0f, 0.0f, 1}, {1.0f, 29.0f, 0.0f, 1},     {1.0f, 89.0f, 0.0f, 2},
               {1.0f, 100.0f, 0.0f, 3},  {0.0f, 100000.0f, 0.0f, 10}};
  for (const auto& c : cases) {
    const Body body = makeBody(Point(0, 0), 0.0f, polar(c.speed, 0.0f));
    EXPECT_EQ(BasicTurn::actionsToTurnAngle(c.angle, body, c.tolerance), c.turns)
        << c.speed << " " << c.angle;
  }
}

}  // namespace
}  // namespace tovren
