// Interception: one player's reach tables, a session's run over the players, and the kick
// fan that runs one session per kick.

#include "connection/Command.h"
#include "support/InterceptScene.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

using support::makeSceneBall;
using support::makeScenePlayer;

// ---- One player's reach ----

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

// The agent's own backward run, where the server takes a backward dash only at 180
// degrees: accelerations of 0.42 instead of 0.6 give 1.008 m by cycle 2 instead of 1.44.
TEST(InterceptPlayerReach, OwnBackwardRunFollowsTheServersBackDashRate) {
  const Ball ball = makeSceneBall(Point(3.0f, 0.0f));
  auto catchesAtCycle2 = [&](float minDashPower, bool body, const Point& ballPos) {
    Body agent = support::makeBody(Point(0.0f, 0.0f), 0.0f);
    agent.setCommandLimits().minDashPower = minDashPower;
    agent.setCommandLimits().backDashRate = 0.7f;
    Player teammate = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), 0.0f);
    auto session = std::make_unique<InterceptCalculate>();
    session->startSession(0, nullptr, nullptr);
    session->setVirtualBall(ball);
    session->addPlayer(body ? static_cast<const Player&>(agent) : teammate, false, false, true);
    InterceptPlayer& record = session->setLastInterPlayer();
    record.getReadyToRun();
    record.simulate();
    record.simulate();
    return record.checkCatchBall(makeSceneBall(ballPos));
  };
  // Radius 1.085: 2.5 m behind needs the forward reach, 2.0 m the backward one.
  EXPECT_TRUE(catchesAtCycle2(-100.0f, true, Point(-2.5f, 0.0f)));
  EXPECT_FALSE(catchesAtCycle2(0.0f, true, Point(-2.5f, 0.0f)));
  EXPECT_TRUE(catchesAtCycle2(0.0f, true, Point(-2.0f, 0.0f)));
  EXPECT_TRUE(catchesAtCycle2(0.0f, true, Point(2.5f, 0.0f)));  // ahead, as before
  // Only the agent's own run is known to be slowed.
  EXPECT_TRUE(catchesAtCycle2(0.0f, false, Point(-2.5f, 0.0f)));
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

// ---- A session ----

// Ball runs are summed in float arithmetic over many cycles.
constexpr float RUN_TOLERANCE = 1e-3f;
constexpr unsigned int NONE = InterceptCalculate::NONE;

// Ball positions of a ball starting at x 0 with speed 2 and decay 0.94, cycles 1 to 6.
constexpr float ROLL_2[] = {0.0f, 2.0f, 3.88f, 5.6472f, 7.308368f, 8.869866f, 10.337674f};
// The same with speed 1.5.
constexpr float ROLL_15[] = {0.0f,      1.5f,      2.91f,     4.2354f,
                             5.481276f, 6.652399f, 7.753255f, 8.788060f};

// The session lives on the heap: it is large, and the tests keep several at once.
std::unique_ptr<InterceptCalculate> freeBallSession() {
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(0, nullptr, nullptr);
  return session;
}

// The lines of the captured log that start (after the prefix) with the text.
std::vector<std::string> linesStartingWith(const std::string& log, const std::string& start) {
  std::vector<std::string> found;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 8 + start.size(), "  0000. " + start) == 0) found.push_back(line.substr(8));
  }
  return found;
}

TEST(InterceptRun, BallRollingStraightAtAStandingPlayerMeetsHisReach) {
  // Facing the ball: his no-turn reach (0.6, 1.44, 2.376, 3.35) meets the ball in cycle 4,
  // 2.69 m in front of him.
  for (float bodyDir : {180.0f, 0.0f}) {
    Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(10.0f, 0.0f), bodyDir);
    auto session = freeBallSession();
    session->addPlayer(player, false, false, true);
    session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(2.0f, 0.0f))));
    session->run();
    ASSERT_EQ(session->getCheckedPlayersNum(), 1u) << bodyDir;
    const InterceptPlayer& catcher = session->getFastestInterPlayer();
    EXPECT_EQ(catcher.getInterTime(), 4u);
    EXPECT_NEAR(catcher.getInterPoint().x, ROLL_2[4], RUN_TOLERANCE);
    EXPECT_NEAR(catcher.getInterPoint().y, 0.0f, RUN_TOLERANCE);
    EXPECT_EQ(&session->getFastestPlayer(), &player);
    // The ball then comes within his with-turn reach of cycle 4 as well.
    EXPECT_TRUE(catcher.isExtraCatched());
    // Two cycles are shared after the first catch: the run ends in cycle 6.
    EXPECT_NEAR(session->getVirtualBall().getPos().getX(), ROLL_2[6], RUN_TOLERANCE);
    EXPECT_EQ(session->getPlayMode(), 3u);
  }
}

