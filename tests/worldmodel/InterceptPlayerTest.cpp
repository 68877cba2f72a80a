#include "worldmodel/InterceptCalculate.h"

#include "support/InterceptScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

using support::makeSceneBall;
using support::makeScenePlayer;

// A record prepared as a session prepares a free-ball teammate: no delay, slow and direct
// power 30, fast power 100, no start offset.
InterceptPlayer freeBallTeammate(const Player& player, const Ball& ball) {
  InterceptPlayer record;
  record.init(player, ball, {false, 0, 0, 30.0f, 100.0f, 30.0f, 0.0f, false, true});
  return record;
}

TEST(InterceptPlayerTables, WithTurnModelLosesTheFirstCycleToTheTurn) {
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  Ball ball = makeSceneBall(Point(10.0f, 0.0f));
  InterceptPlayer record = freeBallTeammate(player, ball);
  // Fast accel 0.6, decay 0.4: speeds 0, 0, 0.6, 0.84, 0.936 ... towards 1.0.
  const float reach[] = {0.0f, 0.0f, 0.6f, 1.44f, 2.376f, 3.3504f, 4.34016f};
  for (unsigned int i = 0; i < 7; ++i)
    EXPECT_NEAR(record.getWithTurnDashDist(i), reach[i], TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashVel(2), 0.24f, TOLERANCE);
  // No turn: the first cycle already dashes at full power.
  EXPECT_NEAR(record.getNoTurnDashDist(1), 0.6f, TOLERANCE);
  EXPECT_NEAR(record.getNoTurnDashDist(3), 2.376f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(99), record.getWithTurnDashDist(98) + 1.0f, TOLERANCE);
}

TEST(InterceptPlayerTables, NoTurnModelKeepsThePresentSpeedWhateverItsDirection) {
  Player player =
      makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), 0.0f, Vector(Point(-0.3f, -0.4f)));
  Ball ball = makeSceneBall(Point(10.0f, 0.0f));
  InterceptPlayer record = freeBallTeammate(player, ball);
  EXPECT_NEAR(record.getNoTurnDashVel(0), 0.5f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashVel(0), 0.0f, TOLERANCE);
  // 0.5 + 0.6 is above the top speed 1.05.
  EXPECT_NEAR(record.getNoTurnDashDist(1), 1.05f, TOLERANCE);
  EXPECT_NEAR(record.getNoTurnDashVel(1), 0.42f, TOLERANCE);
  EXPECT_NEAR(record.getNoTurnDashDist(2), 2.07f, TOLERANCE);
}

TEST(InterceptPlayerTables, ReactionDelayUsesTheSlowAndDirectPowersFirst) {
  Player player = makeScenePlayer(TID_OPPONENT, 5, Point(0.0f, 0.0f));
  Ball ball = makeSceneBall(Point(10.0f, 0.0f));
  InterceptPlayer record;
  // R = delay 1 + kick cycles 1: two cycles at slow 50 (0.3) and direct 100 (0.6).
  record.init(player, ball, {false, 1, 1, 50.0f, 100.0f, 100.0f, 0.5f, false, true});
  EXPECT_NEAR(record.getWithTurnDashDist(0), 0.5f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(1), 0.8f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(2), 0.8f + 0.42f, TOLERANCE);
  // Cycle 3 turns: the speed only decays (0.42 * 0.4 = 0.168).
  EXPECT_NEAR(record.getWithTurnDashDist(3), 1.22f + 0.168f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(4), 1.388f + 0.0672f + 0.6f, TOLERANCE);
  EXPECT_NEAR(record.getNoTurnDashDist(3), 0.5f + 0.6f + 0.84f + 0.936f, TOLERANCE);
}

TEST(InterceptPlayerTables, KickerWaitsForHisKick) {
  Player kicker =
      makeScenePlayer(TID_TEAMMATE, 7, Point(0.0f, 0.0f), 0.0f, Vector(Point(0.2f, 0.0f)));
  Ball ball = makeSceneBall(Point(0.5f, 0.0f));
  InterceptPlayer record;
  // Delay 0 and one kick cycle: cycle 1 waits, cycle 2 turns, cycle 3 dashes.
  record.init(kicker, ball, {true, 1, 0, 0.0f, 100.0f, 0.0f, 0.0f, false, true});
  EXPECT_TRUE(record.isKicking());
  EXPECT_NEAR(record.getWithTurnDashDist(1), 0.0f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(2), 0.0f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(3), 0.6f, TOLERANCE);
  // Waiting he only drifts with his present speed.
  EXPECT_NEAR(record.getNoTurnDashDist(1), 0.2f, TOLERANCE);
  EXPECT_NEAR(record.getNoTurnDashDist(2), 0.2f + 0.08f + 0.6f, TOLERANCE);
}

