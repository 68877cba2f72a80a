#include "worldmodel/WorldModel.h"

#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

constexpr int KEEP = -1;  // the value before the call stays

// Expected values with the own side left and with the own side right.
struct Call {
  const char* word;
  int playModeLeft;
  int playModeRight;
  int virtualLeft;
  int virtualRight;
  unsigned int remain;
};

const Call calls[] = {
    {"before_kick_off", 2, 2, KEEP, KEEP, 0},
    {"play_on", 3, 3, 0, 0, 0},
    {"kick_off_l", 4, 5, KEEP, KEEP, 200},
    {"kick_off_r", 5, 4, KEEP, KEEP, 200},
    {"free_kick_l", 6, 7, KEEP, KEEP, 200},
    {"free_kick_r", 7, 6, KEEP, KEEP, 200},
    {"indirect_free_kick_l", 6, 7, 22, 23, 200},
    {"indirect_free_kick_r", 7, 6, 23, 22, 200},
    {"kick_in_l", 8, 9, KEEP, KEEP, 200},
    {"kick_in_r", 9, 8, KEEP, KEEP, 200},
    {"offside_l", 10, 11, KEEP, KEEP, 30},
    {"offside_r", 11, 10, KEEP, KEEP, 30},
    {"goal_kick_l", 14, 15, 0, 0, 200},
    {"goal_kick_r", 15, 14, 0, 0, 200},
    {"corner_kick_l", 16, 17, KEEP, KEEP, 200},
    {"corner_kick_r", 17, 16, KEEP, KEEP, 200},
    {"free_kick_fault_l", 18, 19, KEEP, KEEP, 30},
    {"free_kick_fault_r", 19, 18, KEEP, KEEP, 30},
    {"catch_fault_l", 20, 21, KEEP, KEEP, 30},
    {"catch_fault_r", 21, 20, KEEP, KEEP, 30},
    {"penalty_setup_l", 24, 25, 0, 0, 100},
    {"penalty_setup_r", 25, 24, 0, 0, 100},
    {"penalty_ready_l", 26, 27, 0, 0, 50},
    {"penalty_ready_r", 27, 26, 0, 0, 50},
    {"goal_l", 12, 13, KEEP, KEEP, 50},
    {"goal_l_2", 12, 13, KEEP, KEEP, 50},
    {"goal_r_1", 13, 12, KEEP, KEEP, 50},
    {"drop_ball", KEEP, KEEP, 1, 1, 0},
    {"time_up_without_a_team", 0, 0, KEEP, KEEP, 0},
    {"time_up", 1, 1, KEEP, KEEP, 0},
    {"time_over", 1, 1, KEEP, KEEP, 0},
    {"half_time", KEEP, KEEP, 2, 2, 0},
    {"time_extended", KEEP, KEEP, 3, 3, 0},
    {"penalty_draw", KEEP, KEEP, 4, 4, 0},
    {"goalie_catch_ball_l", KEEP, KEEP, 5, 6, 0},
    {"goalie_catch_ball_r", KEEP, KEEP, 6, 5, 0},
    {"foul_l", KEEP, KEEP, 8, 9, 0},
    {"foul_r", KEEP, KEEP, 9, 8, 0},
    {"back_pass_l", 22, 23, KEEP, KEEP, 0},
    {"back_pass_r", 23, 22, KEEP, KEEP, 0},
    {"penalty_onfield_l", KEEP, KEEP, 10, 11, 0},
    {"penalty_onfield_r", KEEP, KEEP, 11, 10, 0},
    {"penalty_miss_l", KEEP, KEEP, 12, 13, 0},
    {"penalty_miss_r", KEEP, KEEP, 13, 12, 0},
    {"penalty_score_l", KEEP, KEEP, 14, 15, 0},
    {"penalty_score_r", KEEP, KEEP, 15, 14, 0},
    {"penalty_winner_l", KEEP, KEEP, 16, 17, 0},
    {"penalty_winner_r", KEEP, KEEP, 17, 16, 0},
    {"penalty_foul_l", KEEP, KEEP, 18, 19, 0},
    {"penalty_foul_r", KEEP, KEEP, 19, 18, 0},
    {"penalty_taken_l", KEEP, KEEP, 20, 21, 0},
    {"penalty_taken_r", KEEP, KEEP, 21, 20, 0},
    // A call of a newer server: only the count is reset.
    {"foul_charge_l", KEEP, KEEP, KEEP, KEEP, 0},
    {"illegal_defense_r", KEEP, KEEP, KEEP, KEEP, 0},
};

void hear(WorldModel& worldModel, const std::string& word) {
  worldModel.parseHear(*support::parseMessage("(hear 0 referee " + word + ")"));
}

class WorldModelReferee : public ::testing::Test {
 protected:
  void SetUp() override { support::setAgentConfig(true); }
};

