#include "worldmodel/WorldModel.h"

#include "connection/Command.h"
#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-3f;
constexpr unsigned int NOW = 10;  // curTime of the scenes

struct AgentConfig {
  AgentConfig() { support::setAgentConfig(true); }
};

Vector polar(float magnitude, float direction) {
  Vector vector;
  vector.setAsPolar(magnitude, direction);
  return vector;
}

// Hand-made scenes around the agent, who stands at the centre looking along +x with a
// normal view (half angle 45) and a visible distance of 3.
class WorldModelUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    log = &support::captureMainLog();
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath("left", "Tovren-2.txt"))) {
      if (line.text.rfind("(server_param ", 0) == 0) {
        worldModel.initServerParam(*support::parseMessage(line.text));
      }
    }
    worldModel.setCurTime(NOW);
    worldModel.setBody().setUniNum(2);
    worldModel.replaceBodyInPlayersList(2);
  }

  // A player record at a place with a deviation, seen in this see or earlier.
  Player& place(Player& player, const Point& pos, float deviation, bool seenNow,
                TeamId team = TID_OPPONENT, unsigned int uniNum = 0) {
    player.setPos() = Vector(pos);
    player.setPosDeviation(deviation);
    player.setValidPosDeviation(deviation);
    player.setSeeTime(seenNow ? NOW : NOW - 1);
    player.setTeamId(team);
    player.setUniNum(uniNum);
    player.updateRelativeVecs(worldModel.getBody());
    return player;
  }

  void placeBall(const Point& pos, float deviation, bool seenNow) {
    Ball& ball = worldModel.setBall();
    ball.setPos() = Vector(pos);
    ball.setPosDeviation(deviation);
    ball.setValidPosDeviation(deviation);
    ball.setSeeTime(seenNow ? NOW : NOW - 1);
    ball.updateRelativeVecs(worldModel.getBody());
  }

  std::ostringstream* log = nullptr;
  AgentConfig agentConfig;
  WorldModel worldModel;
};

TEST_F(WorldModelUpdate, SimulationMovesBallAndPlayersButNotTheAgent) {
  placeBall(Point(10.0f, 0.0f), 1.0f, true);
  worldModel.setBall().setVel() = polar(1.0f, 0.0f);
  Player& opponent =
      place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(5.0f, 5.0f), 1.0f, true);
  opponent.setVel() = polar(0.5f, 0.0f);
  worldModel.setBody().setVel() = polar(1.0f, 90.0f);
  const Body copy = worldModel.getBody();
  worldModel.simulateObjects(copy, nullptr);
  EXPECT_NEAR(worldModel.getBall().getPos().getX(), 11.0f, TOLERANCE);
  EXPECT_NEAR(worldModel.getBall().getVel().getX(), 0.94f, TOLERANCE);
  EXPECT_NEAR(opponent.getPos().getX(), 5.5f, TOLERANCE);
  EXPECT_NEAR(opponent.getPosDeviation(), 2.0f, TOLERANCE);
  EXPECT_NEAR(worldModel.getBody().getPos().getY(), 0.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, GoalieCarriesTheCaughtBallWithHisMove) {
  worldModel.parseHear(*support::parseMessage("(hear 0 referee free_kick_l)"));
  worldModel.setVirtualPlayMode(VPM_OUR_GOALIE_CATCH_BALL);
  worldModel.setBody().setGoalie(true);
  placeBall(Point(0.5f, 0.0f), 0.0f, true);
  MoveCommand move(-40.0f, 10.0f);
  const Body copy = worldModel.getBody();
  worldModel.simulateObjects(copy, &move);
  EXPECT_NEAR(worldModel.getBall().getPos().getX(), -39.5f, TOLERANCE);
  EXPECT_NEAR(worldModel.getBall().getPos().getY(), 10.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, ResetFreesWhatTheViewReportsAfresh) {
  worldModel.setFlagsNum(3);
  place(worldModel.setQuarterPlayer(4), Point(-20.0f, 0.0f), 1.0f, true);
  Player& inView =
      place(worldModel.setHalfPlayer(TID_TEAMMATE, 0), Point(10.0f, 0.0f), 1.0f, false);
  Player& behind =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(-10.0f, 0.0f), 1.0f, false);
  Player& full = place(worldModel.setFullPlayer(TID_OPPONENT, 0), Point(10.0f, 1.0f), 1.0f, false);
  full.setReadyToUpdate(true);
  worldModel.resetObjects();
  EXPECT_EQ(worldModel.getFlagsNum(), 0u);
  EXPECT_FALSE(worldModel.getQuarterPlayer(4).isValid());
  EXPECT_FALSE(inView.isValid());
  EXPECT_TRUE(behind.isValid());
  EXPECT_TRUE(full.isValid());
  EXPECT_FALSE(full.isReadyToUpdate());
}

