// The world model's store and what it works out from the objects: the agent's slot, the
// view parts, the end-of-see updates, copies, the field queries and the object log.

#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "geometry/Vector.h"
#include "support/InterceptScene.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

struct AgentConfig {
  AgentConfig() { support::setAgentConfig(true); }
};

// ---- The store ----

class WorldModelStore : public ::testing::Test {
 protected:
  void SetUp() override { support::setAgentConfig(true); }
};

TEST_F(WorldModelStore, OfflinePlayerChoosesTheTimer) {
  WorldModel offline;
  EXPECT_NE(dynamic_cast<const VirtualTimer*>(&offline.getTimer()), nullptr);
  support::setAgentConfig(false);
  WorldModel online;
  EXPECT_NE(dynamic_cast<const OnlineTimer*>(&online.getTimer()), nullptr);
}

TEST_F(WorldModelStore, BodyTakesItsOwnSlotAndLeavesAFreshPlayerWhenItMoves) {
  std::ostringstream& log = support::captureMainLog();
  WorldModel worldModel;
  support::feedRecordedParameters(worldModel);
  worldModel.setFullPlayer(TID_TEAMMATE, 6).setValidPosDeviation(1.0f);  // a sighting of 7
  worldModel.setBody().setUniNum(7);
  for (int i = 0; i < 2; ++i) {  // a second call finds the body there and keeps it
    worldModel.replaceBodyInPlayersList(7);
    EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 6), &worldModel.getBody());
  }
  EXPECT_TRUE(worldModel.isBodyReplaced());
  worldModel.replaceBodyInPlayersList(9);
  EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 8), &worldModel.getBody());
  const Player& left = worldModel.getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_FALSE(left.isBody());
  EXPECT_EQ(left.getModel(), PLM_FULL);
  EXPECT_FALSE(left.isAlive());
  EXPECT_FLOAT_EQ(left.getDecay(), 0.4f);  // the parameters received so far
  // A uniform number outside the team is skipped.
  for (unsigned int number : {12u, 0u}) {
    worldModel.replaceBodyInPlayersList(number);
    EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 8), &worldModel.getBody()) << number;
  }
  EXPECT_NE(log.str().find("Skipping"), std::string::npos);
}

TEST_F(WorldModelStore, FieldSideTurnsTheLandmarks) {
  WorldModel worldModel;
  worldModel.setFieldSide(SI_RIGHT);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).x, 52.5f);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).y, -34.0f);
  worldModel.setFieldSide(SI_LEFT);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).x, -52.5f);
}

TEST(WorldModelStoreDeathTest, SlotIndicesOutsideThePoolsStop) {
  support::setAgentConfig(true);
  WorldModel worldModel;
  EXPECT_DEATH(worldModel.getFullPlayer(TID_OPPONENT, 11),
               "team <= TID_OPPONENT && i < FULL_PLAYERS_NUM");
  EXPECT_DEATH(worldModel.getFullPlayer(TID_UNKNOWN, 0),
               "team <= TID_OPPONENT && i < FULL_PLAYERS_NUM");
  EXPECT_DEATH(worldModel.getHalfPlayer(TID_TEAMMATE, 20),
               "team <= TID_OPPONENT && i < HALF_PLAYERS_NUM");
  EXPECT_DEATH(worldModel.getQuarterPlayer(30), "i < QUARTER_PLAYERS_NUM");
  EXPECT_DEATH(worldModel.getViewPartCycle(9), "i < VIEW_PARTS_NUM");
}

// ---- End-of-see updates ----

