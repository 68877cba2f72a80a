// What the world model takes from the server's messages: see, the referee's calls, the
// parameter messages and what teammates, the agent itself and the coach say.

#include "foundation/SExpression.h"
#include "foundation/SayEncoding.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-4f;

// A world model as the player frame builds it, with "MainLog" captured.
class WorldModelMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    log = &support::captureMainLog();
    worldModel = std::make_unique<WorldModel>();
    worldModel->setCurTime(10);
  }

  void feed(void (WorldModel::*operation)(const SExpression&), const std::string& text) {
    ((*worldModel).*operation)(*support::parseMessage(text));
  }
  bool hear(const std::string& text) { return worldModel->parseHear(*support::parseMessage(text)); }
  // A see is always parsed after the objects were reset, as the frame does.
  void see(const std::string& entries) {
    worldModel->resetObjects();
    feed(&WorldModel::parseSee, "(see 12 " + entries + ")");
  }
  bool logHas(const std::string& text) const { return log->str().find(text) != std::string::npos; }

  std::ostringstream* log = nullptr;
  std::unique_ptr<WorldModel> worldModel;
};

// ---- see ----

using WorldModelSee = WorldModelMessages;

TEST_F(WorldModelSee, LandmarksFillTheirPoolsInTheOrderSeenAndTheBallIsRead) {
  see("((f l t 10) 30 5) ((g r) 40 -3) ((l b) 20 60) ((f p r c) 25 1) ((g l) 60 3) "
      "((b) 5 -30 0.1 2) ((F) 1 2) ((G) 1 2) ((L) 1 2)");
  EXPECT_EQ(worldModel->getSeeCycle(), 12u);
  ASSERT_EQ(worldModel->getFlagsNum(), 2u);
  EXPECT_EQ(worldModel->getFieldFlag(0).getId(), 41);
  EXPECT_EQ(worldModel->getFieldFlag(1).getId(), 11);
  EXPECT_FLOAT_EQ(worldModel->getFieldFlag(0).getSeeDirection(), -5.0f);
  ASSERT_EQ(worldModel->getGoalsNum(), 2u);
  EXPECT_EQ(worldModel->getFieldGoal(0).getId(), 1);
  EXPECT_EQ(worldModel->getFieldGoal(1).getId(), 0);
  ASSERT_EQ(worldModel->getLinesNum(), 1u);
  EXPECT_EQ(worldModel->getFieldLine(0).getId(), 3);
  const Ball& ball = worldModel->getBall();
  EXPECT_FLOAT_EQ(ball.getSeeDirection(), 30.0f);
  EXPECT_EQ(ball.getVelSeeTime(), 10u);
  EXPECT_TRUE(ball.isReadyToUpdate());
  // The next see starts the pools again; a felt ball is read.
  see("((f c) 1 1) ((B) 0.8 170)");
  EXPECT_EQ(worldModel->getFlagsNum(), 1u);
  EXPECT_EQ(worldModel->getGoalsNum(), 0u);
  EXPECT_FLOAT_EQ(worldModel->getBall().getSeeDistance(), 0.8f);
}

TEST_F(WorldModelSee, PlayersGoToTheSlotOfTheirModelTeamAndNumber) {
  see("((p \"Tovren\" 7 goalie) 20 10 0 0 45 30) ((p \"Rival\") 30 5 -20 t) ((p \"Rival\") 31 6) "
      "((p) 40 5 t) ((P) 3 180) ((p Tovren 3) 10 0) ((p \"tovren\" 4) 10 0)");
  const Player& seven = worldModel->getFullPlayer(TID_TEAMMATE, 6);
  EXPECT_TRUE(seven.isReadyToUpdate());
  EXPECT_EQ(seven.getUniNum(), 7u);
  EXPECT_TRUE(seven.isGoalie());
  EXPECT_FLOAT_EQ(seven.getRelativeBodyDir(), -45.0f);
  EXPECT_TRUE(worldModel->getHalfPlayer(TID_OPPONENT, 0).isTackling());
  EXPECT_FLOAT_EQ(worldModel->getHalfPlayer(TID_OPPONENT, 1).getSeeDistance(), 31.0f);
  EXPECT_FALSE(worldModel->getHalfPlayer(TID_OPPONENT, 2).isReadyToUpdate());
  EXPECT_FLOAT_EQ(worldModel->getQuarterPlayer(0).getSeeDistance(), 40.0f);
  EXPECT_FLOAT_EQ(worldModel->getQuarterPlayer(1).getSeeDistance(), 3.0f);
  // The team name matches only with its quotes and its case.
  EXPECT_TRUE(worldModel->getFullPlayer(TID_OPPONENT, 2).isReadyToUpdate());
  EXPECT_TRUE(worldModel->getFullPlayer(TID_OPPONENT, 3).isReadyToUpdate());
  EXPECT_FALSE(worldModel->getFullPlayer(TID_TEAMMATE, 2).isReadyToUpdate());
}