TEST_F(WorldModelUpdate, OldHalfRecordGivesWayToItsOneNewSighting) {
  Player& old = place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(-10.0f, 0.0f), 1.0f, false);
  Player& sighting =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 1), Point(-10.5f, 0.0f), 0.5f, true);
  worldModel.completeUpdateObjects();
  EXPECT_FALSE(old.isValid());
  EXPECT_TRUE(sighting.isValid());
}

TEST_F(WorldModelUpdate, TwoOldHalfRecordsNearOneSightingBothStay) {
  Player& first =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(-10.0f, 0.0f), 1.0f, false);
  Player& second =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 1), Point(-11.0f, 0.0f), 1.0f, false);
  place(worldModel.setHalfPlayer(TID_OPPONENT, 2), Point(-10.5f, 0.0f), 0.5f, true);
  worldModel.completeUpdateObjects();
  EXPECT_TRUE(first.isValid());
  EXPECT_TRUE(second.isValid());
}

TEST_F(WorldModelUpdate, QuarterSightingJoinsTheOneHalfRecordNearIt) {
  Player& half = place(worldModel.setHalfPlayer(TID_TEAMMATE, 3), Point(-20.0f, 0.0f), 2.0f, false,
                       TID_TEAMMATE);
  Player& quarter =
      place(worldModel.setQuarterPlayer(0), Point(-20.5f, 1.0f), 0.5f, true, TID_UNKNOWN);
  worldModel.completeUpdateObjects();
  EXPECT_FALSE(quarter.isValid());
  EXPECT_NEAR(half.getPos().getX(), -20.5f, TOLERANCE);
  EXPECT_NEAR(half.getPos().getY(), 1.0f, TOLERANCE);
  EXPECT_EQ(half.getTeamId(), TID_TEAMMATE);
  EXPECT_EQ(half.getSeeTime(), NOW);
}

TEST_F(WorldModelUpdate, TwoQuarterSightingsNearOneHalfRecordAreNotMerged) {
  Player& half = place(worldModel.setHalfPlayer(TID_TEAMMATE, 0), Point(-20.0f, 0.0f), 1.0f, false,
                       TID_TEAMMATE);
  Player& first =
      place(worldModel.setQuarterPlayer(0), Point(-20.0f, 0.3f), 0.5f, true, TID_UNKNOWN);
  Player& second =
      place(worldModel.setQuarterPlayer(1), Point(-20.0f, -0.3f), 0.5f, true, TID_UNKNOWN);
  worldModel.completeUpdateObjects();
  EXPECT_TRUE(first.isValid());
  EXPECT_TRUE(second.isValid());
  EXPECT_NEAR(half.getPos().getY(), 0.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, QuarterSightingNearTwoFullRecordsIsNotMerged) {
  Player& third = place(worldModel.setFullPlayer(TID_OPPONENT, 2), Point(-30.0f, 0.0f), 2.0f, false,
                        TID_OPPONENT, 3);
  place(worldModel.setFullPlayer(TID_OPPONENT, 3), Point(-30.0f, 2.0f), 2.0f, false, TID_OPPONENT,
        4);
  Player& quarter =
      place(worldModel.setQuarterPlayer(0), Point(-30.0f, 1.0f), 0.5f, true, TID_UNKNOWN);
  worldModel.completeUpdateObjects();
  EXPECT_TRUE(quarter.isValid());
  EXPECT_NEAR(third.getPos().getY(), 0.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, HalfRecordJoinsTheOneFullRecordOfItsTeamEvenUnseen) {
  Player& half =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(-30.0f, 10.0f), 2.0f, false);
  Player& full = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(-31.0f, 10.0f), 3.0f, false,
                       TID_OPPONENT, 5);
  worldModel.completeUpdateObjects();
  EXPECT_FALSE(half.isValid());
  EXPECT_NEAR(full.getPos().getX(), -30.0f, TOLERANCE);
  EXPECT_EQ(full.getUniNum(), 5u);
}

