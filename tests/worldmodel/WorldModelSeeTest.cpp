#include "worldmodel/WorldModel.h"

#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

struct AgentConfig {
  AgentConfig() { support::setAgentConfig(true); }
};

class WorldModelSee : public ::testing::Test {
 protected:
  void SetUp() override {
    log = &support::captureMainLog();
    worldModel.setCurTime(5);
  }

  // A see is always parsed after the objects were reset, as the frame does.
  void see(const std::string& entries) {
    worldModel.resetObjects();
    worldModel.parseSee(*support::parseMessage("(see 12 " + entries + ")"));
  }

  std::ostringstream* log = nullptr;
  AgentConfig agentConfig;
  WorldModel worldModel;
};

TEST_F(WorldModelSee, FlagAndBallKeepTheirObservations) {
  see("((f c) 10.5 20) ((b) 5 -30 0.1 2)");
  EXPECT_EQ(worldModel.getSeeCycle(), 12u);
  ASSERT_EQ(worldModel.getFlagsNum(), 1u);
  const FieldFlag& flag = worldModel.getFieldFlag(0);
  EXPECT_EQ(flag.getId(), 0);
  EXPECT_FLOAT_EQ(flag.getSeeDistance(), 10.5f);
  EXPECT_FLOAT_EQ(flag.getSeeDirection(), -20.0f);
  EXPECT_EQ(flag.getSeeDistChange(), NOT_MEASURED);
  EXPECT_EQ(flag.getSeeDirChange(), NOT_MEASURED);
  const Ball& ball = worldModel.getBall();
  EXPECT_FLOAT_EQ(ball.getSeeDirection(), 30.0f);
  EXPECT_FLOAT_EQ(ball.getSeeDistChange(), 0.1f);
  EXPECT_FLOAT_EQ(ball.getSeeDirChange(), -2.0f);
  EXPECT_EQ(ball.getVelSeeTime(), 5u);
  EXPECT_EQ(ball.getSeeTime(), 5u);
  EXPECT_TRUE(ball.isReadyToUpdate());
}

TEST_F(WorldModelSee, LandmarksFillTheirPoolsInTheOrderSeen) {
  see("((f l t 10) 30 5) ((g r) 40 -3) ((l b) 20 60) ((f p r c) 25 1) ((g l) 60 3)");
  ASSERT_EQ(worldModel.getFlagsNum(), 2u);
  EXPECT_EQ(worldModel.getFieldFlag(0).getId(), 41);
  EXPECT_EQ(worldModel.getFieldFlag(1).getId(), 11);
  ASSERT_EQ(worldModel.getGoalsNum(), 2u);
  EXPECT_EQ(worldModel.getFieldGoal(0).getId(), 1);
  EXPECT_EQ(worldModel.getFieldGoal(1).getId(), 0);
  ASSERT_EQ(worldModel.getLinesNum(), 1u);
  EXPECT_EQ(worldModel.getFieldLine(0).getId(), 3);
  // The next see starts the pools again.
  see("((f c) 1 1)");
  EXPECT_EQ(worldModel.getFlagsNum(), 1u);
  EXPECT_EQ(worldModel.getGoalsNum(), 0u);
}

TEST_F(WorldModelSee, ProximityLandmarksAreIgnoredAndAFeltBallIsRead) {
  see("((F) 1 2) ((G) 1 2) ((L) 1 2) ((B) 0.8 170)");
  EXPECT_EQ(worldModel.getFlagsNum(), 0u);
  EXPECT_EQ(worldModel.getGoalsNum(), 0u);
  EXPECT_EQ(worldModel.getLinesNum(), 0u);
  EXPECT_FLOAT_EQ(worldModel.getBall().getSeeDistance(), 0.8f);
  EXPECT_TRUE(worldModel.getBall().isReadyToUpdate());
}