TEST_F(WorldModelSee, ValidHalfPlayersKeepTheirSlots) {
  Player& kept = worldModel->setHalfPlayer(TID_TEAMMATE, 0);
  kept.setPosDeviation(1.0f);
  kept.setValidPosDeviation(1.0f);
  kept.setPos().setAsCartesian(0.0f, -30.0f);  // beside the agent: not in view
  kept.updateRelativeVecs(worldModel->getBody());
  see("((p \"Tovren\") 10 0)");
  EXPECT_FALSE(worldModel->getHalfPlayer(TID_TEAMMATE, 0).isReadyToUpdate());
  EXPECT_TRUE(worldModel->getHalfPlayer(TID_TEAMMATE, 1).isReadyToUpdate());
}

TEST_F(WorldModelSee, EntriesBeyondThePoolsAreDropped) {
  std::string entries;
  for (int i = 0; i < 35; ++i) entries += "((p) " + std::to_string(10 + i) + " 0) ";
  for (int i = 0; i < 60; ++i) entries += "((f c) " + std::to_string(10 + i) + " 0) ";
  entries += "((g l) 1 0) ((g r) 2 0) ((g l) 3 0) ((l t) 1 0) ((l t) 1 0) ((l t) 1 0) ";
  entries += "((l t) 1 0) ((l t) 5 0)";
  see(entries);
  EXPECT_FLOAT_EQ(worldModel->getQuarterPlayer(29).getSeeDistance(), 39.0f);
  EXPECT_EQ(worldModel->getFlagsNum(), WorldModel::FIELD_FLAGS_NUM);
  EXPECT_FLOAT_EQ(worldModel->getFieldFlag(52).getSeeDistance(), 62.0f);
  EXPECT_EQ(worldModel->getGoalsNum(), 2u);
  EXPECT_EQ(worldModel->getLinesNum(), 4u);
}

TEST_F(WorldModelSee, BadEntriesAreSkippedAndTheRestIsRead) {
  worldModel->setBody().setUniNum(2);
  worldModel->replaceBodyInPlayersList(2);
  see("((p \"Rival\" 12) 10 0) ((p \"Rival\" 0) 11 0) ((p \"Rival\" -3) 12 0) "
      "((p \"Rival\" x) 13 0) ((p \"Rival\" 2 keeper) 14 0) ((p \"Rival\" 11) 15 0) "
      "((p \"Tovren\" 2) 0.5 10 0 0 30 30) ((f x y) 10 0) ((f c) nan 0) (b) 12 ((b)) ((z) 1 2) "
      "(((b)) 4 0) ((f c t) 7 3)");
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i)
    EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, i).isReadyToUpdate(), i == 10) << i;
  for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i)
    EXPECT_FALSE(worldModel->getHalfPlayer(TID_OPPONENT, i).isReadyToUpdate()) << i;
  // The agent's own entry never overwrites its body.
  EXPECT_FALSE(worldModel->getBody().isReadyToUpdate());
  EXPECT_NE(worldModel->getBody().getSeeDistance(), 0.5f);
  ASSERT_EQ(worldModel->getFlagsNum(), 1u);
  EXPECT_EQ(worldModel->getFieldFlag(0).getId(), 3);
  EXPECT_FALSE(worldModel->getBall().isReadyToUpdate());
  EXPECT_TRUE(logHas("Skipping"));

  for (const char* text : {"(see x ((f c) 10 0))", "(sense_body 3 ((f c) 10 0))"}) {
    worldModel->resetObjects();
    feed(&WorldModel::parseSee, text);
    EXPECT_EQ(worldModel->getFlagsNum(), 0u) << text;
    EXPECT_EQ(worldModel->getSeeCycle(), 12u) << text;
  }
}

// ---- the referee ----

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

using WorldModelReferee = WorldModelMessages;

TEST_F(WorldModelReferee, EveryCallOnBothSides) {
  for (Side side : {SI_LEFT, SI_RIGHT}) {
    for (const Call& call : calls) {
      SCOPED_TRACE(std::string(call.word) + (side == SI_LEFT ? " left" : " right"));
      WorldModel wm;
      wm.setFieldSide(side);
      wm.setCurTime(40);
      // Start from a set play with a count and a virtual play mode the call may keep.
      wm.parseHear(*support::parseMessage("(hear 0 referee kick_in_l)"));
      wm.setVirtualPlayMode(VPM_GOAL_KICK_TAKEN);
      const PlayMode playModeBefore = wm.getPlayMode();
      wm.setCurTime(41);
      wm.parseHear(*support::parseMessage(std::string("(hear 0 referee ") + call.word + ")"));
      const int playMode = side == SI_LEFT ? call.playModeLeft : call.playModeRight;
      const int virtualMode = side == SI_LEFT ? call.virtualLeft : call.virtualRight;
      EXPECT_EQ(wm.getPlayMode(), playMode == KEEP ? playModeBefore : playMode);
      EXPECT_EQ(wm.getVirtualPlayMode(), virtualMode == KEEP ? VPM_GOAL_KICK_TAKEN : virtualMode);
      EXPECT_EQ(wm.getPlayModeRemainCycle(), call.remain);
      EXPECT_EQ(wm.getRefereeHearTime(), 41u);
    }
  }
}