TEST(InterceptRun, RunningPlayerUsesHisSpeedOnlyAlongHisBodyLine) {
  // Running at 0.5 towards the ball: no-turn reach 1.05, 2.07, 3.08, 4.08, 5.08 meets the
  // ball in cycle 5; with a turn first (0, 0.6, 1.44, 2.38, 3.35, 4.34) only in cycle 6.
  const struct {
    float bodyDir;
    unsigned int cycle;
  } cases[] = {{180.0f, 5}, {0.0f, 5}, {90.0f, 6}, {NOT_MEASURED, 6}};
  for (const auto& c : cases) {
    Player player =
        makeScenePlayer(TID_TEAMMATE, 5, Point(14.0f, 0.0f), c.bodyDir, Vector(Point(-0.5f, 0.0f)));
    auto session = freeBallSession();
    session->addPlayer(player, false, false, true);
    session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(2.0f, 0.0f))));
    session->run();
    ASSERT_TRUE(session->existFastestPlayer()) << c.bodyDir;
    EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), c.cycle) << c.bodyDir;
    EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, ROLL_2[c.cycle], RUN_TOLERANCE);
  }
}

TEST(InterceptRun, FasterPlayerWinsTheRace) {
  // Both 10 m from the ball's path; B accelerates by 0.8 up to 1.2 (reach 0, 0, 0.8, 1.92,
  // 3.12, 4.32, 5.52) and meets the ball in cycle 6, A (0, 0, 0.6 ... 4.34, 5.34) in 7.
  Player slow = makeScenePlayer(TID_TEAMMATE, 2, Point(8.0f, 6.0f));
  Player fast = makeScenePlayer(TID_TEAMMATE, 3, Point(8.0f, -6.0f));
  fast.setType(1, support::makeFastType(0.008f, 1.2f));
  auto session = freeBallSession();
  session->addPlayer(slow, false, false, true);
  session->addPlayer(fast, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(1.5f, 0.0f))));
  session->run();

  ASSERT_EQ(session->getCheckedPlayersNum(), 2u);
  EXPECT_EQ(session->getFastestPlayerNum(), 1u);
  EXPECT_EQ(session->getFastestTmmPlayerNum(), 1u);
  EXPECT_FALSE(session->existFastestOppPlayer());
  EXPECT_EQ(session->getCheckedInterPlayer(0).getInterTime(), 6u);
  EXPECT_NEAR(session->getCheckedInterPlayer(0).getInterPoint().x, ROLL_15[6], RUN_TOLERANCE);
  EXPECT_EQ(session->getCheckedInterPlayer(1).getInterTime(), 7u);
  EXPECT_NEAR(session->getCheckedInterPlayer(1).getInterPoint().x, ROLL_15[7], RUN_TOLERANCE);
  EXPECT_TRUE(session->isFastestPlayer(fast));
  EXPECT_FALSE(session->isFastestPlayer(slow));
  EXPECT_EQ(session->getCheckedListNum(slow), 1u);
}

TEST(InterceptRun, GoalieCatchesEarlyWithHisAreaAndEndsTheRun) {
  // The ball rolls at the own goal: x -22, -23.88, ... -31.72 (cycle 7), -33.01 (cycle 8),
  // -34.23 (cycle 9). The goalie 7.49 m from it in cycle 8 reaches 6.33 + 1.2 there; a
  // field player on his spot would need cycle 9.
  const Ball ball = makeSceneBall(Point(-20.0f, 0.0f), Vector(Point(-2.0f, 0.0f)));
  Player goalie =
      makeScenePlayer(TID_TEAMMATE, 1, Point(-40.5f, 0.0f), NOT_MEASURED, Vector(), true);
  Player back = makeScenePlayer(TID_TEAMMATE, 4, Point(-39.5f, 0.0f));
  auto session = freeBallSession();
  session->addPlayer(goalie, false, false, true);
  session->addPlayer(back, false, false, true);
  session->setVirtualBall(ball);
  session->run();
  ASSERT_EQ(session->getCheckedPlayersNum(), 1u);
  EXPECT_EQ(&session->getFastestPlayer(), &goalie);
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 8u);
  // The back would reach the ball in cycle 8 too, but after the goalie nobody is tested.
  EXPECT_FALSE(session->getInterPlayer(1).isCatchBall());
  EXPECT_NEAR(session->getVirtualBall().getPos().getX(), -33.014369f, RUN_TOLERANCE);

  Player fieldPlayer = makeScenePlayer(TID_TEAMMATE, 4, Point(-40.5f, 0.0f));
  auto alone = freeBallSession();
  alone->addPlayer(fieldPlayer, false, false, true);
  alone->setVirtualBall(ball);
  alone->run();
  ASSERT_TRUE(alone->existFastestPlayer());
  EXPECT_EQ(alone->getFastestInterPlayer().getInterTime(), 9u);
}

TEST(InterceptRun, GoalieOutsideHisAreaKeepsTheFieldRadiusWhenSoLimited) {
  // Mirrored scene at the opponents' goal: an own goalie there is a field player unless
  // catching is allowed everywhere.
  const Ball ball = makeSceneBall(Point(20.0f, 0.0f), Vector(Point(2.0f, 0.0f)));
  Player goalie =
      makeScenePlayer(TID_TEAMMATE, 1, Point(40.5f, 0.0f), NOT_MEASURED, Vector(), true);
  for (bool areaOnly : {true, false}) {
    auto session = freeBallSession();
    session->addPlayer(goalie, false, false, areaOnly);
    session->setVirtualBall(ball);
    session->run();
    ASSERT_TRUE(session->existFastestPlayer());
    EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), areaOnly ? 9u : 8u);
  }
}