TEST_F(WorldModelSee, FullTeammateWithAllDirections) {
  see("((p \"Tovren\" 7 goalie) 20 10 0 0 45 30)");
  const Player& player = worldModel.getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_TRUE(player.isReadyToUpdate());
  EXPECT_EQ(player.getUniNum(), 7u);
  EXPECT_EQ(player.getPostNum(), 4u);
  EXPECT_TRUE(player.isGoalie());
  EXPECT_EQ(player.getTeamId(), TID_TEAMMATE);
  EXPECT_EQ(player.getModel(), PLM_FULL);
  EXPECT_FLOAT_EQ(player.getRelativeBodyDir(), -45.0f);
  EXPECT_FLOAT_EQ(player.getRelativeHeadDir(), -30.0f);
  EXPECT_EQ(player.getRelativePointingDir(), NOT_MEASURED);
  EXPECT_FALSE(player.isTackling());
}

TEST_F(WorldModelSee, HalfAndQuarterPlayersTakeTheFirstFreeSlots) {
  see("((p \"Rival\") 30 5 -20 t) ((p \"Rival\") 31 6) ((p) 40 5 t) ((P) 3 180)");
  const Player& first = worldModel.getHalfPlayer(TID_OPPONENT, 0);
  EXPECT_TRUE(first.isReadyToUpdate());
  EXPECT_EQ(first.getTeamId(), TID_OPPONENT);
  EXPECT_EQ(first.getModel(), PLM_HALF);
  EXPECT_FLOAT_EQ(first.getRelativePointingDir(), 20.0f);
  EXPECT_TRUE(first.isTackling());
  EXPECT_FLOAT_EQ(worldModel.getHalfPlayer(TID_OPPONENT, 1).getSeeDistance(), 31.0f);
  EXPECT_FALSE(worldModel.getHalfPlayer(TID_OPPONENT, 2).isReadyToUpdate());
  const Player& quarter = worldModel.getQuarterPlayer(0);
  EXPECT_EQ(quarter.getModel(), PLM_QUARTER);
  EXPECT_FALSE(quarter.isTackling());
  EXPECT_EQ(quarter.getRelativePointingDir(), NOT_MEASURED);
  EXPECT_FLOAT_EQ(worldModel.getQuarterPlayer(1).getSeeDistance(), 3.0f);
}

TEST_F(WorldModelSee, TeamNameMatchesOnlyWithItsQuotes) {
  see("((p Tovren 3) 10 0) ((p \"tovren\" 4) 10 0) ((p \"Tovren\" 5) 10 0)");
  EXPECT_TRUE(worldModel.getFullPlayer(TID_OPPONENT, 2).isReadyToUpdate());
  EXPECT_TRUE(worldModel.getFullPlayer(TID_OPPONENT, 3).isReadyToUpdate());
  EXPECT_TRUE(worldModel.getFullPlayer(TID_TEAMMATE, 4).isReadyToUpdate());
  EXPECT_FALSE(worldModel.getFullPlayer(TID_TEAMMATE, 2).isReadyToUpdate());
}

TEST_F(WorldModelSee, ValidHalfPlayersKeepTheirSlots) {
  Player& kept = worldModel.setHalfPlayer(TID_TEAMMATE, 0);
  kept.setPosDeviation(1.0f);
  kept.setValidPosDeviation(1.0f);
  kept.setPos().setAsCartesian(0.0f, -30.0f);  // beside the agent: not in view
  kept.updateRelativeVecs(worldModel.getBody());
  see("((p \"Tovren\") 10 0)");
  EXPECT_FALSE(worldModel.getHalfPlayer(TID_TEAMMATE, 0).isReadyToUpdate());
  EXPECT_TRUE(worldModel.getHalfPlayer(TID_TEAMMATE, 1).isReadyToUpdate());
}

TEST_F(WorldModelSee, PlayersBeyondTheFreeSlotsAreDropped) {
  std::string entries;
  for (int i = 0; i < 35; ++i) entries += "((p) " + std::to_string(10 + i) + " 0) ";
  see(entries);
  EXPECT_FLOAT_EQ(worldModel.getQuarterPlayer(29).getSeeDistance(), 39.0f);
}