TEST_F(WorldModelReferee, KickOffPlacesTheBallAtTheCentreAndDropBallForgetsIt) {
  worldModel->setFieldSide(SI_RIGHT);
  worldModel->setBall().setPos().setAsCartesian(10.0f, 5.0f);
  hear("(hear 0 referee kick_off_r)");
  const Ball& ball = worldModel->getBall();
  EXPECT_FLOAT_EQ(ball.getPos().getX(), 0.0f);
  EXPECT_FLOAT_EQ(ball.getPos().getY(), 0.0f);
  EXPECT_FLOAT_EQ(ball.getVel().getMagnitude(), 0.0f);
  EXPECT_FLOAT_EQ(ball.getValidPosDeviation(), 0.0f);
  hear("(hear 0 referee drop_ball)");
  EXPECT_FLOAT_EQ(ball.getPosDeviation(), 20.0f);
  EXPECT_FALSE(ball.isValid());
}

TEST_F(WorldModelReferee, PlayOnStartsThePlayOnCount) {
  worldModel->setCurTime(100);
  hear("(hear 0 referee foul_r)");
  hear("(hear 0 referee free_kick_l)");
  EXPECT_EQ(worldModel->getVirtualPlayMode(), VPM_OPP_FOUL);  // noted until play_on
  hear("(hear 0 referee play_on)");
  worldModel->setCurTime(120);
  EXPECT_EQ(worldModel->getPlayOnPastCycles(), 20u);
}

TEST_F(WorldModelReferee, RemainCountRunsDownAfterEachSenseBodyAndStopsAtZero) {
  hear("(hear 0 referee offside_r)");
  for (int i = 0; i < 29; ++i) worldModel->updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel->getPlayModeRemainCycle(), 1u);
  worldModel->updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel->getPlayModeRemainCycle(), 0u);
  worldModel->updatePlayModeRemainCycleAfterSenseBody();
  EXPECT_EQ(worldModel->getPlayModeRemainCycle(), 0u);
}

TEST_F(WorldModelReferee, MalformedHearIsSkipped) {
  worldModel->setCurTime(7);
  hear("(hear 0 referee kick_in_l)");
  worldModel->setCurTime(8);
  for (const char* text : {"(hear 0 referee)", "(hear 0 referee (kick_off_r))",
                           "(hear x referee play_on)", "(hear 0 (referee) play_on)", "(hear)"}) {
    hear(text);
    EXPECT_EQ(worldModel->getPlayMode(), PM_OUR_KICK_IN) << text;
    EXPECT_EQ(worldModel->getPlayModeRemainCycle(), 200u) << text;
    EXPECT_EQ(worldModel->getRefereeHearTime(), 7u) << text;
  }
}

// ---- parameters ----

// A player type whose values are told apart from the default type's by the id.
std::string playerType(int id) {
  const std::string x = std::to_string(id);
  return "(player_type (id " + x + ")(player_speed_max 1.0" + x + ")(stamina_inc_max 4" + x +
         ")(player_decay 0.3" + x + ")(inertia_moment 5." + x + ")(dash_power_rate 0.006" + x +
         ")(player_size 0.3)(kickable_margin 0.7" + x + ")(kick_rand 0.1" + x +
         ")(extra_stamina 5" + x + ")(effort_max 0.9" + x + ")(effort_min 0.5" + x + "))";
}

class WorldModelParams : public WorldModelMessages {
 protected:
  void SetUp() override {
    WorldModelMessages::SetUp();
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath("left", "Tovren-2.txt"))) {
      if (line.text.rfind("(server_param ", 0) == 0) serverParam = line.text;
    }
    ASSERT_FALSE(serverParam.empty());
  }
  float ballDecay() const { return worldModel->getServerParam()["ball_decay"].asFloat(); }

  std::string serverParam;  // the recorded one: kick_power_rate 0.027, ball_decay 0.94
};

TEST_F(WorldModelParams, ServerParamReachesTheTableTheBallAndEveryPlayer) {
  feed(&WorldModel::initServerParam, serverParam);
  EXPECT_FLOAT_EQ(worldModel->getServerParam()["sense_body_step"].asFloat(), 100.0f);
  EXPECT_FLOAT_EQ(worldModel->getBall().getKickPowerRate(), 0.027f);
  EXPECT_FLOAT_EQ(worldModel->getQuarterPlayer(29).getDecay(), 0.4f);
  // Before the init answer the body stands in no slot and is reached directly.
  EXPECT_FLOAT_EQ(worldModel->getBody().getVisibleDistance(), 3.0f);
}

TEST_F(WorldModelParams, BadServerParamsStoreNothingWrong) {
  feed(&WorldModel::initServerParam, serverParam);
  for (const std::string value : {"abc", "nan", "inf", "1e39", "0x1p3", "0.5x", "\"0.5\""}) {
    // In a whole server_param, as the last of a repeated key: the earlier value is not taken.
    std::string text = serverParam;
    text.replace(text.find("(ball_decay 0.94)"), 17, "(ball_decay 0.5)(ball_decay " + value + ")");
    feed(&WorldModel::initServerParam, text);
    EXPECT_FLOAT_EQ(ballDecay(), 0.94f) << value;
  }
  for (const char* text : {"(server_param (ball_decay 0.5) ball_size)",
                           "(server_param (ball_decay 0.5)((ball_size) 1))",
                           "(server_param (ball_decay))", "(player_param (ball_decay 0.5))"}) {
    feed(&WorldModel::initServerParam, text);
    EXPECT_FLOAT_EQ(ballDecay(), 0.94f) << text;
  }
  EXPECT_TRUE(logHas("Skipping"));
  // Only the first value of a list is stored; a partial message does not reach the objects.
  feed(&WorldModel::initServerParam, "(server_param (ball_decay 0.5 abc)(kick_power_rate 0.03))");
  EXPECT_FLOAT_EQ(ballDecay(), 0.5f);
  EXPECT_FLOAT_EQ(worldModel->getBall().getKickPowerRate(), 0.027f);
}