TEST(InterceptRun, BallLeavingTheFieldEndsTheRun) {
  // 47.5, 49.85, 52.06, 54.14, 56.09: more than 2 m out in cycle 5.
  Player far = makeScenePlayer(TID_TEAMMATE, 9, Point(-40.0f, 0.0f));
  auto session = freeBallSession();
  session->addPlayer(far, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(45.0f, 0.0f), Vector(Point(2.5f, 0.0f))));
  session->run();
  EXPECT_EQ(session->getPlayMode(), 5u);
  EXPECT_FALSE(session->existFastestPlayer());
  EXPECT_EQ(session->getFastestTmmPlayerNum(), NONE);
  EXPECT_EQ(session->getFastestCheckedPlayerNum(), NONE);
  EXPECT_NEAR(session->getVirtualBall().getPos().getX(), 56.08733f, RUN_TOLERANCE);
}

TEST(InterceptRun, CatcherFoundBeforeTheBallGoesOutStaysListed) {
  Player winger = makeScenePlayer(TID_TEAMMATE, 11, Point(53.0f, 1.0f));
  auto session = freeBallSession();
  session->setShareCycles(10);
  session->addPlayer(winger, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(45.0f, 0.0f), Vector(Point(2.5f, 0.0f))));
  session->run();
  EXPECT_EQ(session->getPlayMode(), 5u);
  ASSERT_EQ(session->getCheckedPlayersNum(), 1u);
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 3u);
}

TEST(InterceptRun, FreeBallWithinReachAtTheStartIsCaughtInCycleZero) {
  const float radius = support::defaultKickableRadius();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  auto session = freeBallSession();
  session->addPlayer(player, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(radius, 0.0f)));
  session->run();
  ASSERT_TRUE(session->existFastestPlayer());
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 0u);
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, radius, RUN_TOLERANCE);
}

TEST(InterceptRun, AfterAKickReactionsCountFromTheKickAndCycleZeroIsNotTested) {
  // Kick cycles 1 and a teammate's delay 2: three cycles without power, the turn, then
  // 0.6 in cycle 5. The resting ball lies exactly at his radius: from cycle 1 on the test
  // is strict, so he needs that first dash.
  const float radius = support::defaultKickableRadius();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f));
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(1, nullptr, nullptr);
  session->addPlayer(player, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(radius, 0.0f)));
  session->run();
  ASSERT_TRUE(session->existFastestPlayer());
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 5u);
}

TEST(InterceptRun, KickedBallWaitsForTheKickCycles) {
  std::ostringstream& log = support::captureMainLog();
  Player far = makeScenePlayer(TID_TEAMMATE, 9, Point(-40.0f, 30.0f));
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(3, nullptr, nullptr);
  session->setLogging(true);
  session->addPlayer(far, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(2.0f, 0.0f))));
  session->run();
  std::vector<std::string> balls = linesStartingWith(log.str(), "Ball:");
  ASSERT_GE(balls.size(), 4u);
  EXPECT_EQ(balls[0], "Ball: Pos(0.00,0.00) Vel(2.00,0.00)");
  EXPECT_EQ(balls[1], "Ball: Pos(0.00,0.00) Vel(2.00,0.00)");
  EXPECT_EQ(balls[2], "Ball: Pos(2.00,0.00) Vel(1.88,0.00)");
  EXPECT_EQ(balls[3], "Ball: Pos(3.88,0.00) Vel(1.77,0.00)");
}

TEST(InterceptRun, ThirdCatcherOfACycleEndsTheRunAndPlacesFollowSlotOrder) {
  // Four players 5 m from a resting ball all reach it in cycle 6 (reach 4.34).
  Player north = makeScenePlayer(TID_TEAMMATE, 2, Point(0.0f, 5.0f));
  Player south = makeScenePlayer(TID_OPPONENT, 3, Point(0.0f, -5.0f));
  Player east = makeScenePlayer(TID_TEAMMATE, 4, Point(5.0f, 0.0f));
  Player west = makeScenePlayer(TID_OPPONENT, 5, Point(-5.0f, 0.0f));
  Player otherThree = makeScenePlayer(TID_TEAMMATE, 3, Point(30.0f, 0.0f));
  auto session = freeBallSession();
  for (const Player* p : {&north, &south, &east, &west}) session->addPlayer(*p, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f)));
  session->run();

  ASSERT_EQ(session->getCheckedPlayersNum(), 3u);
  for (unsigned int i = 0; i < 3; ++i)
    EXPECT_EQ(session->getCheckedInterPlayer(i).getInterTime(), 6u);
  EXPECT_EQ(session->getCheckedInterPlayer(0).getPlayer(), &north);
  EXPECT_EQ(session->getCheckedInterPlayer(1).getPlayer(), &south);
  EXPECT_EQ(session->getCheckedInterPlayer(2).getPlayer(), &east);
  EXPECT_FALSE(session->getInterPlayer(3).isCatchBall());
  EXPECT_EQ(session->getFastestTmmPlayerNum(), 0u);
  EXPECT_EQ(session->getFastestTmmCheckedPlayerNum(), 0u);
  EXPECT_EQ(session->getFastestOppPlayerNum(), 1u);
  EXPECT_EQ(session->getFastestOppCheckedPlayerNum(), 1u);
  EXPECT_EQ(&session->getFastestOppPlayer(), &south);
  EXPECT_EQ(&session->getFastestTmmPlayer(), &north);
  EXPECT_EQ(session->getTmmCheckedPlayersNum(), 2u);
  EXPECT_EQ(session->getOppCheckedPlayersNum(), 1u);
  // A teammate and an opponent of the same number are told apart by team.
  EXPECT_EQ(session->getCheckedListNum(south), 1u);
  EXPECT_EQ(session->getCheckedListNum(otherThree), NONE);
  EXPECT_EQ(session->getCheckedListNum(west), NONE);
}

