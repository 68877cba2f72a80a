#include "worldmodel/InterceptCalculate.h"

#include "support/InterceptScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-3f;
constexpr unsigned int NONE = InterceptCalculate::NONE;

using support::makeSceneBall;
using support::makeScenePlayer;

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
    EXPECT_NEAR(catcher.getInterPoint().x, ROLL_2[4], TOLERANCE);
    EXPECT_NEAR(catcher.getInterPoint().y, 0.0f, TOLERANCE);
    EXPECT_EQ(&session->getFastestPlayer(), &player);
    // The ball then comes within his with-turn reach of cycle 4 as well.
    EXPECT_TRUE(catcher.isExtraCatched());
    // Two cycles are shared after the first catch: the run ends in cycle 6.
    EXPECT_NEAR(session->getVirtualBall().getPos().getX(), ROLL_2[6], TOLERANCE);
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
    EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, ROLL_2[c.cycle], TOLERANCE);
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
  EXPECT_NEAR(session->getCheckedInterPlayer(0).getInterPoint().x, ROLL_15[6], TOLERANCE);
  EXPECT_EQ(session->getCheckedInterPlayer(1).getInterTime(), 7u);
  EXPECT_NEAR(session->getCheckedInterPlayer(1).getInterPoint().x, ROLL_15[7], TOLERANCE);
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
  EXPECT_NEAR(session->getVirtualBall().getPos().getX(), -33.014369f, TOLERANCE);

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
  EXPECT_NEAR(session->getVirtualBall().getPos().getX(), 56.08733f, TOLERANCE);
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
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, radius, TOLERANCE);
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
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().x, ROLL_15[3], TOLERANCE);
  EXPECT_NEAR(session->getFastestInterPlayer().getInterPoint().y, 4.0f, TOLERANCE);
  EXPECT_TRUE(session->getInterPlayer(0).isCatchBall());
  EXPECT_EQ(session->getInterPlayer(0).getInterTime(), 3u);
  EXPECT_FALSE(session->existFastestOppPlayer());
  // The finish timer started only with the catcher: the run ends two cycles later.
  EXPECT_NEAR(session->getVirtualBall().getPos().getY(), 6.0f, TOLERANCE);
  EXPECT_NEAR(session->getVirtualBall().getVel().getY(), 1.0f, TOLERANCE);
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

TEST(InterceptNearestOpponent, NearestOpponentIsMeasuredLessHisReach) {
  // The teammate 2 m from a resting ball catches in cycle 3; the run ends in cycle 5,
  // where every opponent's with-turn reach is 3.35.
  Player teammate = makeScenePlayer(TID_TEAMMATE, 2, Point(0.0f, 2.0f));
  Player near = makeScenePlayer(TID_OPPONENT, 5, Point(6.0f, 8.0f));
  Player far = makeScenePlayer(TID_OPPONENT, 6, Point(0.0f, -20.0f));
  auto session = freeBallSession();
  session->addPlayer(teammate, false, false, true);
  session->addPlayer(far, false, false, true);
  session->addPlayer(near, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f)));
  session->run();
  ASSERT_TRUE(session->existFastestPlayer());
  EXPECT_EQ(session->getFastestInterPlayer().getInterTime(), 3u);
  float dist = 0.0f;
  float dir = 0.0f;
  session->getNearestOppDistDirToFastest(dist, dir);
  EXPECT_NEAR(dist, 10.0f - 3.3504f, TOLERANCE);
  EXPECT_NEAR(dir, 53.1301f, TOLERANCE);
}

TEST(InterceptNearestOpponent, OpponentAmongCatchersIsAtDistanceZero) {
  Player opponent = makeScenePlayer(TID_OPPONENT, 5, Point(0.0f, 2.0f));
  auto session = freeBallSession();
  session->addPlayer(opponent, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f)));
  session->run();
  float dist = 1.0f;
  float dir = 1.0f;
  session->getNearestOppDistDirToFastest(dist, dir);
  EXPECT_EQ(dist, 0.0f);
  EXPECT_EQ(dir, 0.0f);
}

TEST(InterceptNearestOpponent, SessionWithoutOpponentsReportsTheMarker) {
  Player teammate = makeScenePlayer(TID_TEAMMATE, 2, Point(0.0f, 2.0f));
  auto session = freeBallSession();
  session->addPlayer(teammate, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f)));
  session->run();
  float dist = 0.0f;
  float dir = 0.0f;
  session->getNearestOppDistDirToFastest(dist, dir);
  EXPECT_EQ(dist, 65278.0f);
  EXPECT_EQ(dir, 65278.0f);
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