TEST_F(WorldModelParams, PlayerParamRebuildsTheTypeListAndAnUnbelievableOneIsSkipped) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 7)(pt_max 1))");
  feed(&WorldModel::initPlayerType, playerType(6));
  EXPECT_TRUE(worldModel->isPlayerTypeReceived(6));
  for (const char* text :
       {"(player_param (pt_max 2))", "(player_param (player_types 0))",
        "(player_param (player_types 100000))", "(player_param (player_types many))"}) {
    feed(&WorldModel::initPlayerParam, text);
    EXPECT_TRUE(worldModel->isPlayerTypeReceived(6)) << text;
  }
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  EXPECT_EQ(worldModel->getPlayerParam()["pt_max"].asInt(), 1);
  EXPECT_FALSE(worldModel->isPlayerTypeReceived(6));
  feed(&WorldModel::initPlayerType, playerType(17));
  EXPECT_TRUE(worldModel->isPlayerTypeReceived(17));
  EXPECT_FALSE(worldModel->isPlayerTypeReceived(18));
}

TEST_F(WorldModelParams, DefaultTypeReachesEveryPlayerAndTheBody) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  feed(&WorldModel::initPlayerType, playerType(3));
  EXPECT_FLOAT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getKickableMargin(), 0.7f);
  feed(&WorldModel::initPlayerType, playerType(0));
  for (TeamId team : {TID_TEAMMATE, TID_OPPONENT}) {
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i)
      EXPECT_FLOAT_EQ(worldModel->getFullPlayer(team, i).getDecay(), 0.30f);
    for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i)
      EXPECT_FLOAT_EQ(worldModel->getHalfPlayer(team, i).getStaminaIncMax(), 40.0f);
  }
  EXPECT_FLOAT_EQ(worldModel->getQuarterPlayer(0).getEffortMax(), 0.90f);
  EXPECT_FLOAT_EQ(worldModel->getBody().getDecay(), 0.30f);
  EXPECT_FLOAT_EQ(worldModel->getPlayerType(3)["kickable_margin"].asFloat(), 0.73f);
}

TEST_F(WorldModelParams, TypesOutsideTheReceivedListAreSkipped) {
  feed(&WorldModel::initPlayerType, playerType(0));  // before player_param
  EXPECT_FALSE(worldModel->isPlayerTypeReceived(0));
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 4))");
  feed(&WorldModel::initPlayerType, playerType(4));
  feed(&WorldModel::initPlayerType, "(player_type (id -1)(player_decay 0.5))");
  feed(&WorldModel::initPlayerType, "(player_type (player_decay 0.5))");
  feed(&WorldModel::initPlayerType, "(player_type (id 1)(player_decay 0.5))");  // incomplete
  for (unsigned int id = 0; id < 6; ++id) EXPECT_FALSE(worldModel->isPlayerTypeReceived(id)) << id;
  feed(&WorldModel::initPlayerType, playerType(3));
  EXPECT_TRUE(worldModel->isPlayerTypeReceived(3));
}

TEST_F(WorldModelParams, ChangePlayerTypeReachesTheAgentAndTeammatesWithinRange) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  feed(&WorldModel::initPlayerType, playerType(0));
  feed(&WorldModel::initPlayerType, playerType(3));
  worldModel->setBody().setUniNum(5);
  worldModel->replaceBodyInPlayersList(5);
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 5)");
  EXPECT_EQ(worldModel->getBody().getType(), 0u);
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 5 3)");
  EXPECT_FLOAT_EQ(worldModel->getBody().getKickableMargin(), 0.73f);
  for (const char* text :
       {"(change_player_type 12 3)", "(change_player_type 0 3)", "(change_player_type 2 4)",
        "(change_player_type 2 18)", "(change_player_type 2 -1)", "(change_player_type 2 3 1)",
        "(change_player_type two 3)", "(change_player_type)"}) {
    feed(&WorldModel::parseChangePlayerType, text);
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
      if (i != 4) EXPECT_EQ(worldModel->getFullPlayer(TID_TEAMMATE, i).getType(), 0u) << text;
    }
  }
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 11 3)");
  EXPECT_EQ(worldModel->getFullPlayer(TID_TEAMMATE, 10).getType(), 3u);
}

TEST(WorldModelParamsDeathTest, TypeThatWasNeverAnnouncedIsACallerError) {
  support::setAgentConfig(true);
  WorldModel worldModel;
  EXPECT_DEATH(worldModel.getPlayerType(0), "id < playerTypes.size\\(\\)");
}

// ---- what is heard ----

// The one-character number n of a say message.
std::string numChar(unsigned int n) { return std::string(1, SayEncoding::sayCodeKey[n]); }

