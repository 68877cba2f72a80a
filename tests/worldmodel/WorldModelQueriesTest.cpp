#include "worldmodel/WorldModel.h"

#include "foundation/Basics.h"
#include "geometry/Vector.h"
#include "support/InterceptScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

using support::makeSceneBall;

class WorldModelQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    worldModel = std::make_unique<WorldModel>();
    worldModel->setBody().setUniNum(7);
    worldModel->replaceBodyInPlayersList(7);
    placeBody(Point(-30.0f, -30.0f));
  }

  // A seen full player of the team and number (1..11), valid unless told otherwise.
  Player& full(TeamId team, unsigned int uniNum, const Point& pos, bool goalie = false,
               bool valid = true) {
    Player& player = worldModel->setFullPlayer(team, uniNum - 1);
    see(player, team, uniNum, pos, goalie, valid);
    return player;
  }

  // A seen half player in the slot (0..19).
  Player& half(TeamId team, unsigned int slot, const Point& pos, bool goalie = false) {
    Player& player = worldModel->setHalfPlayer(team, slot);
    see(player, team, 0, pos, goalie, true);
    return player;
  }

  void placeBody(const Point& pos) {
    Body& body = worldModel->setBody();
    body.setPos() = Vector(pos);
    body.setPosDeviation(0.0f);
    body.setValidPosDeviation(0.0f);
    worldModel->setBall().updateRelativeVecs(body);
  }

  void placeBall(const Point& pos, const Vector& vel = Vector()) {
    Ball& ball = worldModel->setBall();
    ball.setPos() = Vector(pos);
    ball.setVel() = vel;
    ball.updateRelativeVecs(worldModel->getBody());
  }

  float kickDistance() const {
    return worldModel->getBall().getSize() + worldModel->getBody().getKickableMargin() +
           worldModel->getBody().getSize();
  }

  std::unique_ptr<WorldModel> worldModel;

 private:
  static void see(Player& player, TeamId team, unsigned int uniNum, const Point& pos, bool goalie,
                  bool valid) {
    player.setTeamId(team);
    player.setUniNum(uniNum);
    player.setGoalie(goalie);
    player.setPos() = Vector(pos);
    player.setPosDeviation(0.0f);
    player.setValidPosDeviation(valid ? 0.0f : 10.0f);
  }
};

TEST_F(WorldModelQueries, BallKickableUpToTheKickDistanceInclusive) {
  Ball ball = worldModel->getBall();
  ball.setAbsVec().setAsPolar(kickDistance(), 30.0f);
  EXPECT_TRUE(worldModel->isBallKickable(ball));
  ball.setAbsVec().setAsPolar(kickDistance() + 0.001f, 30.0f);
  EXPECT_FALSE(worldModel->isBallKickable(ball));
  worldModel->setBall().setAbsVec().setAsPolar(kickDistance(), -60.0f);
  EXPECT_TRUE(worldModel->isBallKickable());
}

TEST_F(WorldModelQueries, BallCatchableOnlyStrictlyInsideTheCatchDistance) {
  const float catchDistance = detail::hypotOf(1.2f, 0.5f);
  Ball ball = worldModel->getBall();
  ball.setAbsVec().setAsPolar(catchDistance, 0.0f);
  EXPECT_FALSE(worldModel->isBallCatchable(ball));
  ball.setAbsVec().setAsPolar(catchDistance - 0.001f, 0.0f);
  EXPECT_TRUE(worldModel->isBallCatchable(ball));
}

TEST_F(WorldModelQueries, OthersKickTheBallWithTheAgentsKickDistance) {
  placeBall(Point(10.0f, 0.0f));
  EXPECT_FALSE(worldModel->isBallInTmmKickable());
  // The agent itself never counts as a teammate.
  placeBody(Point(10.5f, 0.0f));
  EXPECT_FALSE(worldModel->isBallInTmmKickable());
  full(TID_TEAMMATE, 3, Point(10.0f + kickDistance() + 0.01f, 0.0f));
  full(TID_TEAMMATE, 4, Point(10.0f, 0.5f), false, false);
  EXPECT_FALSE(worldModel->isBallInTmmKickable());
  half(TID_TEAMMATE, 5, Point(10.0f, -kickDistance()));
  EXPECT_TRUE(worldModel->isBallInTmmKickable());

  EXPECT_FALSE(worldModel->isBallInOppKickable());
  half(TID_OPPONENT, 0, Point(9.5f, 0.0f));
  EXPECT_TRUE(worldModel->isBallInOppKickable());
  EXPECT_FALSE(worldModel->isBallInOppKickable(makeSceneBall(Point(20.0f, 0.0f))));
}