// The scenes' positions come through polar and sums.
constexpr float COARSE_TOLERANCE = 1e-3f;
constexpr unsigned int NOW = 10;  // curTime of the scenes

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
  EXPECT_NEAR(worldModel.getBall().getPos().getX(), 11.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(worldModel.getBall().getVel().getX(), 0.94f, COARSE_TOLERANCE);
  EXPECT_NEAR(opponent.getPos().getX(), 5.5f, COARSE_TOLERANCE);
  EXPECT_NEAR(opponent.getPosDeviation(), 2.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(worldModel.getBody().getPos().getY(), 0.0f, COARSE_TOLERANCE);
}

TEST_F(WorldModelUpdate, GoalieCarriesTheCaughtBallWithHisMove) {
  worldModel.parseHear(*support::parseMessage("(hear 0 referee free_kick_l)"));
  worldModel.setVirtualPlayMode(VPM_OUR_GOALIE_CATCH_BALL);
  worldModel.setBody().setGoalie(true);
  placeBall(Point(0.5f, 0.0f), 0.0f, true);
  MoveCommand move(-40.0f, 10.0f);
  const Body copy = worldModel.getBody();
  worldModel.simulateObjects(copy, &move);
  EXPECT_NEAR(worldModel.getBall().getPos().getX(), -39.5f, COARSE_TOLERANCE);
  EXPECT_NEAR(worldModel.getBall().getPos().getY(), 10.0f, COARSE_TOLERANCE);
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
  EXPECT_NEAR(half.getPos().getX(), -20.5f, COARSE_TOLERANCE);
  EXPECT_NEAR(half.getPos().getY(), 1.0f, COARSE_TOLERANCE);
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
  EXPECT_NEAR(half.getPos().getY(), 0.0f, COARSE_TOLERANCE);
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
  EXPECT_NEAR(third.getPos().getY(), 0.0f, COARSE_TOLERANCE);
}

TEST_F(WorldModelUpdate, HalfRecordJoinsTheOneFullRecordOfItsTeamEvenUnseen) {
  Player& half =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(-30.0f, 10.0f), 2.0f, false);
  Player& full = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(-31.0f, 10.0f), 3.0f, false,
                       TID_OPPONENT, 5);
  worldModel.completeUpdateObjects();
  EXPECT_FALSE(half.isValid());
  EXPECT_NEAR(full.getPos().getX(), -30.0f, COARSE_TOLERANCE);
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
  EXPECT_NEAR(worldModel.getBody().getPos().getY(), 10.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(worldModel.getBody().getPosDeviation(), 1.0f, COARSE_TOLERANCE);
}