TEST_F(WorldModelSee, UniformNumbersOutsideTheTeamAreSkipped) {
  see("((p \"Rival\" 12) 10 0) ((p \"Rival\" 0) 11 0) ((p \"Rival\" -3) 12 0) "
      "((p \"Rival\" x) 13 0) ((p \"Rival\" 2 keeper) 14 0) ((p \"Rival\" 3) 15 0)");
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    EXPECT_EQ(worldModel.getFullPlayer(TID_OPPONENT, i).isReadyToUpdate(), i == 2) << i;
  }
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
    EXPECT_FALSE(worldModel.getHalfPlayer(TID_OPPONENT, i).isReadyToUpdate()) << i;
  }
  EXPECT_NE(log->str().find(
                "Skipping player with a uniform number outside 1..11: ((p \"Rival\" 12) 10 0)"),
            std::string::npos);
  EXPECT_NE(log->str().find("Skipping player with an unknown mark"), std::string::npos);
}

TEST_F(WorldModelSee, TheAgentsOwnEntryNeverOverwritesItsBody) {
  worldModel.setBody().setUniNum(2);
  worldModel.replaceBodyInPlayersList(2);
  see("((p \"Tovren\" 2) 0.5 10 0 0 30 30)");
  EXPECT_FALSE(worldModel.getBody().isReadyToUpdate());
  EXPECT_NE(worldModel.getBody().getSeeDistance(), 0.5f);
  EXPECT_NE(log->str().find("Skipping player entry of the agent itself"), std::string::npos);
}

TEST_F(WorldModelSee, MoreLandmarksThanThePoolsHoldAreSkipped) {
  std::string entries;
  for (int i = 0; i < 60; ++i) entries += "((f c) " + std::to_string(10 + i) + " 0) ";
  entries +=
      "((g l) 1 0) ((g r) 2 0) ((g l) 3 0) ((l t) 1 0) ((l t) 1 0) ((l t) 1 0) "
      "((l t) 1 0) ((l t) 5 0)";
  see(entries);
  EXPECT_EQ(worldModel.getFlagsNum(), WorldModel::FIELD_FLAGS_NUM);
  EXPECT_FLOAT_EQ(worldModel.getFieldFlag(52).getSeeDistance(), 62.0f);
  EXPECT_EQ(worldModel.getGoalsNum(), 2u);
  EXPECT_EQ(worldModel.getLinesNum(), 4u);
  EXPECT_NE(log->str().find("Skipping flag beyond the flag pool: ((f c) 63 0)"), std::string::npos);
}

TEST_F(WorldModelSee, MalformedEntriesAreSkippedAndTheRestIsRead) {
  see("((f x y) 10 0) ((f c) nan 0) (b) 12 ((b)) ((z) 1 2) (((b)) 4 0) ((f c t) 7 3)");
  ASSERT_EQ(worldModel.getFlagsNum(), 1u);
  EXPECT_EQ(worldModel.getFieldFlag(0).getId(), 3);
  EXPECT_FALSE(worldModel.getBall().isReadyToUpdate());
  EXPECT_NE(log->str().find("Skipping unknown flag: ((f x y) 10 0)"), std::string::npos);
  EXPECT_NE(log->str().find("Skipping see entry of unknown kind: ((z) 1 2)"), std::string::npos);
}

TEST_F(WorldModelSee, MalformedSeeIsSkippedWhole) {
  worldModel.resetObjects();
  worldModel.parseSee(*support::parseMessage("(see x ((f c) 10 0))"));
  worldModel.parseSee(*support::parseMessage("(sense_body 3 ((f c) 10 0))"));
  EXPECT_EQ(worldModel.getFlagsNum(), 0u);
  EXPECT_EQ(worldModel.getSeeCycle(), 0u);
}

}  // namespace
}  // namespace tovren