TEST_F(WorldModelUpdate, TheAgentsOwnSlotIsNeverMergedInto) {
  Body& body = worldModel.setBody();
  body.setPos() = Vector(Point(-50.0f, 10.0f));
  body.setPosDeviation(1.0f);
  body.setValidPosDeviation(1.0f);
  Player& quarter =
      place(worldModel.setQuarterPlayer(0), Point(-50.0f, 10.5f), 0.5f, true, TID_UNKNOWN);
  worldModel.completeUpdateObjects();
  EXPECT_TRUE(quarter.isValid());
  EXPECT_NEAR(worldModel.getBody().getPos().getY(), 10.0f, TOLERANCE);
  EXPECT_NEAR(worldModel.getBody().getPosDeviation(), 1.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, UnseenPlayerInTheConeIsTurnedOutOfIt) {
  Player& near = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(polar(10.0f, 20.0f)), 1.0f,
                       false, TID_OPPONENT, 5);
  Player& far = place(worldModel.setFullPlayer(TID_OPPONENT, 5), Point(polar(25.0f, 20.0f)), 1.0f,
                      false, TID_OPPONENT, 6);
  Player& half =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(polar(25.0f, -20.0f)), 1.0f, false);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(near.getHeadVec().getDirection(), 50.0f, TOLERANCE);
  EXPECT_NEAR(near.getAbsVec().getMagnitude(), 10.0f, TOLERANCE);
  EXPECT_NEAR(near.getPos().getDirection(), 50.0f, TOLERANCE);
  EXPECT_NEAR(near.getPosDeviation(), 1.0f, TOLERANCE);
  EXPECT_NEAR(far.getHeadVec().getDirection(), 20.0f, TOLERANCE);
  EXPECT_NEAR(half.getHeadVec().getDirection(), -50.0f, TOLERANCE);
  EXPECT_NE(log->str().find("obj.angle: 20.00"), std::string::npos);
  EXPECT_NE(log->str().find("Complete updates: player 1 5 putted out of visible angle."),
            std::string::npos);
}

TEST_F(WorldModelUpdate, UnseenBallInsideTheSensedAreaIsPutOutOfIt) {
  placeBall(Point(polar(2.0f, 135.0f)), 1.0f, false);
  worldModel.completeUpdateObjects();
  const Ball& ball = worldModel.getBall();
  EXPECT_NEAR(ball.getAbsVec().getMagnitude(), 3.2f, TOLERANCE);
  EXPECT_NEAR(ball.getPos().getDirection(), 135.0f, TOLERANCE);
  EXPECT_NEAR(ball.getPosDeviation(), 0.0f, TOLERANCE);
  EXPECT_GE(ball.getPosDeviation(), 0.0f);
  EXPECT_NEAR(ball.getValidPosDeviation(), 1.0f, TOLERANCE);  // validity is not cut
  EXPECT_NE(log->str().find("Complete updates: ball putted out of sense area."), std::string::npos);
}

TEST_F(WorldModelUpdate, OpponentGoalieDeviationIsCutByHisCatchRadius) {
  Player& goalie = place(worldModel.setFullPlayer(TID_OPPONENT, 0), Point(-3.0f, 0.0f), 2.0f, false,
                         TID_OPPONENT, 1);
  goalie.setGoalie(true);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(goalie.getPosDeviation(), 1.3f, TOLERANCE);
  EXPECT_NEAR(goalie.getAbsVec().getMagnitude(), 3.0f, TOLERANCE);
}

TEST_F(WorldModelUpdate, ForgettingNeverMakesADeviationNegative) {
  Player& player = place(worldModel.setFullPlayer(TID_OPPONENT, 6), Point(-3.0f, 0.0f), 2.0f, false,
                         TID_OPPONENT, 7);
  worldModel.completeUpdateObjects();
  EXPECT_FLOAT_EQ(player.getPosDeviation(), 0.0f);
}

TEST_F(WorldModelUpdate, SeenObjectsAreNotForgotten) {
  placeBall(Point(polar(2.0f, 135.0f)), 1.0f, true);
  Player& seen = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(polar(10.0f, 20.0f)), 1.0f,
                       true, TID_OPPONENT, 5);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(worldModel.getBall().getAbsVec().getMagnitude(), 2.0f, TOLERANCE);
  EXPECT_NEAR(seen.getHeadVec().getDirection(), 20.0f, TOLERANCE);
}

}  // namespace
}  // namespace tovren