TEST(InterceptRun, BlockerTurnsTheBallAwayWithoutBeingListed) {
  // The blocker meets the ball in cycle 3 at x 4.24; from there it runs at (0, 1) without
  // slowing down: (4.24, 4) in cycle 7, where the catcher 6.25 m away reaches 5.34.
  Player blocker = makeScenePlayer(TID_OPPONENT, 6, Point(5.0f, 0.0f));
  Player catcher = makeScenePlayer(TID_TEAMMATE, 7, Point(6.0f, 10.0f));
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(0, nullptr, &blocker);
  session->addPlayer(blocker, false, true, true);
  session->addPlayer(catcher, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(1.5f, 0.0f))));
  session->setBlockedBallVel(Vector(Point(0.0f, 1.0f)));
  session->run();

  ASSERT_EQ(session->getCheckedPlayersNum(), 1u);
  EXPECT_EQ(&session->getFastestPlayer(), &catcher);
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 7u);
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, ROLL_15[3], RUN_TOLERANCE);
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().y, 4.0f, RUN_TOLERANCE);
  EXPECT_TRUE(session->getInterPlayer(0).isCatchBall());
  EXPECT_EQ(session->getInterPlayer(0).getInterTime(), 3u);
  EXPECT_FALSE(session->existFastestOppPlayer());
  // The finish timer started only with the catcher: the run ends two cycles later.
  EXPECT_NEAR(session->getVirtualBall().getPos().getY(), 6.0f, RUN_TOLERANCE);
  EXPECT_NEAR(session->getVirtualBall().getVel().getY(), 1.0f, RUN_TOLERANCE);
  EXPECT_FLOAT_EQ(session->getVirtualBall().getDecay(), 1.0f);
}

TEST(InterceptRun, OwnerlessSlowBallEndsTheRun) {
  auto session = freeBallSession();
  // 0.06, 0.0564, 0.0530, 0.0498: below 0.05 after cycle 3.
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(0.06f, 0.0f))));
  session->run();
  EXPECT_FALSE(session->existFastestPlayer());
  EXPECT_NEAR(session->getVirtualBall().getPos().getX(), 0.06f + 0.0564f + 0.053016f, 1e-5f);
}

TEST(InterceptRun, RunEndsAfterCycle96WhenNobodyReachesTheBall) {
  Player far = makeScenePlayer(TID_TEAMMATE, 9, Point(-50.0f, 30.0f));
  auto session = freeBallSession();
  session->addPlayer(far, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(50.0f, -30.0f)));
  session->run();
  EXPECT_FALSE(session->existFastestPlayer());
  EXPECT_EQ(session->getPlayMode(), 3u);
  const InterceptPlayer& record = session->getInterPlayer(0);
  EXPECT_FLOAT_EQ(record.getDashDist(), record.getWithTurnDashDist(96));
}

TEST(InterceptRun, RepeatedRunStartsAfreshWithTheNewBall) {
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(10.0f, 0.0f), 180.0f);
  auto session = freeBallSession();
  session->addPlayer(player, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(2.0f, 0.0f))));
  session->run();
  ASSERT_TRUE(session->existFastestPlayer());
  session->setVirtualBall(makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-3.0f, 0.0f))));
  session->run();
  EXPECT_FALSE(session->existFastestPlayer());
  EXPECT_EQ(session->getCheckedPlayersNum(), 0u);
  EXPECT_FALSE(session->getInterPlayer(0).isCatchBall());
  EXPECT_EQ(session->getPlayMode(), 5u);
}

TEST(InterceptNearestOpponent, NearestOpponentIsMeasuredLessHisReachFromTheFastest) {
  struct Case {
    const char* name;
    std::vector<std::pair<TeamId, Point>> players;  // in the order added
    float dist, dir;
  };
  // The teammate 2 m from a resting ball catches in cycle 3; the run ends in cycle 5,
  // where every opponent's with-turn reach is 3.35.
  const Case cases[] = {
      {"nearest of two",
       {{TID_TEAMMATE, Point(0.0f, 2.0f)},
        {TID_OPPONENT, Point(0.0f, -20.0f)},
        {TID_OPPONENT, Point(6.0f, 8.0f)}},
       10.0f - 3.3504f,
       53.1301f},
      {"an opponent catches", {{TID_OPPONENT, Point(0.0f, 2.0f)}}, 0.0f, 0.0f},
      {"no opponent", {{TID_TEAMMATE, Point(0.0f, 2.0f)}}, 65278.0f, 65278.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Player> players;
    for (const auto& [team, at] : c.players)
      players.push_back(makeScenePlayer(team, static_cast<unsigned int>(players.size()) + 2, at));
    auto session = freeBallSession();
    for (const Player& player : players) session->addPlayer(player, false, false, true);
    session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f)));
    session->run();
    ASSERT_TRUE(session->existFastestPlayer());
    EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 3u);
    float dist = 1.0f;
    float dir = 1.0f;
    session->getNearestOppDistDirToFastest(dist, dir);
    EXPECT_NEAR(dist, c.dist, RUN_TOLERANCE);
    EXPECT_NEAR(dir, c.dir, RUN_TOLERANCE);
  }
}