TEST(InterceptPlayerTables, FastPowerBeyondTheTopSpeedIsLimited) {
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  Ball ball = makeSceneBall(Point(10.0f, 0.0f));
  InterceptPlayer record;
  record.init(player, ball, {false, 0, 0, 0.0f, 200.0f, 0.0f, 0.0f, false, true});
  EXPECT_NEAR(record.getWithTurnDashDist(2), 1.05f, TOLERANCE);
  EXPECT_NEAR(record.getWithTurnDashDist(3), 2.1f, TOLERANCE);
}

TEST(InterceptPlayerRadius, FieldPlayerReachesBallSizeMarginAndBody) {
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  InterceptPlayer record = freeBallTeammate(player, makeSceneBall(Point(5.0f, 0.0f)));
  EXPECT_NEAR(record.getKickableRadius(), 1.085f, TOLERANCE);
}

TEST(InterceptPlayerRadius, GoalieCatchesInHisOwnPenaltyAreaOnlyWhenSoLimited) {
  Ball ball = makeSceneBall(Point(0.0f, 0.0f));
  struct Case {
    TeamId team;
    Point pos;
    bool areaOnly;
    float radius;
  } cases[] = {
      {TID_TEAMMATE, Point(-40.0f, 10.0f), true, 1.2f},
      {TID_TEAMMATE, Point(-36.4f, 10.0f), true, 1.085f},  // on the edge: outside
      {TID_TEAMMATE, Point(-40.0f, 19.6f), true, 1.085f},
      {TID_TEAMMATE, Point(40.0f, 0.0f), true, 1.085f},  // the opponents' area
      {TID_TEAMMATE, Point(40.0f, 0.0f), false, 1.2f},
      {TID_OPPONENT, Point(40.0f, -5.0f), true, 1.2f},
      {TID_OPPONENT, Point(-40.0f, 0.0f), true, 1.085f},
  };
  for (const Case& c : cases) {
    Player goalie = makeScenePlayer(c.team, 1, c.pos, NOT_MEASURED, Vector(), true);
    InterceptPlayer record;
    record.init(goalie, ball, {false, 0, 0, 30.0f, 100.0f, 30.0f, 0.0f, false, c.areaOnly});
    EXPECT_NEAR(record.getKickableRadius(), c.radius, TOLERANCE)
        << "team " << c.team << " at " << c.pos.x << "," << c.pos.y;
  }
}

TEST(InterceptPlayerReach, BallAtTheStartIsKickableUpToTheRadiusInclusive) {
  const float radius = support::defaultKickableRadius();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  InterceptPlayer record = freeBallTeammate(player, makeSceneBall(Point(radius, 0.0f)));
  EXPECT_TRUE(record.isBallKickable(makeSceneBall(Point(radius, 0.0f))));
  EXPECT_FALSE(record.isBallKickable(makeSceneBall(Point(radius + 0.001f, 0.0f))));
}

TEST(InterceptPlayerReach, NoTurnReachCountsOnlyAlongTheBodyLine) {
  Ball ball = makeSceneBall(Point(3.0f, 0.0f));
  // Cycle 2: no-turn reach 1.44, with-turn 0.6; the ball 3 m away.
  auto catchesAtCycle2 = [&](float bodyDir, const Point& ballPos) {
    Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), bodyDir);
    InterceptPlayer record = freeBallTeammate(player, ball);
    record.getReadyToRun();
    record.simulate();
    record.simulate();
    return record.checkCatchBall(makeSceneBall(ballPos));
  };
  EXPECT_TRUE(catchesAtCycle2(0.0f, Point(2.5f, 0.0f)));    // straight ahead
  EXPECT_TRUE(catchesAtCycle2(180.0f, Point(2.5f, 0.0f)));  // straight behind
  EXPECT_FALSE(catchesAtCycle2(90.0f, Point(2.5f, 0.0f)));  // across the body line
  EXPECT_FALSE(catchesAtCycle2(NOT_MEASURED, Point(2.5f, 0.0f)));
  // Close enough for the with-turn reach, whatever the body direction.
  EXPECT_TRUE(catchesAtCycle2(90.0f, Point(1.6f, 0.0f)));
  EXPECT_TRUE(catchesAtCycle2(NOT_MEASURED, Point(1.6f, 0.0f)));
  // Beyond the no-turn reach the test fails at once.
  EXPECT_FALSE(catchesAtCycle2(0.0f, Point(2.6f, 0.0f)));
}