TEST_F(WorldModelQueries, BallInFieldStopsShortOfTheOuterBounds) {
  EXPECT_TRUE(WorldModel::isBallInField(makeSceneBall(Point(52.9f, 34.4f))));
  EXPECT_FALSE(WorldModel::isBallInField(makeSceneBall(Point(53.0f, 0.0f))));
  EXPECT_FALSE(WorldModel::isBallInField(makeSceneBall(Point(0.0f, -34.5f))));
  placeBall(Point(-53.5f, 0.0f));
  EXPECT_FALSE(worldModel->isBallInField());
}

TEST_F(WorldModelQueries, OutDistanceIsMeasuredFromTheFieldRectangle) {
  EXPECT_NEAR(WorldModel::getOutDistance(Point(55.5f, 38.0f)), 5.0f, TOLERANCE);
  EXPECT_EQ(WorldModel::getOutDistance(Point(10.0f, 10.0f)), 0.0f);
  EXPECT_EQ(WorldModel::getOutDistance(Point(-52.5f, 34.0f)), 0.0f);
  EXPECT_NEAR(WorldModel::getOutDistance(Point(-54.0f, -30.0f)), 1.5f, TOLERANCE);
  placeBall(Point(0.0f, -37.0f));
  EXPECT_NEAR(worldModel->getBallOutDistance(), 3.0f, TOLERANCE);
}

TEST_F(WorldModelQueries, ShotOnTheOwnGoalRollsPastTheLine) {
  EXPECT_TRUE(
      worldModel->isOppBallShooted(makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, 0.0f)))));
  // Crossing at y 12.5: wide of the goal.
  EXPECT_FALSE(
      worldModel->isOppBallShooted(makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, 2.0f)))));
  EXPECT_FALSE(
      worldModel->isOppBallShooted(makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(0.0f, -1.0f)))));
  // Too slow to get past -51.
  EXPECT_FALSE(
      worldModel->isOppBallShooted(makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-0.5f, 0.0f)))));
  // Already beyond -51: it must pass the goal line itself.
  EXPECT_FALSE(worldModel->isOppBallShooted(
      makeSceneBall(Point(-51.5f, 0.0f), Vector(Point(-0.45f, 0.0f)))));
  EXPECT_TRUE(
      worldModel->isOppBallShooted(makeSceneBall(Point(-51.5f, 0.0f), Vector(Point(-1.2f, 0.0f)))));
}

TEST_F(WorldModelQueries, ShotRollOutEndsEvenWithoutDecay) {
  Ball rolling = makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, 0.0f)));
  rolling.setDecay(1.0f);
  EXPECT_TRUE(worldModel->isOppBallShooted(rolling));
  Ball away = makeSceneBall(Point(-45.0f, 0.0f), Vector(Point(1.0f, 0.0f)));
  away.setDecay(1.0f);
  EXPECT_FALSE(worldModel->isOppBallShooted(away));
  Point cross;
  EXPECT_FALSE(worldModel->isOppBallShootedToTir(away, 7.0f, -7.0f, cross));
}

TEST_F(WorldModelQueries, ShotBetweenTwoYValuesAllowsAMetreAndGivesTheCrossing) {
  // From (-40, 0) with velocity (-2, vy) the crossing lies at y = 6.25 vy.
  Point cross(1.0f, 1.0f);
  EXPECT_TRUE(worldModel->isOppBallShootedToTir(
      makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, 7.9f / 6.25f))), 7.0f, -7.0f, cross));
  EXPECT_NEAR(cross.x, -52.5f, TOLERANCE);
  EXPECT_NEAR(cross.y, 7.9f, TOLERANCE);
  Point untouched(1.0f, 1.0f);
  EXPECT_FALSE(worldModel->isOppBallShootedToTir(
      makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, 8.1f / 6.25f))), 7.0f, -7.0f,
      untouched));
  EXPECT_FALSE(worldModel->isOppBallShootedToTir(
      makeSceneBall(Point(-40.0f, 0.0f), Vector(Point(-2.0f, -8.1f / 6.25f))), 7.0f, -7.0f,
      untouched));
  EXPECT_EQ(untouched.x, 1.0f);
}