std::string ballFields(float x, float y, float speed, float direction) {
  std::string out;
  SayEncoding::encodeObjectPosition(x, y, out);
  SayEncoding::encodeObjectVelocity(speed, direction, out);
  return out;
}

std::string suggestion() {
  std::string text = "C";
  SayEncoding::encodeObjectVelocity(2.0f, 30.0f, text);
  SayEncoding::encodeWeight(100.0f, -50.0f, 150.0f, text);
  return text + numChar(9);
}

// The hear of a teammate's say, the text given without its quotes.
std::string teammateSay(const std::string& text, unsigned int sender = 5) {
  return "(hear 10 -30 our " + std::to_string(sender) + " \"" + text + "\")";
}

std::string selfSay(const std::string& text) { return "(hear 10 self \"" + text + "\")"; }

std::string coachSay(const std::string& text, const char* side = "left") {
  return std::string("(hear 0 online_coach_") + side + " (freeform \"" + text + "\"))";
}

// Everything a hear message may change, to compare before and after.
struct HeardState {
  explicit HeardState(const WorldModel& wm) {
    const Ball& ball = wm.getBall();
    numbers = {ball.getPos().getX(),           ball.getPos().getY(),
               ball.getVel().getX(),           ball.getVel().getY(),
               ball.getPosDeviation(),         ball.getValidPosDeviation(),
               wm.getHearedSuggestPassDir(),   wm.getHearedSuggestPassSpeed(),
               wm.getHearedSuggestPassWeight()};
    counts = {wm.getHearedSender(),
              wm.getHearedInterceptNum(),
              wm.getHearedRequestPassNum(),
              wm.getHearedSuggestPassNum(),
              wm.getHearedSuggestPassTime(),
              wm.getFreeKickAdvicerSayCycle(),
              wm.getFreeKickAdvicerSayNumber(),
              wm.getRefereeHearTime(),
              static_cast<unsigned int>(wm.getPlayMode()),
              static_cast<unsigned int>(wm.getHearedHeader()),
              wm.getMustAttention() ? 1u : 0u};
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i)
      counts.push_back(wm.getFullPlayer(TID_OPPONENT, i).getType());
  }
  bool operator==(const HeardState& other) const {
    return numbers == other.numbers && counts == other.counts;
  }
  std::vector<float> numbers;
  std::vector<unsigned int> counts;
};

class WorldModelHear : public WorldModelMessages {
 protected:
  void feedRecordedParameters() {
    support::feedRecordedParameters(*worldModel);
    ASSERT_TRUE(worldModel->isPlayerTypeReceived(9));
  }
  // Sets values that every hear resets, so the reset can be seen.
  void hearRoutineMessage() {
    hear(teammateSay("Y" + numChar(4) + numChar(6) + "1", 8));
    ASSERT_EQ(worldModel->getHearedSender(), 8u);
  }
};