TEST(InterceptLines, OpponentsBetweenLinesInEitherOrder) {
  Player a = makeScenePlayer(TID_OPPONENT, 2, Point(-10.0f, 0.0f));
  Player b = makeScenePlayer(TID_OPPONENT, 3, Point(0.0f, 0.0f));
  Player c = makeScenePlayer(TID_OPPONENT, 4, Point(5.0f, 0.0f), NOT_MEASURED, Vector(), true);
  Player teammate = makeScenePlayer(TID_TEAMMATE, 4, Point(-5.0f, 0.0f));
  auto session = freeBallSession();
  for (const Player* p : {&a, &b, &c, &teammate}) session->addPlayer(*p, false, false, true);
  // Goalies count once here.
  EXPECT_EQ(session->getOppPlayersBeforeLine(0.0f), 2u);
  EXPECT_EQ(session->getOppPlayersBeforeLine(5.0f), 3u);
  // On the lower line: out; on the upper line: in.
  EXPECT_EQ(session->getOppPlayersBetweenLines(-10.0f, 5.0f), 2u);
  EXPECT_EQ(session->getOppPlayersBetweenLines(5.0f, -10.0f), 2u);
}

TEST(InterceptSession, AddPlayerRefusesPlayersBeyondTheSlots) {
  Player player = makeScenePlayer(TID_OPPONENT, 5, Point(0.0f, 0.0f));
  auto session = freeBallSession();
  for (unsigned int i = 0; i < InterceptCalculate::MAX_PLAYERS; ++i)
    EXPECT_TRUE(session->addPlayer(player, false, false, true));
  EXPECT_FALSE(session->addPlayer(player, false, false, true));
  EXPECT_EQ(session->getPlayersNum(), InterceptCalculate::MAX_PLAYERS);
  EXPECT_EQ(session->setLastInterPlayer().getPlayer(), &player);
}

TEST(InterceptSessionDeathTest, NonKickerOfUnknownTeamStopsTheProcess) {
  Player unknown = makeScenePlayer(TID_UNKNOWN, 0, Point(0.0f, 0.0f));
  auto session = freeBallSession();
  EXPECT_TRUE(session->addPlayer(unknown, true, false, true));  // as the kicker: accepted
  EXPECT_DEATH(session->addPlayer(unknown, false, false, true), "0");
}

class InterceptWorldModel : public ::testing::Test {
 protected:
  void SetUp() override { support::setAgentConfig(true); }

  // A seen player: team and number as the see parser gives them, a known position.
  static void place(Player& player, TeamId team, unsigned int uniNum, const Point& pos,
                    bool valid = true) {
    player.setTeamId(team);
    player.setUniNum(uniNum);
    player.setPos() = Vector(pos);
    player.setPosDeviation(0.0f);
    player.setValidPosDeviation(valid ? 0.0f : 10.0f);
  }
};

TEST_F(InterceptWorldModel, FillingAddsTheAgentThenTeammatesAndOpponentsAlternately) {
  auto worldModel = std::make_unique<WorldModel>();
  worldModel->setBody().setUniNum(7);
  worldModel->replaceBodyInPlayersList(7);
  place(worldModel->setBody(), TID_TEAMMATE, 7, Point(0.0f, 0.0f));
  place(worldModel->setFullPlayer(TID_TEAMMATE, 1), TID_TEAMMATE, 2, Point(-10.0f, 0.0f));
  place(worldModel->setFullPlayer(TID_TEAMMATE, 2), TID_TEAMMATE, 3, Point(-10.0f, 5.0f), false);
  place(worldModel->setFullPlayer(TID_TEAMMATE, 8), TID_TEAMMATE, 9, Point(10.0f, 5.0f));
  place(worldModel->setFullPlayer(TID_OPPONENT, 0), TID_OPPONENT, 1, Point(50.0f, 0.0f));
  place(worldModel->setFullPlayer(TID_OPPONENT, 3), TID_OPPONENT, 4, Point(20.0f, 0.0f));
  place(worldModel->setHalfPlayer(TID_TEAMMATE, 0), TID_TEAMMATE, 0, Point(-20.0f, 0.0f));
  place(worldModel->setHalfPlayer(TID_OPPONENT, 1), TID_OPPONENT, 0, Point(30.0f, 0.0f));
  place(worldModel->setQuarterPlayer(0), TID_UNKNOWN, 0, Point(0.0f, 30.0f));
  worldModel->setBall().setPos() = Vector(Point(1.0f, 2.0f));

  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(1, &worldModel->getBody(), nullptr);
  session->updateByWorldModel(worldModel.get(), false, false, false);
  const Player* expected[] = {
      &worldModel->getBody(),
      &worldModel->getFullPlayer(TID_OPPONENT, 0),
      &worldModel->getFullPlayer(TID_TEAMMATE, 1),
      &worldModel->getFullPlayer(TID_OPPONENT, 3),
      &worldModel->getFullPlayer(TID_TEAMMATE, 8),
      &worldModel->getHalfPlayer(TID_TEAMMATE, 0),
      &worldModel->getHalfPlayer(TID_OPPONENT, 1),
  };
  ASSERT_EQ(session->getPlayersNum(), 7u);
  for (unsigned int i = 0; i < 7; ++i)
    EXPECT_EQ(session->getInterPlayer(i).getPlayer(), expected[i]);
  EXPECT_TRUE(session->getInterPlayer(0).isKicking());
  EXPECT_FALSE(session->getInterPlayer(2).isKicking());
  EXPECT_NEAR(session->getVirtualBall().getPos().getY(), 2.0f, RUN_TOLERANCE);

  session->startSession(0, nullptr, nullptr);
  session->updateByWorldModel(worldModel.get(), true, false, true);
  EXPECT_EQ(session->getPlayersNum(), 3u);  // teammates 2 and 9, the half teammate
}