TEST_F(WorldModelUpdate, UnseenPlayerInTheConeIsTurnedOutOfIt) {
  Player& near = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(polar(10.0f, 20.0f)), 1.0f,
                       false, TID_OPPONENT, 5);
  Player& far = place(worldModel.setFullPlayer(TID_OPPONENT, 5), Point(polar(25.0f, 20.0f)), 1.0f,
                      false, TID_OPPONENT, 6);
  Player& half =
      place(worldModel.setHalfPlayer(TID_OPPONENT, 0), Point(polar(25.0f, -20.0f)), 1.0f, false);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(near.getHeadVec().getDirection(), 50.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(near.getAbsVec().getMagnitude(), 10.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(near.getPos().getDirection(), 50.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(near.getPosDeviation(), 1.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(far.getHeadVec().getDirection(), 20.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(half.getHeadVec().getDirection(), -50.0f, COARSE_TOLERANCE);
}

TEST_F(WorldModelUpdate, UnseenBallInsideTheSensedAreaIsPutOutOfIt) {
  placeBall(Point(polar(2.0f, 135.0f)), 1.0f, false);
  worldModel.completeUpdateObjects();
  const Ball& ball = worldModel.getBall();
  EXPECT_NEAR(ball.getAbsVec().getMagnitude(), 3.2f, COARSE_TOLERANCE);
  EXPECT_NEAR(ball.getPos().getDirection(), 135.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(ball.getPosDeviation(), 0.0f, COARSE_TOLERANCE);
  EXPECT_GE(ball.getPosDeviation(), 0.0f);
  EXPECT_NEAR(ball.getValidPosDeviation(), 1.0f, COARSE_TOLERANCE);  // validity is not cut
}

TEST_F(WorldModelUpdate, OpponentGoalieDeviationIsCutByHisCatchRadius) {
  Player& goalie = place(worldModel.setFullPlayer(TID_OPPONENT, 0), Point(-3.0f, 0.0f), 2.0f, false,
                         TID_OPPONENT, 1);
  goalie.setGoalie(true);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(goalie.getPosDeviation(), 1.3f, COARSE_TOLERANCE);
  EXPECT_NEAR(goalie.getAbsVec().getMagnitude(), 3.0f, COARSE_TOLERANCE);
}

TEST_F(WorldModelUpdate, SeenObjectsAreNotForgotten) {
  placeBall(Point(polar(2.0f, 135.0f)), 1.0f, true);
  Player& seen = place(worldModel.setFullPlayer(TID_OPPONENT, 4), Point(polar(10.0f, 20.0f)), 1.0f,
                       true, TID_OPPONENT, 5);
  worldModel.completeUpdateObjects();
  EXPECT_NEAR(worldModel.getBall().getAbsVec().getMagnitude(), 2.0f, COARSE_TOLERANCE);
  EXPECT_NEAR(seen.getHeadVec().getDirection(), 20.0f, COARSE_TOLERANCE);
}

// ---- Copies ----

class WorldModelCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    source = std::make_unique<WorldModel>();
    buildMatch(*source);
    log->str("");
  }

  // A world model in play: parameters, side, the agent in its slot, players, a heard
  // pass suggestion, a referee call, aged view parts and this cycle's predictions.
  static void buildMatch(WorldModel& wm) {
    support::feedRecordedParameters(wm);
    wm.setFieldSide(SI_RIGHT);
    wm.setBody().setUniNum(7);
    wm.replaceBodyInPlayersList(7);
    wm.setCurTime(40);
    wm.setCurCycle(38);
    support::placeAgentWithBall(wm, -10.0f, 5.0f, 45.0f, 0.6f);
    support::markAllViewPartsSeen(wm);
    wm.updateSeeDeltaCyclesAfterSenseBody();
    support::placeFullPlayer(wm, TID_TEAMMATE, 3, -20.0f, 0.0f);
    support::placeFullPlayer(wm, TID_OPPONENT, 9, 5.0f, 10.0f);
    wm.setHalfPlayer(TID_OPPONENT, 4).setPos().setAsCartesian(30.0f, -3.0f);
    wm.setQuarterPlayer(12).setPos().setAsCartesian(-1.0f, -1.0f);
    wm.parseHear(*support::parseMessage("(hear 40 referee kick_in_l)"));
    wm.parseHear(*support::parseMessage("(hear 40 -30 our 3 \"F8\")"));
    wm.updateCurInterCalculate();
    wm.updateBallStatus();
    wm.updateCurKickCalculate();
  }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> source;
};

TEST_F(WorldModelCopy, CopyHoldsTheSourcesPictureInItsOwnObjects) {
  const WorldModel copy(*source);
  EXPECT_EQ(copy.getCurTime(), 40u);
  EXPECT_EQ(copy.getPlayMode(), PM_OPP_KICK_IN);
  EXPECT_EQ(copy.getFreeKickAdvicerSayNumber(), 8u);
  EXPECT_EQ(copy.getViewPartCycle(3), 1u);
  EXPECT_TRUE(copy.isPlayerTypeReceived(17));
  EXPECT_FLOAT_EQ(copy.getServerParam()["kick_power_rate"].asFloat(), 0.027f);
  EXPECT_TRUE(copy.isBallKickable());
  EXPECT_NE(&copy.getBall(), &source->getBall());
  EXPECT_NEAR(copy.getBall().getPos().getX(), source->getBall().getPos().getX(), TOLERANCE);
  EXPECT_NE(&copy.getBody(), &source->getBody());
  EXPECT_NEAR(copy.getBody().getBodyDir(), 45.0f, TOLERANCE);
  const Player& teammate = copy.getFullPlayer(TID_TEAMMATE, 2);
  EXPECT_NE(&teammate, &source->getFullPlayer(TID_TEAMMATE, 2));
  EXPECT_TRUE(teammate.isValid());
  EXPECT_EQ(teammate.getUniNum(), 3u);
  EXPECT_NEAR(copy.getHalfPlayer(TID_OPPONENT, 4).getPos().getX(), 30.0f, TOLERANCE);
  EXPECT_NEAR(copy.getQuarterPlayer(12).getPos().getX(), -1.0f, TOLERANCE);
  EXPECT_EQ(copy.getQuarterPlayer(12).getModel(), PLM_QUARTER);
  // The landmark table keeps the right side's half turn.
  WorldModel turned(*source);
  WorldModel left;
  EXPECT_FLOAT_EQ(turned.setFieldData().getGoalPos(0).x, -left.setFieldData().getGoalPos(0).x);
  EXPECT_NE(turned.setFieldData().getGoalPos(0).x, 0.0f);
}

TEST_F(WorldModelCopy, AgentsSlotHoldsTheCopysOwnBody) {
  const WorldModel copy(*source);
  EXPECT_TRUE(copy.isBodyReplaced());
  const Player& slot = copy.getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_EQ(&slot, &copy.getBody());
  EXPECT_TRUE(slot.isBody());
  EXPECT_NE(&slot, &source->getBody());
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    if (i != 6) {
      EXPECT_FALSE(copy.getFullPlayer(TID_TEAMMATE, i).isBody()) << i;
    }
  }
}

TEST_F(WorldModelCopy, ChangingTheSourceLeavesTheCopy) {
  const WorldModel copy(*source);
  source->setBall().setPos().setAsCartesian(33.0f, 22.0f);
  source->setBody().setBodyDir(-90.0f);
  source->setFullPlayer(TID_OPPONENT, 8).kill();
  source->parseHear(*support::parseMessage("(hear 41 referee play_on)"));
  source->setCurTime(41);
  source->updateSeeDeltaCyclesAfterSenseBody();
  EXPECT_NEAR(copy.getBall().getPos().getX(), -10.0f + 0.6f * 0.70710678f, TOLERANCE);
  EXPECT_NEAR(copy.getBody().getBodyDir(), 45.0f, TOLERANCE);
  EXPECT_TRUE(copy.getFullPlayer(TID_OPPONENT, 8).isValid());
  EXPECT_EQ(copy.getPlayMode(), PM_OPP_KICK_IN);
  EXPECT_EQ(copy.getCurTime(), 40u);
  EXPECT_EQ(copy.getViewPartCycle(3), 1u);
}

TEST_F(WorldModelCopy, CopySharesTheKickFanAndTheSessionsPlayers) {
  const WorldModel copy(*source);
  const KickCalculate& fan = *copy.getCurKickCalculate();
  ASSERT_EQ(fan.getSimulatesNum(), 243u);
  EXPECT_EQ(fan.getUpdateTime(), 40u);
  EXPECT_TRUE(fan.isInited());
  for (unsigned int i = 0; i < fan.getSimulatesNum(); ++i) {
    ASSERT_EQ(&fan.getSimulate(i), &source->getCurKickCalculate()->getSimulate(i)) << i;
  }
  // The copy shows the source's latest predictions.
  source->setCurTime(41);
  source->updateCurKickCalculate();
  EXPECT_EQ(fan.getUpdateTime(), 40u);
  EXPECT_TRUE(fan.getSimulate(0).isValid());

  const InterceptCalculate& session = copy.getCurInterCalculate();
  ASSERT_TRUE(session.existFastestPlayer());
  EXPECT_EQ(session.getPlayersNum(), source->getCurInterCalculate().getPlayersNum());
  EXPECT_EQ(&session.getFastestPlayer(), &source->getCurInterCalculate().getFastestPlayer());
}

TEST_F(WorldModelCopy, OverwritingASnapshotReplacesItsPictureAndKeepsItsIdentity) {
  WorldModel snapshot(*source);
  const WorldModel* identity = &snapshot;
  WorldModel later;  // a fresh world model with a fan of its own
  support::feedRecordedParameters(later);
  later.setBody().setUniNum(2);
  later.replaceBodyInPlayersList(2);
  later.setCurTime(99);
  snapshot.copyFrom(later, true);
  EXPECT_EQ(&snapshot, identity);
  EXPECT_EQ(snapshot.getCurTime(), 99u);
  EXPECT_EQ(&snapshot.getFullPlayer(TID_TEAMMATE, 1), &snapshot.getBody());
  EXPECT_FALSE(snapshot.getFullPlayer(TID_TEAMMATE, 6).isBody());
  EXPECT_EQ(&snapshot.getCurKickCalculate()->getSimulate(0),
            &later.getCurKickCalculate()->getSimulate(0));

  // A world model that owns its fan gives its entries up to borrow the source's.
  later.copyFrom(*source, true);
  EXPECT_EQ(&later.getCurKickCalculate()->getSimulate(0),
            &source->getCurKickCalculate()->getSimulate(0));
  EXPECT_EQ(&later.getFullPlayer(TID_TEAMMATE, 6), &later.getBody());

  // From a source whose body is in no slot, the snapshot's body leaves its slot too.
  snapshot.copyFrom(WorldModel(), true);
  EXPECT_FALSE(snapshot.isBodyReplaced());
  EXPECT_FALSE(snapshot.getFullPlayer(TID_TEAMMATE, 1).isBody());
}

TEST_F(WorldModelCopy, CopyingFromItselfChangesNothing) {
  const Ball* ball = &source->getBall();
  source->copyFrom(*source, true);
  EXPECT_EQ(&source->getBall(), ball);
  EXPECT_EQ(source->getCurTime(), 40u);
  EXPECT_TRUE(source->isBallKickable());
}

TEST_F(WorldModelCopy, SourceDestroyedBeforeTheCopy) {
  auto copy = std::make_unique<WorldModel>(*source);
  auto second = std::make_unique<WorldModel>(*copy);
  source.reset();
  EXPECT_TRUE(copy->isBallKickable());
  EXPECT_EQ(copy->getFullPlayer(TID_TEAMMATE, 6).getUniNum(), 7u);
  copy.reset();
  EXPECT_EQ(second->getCurTime(), 40u);
}

TEST_F(WorldModelCopy, TimerKeepsItsKindAndState) {
  auto& replayed = dynamic_cast<VirtualTimer&>(source->setTimer());
  replayed.resetCycle(38);
  replayed.setCurMS(61);
  const WorldModel copy(*source);
  const auto* copied = dynamic_cast<const VirtualTimer*>(&copy.getTimer());
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, &replayed);
  EXPECT_EQ(copied->getCycle(), 38);
  EXPECT_EQ(copied->now(), 61);

  support::setAgentConfig(false);
  WorldModel online;
  online.setTimer().resetCycle(12);
  const WorldModel onlineCopy(online);
  ASSERT_NE(dynamic_cast<const OnlineTimer*>(&onlineCopy.getTimer()), nullptr);
  EXPECT_EQ(onlineCopy.getTimer().getCycle(), 12);
  support::setAgentConfig(true);
}

// ---- Queries ----

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

TEST_F(WorldModelQueries, BallCatchableOnlyStrictlyInsideTheCatchAreasLength) {
  // A catch aimed at the ball reaches 1.2 m along it, not the area's corner at 1.3 m.
  const float catchDistance = 1.2f;
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

TEST_F(WorldModelViewParts, ValueFallsWithTheAngleFromTheHeadWiderViewsReachFurther) {
  struct Case {
    unsigned int part;
    float headDir, viewAngle, value;
  };
  const Case cases[] = {
      {0, 0.0f, 22.5f, 1.0f},   {0, 10.0f, 22.5f, 0.75f},      {0, 45.0f, 22.5f, 0.0f},
      {1, 72.5f, 45.0f, 0.75f}, {8, -5.0f, 45.0f, 0.6964286f}, {8, 5.0f, 45.0f, 0.4821429f},
      {4, 160.0f, 90.0f, 1.0f}, {4, 237.5f, 90.0f, 0.75f},     {4, 240.0f, 90.0f, 0.6964286f}};
  for (const Case& c : cases) {
    EXPECT_NEAR(worldModel->getSeeViewPartValue(c.part, c.headDir, c.viewAngle), c.value, TOLERANCE)
        << c.part << " " << c.headDir << " " << c.viewAngle;
  }
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

// ---- The object log, which the replay reads ----

class WorldModelLog : public ::testing::Test {
 protected:
  void SetUp() override {
    log = &support::captureMainLog();
    Body& body = worldModel.setBody();
    body.setPos().setAsCartesian(-10.0f, 5.0f);
    body.setVel().setAsCartesian(0.5f, 0.0f);
    body.setBodyDir(90.0f);
    body.setHeadDir(120.0f);
    body.setPointingDir(NOT_MEASURED);
    Ball& ball = worldModel.setBall();
    ball.setPos().setAsCartesian(-10.0f, 8.0f);
    ball.setVel().setAsCartesian(0.0f, -1.25f);
    ball.setPosDeviation(0.5f);
    ball.setValidPosDeviation(0.75f);
    ball.updateRelativeVecs(body);
  }

  void makeValid(Player& player, float x, float y) {
    player.setPos().setAsCartesian(x, y);
    player.setVel().setAsCartesian(0.0f, 0.0f);
    player.setPosDeviation(1.0f);
    player.setValidPosDeviation(2.0f);
    player.setBodyDir(-45.0f);
    player.setHeadDir(0.0f);
    player.setPointingDir(NOT_MEASURED);
    player.setStamina(4000.0f);
  }

  std::ostringstream* log = nullptr;
  AgentConfig agentConfig;
  WorldModel worldModel;
};

const char* const BODY_AND_BALL =
    "  0000. Body Pos(-10.00,5.00) Vel(0.50,0.00) Ang(90.00,120.00) Poi65278.00\n"
    "  0000. Ball Pos(-10.00,8.00) Vel(0.00,-1.25) Ang(0.00,-30.00) Len3.00 PoD0.50 VPoD0.75\n";

TEST_F(WorldModelLog, WithNoValidPlayerOnlyBodyAndBallAreWritten) {
  worldModel.logObjects();
  EXPECT_EQ(log->str(), BODY_AND_BALL);
}

TEST_F(WorldModelLog, ValidPlayersFollowByPoolWithTheirSlotNumbers) {
  worldModel.setBody().setUniNum(4);
  worldModel.replaceBodyInPlayersList(4);  // the agent is written only as "Body"
  makeValid(worldModel.setFullPlayer(TID_TEAMMATE, 8), 1.0f, 2.0f);
  makeValid(worldModel.setFullPlayer(TID_OPPONENT, 0), 50.0f, 0.0f);
  makeValid(worldModel.setHalfPlayer(TID_OPPONENT, 4), -3.5f, 0.25f);
  makeValid(worldModel.setQuarterPlayer(29), 0.0f, -34.0f);
  Player& invalid = worldModel.setHalfPlayer(TID_TEAMMATE, 0);
  makeValid(invalid, 7.0f, 7.0f);
  invalid.setValidPosDeviation(8.0f);
  worldModel.logObjects();
  EXPECT_EQ(log->str(),
            std::string(BODY_AND_BALL) +
                "  0000. OurF9 Pos(1.00,2.00) Vel(0.00,0.00) Ang(-45.00,0.00) Poi65278.00 "
                "Sta4000.00 PoD1.00 VPoD2.00\n"
                "  0000. OppF1 Pos(50.00,0.00) Vel(0.00,0.00) Ang(-45.00,0.00) Poi65278.00 "
                "Sta4000.00 PoD1.00 VPoD2.00\n"
                "  0000. OppH5 Pos(-3.50,0.25) Vel(0.00,0.00) Ang(-45.00,0.00) Poi65278.00 "
                "Sta4000.00 PoD1.00 VPoD2.00\n"
                "  0000. Quar30 Pos(0.00,-34.00) Vel(0.00,0.00) Ang(-45.00,0.00) Poi65278.00 "
                "Sta4000.00 PoD1.00 VPoD2.00\n");
}

}  // namespace
}  // namespace tovren