TEST_F(WorldModelHear, TeammatesMessagesSetTheirValuesAndTheBall) {
  struct Case {
    const char* name;
    std::string say;
    char header;
    unsigned int intercept, request;
    bool attention;
    float ballX, ballY;  // NAN: the ball stays
  };
  // Positions decode to the lower-left corner of their 0.2 m cell.
  const Case cases[] = {
      {"before pass", "A" + ballFields(10.1f, -4.9f, 1.234f, -90.0f) + numChar(7), 'A', 7, 0, false,
       10.0f, -5.0f},
      {"related to teammate 3", "B" + ballFields(-2.0f, 1.0f, 0.5f, 45.0f) + numChar(14), 'B', 14,
       0, false, 8.0f, 6.0f},
      {"related to teammate 11", "B" + ballFields(-2.0f, 1.0f, 0.5f, 45.0f) + numChar(11), 'B', 11,
       0, false, -32.0f, 1.0f},
      {"related to a teammate not seen", "B" + ballFields(-2.0f, 1.0f, 0.5f, 45.0f) + numChar(4),
       'B', 4, 0, false, NAN, NAN},
      {"routine, no attention", "Y" + numChar(4) + numChar(6) + "0", 'Y', 4, 6, false, NAN, NAN},
      {"routine, attention", "Y" + numChar(4) + numChar(6) + "1", 'Y', 4, 6, true, NAN, NAN},
      {"routine, any flag", "Y" + numChar(4) + numChar(6) + "a", 'Y', 4, 6, true, NAN, NAN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    for (const auto& [number, at] :
         {std::pair(3u, Point(10.0f, 5.0f)), {11u, Point(-30.0f, 0.0f)}}) {
      Player& reference = worldModel->setFullPlayer(TID_TEAMMATE, number - 1);
      reference.setPos() = Vector(at);
      reference.setPosDeviation(1.0f);
      reference.setValidPosDeviation(1.0f);
    }
    const HeardState before(*worldModel);
    hear(teammateSay(c.say, 5));
    EXPECT_EQ(worldModel->getHearedHeader(), c.header);
    EXPECT_EQ(worldModel->getHearedSender(), 5u);
    EXPECT_EQ(worldModel->getHearedInterceptNum(), c.intercept);
    EXPECT_EQ(worldModel->getHearedRequestPassNum(), c.request);
    EXPECT_EQ(worldModel->getMustAttention(), c.attention);
    const Ball& ball = worldModel->getBall();
    if (std::isnan(c.ballX)) {
      EXPECT_EQ(ball.getPosDeviation(), before.numbers[4]);
      continue;
    }
    EXPECT_NEAR(ball.getPos().getX(), c.ballX, TOLERANCE);
    EXPECT_NEAR(ball.getPos().getY(), c.ballY, TOLERANCE);
    EXPECT_FLOAT_EQ(ball.getPosDeviation(), 0.0f);
    EXPECT_TRUE(ball.isAbsoluteUpdate());
    EXPECT_TRUE(logHas("Body Pos"));  // the objects are logged after a teammate's message
  }
}

TEST_F(WorldModelHear, BeforePassMessageIsTakenEvenRightAfterAReferee) {
  hear("(hear 9 referee play_on)");
  worldModel->setCurTime(worldModel->getRefereeHearTime() + 1);
  hear(teammateSay("A" + ballFields(10.1f, -4.9f, 1.234f, -90.0f) + numChar(7)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), 10.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getVel().getMagnitude(), 1.23f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getVel().getDirection(), -90.0f, TOLERANCE);
}

TEST_F(WorldModelHear, RelatedBeforePassMessageNamingTheHearerUsesItsBody) {
  worldModel->setBody().setUniNum(3);
  worldModel->setBody().setPos().setAsCartesian(-20.0f, 4.0f);
  worldModel->setBody().setPosDeviation(0.5f);
  worldModel->setBody().setValidPosDeviation(0.5f);
  hear(teammateSay("B" + ballFields(1.0f, -1.0f, 0.0f, 0.0f) + numChar(3)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), -19.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getBall().getPos().getY(), 3.0f, TOLERANCE);
  worldModel->replaceBodyInPlayersList(3);
  hear(teammateSay("B" + ballFields(2.0f, 0.0f, 0.0f, 0.0f) + numChar(14)));
  EXPECT_NEAR(worldModel->getBall().getPos().getX(), -18.0f, TOLERANCE);
}

TEST_F(WorldModelHear, SuggestedPassSetsItsValuesAndOutlivesTheNextHear) {
  hearRoutineMessage();
  worldModel->setCurTime(12);
  hear(teammateSay(suggestion(), 4));
  EXPECT_EQ(worldModel->getHearedHeader(), 'C');
  EXPECT_EQ(worldModel->getHearedSender(), 4u);
  EXPECT_EQ(worldModel->getHearedSuggestPassNum(), 9u);
  EXPECT_NEAR(worldModel->getHearedSuggestPassSpeed(), 2.0f, TOLERANCE);
  EXPECT_NEAR(worldModel->getHearedSuggestPassDir(), 30.0f, TOLERANCE);
  // The weight encoding's step over the range of a suggested pass.
  EXPECT_NEAR(worldModel->getHearedSuggestPassWeight(), 100.0f, 1e-3f);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 0u);
  EXPECT_FALSE(worldModel->getMustAttention());
  hear("(hear 13 self \"Zxyz\")");
  EXPECT_EQ(worldModel->getHearedSuggestPassNum(), 9u);
  EXPECT_EQ(worldModel->getHearedSuggestPassTime(), 12u);
}

TEST_F(WorldModelHear, FreeKickAdviceIsKeptButNotRightAfterAReferee) {
  hear(teammateSay("F" + numChar(7), 2));
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayNumber(), 7u);
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayCycle(), 10u);
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getHearedHeader(), 'F');
  hear("(hear 11 referee free_kick_l)");
  for (unsigned int time : {11u, 12u}) {
    worldModel->setCurTime(time);
    hear(teammateSay("F" + numChar(9), 2));
    EXPECT_EQ(worldModel->getFreeKickAdvicerSayNumber(), time == 11 ? 7u : 9u) << time;
  }
  EXPECT_EQ(worldModel->getFreeKickAdvicerSayCycle(), 12u);
}

class WorldModelHearRoutine : public WorldModelHear {
 protected:
  void SetUp() override {
    WorldModelHear::SetUp();
    feedRecordedParameters();
    // Seen 20 m ahead of the agent, with an uncertain sighting.
    worldModel->setBall().setPos().setAsCartesian(20.0f, 0.0f);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
    worldModel->setBall().setSeePosDeviation(3.0f);
  }
  void hearRoutine() {
    hear(teammateSay("Z" + ballFields(30.1f, 20.1f, 1.0f, 180.0f) + numChar(9) + numChar(10) + "1",
                     6));
  }
};