TEST_F(InterceptWorldModel, WorldModelPredictsWithItsOwnSession) {
  auto worldModel = std::make_unique<WorldModel>();
  worldModel->setBody().setUniNum(7);
  worldModel->replaceBodyInPlayersList(7);
  place(worldModel->setBody(), TID_TEAMMATE, 7, Point(0.0f, 0.0f));
  place(worldModel->setFullPlayer(TID_OPPONENT, 3), TID_OPPONENT, 4, Point(0.0f, 5.0f));
  worldModel->setBall().setPos() = Vector(Point(0.0f, 2.0f));
  worldModel->updateCurInterCalculate();
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  ASSERT_EQ(prediction.getCheckedPlayersNum(), 2u);
  // The agent 2 m away catches in cycle 3; the opponent 3 m away in cycle 4.
  EXPECT_EQ(prediction.getCheckedInterPlayer(0).getPlayer(), &worldModel->getBody());
  EXPECT_EQ(prediction.getCheckedInterPlayer(0).getInterTime(), 3u);
  EXPECT_EQ(prediction.getCheckedInterPlayer(1).getInterTime(), 4u);
}

// ---- The kick fan ----

// The first ball's speed follows the kick model in float arithmetic.
constexpr float SPEED_TOLERANCE = 1e-3f;
constexpr unsigned int KICK_NONE = KickCalculate::NONE;
constexpr float BALL_DIST = 0.5f;  // metres from the agent's centre

class KickFan : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    worldModel = std::make_unique<WorldModel>();
    support::feedRecordedParameters(*worldModel);
    support::placeAgentWithBall(*worldModel, 0.0f, 0.0f, 0.0f, BALL_DIST);
    support::markAllViewPartsSeen(*worldModel);
    worldModel->setCurTime(7);
  }

  const KickCalculate& fan() const { return *worldModel->getCurKickCalculate(); }
  const KickInterceptCalculate& entry(unsigned int i) const { return fan().getSimulate(i); }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(KickFan, GridHoldsFivePowersForEachOfFortyEightDirections) {
  worldModel->updateCurKickCalculate();
  EXPECT_EQ(fan().getUpdateTime(), 7u);
  for (unsigned int i = 0; i < 5; ++i) {
    ASSERT_NE(entry(i).getKickCommand(), nullptr);
    EXPECT_FLOAT_EQ(entry(i).getKickCommand()->getPower(), 20.0f * (i + 1));
    EXPECT_FLOAT_EQ(entry(i).getKickCommand()->getDirection(), 0.0f);
  }
  EXPECT_FLOAT_EQ(entry(120).getKickCommand()->getPower(), 20.0f);
  EXPECT_FLOAT_EQ(entry(120).getKickCommand()->getDirection(), 180.0f);
  EXPECT_FLOAT_EQ(entry(125).getKickCommand()->getPower(), 20.0f);
  EXPECT_FLOAT_EQ(entry(125).getKickCommand()->getDirection(), -172.5f);
  EXPECT_FLOAT_EQ(entry(239).getKickCommand()->getPower(), 100.0f);
  EXPECT_FLOAT_EQ(entry(239).getKickCommand()->getDirection(), -7.5f);
  // Every direction was just looked at: every kick is predicted.
  for (unsigned int i = 0; i < fan().getSimulatesNum(); ++i) {
    EXPECT_TRUE(entry(i).isValid()) << i;
    EXPECT_EQ(entry(i).getKickPlayer(), &worldModel->getBody()) << i;
  }
}

TEST_F(KickFan, FirstBallLeavesTheFootByTheKickModel) {
  worldModel->updateCurKickCalculate();
  // Effectiveness 1 - 0.25 * 0.115 / 0.7 at 0.5 m: full power gives 2.589.
  const float speeds[] = {0.5178214f, 1.0356429f, 1.5534643f, 2.0712857f, 2.5891071f};
  for (unsigned int i = 0; i < 5; ++i) {
    const Vector& vel = entry(i).getFirstBall().getVel();
    EXPECT_NEAR(vel.getMagnitude(), speeds[i], SPEED_TOLERANCE);
    EXPECT_NEAR(vel.getDirection(), 0.0f, TOLERANCE);
    EXPECT_NEAR(entry(i).getFirstBall().getPos().getX(), BALL_DIST, TOLERANCE);
  }
  // A kick across the body: the ball leaves at the kick's direction.
  EXPECT_NEAR(entry(5 * 12).getFirstBall().getVel().getDirection(), 90.0f, TOLERANCE);
}