TEST_F(WorldModelReferee, EveryCallOnBothSides) {
  for (Side side : {SI_LEFT, SI_RIGHT}) {
    for (const Call& call : calls) {
      WorldModel worldModel;
      worldModel.setFieldSide(side);
      worldModel.setCurTime(40);
      // Start from a set play with a count and a virtual play mode the call may keep.
      hear(worldModel, "kick_in_l");
      worldModel.setVirtualPlayMode(VPM_GOAL_KICK_TAKEN);
      const PlayMode playModeBefore = worldModel.getPlayMode();
      worldModel.setCurTime(41);
      hear(worldModel, call.word);

      const int playMode = side == SI_LEFT ? call.playModeLeft : call.playModeRight;
      const int virtualMode = side == SI_LEFT ? call.virtualLeft : call.virtualRight;
      SCOPED_TRACE(std::string(call.word) + (side == SI_LEFT ? " left" : " right"));
      EXPECT_EQ(worldModel.getPlayMode(), playMode == KEEP ? playModeBefore : playMode);
      EXPECT_EQ(worldModel.getVirtualPlayMode(),
                virtualMode == KEEP ? VPM_GOAL_KICK_TAKEN : virtualMode);
      EXPECT_EQ(worldModel.getPlayModeRemainCycle(), call.remain);
      EXPECT_EQ(worldModel.getRefereeHearTime(), 41u);
    }
  }
}

TEST_F(WorldModelReferee, UnknownCallIsLogged) {
  std::ostringstream& log = support::captureMainLog();
  WorldModel worldModel;
  hear(worldModel, "foul_charge_l");
  EXPECT_NE(log.str().find("Unknown referee call: foul_charge_l"), std::string::npos);
}

TEST_F(WorldModelReferee, KickOffPlacesTheBallAtTheCentre) {
  WorldModel worldModel;
  worldModel.setFieldSide(SI_RIGHT);
  worldModel.setBall().setPos().setAsCartesian(10.0f, 5.0f);
  hear(worldModel, "kick_off_r");
  EXPECT_EQ(worldModel.getPlayMode(), PM_OUR_KICK_OFF);
  EXPECT_FLOAT_EQ(worldModel.getBall().getPos().getX(), 0.0f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getPos().getY(), 0.0f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getVel().getMagnitude(), 0.0f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getPosDeviation(), 0.0f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getValidPosDeviation(), 0.0f);
}

TEST_F(WorldModelReferee, DropBallForgetsTheBallAndKeepsThePlayMode) {
  WorldModel worldModel;
  hear(worldModel, "kick_in_r");
  hear(worldModel, "kick_off_l");  // the ball is now exactly known
  hear(worldModel, "kick_in_r");
  hear(worldModel, "drop_ball");
  EXPECT_EQ(worldModel.getPlayMode(), PM_OPP_KICK_IN);
  EXPECT_EQ(worldModel.getVirtualPlayMode(), VPM_DROP_BALL);
  EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 0u);
  EXPECT_FLOAT_EQ(worldModel.getBall().getPosDeviation(), 20.0f);
  EXPECT_FALSE(worldModel.getBall().isValid());
}

TEST_F(WorldModelReferee, PlayOnStartsThePlayOnCount) {
  WorldModel worldModel;
  worldModel.setCurTime(100);
  hear(worldModel, "foul_r");
  hear(worldModel, "free_kick_l");
  EXPECT_EQ(worldModel.getVirtualPlayMode(), VPM_OPP_FOUL);  // noted until play_on
  hear(worldModel, "play_on");
  worldModel.setCurTime(120);
  EXPECT_EQ(worldModel.getPlayOnPastCycles(), 20u);
  EXPECT_EQ(worldModel.getVirtualPlayMode(), VPM_NONE);
}

TEST_F(WorldModelReferee, RemainCountRunsDownAfterEachSenseBody) {
  WorldModel worldModel;
  hear(worldModel, "offside_r");
  for (int i = 0; i < 29; ++i) worldModel.updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 1u);
  worldModel.updatePlayModeRemainCycleAfterSenseBody();
  worldModel.updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 0u);
}

TEST_F(WorldModelReferee, MalformedHearIsSkipped) {
  support::captureMainLog();
  WorldModel worldModel;
  worldModel.setCurTime(7);
  hear(worldModel, "kick_in_l");
  worldModel.setCurTime(8);
  for (const char* text : {"(hear 0 referee)", "(hear 0 referee (kick_off_r))",
                           "(hear x referee play_on)", "(hear 0 (referee) play_on)", "(hear)"}) {
    worldModel.parseHear(*support::parseMessage(text));
    EXPECT_EQ(worldModel.getPlayMode(), PM_OUR_KICK_IN) << text;
    EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 200u) << text;
    EXPECT_EQ(worldModel.getRefereeHearTime(), 7u) << text;
  }
}

}  // namespace
}  // namespace tovren