TEST_F(WorldModelHearRoutine, ReplacesOnlyAnUncertainBallThatTheAgentCannotKick) {
  struct Case {
    const char* name;
    float seeDeviation;
    bool permitted;
    float ballX;
    bool replaced;
  };
  const Case cases[] = {{"uncertain", 3.0f, true, 20.0f, true},
                        {"just above the limit", 2.01f, true, 20.0f, true},
                        {"at the limit", 2.0f, true, 20.0f, false},
                        {"not permitted", 3.0f, false, 20.0f, false},
                        {"kickable", 3.0f, true, 0.5f, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ball& ball = worldModel->setBall();
    ball.setPos().setAsCartesian(c.ballX, 0.0f);
    ball.updateRelativeVecs(worldModel->getBody());
    ball.setSeePosDeviation(c.seeDeviation);
    ball.setUpdateByHearPermitted(c.permitted);
    hearRoutine();
    EXPECT_NEAR(ball.getPos().getX(), c.replaced ? 30.0f : c.ballX, TOLERANCE);
    if (c.replaced) {
      EXPECT_NEAR(ball.getVel().getX(), -1.0f, TOLERANCE);
    }
    EXPECT_EQ(worldModel->getHearedSender(), 6u);
    EXPECT_EQ(worldModel->getHearedInterceptNum(), 9u);
    EXPECT_EQ(worldModel->getHearedRequestPassNum(), 10u);
    EXPECT_TRUE(worldModel->getMustAttention());
  }
}

TEST_F(WorldModelHearRoutine, RightAfterARefereeOnlyTheHeaderIsTakenAndTheObjectsLogged) {
  hearRoutineMessage();
  hear("(hear 10 referee kick_in_r)");
  worldModel->setCurTime(11);
  log->str("");
  hearRoutine();
  EXPECT_EQ(worldModel->getHearedHeader(), 'Z');
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 0u);
  EXPECT_FALSE(worldModel->getMustAttention());
  EXPECT_FLOAT_EQ(worldModel->getBall().getPos().getX(), 20.0f);
  EXPECT_TRUE(logHas("Ball Pos"));
}

TEST_F(WorldModelHear, OwnEchoOfAPassAnnouncementNamesTheAgentAndTheRestChangeNothing) {
  worldModel->setBody().setUniNum(9);
  hear(selfSay("A" + ballFields(10.1f, -4.9f, 1.0f, 0.0f) + numChar(4)));
  EXPECT_EQ(worldModel->getHearedHeader(), 'A');
  EXPECT_EQ(worldModel->getHearedSender(), 9u);
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 4u);
  EXPECT_FALSE(worldModel->getBall().isValid());
  EXPECT_FALSE(logHas("Body Pos"));
  hear(selfSay("B" + ballFields(1.0f, 1.0f, 1.0f, 0.0f) + numChar(15)));
  EXPECT_EQ(worldModel->getHearedInterceptNum(), 15u);

  feedRecordedParameters();
  worldModel->setBall().setSeePosDeviation(3.0f);
  hear("(hear 10 self \"Zxyz\")");
  const HeardState reset(*worldModel);
  const std::string unchanging[] = {
      selfSay("Z" + ballFields(30.1f, 20.1f, 1.0f, 180.0f) + numChar(9) + numChar(10) + "1"),
      selfSay("Y" + numChar(4) + numChar(6) + "1"), selfSay(suggestion()),
      selfSay("F" + numChar(7)),
      "(hear 10 45 opp \"A" + ballFields(1.0f, 1.0f, 1.0f, 0.0f) + "3\")"};
  for (const std::string& text : unchanging) {
    hearRoutineMessage();
    hear(text);
    EXPECT_TRUE(HeardState(*worldModel) == reset) << text;
  }
  hear("(hear 10 referee play_on)");
  worldModel->setCurTime(11);
  const HeardState afterReferee(*worldModel);
  hear(selfSay("A" + ballFields(10.1f, -4.9f, 1.0f, 0.0f) + numChar(4)));
  EXPECT_TRUE(HeardState(*worldModel) == afterReferee);
}

TEST_F(WorldModelHear, OwnCoachNamesTheOpponentsTypesOnEitherSide) {
  feedRecordedParameters();
  hear(coachSay("(T 01000000002)"));
  for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k)
    EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, k).getType(),
              k == 1 ? 1u : (k == 10 ? 2u : 0u))
        << k;
  EXPECT_NEAR(worldModel->getFullPlayer(TID_OPPONENT, 10).getSpeedMax(),
              worldModel->getPlayerType(2)["player_speed_max"].asFloat(), TOLERANCE);
  // Other lists of the freeform text are passed over.
  hear(coachSay("(X 1 2)(T 33333333333)"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 4).getType(), 3u);
  // The other side's coach is not heard.
  hearRoutineMessage();
  hear(coachSay("(T 55555555555)", "right"));
  EXPECT_EQ(worldModel->getHearedSender(), 0u);
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 3u);
  worldModel->setFieldSide(SI_RIGHT);
  hear(coachSay("(T 44444444444)", "left"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 3u);
  hear(coachSay("(T 55555555555)", "right"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 0).getType(), 5u);
}

TEST_F(WorldModelHear, CoachDigitOfATypeNotReceivedIsSkipped) {
  hear(coachSay("(T 00000000000)"));  // no player type has arrived
  EXPECT_TRUE(logHas("Skipping"));
  feedRecordedParameters();
  worldModel->setFullPlayer(TID_OPPONENT, 10).setType(4, worldModel->getPlayerType(4));
  hear(coachSay("(T 00000000000)"));
  EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, 10).getType(), 0u);
}

