#include "worldmodel/WorldModel.h"

#include "foundation/SExpression.h"
#include "foundation/Timer.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

class WorldModelStore : public ::testing::Test {
 protected:
  void SetUp() override { support::setAgentConfig(true); }
};

TEST_F(WorldModelStore, NewWorldModelStartsBeforeKickOffOnTheLeft) {
  WorldModel worldModel;
  EXPECT_EQ(worldModel.getPlayMode(), PM_BEFORE_KICK_OFF);
  EXPECT_EQ(worldModel.getVirtualPlayMode(), VPM_NONE);
  EXPECT_EQ(worldModel.getFieldSide(), SI_LEFT);
  EXPECT_EQ(worldModel.getCurTime(), 0u);
  EXPECT_EQ(worldModel.getCurCycle(), 0u);
  EXPECT_EQ(worldModel.getSeeCycle(), 0u);
  EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 0u);
  EXPECT_EQ(worldModel.getRefereeHearTime(), 0u);
  EXPECT_EQ(worldModel.getPlayOnPastCycles(), 0u);
  EXPECT_EQ(worldModel.getBallStatus(), BS_NONE);
  EXPECT_EQ(worldModel.getHearedHeader(), '\0');
  EXPECT_EQ(worldModel.getHearedSender(), 0u);
  EXPECT_EQ(worldModel.getFreeKickAdvicerSayCycle(), 0u);
  EXPECT_FALSE(worldModel.isBodyReplaced());
  EXPECT_EQ(worldModel.getFlagsNum(), 0u);
  EXPECT_EQ(worldModel.getGoalsNum(), 0u);
  EXPECT_EQ(worldModel.getLinesNum(), 0u);
  for (unsigned int i = 0; i < WorldModel::VIEW_PARTS_NUM; ++i) {
    EXPECT_EQ(worldModel.getViewPartCycle(i), 50u);
    EXPECT_FLOAT_EQ(worldModel.getViewPartDir(i), 40.0f * i);
  }
}

TEST_F(WorldModelStore, PoolsHoldPlayersOfTheirModel) {
  WorldModel worldModel;
  for (TeamId team : {TID_TEAMMATE, TID_OPPONENT}) {
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
      EXPECT_EQ(worldModel.getFullPlayer(team, i).getModel(), PLM_FULL);
      EXPECT_FALSE(worldModel.getFullPlayer(team, i).isBody());
    }
    for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
      EXPECT_EQ(worldModel.getHalfPlayer(team, i).getModel(), PLM_HALF);
    }
  }
  for (unsigned int i = 0; i < WorldModel::QUARTER_PLAYERS_NUM; ++i) {
    EXPECT_EQ(worldModel.getQuarterPlayer(i).getModel(), PLM_QUARTER);
    EXPECT_FALSE(worldModel.getQuarterPlayer(i).isValid());
  }
  EXPECT_FALSE(worldModel.getBall().isValid());
}

TEST_F(WorldModelStore, OfflinePlayerChoosesTheTimer) {
  WorldModel offline;
  EXPECT_NE(dynamic_cast<const VirtualTimer*>(&offline.getTimer()), nullptr);
  support::setAgentConfig(false);
  WorldModel online;
  EXPECT_NE(dynamic_cast<const OnlineTimer*>(&online.getTimer()), nullptr);
}

TEST_F(WorldModelStore, BodyTakesItsOwnFullPlayerSlot) {
  WorldModel worldModel;
  worldModel.setBody().setUniNum(7);
  worldModel.replaceBodyInPlayersList(7);
  EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 6), &worldModel.getBody());
  EXPECT_TRUE(worldModel.getFullPlayer(TID_TEAMMATE, 6).isBody());
  EXPECT_TRUE(worldModel.isBodyReplaced());
  // A second call for the same slot finds the body there and keeps it.
  worldModel.replaceBodyInPlayersList(7);
  EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 6), &worldModel.getBody());
}