TEST(InterceptPlayerReach, BallWithinTheHalfAngleOfTheRadiusCounts) {
  // Ball 2 m away at 25 degrees: arcTan(1.085 / 2) is 28.5 degrees.
  Ball ball = makeSceneBall(Point(5.0f, 0.0f));
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), 0.0f);
  InterceptPlayer record = freeBallTeammate(player, ball);
  record.getReadyToRun();
  record.simulate();
  record.simulate();
  Vector at;
  at.setAsPolar(2.0f, 25.0f);
  EXPECT_TRUE(record.checkCatchBall(makeSceneBall(Point(at))));
  at.setAsPolar(2.0f, 32.0f);
  EXPECT_FALSE(record.checkCatchBall(makeSceneBall(Point(at))));
}

TEST(InterceptPlayerReach, FarBallWithinFiveDegreesOfTheBodyLineCounts) {
  // Cycle 15: no-turn reach 14.33, with-turn 13.33. A ball 15 m ahead lies within the
  // no-turn reach only, and arcTan(1.085 / 15) is 4.1 degrees, narrower than 5.
  Ball ball = makeSceneBall(Point(20.0f, 0.0f));
  auto catchesAtCycle15 = [&](float bodyDir) {
    Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), bodyDir);
    InterceptPlayer record = freeBallTeammate(player, ball);
    record.getReadyToRun();
    for (int i = 0; i < 15; ++i) record.simulate();
    return record.checkCatchBall(makeSceneBall(Point(15.0f, 0.0f)));
  };
  EXPECT_TRUE(catchesAtCycle15(4.9f));
  EXPECT_TRUE(catchesAtCycle15(-4.9f));
  EXPECT_FALSE(catchesAtCycle15(5.5f));
}

TEST(InterceptPlayerReach, TracingDoesNotChangeTheAnswerAtTheEdgeOfTheReach) {
  support::captureMainLog();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), 90.0f);
  InterceptPlayer record = freeBallTeammate(player, makeSceneBall(Point(5.0f, 0.0f)));
  record.getReadyToRun();
  record.simulate();
  record.simulate();
  // Along the body line, no-turn reach 1.44 plus the radius.
  const float edge = record.getNoTurnDashDist(2) + record.getKickableRadius();
  for (float beyond : {-0.0005f, 0.0f, 0.0005f, 0.002f, 1.0f}) {
    const Ball ball = makeSceneBall(Point(0.0f, edge + beyond));
    record.setLogging(false);
    const bool quiet = record.checkCatchBall(ball);
    record.setLogging(true);
    EXPECT_EQ(record.checkCatchBall(ball), quiet) << beyond;
    EXPECT_EQ(quiet, beyond < 0.0f) << beyond;
  }
}

TEST(InterceptPlayerReach, ExtraCatchUsesTheWithTurnReachOfTheCatchCycle) {
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  InterceptPlayer record = freeBallTeammate(player, makeSceneBall(Point(5.0f, 0.0f)));
  record.getReadyToRun();
  record.simulate();
  record.simulate();  // with-turn reach 0.6
  record.finalizeIntercept(makeSceneBall(Point(1.6f, 0.0f)), 2);
  EXPECT_TRUE(record.isCatchBall());
  EXPECT_EQ(record.getInterTime(), 2u);
  EXPECT_NEAR(record.getInterPoint().x, 1.6f, TOLERANCE);
  EXPECT_NEAR(record.getDashDist(), 0.6f, TOLERANCE);
  record.checkForExtraCatch(makeSceneBall(Point(1.7f, 0.0f)));
  EXPECT_FALSE(record.isExtraCatched());
  record.checkForExtraCatch(makeSceneBall(Point(1.6f, 0.0f)));
  EXPECT_TRUE(record.isExtraCatched());
  record.getReadyToRun();
  EXPECT_FALSE(record.isCatchBall());
  EXPECT_FALSE(record.isExtraCatched());
}

}  // namespace
}  // namespace tovren