// Every malformed hear is logged and skipped: the heard values keep the reset, and the
// ball, the suggestion, the advice, the play mode and the opponents' types stay.
TEST_F(WorldModelHear, MalformedHearsAreLoggedAndChangeNothingButTheReset) {
  feedRecordedParameters();
  worldModel->setBall().setSeePosDeviation(3.0f);
  const std::string ball = ballFields(10.1f, -4.9f, 1.0f, 0.0f);
  const std::vector<std::string> hears = {
      // teammates' says
      teammateSay("A" + ball),  // shorter than its layout
      teammateSay("AB0xyz"),    // the stand-ins' say
      teammateSay("Z" + ball + "12"),
      teammateSay("Y12"),
      teammateSay("F"),
      teammateSay(""),
      teammateSay("A" + ball.substr(0, 5) + "!" + "3"),  // outside the alphabet
      teammateSay("Y1#1"),
      teammateSay("B" + ball + "0"),  // names no player
      teammateSay("B" + ball + numChar(23)),
      teammateSay("Q1234567"),        // no such kind
      "(hear 10 -30 our 5 AB0xyza)",  // not quoted
      "(hear 10 -30 our 12 \"F3\")",  // no such teammate
      "(hear 10 -30 our 0 \"F3\")",
      "(hear 10 -30 our x \"F3\")",
      "(hear 10 -30 our 5)",
      "(hear 10 -30 our 5 (F3))",
      "(hear 10 -30 their 5 \"F3\")",
      "(hear 10 -30 opp)",
      // senders
      "(hear 10 coach \"F3\")",
      "(hear 10 12abc our 5 \"F3\")",
      "(hear 10 (p \"Tovren\" 2) \"F3\")",
      "(hear 10 online_coach_middle (freeform \"(T 33333333333)\"))",
      "(hear 10 online_coach)",
      "(hear 10 online_coach_left \"(T 33333333333)\")",
      "(hear 10 self)",
      "(hear 10 self (F3))",
      "(hear 10 referee)",
      "(hear 10)",
      "(hear x referee play_on)",
      "(heard 10 referee play_on)",
      // the coach's freeform
      coachSay("(T 33333333333"),  // not one list
      coachSay("(T 33333333333))("),
      coachSay("T 33333333333"),  // an atom among the lists
      coachSay("(T 33333333333) X"),
      coachSay("((T) 33333333333)"),  // a list without a first atom
      coachSay("()"),
      coachSay("(T 3333333333)"),  // not 11 digits
      coachSay("(T 333333333333)"),
      coachSay("(T 3333x333333)"),
      coachSay("(T (33333333333))"),
      coachSay("(T)"),
      coachSay("(T 33333333333)(T 1)"),  // the fault is found before any type
      "(hear 0 online_coach_left (freeform (T 33333333333)))",
      "(hear 0 online_coach_left (freeform T))",
  };
  for (const std::string& text : hears) {
    SCOPED_TRACE(text);
    hearRoutineMessage();
    HeardState expected(*worldModel);
    expected.counts[0] = expected.counts[1] = expected.counts[2] = 0;  // the reset
    expected.counts[9] = expected.counts[10] = 0;
    log->str("");
    hear(text);
    EXPECT_TRUE(HeardState(*worldModel) == expected);
    EXPECT_TRUE(logHas("Skipping"));
  }
}

// The recorded hears of both sides: the referee's calls, the stand-ins' says (all too
// short for any layout) and the own coach's freeform.
TEST_F(WorldModelHear, RecordedHearsOfBothSides) {
  for (const char* side : {"left", "right"}) {
    SetUp();
    feedRecordedParameters();
    const std::string coach = std::string("online_coach_") + side;
    // A type the recorded message replaces.
    hear(coachSay("(T 44444444444)", side));
    unsigned int referee = 0, says = 0, coachMessages = 0;
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath(side, "Tovren-2.txt"))) {
      if (line.sent) continue;
      auto message = support::parseMessage(line.text);
      const std::string header = (*message)[0]->toString();
      if (header == "init") {
        worldModel->setFieldSide((*message)[1]->toString() == "l" ? SI_LEFT : SI_RIGHT);
      } else if (header == "sense_body") {
        worldModel->setCurTime(worldModel->getCurTime() + 1);
      } else if (header == "hear") {
        const HeardState before(*worldModel);
        log->str("");
        worldModel->parseHear(*message);
        const std::string sender = (*message)[2]->toString();
        if (sender == "referee") {
          ++referee;
          EXPECT_EQ(worldModel->getRefereeHearTime(), worldModel->getCurTime());
        } else if (sender == coach) {
          ++coachMessages;
          EXPECT_TRUE(logHas("AOTR: Opp Num 11 setted to type 0")) << line.text;
        } else {
          ++says;
          EXPECT_TRUE(HeardState(*worldModel) == before) << line.text;
          const bool ownSay = line.text.find(" our ") != std::string::npos ||
                              (sender == "self" &&
                               worldModel->getCurTime() != worldModel->getRefereeHearTime() + 1);
          EXPECT_EQ(logHas("Skipping say shorter than its layout"), ownSay) << line.text;
        }
      }
    }
    EXPECT_GT(referee, 10u) << side;
    EXPECT_GT(says, 30u) << side;
    EXPECT_EQ(coachMessages, 1u) << side;
    for (unsigned int k = 0; k < WorldModel::FULL_PLAYERS_NUM; ++k) {
      EXPECT_EQ(worldModel->getFullPlayer(TID_OPPONENT, k).getType(), 0u) << side;
    }
    EXPECT_EQ(worldModel->getPlayMode(), PM_PLAY_ON) << side;
  }
}

}  // namespace
}  // namespace tovren