TEST_F(KickFan, SoftKicksGiveTheirSpeedsAlongTheBody) {
  worldModel->setBody().setBodyDir(30.0f);
  support::placeAgentWithBall(*worldModel, 0.0f, 0.0f, 30.0f, BALL_DIST);
  worldModel->updateCurKickCalculate();
  // Power is the speed over 0.027 times the effectiveness 0.9589.
  const float powers[] = {28.9675f, 38.6234f, 48.2792f};
  for (unsigned int j = 0; j < 3; ++j) {
    const KickInterceptCalculate& soft = entry(240 + j);
    ASSERT_TRUE(soft.isValid()) << j;
    EXPECT_NEAR(soft.getFirstBall().getVel().getMagnitude(), 0.75f + 0.25f * j, SPEED_TOLERANCE);
    EXPECT_NEAR(soft.getFirstBall().getVel().getDirection(), 30.0f, 0.01f);
    EXPECT_NEAR(soft.getKickCommand()->getPower(), powers[j], 0.01f);
    EXPECT_NEAR(soft.getKickCommand()->getDirection(), 0.0f, 0.01f);
  }
}

TEST_F(KickFan, SoftKickNeedingMoreThanFullPowerIsInvalidAndKeepsItsLastPrediction) {
  worldModel->updateCurKickCalculate();
  const float lastPower = entry(242).getKickCommand()->getPower();
  // Rolling back at 1.5: the changes 2.25 and 2.5 need less than power 100, 2.75 more.
  worldModel->setBall().setVel().setAsCartesian(-1.5f, 0.0f);
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(240).isValid());
  EXPECT_TRUE(entry(241).isValid());
  EXPECT_FALSE(entry(242).isValid());
  EXPECT_FLOAT_EQ(entry(242).getKickCommand()->getPower(), lastPower);
}

TEST_F(KickFan, KickIsPredictedOnlyWhereTheAgentLookedWithinFiveCycles) {
  for (int i = 0; i < 5; ++i) worldModel->updateSeeDeltaCyclesAfterSenseBody();
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(4).isValid());  // straight along part 0, looked at 5 cycles ago
  worldModel->updateSeeDeltaCyclesAfterSenseBody();
  worldModel->updateCurKickCalculate();
  EXPECT_FALSE(entry(4).isValid());
  // Looking ahead again: only the kicks near part 0 come back.
  worldModel->setBody().setHeadDir(0.0f);
  worldModel->updateSeeDeltaCyclesAfterSee();
  worldModel->updateCurKickCalculate();
  EXPECT_TRUE(entry(4).isValid());
  EXPECT_FALSE(entry(120).isValid());
}

TEST_F(KickFan, BallThatNobodyReachesLeavesAnEmptyValidEntry) {
  // From x 40 a full kick straight ahead leaves the field long before the agent arrives.
  support::placeAgentWithBall(*worldModel, 40.0f, 0.0f, 0.0f, BALL_DIST);
  worldModel->updateCurKickCalculate();
  const KickInterceptCalculate& kick = entry(4);
  ASSERT_TRUE(kick.isValid());
  EXPECT_EQ(kick.getCheckedPlayersNum(), 0u);
  EXPECT_FALSE(kick.existFastestPlayer());
  EXPECT_EQ(kick.getFastestPlayerNum(), KICK_NONE);
  EXPECT_EQ(kick.getFastestTmmPlayerNum(), KICK_NONE);
  EXPECT_EQ(kick.getFastestOppPlayerNum(), KICK_NONE);
  EXPECT_EQ(kick.getPassedOppPlayers(), 0u);
  EXPECT_FLOAT_EQ(kick.getNearestOppToFastestDist(), 65535.0f);
  EXPECT_FLOAT_EQ(kick.getNearestOppToFastestDir(), 180.0f);
  EXPECT_EQ(kick.getPlayMode(), 5u);
  EXPECT_GT(kick.getVirtualBall().getPos().getX(), 54.5f);
  EXPECT_FALSE(kick.isFastestPlayer(worldModel->getBody()));
}