TEST_F(WorldModelQueries, DefenceLineComesFromTheBackNumbersOnly) {
  EXPECT_EQ(worldModel->getTmmDefenseLine(), -52.5f);
  full(TID_TEAMMATE, 9, Point(-50.0f, 0.0f));
  full(TID_TEAMMATE, 1, Point(-51.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getTmmDefenseLine(), -51.0f);
  full(TID_TEAMMATE, 8, Point(-20.0f, 0.0f));
  full(TID_TEAMMATE, 2, Point(-30.0f, 0.0f), false, false);
  EXPECT_EQ(worldModel->getTmmDefenseLine(), -51.0f);
  worldModel->setFullPlayer(TID_TEAMMATE, 0).kill();
  EXPECT_EQ(worldModel->getTmmDefenseLine(), -20.0f);
}

TEST_F(WorldModelQueries, NearestToTheBallPrefersTheLowerNumberOnTies) {
  placeBall(Point(0.0f, 0.0f));
  EXPECT_EQ(&worldModel->getNearestTmmToBall(), &worldModel->getBody());
  EXPECT_EQ(worldModel->getNearestOppToBall(), nullptr);
  half(TID_OPPONENT, 0, Point(1.0f, 0.0f));
  EXPECT_EQ(worldModel->getNearestOppToBall(), nullptr);
  full(TID_OPPONENT, 6, Point(0.0f, 5.0f));
  Player& four = full(TID_OPPONENT, 4, Point(5.0f, 0.0f));
  EXPECT_EQ(worldModel->getNearestOppToBall(), &four);
  Player& two = full(TID_TEAMMATE, 2, Point(-3.0f, 0.0f));
  full(TID_TEAMMATE, 3, Point(0.0f, 2.0f), false, false);
  EXPECT_EQ(&worldModel->getNearestTmmToBall(), &two);
  placeBody(Point(0.0f, 1.0f));
  EXPECT_EQ(&worldModel->getNearestTmmToBall(), &worldModel->getBody());
}

TEST_F(WorldModelQueries, OppOffsideLineIsTheSecondLastOrTheLastFieldPlayer) {
  full(TID_OPPONENT, 2, Point(10.0f, 0.0f));
  full(TID_OPPONENT, 3, Point(20.0f, 0.0f));
  full(TID_OPPONENT, 4, Point(30.0f, 0.0f));
  EXPECT_EQ(worldModel->getOppOffsideLine(false), 20.0f);
  full(TID_OPPONENT, 1, Point(50.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getOppOffsideLine(false), 30.0f);
  placeBall(Point(35.0f, 0.0f));
  EXPECT_EQ(worldModel->getOppOffsideLine(true), 35.0f);
  EXPECT_EQ(worldModel->getOppOffsideLine(false), 30.0f);
  for (unsigned int number = 1; number <= 4; ++number)
    worldModel->setFullPlayer(TID_OPPONENT, number - 1).setPos() =
        Vector(Point(-5.0f * number, 0.0f));
  EXPECT_EQ(worldModel->getOppOffsideLine(false), 0.0f);
}

TEST_F(WorldModelQueries, TmmOffsideLineMirrorsTheOpponents) {
  placeBody(Point(0.0f, 0.0f));  // the agent counts among his teammates
  full(TID_TEAMMATE, 2, Point(-10.0f, 0.0f));
  full(TID_TEAMMATE, 3, Point(-20.0f, 0.0f));
  half(TID_TEAMMATE, 0, Point(-30.0f, 0.0f));
  EXPECT_EQ(worldModel->getTmmOffsideLine(false), -20.0f);
  full(TID_TEAMMATE, 1, Point(-50.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getTmmOffsideLine(false), -30.0f);
  placeBall(Point(-35.0f, 0.0f));
  EXPECT_EQ(worldModel->getTmmOffsideLine(true), -35.0f);
  placeBall(Point(5.0f, 0.0f));
  EXPECT_EQ(worldModel->getTmmOffsideLine(true), -30.0f);
}

TEST_F(WorldModelQueries, GoalieCountsThreeBeforeALine) {
  full(TID_OPPONENT, 1, Point(-50.0f, 0.0f), true);
  full(TID_OPPONENT, 5, Point(-10.0f, 0.0f));
  half(TID_OPPONENT, 2, Point(5.0f, 0.0f));
  full(TID_OPPONENT, 6, Point(-20.0f, 0.0f), false, false);
  EXPECT_EQ(worldModel->getOppPlayersBeforeLine(0.0f), 4u);
  EXPECT_EQ(worldModel->getOppPlayersBeforeLine(5.0f), 5u);
  // Both orders; the lower line excludes, the upper line includes.
  EXPECT_EQ(worldModel->getOppPlayersBetweenLines(-10.0f, 5.0f), 1u);
  EXPECT_EQ(worldModel->getOppPlayersBetweenLines(5.0f, -10.0f), 1u);
  EXPECT_EQ(worldModel->getOppPlayersBetweenLines(-60.0f, 0.0f), 4u);
  EXPECT_EQ(worldModel->getOppPlayersBetweenLines(0.0f, -60.0f), 4u);
}

TEST_F(WorldModelQueries, GoaliesAreFoundAmongValidFullThenHalfPlayers) {
  EXPECT_EQ(worldModel->getTmmGoalie(), nullptr);
  EXPECT_EQ(worldModel->getOppGoalie(), nullptr);
  full(TID_OPPONENT, 1, Point(50.0f, 0.0f), true, false);
  Player& halfGoalie = half(TID_OPPONENT, 3, Point(48.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getOppGoalie(), &halfGoalie);
  Player& fullGoalie = full(TID_OPPONENT, 11, Point(49.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getOppGoalie(), &fullGoalie);
  Player& ownGoalie = full(TID_TEAMMATE, 1, Point(-50.0f, 0.0f), true);
  EXPECT_EQ(worldModel->getTmmGoalie(), &ownGoalie);
}

TEST_F(WorldModelQueries, AreaPredicatesUseStrictBounds) {
  Player player = support::makeScenePlayer(TID_TEAMMATE, 2, Point(0.0f, 0.0f));
  EXPECT_TRUE(WorldModel::isPlayerInOurField(player));
  EXPECT_FALSE(WorldModel::isPlayerInOppField(player));
  player.setPos() = Vector(Point(-20.0f, 0.0f));
  EXPECT_FALSE(WorldModel::isPlayerInOurShootArea(player));
  player.setPos() = Vector(Point(-20.5f, 24.9f));
  EXPECT_TRUE(WorldModel::isPlayerInOurShootArea(player));
  player.setPos() = Vector(Point(-40.0f, -25.0f));
  EXPECT_FALSE(WorldModel::isPlayerInOurShootArea(player));
  player.setPos() = Vector(Point(30.5f, -24.9f));
  EXPECT_TRUE(WorldModel::isPlayerInOppShootArea(player));
  EXPECT_TRUE(WorldModel::isPlayerInOppField(player));
  player.setPos() = Vector(Point(30.0f, 0.0f));
  EXPECT_FALSE(WorldModel::isPlayerInOppShootArea(player));
}

// ---- View parts ----

class WorldModelViewParts : public WorldModelQueries {
 protected:
  // A see with the head at the direction and the half view angle.
  void seeTowards(float headDir, float viewAngle) {
    worldModel->setBody().setHeadDir(headDir);
    worldModel->setBody().setViewAngle(viewAngle);
    worldModel->updateSeeDeltaCyclesAfterSee();
  }
  void senseBodies(unsigned int count) {
    for (unsigned int i = 0; i < count; ++i) worldModel->updateSeeDeltaCyclesAfterSenseBody();
  }
};

TEST_F(WorldModelViewParts, CountersAgeUpToFifty) {
  senseBodies(3);
  EXPECT_EQ(worldModel->getViewPartCycle(4), 50u);
  seeTowards(160.0f, 22.5f);
  senseBodies(2);
  EXPECT_EQ(worldModel->getViewPartCycle(4), 2u);
  senseBodies(60);
  EXPECT_EQ(worldModel->getViewPartCycle(4), 50u);
}

TEST_F(WorldModelViewParts, NormalViewResetsPartsUpTo32AndAHalfDegreesAway) {
  seeTowards(0.0f, 45.0f);
  EXPECT_EQ(worldModel->getViewPartCycle(0), 0u);
  EXPECT_EQ(worldModel->getViewPartCycle(1), 50u);
  EXPECT_EQ(worldModel->getViewPartCycle(8), 50u);
  seeTowards(72.5f, 45.0f);
  EXPECT_EQ(worldModel->getViewPartCycle(1), 0u);  // 32.5 away
  EXPECT_EQ(worldModel->getViewPartCycle(2), 0u);
  EXPECT_EQ(worldModel->getViewPartCycle(3), 50u);
  // A wide view reaches 77.5 degrees each way.
  seeTowards(-120.0f, 90.0f);
  EXPECT_EQ(worldModel->getViewPartCycle(4), 50u);  // 160: 80 away
  EXPECT_EQ(worldModel->getViewPartCycle(5), 0u);   // 200: 40 away
  EXPECT_EQ(worldModel->getViewPartCycle(7), 0u);   // 280: 40 away
  EXPECT_EQ(worldModel->getViewPartCycle(8), 50u);  // 320: 80 away
}

TEST_F(WorldModelViewParts, DeltaCycleBlendsTheNearerNeighbour) {
  seeTowards(-40.0f, 22.5f);  // part 8
  senseBodies(10);
  seeTowards(40.0f, 22.5f);  // part 1
  senseBodies(6);
  seeTowards(0.0f, 22.5f);  // part 0
  senseBodies(4);
  ASSERT_EQ(worldModel->getViewPartCycle(0), 4u);
  ASSERT_EQ(worldModel->getViewPartCycle(1), 10u);
  ASSERT_EQ(worldModel->getViewPartCycle(8), 20u);
  EXPECT_FLOAT_EQ(worldModel->getSeeDeltaCycle(3.0f, 0.3f), 4.0f);
  EXPECT_NEAR(worldModel->getSeeDeltaCycle(10.0f, 0.3f), 5.8f, TOLERANCE);
  // Below part 0 the neighbour is part 8.
  EXPECT_NEAR(worldModel->getSeeDeltaCycle(-10.0f, 0.3f), 8.8f, TOLERANCE);
  EXPECT_NEAR(worldModel->getSeeDeltaCycle(30.0f, 0.5f), 7.0f, TOLERANCE);
  // Above part 8 the neighbour is part 0.
  EXPECT_NEAR(worldModel->getSeeDeltaCycle(330.0f, 0.2f), 0.8f * 20 + 0.2f * 4, TOLERANCE);
  EXPECT_NEAR(worldModel->getSeeDeltaCycle(-170.0f, 0.3f), 50.0f, TOLERANCE);
}

using WorldModelViewPartsDeathTest = WorldModelViewParts;

TEST_F(WorldModelViewPartsDeathTest, DirectionThatIsNotANumberStops) {
  EXPECT_DEATH(worldModel->getSeeDeltaCycle(std::numeric_limits<float>::quiet_NaN(), 0.3f), "0");
}

// ---- Ball status ----

class WorldModelBallStatus : public WorldModelQueries {
 protected:
  BallStatus statusAfterPrediction() {
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
    return worldModel->getBallStatus();
  }
};

TEST_F(WorldModelBallStatus, NoCatcherMeansAFreeBallEvenWhenKickable) {
  std::ostringstream& log = support::captureMainLog();
  placeBody(Point(0.0f, 0.0f));
  placeBall(Point(0.5f, 0.0f));
  ASSERT_TRUE(worldModel->isBallKickable());
  worldModel->updateBallStatus();  // no prediction has run
  EXPECT_EQ(worldModel->getBallStatus(), BS_FreeBall);
  EXPECT_EQ(log.str(), "  0000. ballStatus: BS_FreeBall\n");
}

TEST_F(WorldModelBallStatus, KickableRowsComeFirst) {
  placeBall(Point(0.0f, 0.0f));
  placeBody(Point(0.5f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_BODY);
  full(TID_TEAMMATE, 2, Point(-0.5f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_BODY_TMM);
  full(TID_OPPONENT, 2, Point(0.0f, 0.5f));
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_BODY_OPP);
  placeBody(Point(20.0f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_TMM_OPP);
  worldModel->setFullPlayer(TID_OPPONENT, 1).kill();
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_TMM);
  full(TID_OPPONENT, 2, Point(0.0f, 0.5f));
  worldModel->setFullPlayer(TID_TEAMMATE, 1).kill();
  EXPECT_EQ(statusAfterPrediction(), BS_KICKABLE_OPP);
}

TEST_F(WorldModelBallStatus, FreeBallRowsFollowTheCatchers) {
  // A resting ball at the centre. The agent 5 m behind it (backwards along his body
  // line) and the teammate 5 m in front of his body reach it in cycle 5; the opponent,
  // 5 m across his body line, in cycle 6.
  placeBall(Point(0.0f, 0.0f));
  placeBody(Point(5.0f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_BODY);
  full(TID_OPPONENT, 9, Point(0.0f, 5.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_BODY_OPP);
  full(TID_TEAMMATE, 10, Point(-5.0f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_BODY_OPP);
  worldModel->setFullPlayer(TID_OPPONENT, 8).kill();
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_BODY_TMM);
  placeBody(Point(30.0f, 0.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_TMM);
  full(TID_OPPONENT, 9, Point(0.0f, 5.0f));
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_TMM_OPP);
  worldModel->setFullPlayer(TID_TEAMMATE, 9).kill();
  EXPECT_EQ(statusAfterPrediction(), BS_FREE_BALL_OPP);
  ASSERT_TRUE(worldModel->getCurInterCalculate().existFastestOppPlayer());
  EXPECT_EQ(worldModel->getCurInterCalculate().getFastestOppInterPlayer().getInterTime(), 6u);
}

}  // namespace
}  // namespace tovren