TEST(InterceptSession, DefaultTuningFollowsTheKickCycles) {
  Player teammate = makeScenePlayer(TID_TEAMMATE, 2, Point(0.0f, 0.0f));
  teammate.setPosDeviation(2.0f);
  Player opponent = makeScenePlayer(TID_OPPONENT, 2, Point(0.0f, 0.0f));
  opponent.setPosDeviation(2.0f);
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(0, nullptr, nullptr);
  session->addPlayer(teammate, false, false, true);
  session->addPlayer(opponent, false, false, true);
  // Free ball: offsets -0.3 and +0.3 times the deviation; nobody waits.
  EXPECT_NEAR(session->getInterPlayer(0).getWithTurnDashDist(0), -0.6f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(1).getWithTurnDashDist(0), 0.6f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(1).getNoTurnDashDist(1), 0.6f + 0.6f, TOLERANCE);

  session->startSession(2, nullptr, nullptr);
  session->addPlayer(teammate, false, false, true);
  session->addPlayer(opponent, false, false, true);
  // A kick: -0.75 and +0.5; teammates react after 2 + 2 cycles, opponents dash at 60.
  EXPECT_NEAR(session->getInterPlayer(0).getWithTurnDashDist(0), -1.5f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(0).getNoTurnDashDist(4), -1.5f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(0).getNoTurnDashDist(5), -0.9f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(1).getWithTurnDashDist(0), 1.0f, TOLERANCE);
  EXPECT_NEAR(session->getInterPlayer(1).getNoTurnDashDist(1), 1.0f + 0.36f, TOLERANCE);
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
  EXPECT_NEAR(session->getVirtualBall().getPos().getY(), 2.0f, TOLERANCE);

  session->startSession(0, nullptr, nullptr);
  session->updateByWorldModel(worldModel.get(), true, false, true);
  EXPECT_EQ(session->getPlayersNum(), 3u);  // teammates 2 and 9, the half teammate
}

TEST_F(InterceptWorldModel, WorldModelLogsTheCatchersOfItsOwnSession) {
  auto worldModel = std::make_unique<WorldModel>();
  worldModel->setBody().setUniNum(7);
  worldModel->replaceBodyInPlayersList(7);
  place(worldModel->setBody(), TID_TEAMMATE, 7, Point(0.0f, 0.0f));
  place(worldModel->setFullPlayer(TID_OPPONENT, 3), TID_OPPONENT, 4, Point(0.0f, 5.0f));
  worldModel->setBall().setPos() = Vector(Point(0.0f, 2.0f));
  std::ostringstream& log = support::captureMainLog();
  worldModel->updateCurInterCalculate();
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  ASSERT_EQ(prediction.getCheckedPlayersNum(), 2u);
  // The agent 2 m away catches in cycle 3; the opponent 3 m away in cycle 4.
  EXPECT_EQ(log.str(),
            "  0000. InterceptCalculate checked players:\n"
            "  0000. \t0: 0 7 3\n"
            "  0000. \t1: 1 4 4\n");
}

TEST(InterceptLog, TraceOfARunFollowsTheBallAndTheReachTests) {
  std::ostringstream& log = support::captureMainLog();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(0.0f, 0.0f), 0.0f);
  auto session = freeBallSession();
  session->setLogging(true);
  session->addPlayer(player, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(2.0f, 0.0f), Vector(Point(-0.5f, 0.0f))));
  session->run();
  // Cycle 1: no-turn reach 0.6 against the ball 1.5 m ahead. The caught player's
  // cursor stays on cycle 1, whose with-turn reach (0, the turn) is checked from then on.
  EXPECT_EQ(log.str(),
            "  0000. NewP: 0 5 Pos(0.00,0.00) ----------\n"
            "  0000. WithTurnDashVel[0]: -0.00 0.00\n"
            "  0000. NoTurnDashVel[0]: -0.00 0.00\n"
            "  0000. Running Intercepts.\n"
            "  0000. Time: 1 - FinishTime: 65278 ---------------------\n"
            "  0000. Simulating objects...\n"
            "  0000. Ball: Pos(1.50,0.00) Vel(-0.47,0.00)\n"
            "  0000. Checking for catches...\n"
            "  0000. Player: 0 5 Pos(0.00,0.00) ----------\n"
            "  0000. WithTurnDashVel: 0.00 0.00\n"
            "  0000. NoTurnDashVel: 0.60 0.24\n"
            "  0000. NoTurnBallDist: 0.90\n"
            "  0000. *** I catched the ball ***\n"
            "  0000. Time: 2 - FinishTime: 1 ---------------------\n"
            "  0000. Simulating objects...\n"
            "  0000. Ball: Pos(1.03,0.00) Vel(-0.44,0.00)\n"
            "  0000. Checking for catches...\n"
            "  0000. Player: 0 5 Pos(0.00,0.00) ----EC----\n"
            "  0000. WithTurnDashVel: 0.00 0.00\n"
            "  0000. WithTurnBallDist: 1.03\n"
            "  0000. *** I extra catched the ball ***\n"
            "  0000. Time: 3 - FinishTime: 2 ---------------------\n"
            "  0000. Simulating objects...\n"
            "  0000. Ball: Pos(0.59,0.00) Vel(-0.42,0.00)\n"
            "  0000. Checking for catches...\n"
            "  0000. *** Finish : finishTimer overflow ***\n");
}

TEST(InterceptLog, NothingIsWrittenWithoutLogging) {
  std::ostringstream& log = support::captureMainLog();
  Player player = makeScenePlayer(TID_TEAMMATE, 5, Point(10.0f, 0.0f), 180.0f);
  auto session = freeBallSession();
  session->addPlayer(player, false, false, true);
  session->setVirtualBall(makeSceneBall(Point(0.0f, 0.0f), Vector(Point(2.0f, 0.0f))));
  session->run();
  EXPECT_EQ(log.str(), "");
  session->logCheckedPlayers();
  EXPECT_EQ(log.str(),
            "  0000. InterceptCalculate checked players:\n"
            "  0000. \t0: 0 5 4\n");
}

}  // namespace
}  // namespace tovren