TEST_F(KickFan, CatchersAreToldApartByTeamAndCountTheOpponentsPassed) {
  const Player& opponent = support::placeFullPlayer(*worldModel, TID_OPPONENT, 5, 8.0f, 0.0f);
  support::placeFullPlayer(*worldModel, TID_OPPONENT, 6, 2.0f, 30.0f);
  const Player& teammate = support::placeFullPlayer(*worldModel, TID_TEAMMATE, 5, -30.0f, 30.0f);
  worldModel->updateCurKickCalculate();

  const KickInterceptCalculate& forward = entry(2);  // power 60 straight at the opponent
  ASSERT_TRUE(forward.isValid());
  ASSERT_TRUE(forward.existFastestOppPlayer());
  EXPECT_EQ(forward.getFastestOppInterPlayer().getPlayer(), &opponent);
  EXPECT_EQ(forward.getCheckedListNum(opponent), forward.getFastestOppPlayerNum());
  EXPECT_EQ(forward.getCheckedListNum(teammate), KICK_NONE);
  EXPECT_EQ(forward.getOppCheckedPlayersNum() + forward.getTmmCheckedPlayersNum(),
            forward.getCheckedPlayersNum());
  EXPECT_TRUE(forward.isFastestPlayer(*forward.getFastestPlayer()));
  const float interX = forward.getFastestInterPlayer().getInterPoint().x;
  ASSERT_GT(interX, BALL_DIST);
  // The opponent at x 2 lies between the ball and the catch, the catcher beyond x 2.
  EXPECT_EQ(forward.getPassedOppPlayers(), interX >= 8.0f ? 2u : 1u);
  if (forward.getFastestOppPlayerNum() == forward.getFastestPlayerNum()) {
    EXPECT_FLOAT_EQ(forward.getNearestOppToFastestDist(), 0.0f);
    EXPECT_FLOAT_EQ(forward.getNearestOppToFastestDir(), 0.0f);
  }

  const KickInterceptCalculate& backward = entry(120);  // power 20 behind the agent
  ASSERT_TRUE(backward.isValid());
  ASSERT_TRUE(backward.existFastestPlayer());
  EXPECT_LE(backward.getFastestInterPlayer().getInterPoint().x, BALL_DIST);
  EXPECT_EQ(backward.getPassedOppPlayers(), 0u);
}

TEST_F(KickFan, NeighboursByDirectionSkipTheEntrysOwnPower) {
  worldModel->updateCurKickCalculate();
  unsigned int first = 0, second = 0;
  fan().getNeighboursByDir(0, first, second);    // power 20 at 0
  EXPECT_EQ(first, 6u);                          // power 40 at 7.5
  EXPECT_EQ(second, 236u);                       // power 40 at -7.5
  fan().getNeighboursByDir(120, first, second);  // power 20 at 180
  EXPECT_EQ(first, 126u);                        // power 40 at -172.5
  EXPECT_EQ(second, 116u);                       // power 40 at 172.5
  fan().getNeighboursByDir(6, first, second);    // power 40 at 7.5
  EXPECT_EQ(first, 10u);                         // power 20 at 15
  EXPECT_EQ(second, 0u);                         // power 20 at 0
}

// An entry of a derived kind, counting its destructions.
class CountedEntry : public KickInterceptCalculate {
 public:
  explicit CountedEntry(int& destroyed) : destroyed(destroyed) {}
  ~CountedEntry() override { ++destroyed; }

 private:
  int& destroyed;
};

// A fan of a derived kind with its own number of entries.
class SmallFan : public KickCalculate {
 public:
  void initWith(unsigned int count, int& destroyed) {
    std::vector<std::unique_ptr<KickInterceptCalculate>> entries;
    for (unsigned int i = 0; i < count; ++i)
      entries.push_back(std::make_unique<CountedEntry>(destroyed));
    setSimulates(std::move(entries));
    setInited(true);
  }
};

TEST_F(KickFan, FanOfFewerThanThreeEntriesDoesNothing) {
  int destroyed = 0;
  SmallFan small;
  small.initWith(2, destroyed);
  small.update(worldModel.get());
  EXPECT_EQ(small.getUpdateTime(), 0u);
  EXPECT_FALSE(small.getSimulate(0).isValid());
  SmallFan empty;
  empty.update(worldModel.get());
  EXPECT_EQ(empty.getSimulatesNum(), 0u);
}

TEST_F(KickFan, EntriesOfADerivedKindAreFreedThroughTheirDestructor) {
  int destroyed = 0;
  {
    SmallFan small;
    small.initWith(12, destroyed);
    EXPECT_EQ(small.getSimulatesNum(), 12u);
    small.initWith(4, destroyed);  // a second set frees the first
    EXPECT_EQ(destroyed, 12);
  }
  EXPECT_EQ(destroyed, 16);
}

TEST_F(KickFan, SecondInitReplacesTheEntries) {
  KickCalculate own;
  own.init();
  own.init();
  EXPECT_EQ(own.getSimulatesNum(), 243u);
  own.update(worldModel.get());
  EXPECT_TRUE(own.getSimulate(0).isValid());
}

TEST_F(KickFan, SharedFanShowsTheSourceEntriesAndPredictsIntoItsOwn) {
  worldModel->updateCurKickCalculate();
  KickCalculate shared;
  shared.shareSimulates(fan());
  EXPECT_EQ(&shared.getSimulate(17), &entry(17));
  EXPECT_EQ(shared.getUpdateTime(), 7u);
  EXPECT_TRUE(shared.isInited());
  worldModel->setCurTime(8);
  shared.update(worldModel.get());
  EXPECT_NE(&shared.getSimulate(17), &entry(17));
  EXPECT_EQ(fan().getUpdateTime(), 7u);
}

TEST(KickFanDeathTest, EntryOutsideTheFanStops) {
  KickCalculate empty;
  EXPECT_DEATH(empty.getSimulate(0), "i < simulatesNum");
  KickInterceptCalculate kick;
  EXPECT_DEATH(kick.getCheckedInterPlayer(0), "i < checkedPlayersNum");
}

}  // namespace
}  // namespace tovren