TEST_F(WorldModelStore, BodyMovedToAnotherSlotLeavesAFreshPlayerBehind) {
  WorldModel worldModel;
  worldModel.initServerParam(*support::parseMessage(
      "(server_param (maxmoment 180)(minmoment -180)(maxpower 100)(minpower -100)"
      "(quantize_step 0.1)(quantize_step_l 0.01)(ball_accel_max 2.7)(ball_decay 0.94)"
      "(ball_rand 0.05)(ball_size 0.085)(ball_speed_max 3)(kick_power_rate 0.027)"
      "(kick_rand_factor_l 1)(kick_rand_factor_r 1)(stopped_ball_vel 0.01)"
      "(player_accel_max 1)(player_decay 0.45)(player_rand 0.1)(player_size 0.3)"
      "(player_speed_max 1.05)(stamina_max 8000)(effort_dec_thr 0.3)(recover_dec_thr 0.3)"
      "(maxneckang 90)(minneckang -90)(maxneckmoment 180)(minneckmoment -180)"
      "(catchable_area_l 1.2)(catchable_area_w 1)(visible_distance 3))"));
  worldModel.setFullPlayer(TID_TEAMMATE, 6).setValidPosDeviation(1.0f);  // a sighting of 7
  worldModel.replaceBodyInPlayersList(7);
  worldModel.replaceBodyInPlayersList(9);
  EXPECT_EQ(&worldModel.getFullPlayer(TID_TEAMMATE, 8), &worldModel.getBody());
  const Player& left = worldModel.getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_FALSE(left.isBody());
  EXPECT_EQ(left.getModel(), PLM_FULL);
  EXPECT_FALSE(left.isAlive());
  EXPECT_FLOAT_EQ(left.getDecay(), 0.45f);  // the parameters received so far
}

TEST_F(WorldModelStore, UniformNumberOutsideTheTeamIsSkipped) {
  std::ostringstream& log = support::captureMainLog();
  WorldModel worldModel;
  worldModel.replaceBodyInPlayersList(12);
  worldModel.replaceBodyInPlayersList(0);
  EXPECT_FALSE(worldModel.isBodyReplaced());
  EXPECT_NE(log.str().find("Skipping body placement: uniform number 12 outside 1..11."),
            std::string::npos);
}

TEST_F(WorldModelStore, FieldSideTurnsTheLandmarks) {
  WorldModel worldModel;
  worldModel.setFieldSide(SI_RIGHT);
  EXPECT_EQ(worldModel.getFieldSide(), SI_RIGHT);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).x, 52.5f);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).y, -34.0f);
  worldModel.setFieldSide(SI_LEFT);
  EXPECT_FLOAT_EQ(worldModel.setFieldData().getFlagPos(1).x, -52.5f);
}

TEST_F(WorldModelStore, RemainCountStopsAtZero) {
  WorldModel worldModel;
  worldModel.updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel.getPlayModeRemainCycle(), 0u);
}

TEST_F(WorldModelStore, ViewPartsAgeToFiftyAndResetWhenInView) {
  WorldModel worldModel;
  worldModel.updateSeeDeltaCyclesAfterSenseBody();
  EXPECT_EQ(worldModel.getViewPartCycle(0), 50u);
  // A normal view (half angle 45) looking along 0 covers part 0 only.
  worldModel.setBody().setHeadDir(0.0f);
  worldModel.updateSeeDeltaCyclesAfterSee();
  EXPECT_EQ(worldModel.getViewPartCycle(0), 0u);
  EXPECT_EQ(worldModel.getViewPartCycle(1), 50u);
  EXPECT_EQ(worldModel.getViewPartCycle(8), 50u);
  worldModel.updateSeeDeltaCyclesAfterSenseBody();
  EXPECT_EQ(worldModel.getViewPartCycle(0), 1u);
  // A wide view covers the neighbours 40 degrees away too.
  worldModel.setBody().setViewAngle(90.0f);
  worldModel.updateSeeDeltaCyclesAfterSee();
  EXPECT_EQ(worldModel.getViewPartCycle(1), 0u);
  EXPECT_EQ(worldModel.getViewPartCycle(8), 0u);
  EXPECT_EQ(worldModel.getViewPartCycle(2), 50u);
}

TEST_F(WorldModelStore, ViewPartValueFallsWithTheAngleFromTheHead) {
  WorldModel worldModel;
  EXPECT_NEAR(worldModel.getSeeViewPartValue(0, 0.0f, 22.5f), 1.0f, TOLERANCE);
  EXPECT_NEAR(worldModel.getSeeViewPartValue(0, 10.0f, 22.5f), 0.75f, TOLERANCE);
  EXPECT_NEAR(worldModel.getSeeViewPartValue(0, 45.0f, 22.5f), 0.0f, TOLERANCE);
  EXPECT_NEAR(worldModel.getSeeViewPartValue(1, 72.5f, 45.0f), 0.75f, TOLERANCE);
  EXPECT_NEAR(worldModel.getSeeViewPartValue(8, 5.0f, 45.0f), 0.75f * (45.0f - 22.5f) / 35.0f,
              TOLERANCE);
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

}  // namespace
}  // namespace tovren
