#include "worldmodel/WorldModel.h"

#include "foundation/SExpression.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

// A player type whose values are told apart from the default type's by the id.
std::string playerType(int id) {
  const std::string x = std::to_string(id);
  return "(player_type (id " + x + ")(player_speed_max 1.0" + x + ")(stamina_inc_max 4" + x +
         ")(player_decay 0.3" + x + ")(inertia_moment 5." + x + ")(dash_power_rate 0.006" + x +
         ")(player_size 0.3)(kickable_margin 0.7" + x + ")(kick_rand 0.1" + x +
         ")(extra_stamina 5" + x + ")(effort_max 0.9" + x + ")(effort_min 0.5" + x + "))";
}

// The world model reads the configuration when it is built.
struct AgentConfig {
  AgentConfig() { support::setAgentConfig(true); }
};

class WorldModelParams : public ::testing::Test {
 protected:
  void SetUp() override {
    log = &support::captureMainLog();
    for (const support::RecordedLine& line :
         support::readRecording(support::fixturePath("left", "Tovren-2.txt"))) {
      if (line.text.rfind("(server_param ", 0) == 0) serverParam = line.text;
    }
    ASSERT_FALSE(serverParam.empty());
  }

  void feed(void (WorldModel::*operation)(const SExpression&), const std::string& text) {
    (worldModel.*operation)(*support::parseMessage(text));
  }

  std::ostringstream* log = nullptr;
  std::string serverParam;  // the recorded one: kick_power_rate 0.027, visible_distance 3
  AgentConfig agentConfig;
  WorldModel worldModel;
};

TEST_F(WorldModelParams, ServerParamReachesTheTableTheBallAndEveryPlayer) {
  feed(&WorldModel::initServerParam, serverParam);
  EXPECT_FLOAT_EQ(worldModel.getServerParam()["kick_power_rate"].asFloat(), 0.027f);
  EXPECT_FLOAT_EQ(worldModel.getServerParam()["sense_body_step"].asFloat(), 100.0f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getKickPowerRate(), 0.027f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getDecay(), 0.94f);
  EXPECT_FLOAT_EQ(worldModel.getQuarterPlayer(29).getDecay(), 0.4f);
  // Before the init answer the body stands in no slot and is reached directly.
  EXPECT_FLOAT_EQ(worldModel.getBody().getVisibleDistance(), 3.0f);
  EXPECT_FLOAT_EQ(worldModel.getBody().getDecay(), 0.4f);
}

TEST_F(WorldModelParams, OnlyTheFirstValueOfAListIsStored) {
  feed(&WorldModel::initServerParam, "(server_param (ball_decay 0.5 abc))");
  EXPECT_EQ(worldModel.getServerParam()["ball_decay"].asString(), "0.5");
}

TEST_F(WorldModelParams, ValueThatIsNotANumberIsLoggedAndNeverStored) {
  feed(&WorldModel::initServerParam, serverParam);
  for (const std::string value : {"abc", "nan", "inf", "1e39", "0x1p3", "0.5x", "\"0.5\""}) {
    SCOPED_TRACE(value);
    // In a whole server_param, as the last of a repeated key: the earlier value is not taken.
    std::string text = serverParam;
    text.replace(text.find("(ball_decay 0.94)"), 17, "(ball_decay 0.5)(ball_decay " + value + ")");
    feed(&WorldModel::initServerParam, text);
    EXPECT_EQ(worldModel.getServerParam()["ball_decay"].asString(), "0.94");
    EXPECT_NE(log->str().find("not a number: (ball_decay " + value + ")"), std::string::npos);
  }
}

TEST_F(WorldModelParams, ServerParamWithoutACachedValueDoesNotReachTheObjects) {
  feed(&WorldModel::initServerParam, "(server_param (ball_decay 0.5)(kick_power_rate 0.03))");
  EXPECT_FLOAT_EQ(worldModel.getServerParam()["ball_decay"].asFloat(), 0.5f);
  EXPECT_FLOAT_EQ(worldModel.getBall().getKickPowerRate(), 0.027f);
  EXPECT_NE(log->str().find("server_param without maxmoment"), std::string::npos);
}

TEST_F(WorldModelParams, MalformedServerParamChangesNothing) {
  feed(&WorldModel::initServerParam, serverParam);
  for (const char* text : {"(server_param (ball_decay 0.5) ball_size)",
                           "(server_param (ball_decay 0.5)((ball_size) 1))",
                           "(server_param (ball_decay))", "(player_param (ball_decay 0.5))"}) {
    feed(&WorldModel::initServerParam, text);
    EXPECT_FLOAT_EQ(worldModel.getServerParam()["ball_decay"].asFloat(), 0.94f) << text;
  }
  EXPECT_NE(log->str().find("Skipping malformed server_param: "), std::string::npos);
}

TEST_F(WorldModelParams, PlayerParamRebuildsTheTypeList) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 7)(pt_max 1))");
  feed(&WorldModel::initPlayerType, playerType(6));
  EXPECT_TRUE(worldModel.isPlayerTypeReceived(6));
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  EXPECT_EQ(worldModel.getPlayerParam()["pt_max"].asInt(), 1);
  EXPECT_FALSE(worldModel.isPlayerTypeReceived(6));
  EXPECT_FALSE(worldModel.isPlayerTypeReceived(17));
  feed(&WorldModel::initPlayerType, playerType(17));
  EXPECT_TRUE(worldModel.isPlayerTypeReceived(17));
  EXPECT_FALSE(worldModel.isPlayerTypeReceived(18));
}

TEST_F(WorldModelParams, PlayerParamWithoutABelievableTypeCountIsSkipped) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 3))");
  for (const char* text :
       {"(player_param (pt_max 1))", "(player_param (player_types 0))",
        "(player_param (player_types 100000))", "(player_param (player_types many))"}) {
    feed(&WorldModel::initPlayerParam, text);
  }
  feed(&WorldModel::initPlayerType, playerType(2));
  EXPECT_TRUE(worldModel.isPlayerTypeReceived(2));
  EXPECT_NE(log->str().find("Skipping player_param without a believable player_types"),
            std::string::npos);
}

TEST_F(WorldModelParams, DefaultTypeReachesEveryPlayerAndTheBody) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  feed(&WorldModel::initPlayerType, playerType(3));
  EXPECT_FLOAT_EQ(worldModel.getFullPlayer(TID_OPPONENT, 0).getKickableMargin(), 0.7f);
  feed(&WorldModel::initPlayerType, playerType(0));
  for (TeamId team : {TID_TEAMMATE, TID_OPPONENT}) {
    for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
      EXPECT_FLOAT_EQ(worldModel.getFullPlayer(team, i).getKickableMargin(), 0.70f);
      EXPECT_FLOAT_EQ(worldModel.getFullPlayer(team, i).getDecay(), 0.30f);
    }
    for (unsigned int i = 0; i < WorldModel::HALF_PLAYERS_NUM; ++i) {
      EXPECT_FLOAT_EQ(worldModel.getHalfPlayer(team, i).getStaminaIncMax(), 40.0f);
    }
  }
  EXPECT_FLOAT_EQ(worldModel.getQuarterPlayer(0).getEffortMax(), 0.90f);
  // Before the init answer the body stands in no slot and is reached directly.
  EXPECT_FLOAT_EQ(worldModel.getBody().getDecay(), 0.30f);
  EXPECT_FLOAT_EQ(worldModel.getBody().getStaminaIncMax(), 40.0f);
  EXPECT_FLOAT_EQ(worldModel.getPlayerType(3)["kickable_margin"].asFloat(), 0.73f);
}

TEST_F(WorldModelParams, TypesOutsideTheReceivedListAreSkipped) {
  feed(&WorldModel::initPlayerType, playerType(0));  // before player_param
  EXPECT_FALSE(worldModel.isPlayerTypeReceived(0));
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 4))");
  feed(&WorldModel::initPlayerType, playerType(4));
  feed(&WorldModel::initPlayerType, "(player_type (id -1)(player_decay 0.5))");
  feed(&WorldModel::initPlayerType, "(player_type (player_decay 0.5))");
  feed(&WorldModel::initPlayerType, "(player_type (id 1)(player_decay 0.5))");  // incomplete
  for (unsigned int id = 0; id < 6; ++id) EXPECT_FALSE(worldModel.isPlayerTypeReceived(id)) << id;
  EXPECT_NE(log->str().find("Skipping player_type outside the received types"), std::string::npos);
  EXPECT_NE(log->str().find("Skipping incomplete player_type"), std::string::npos);
}

TEST_F(WorldModelParams, ChangePlayerTypeOfTheAgentReachesItsBody) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  feed(&WorldModel::initPlayerType, playerType(0));
  feed(&WorldModel::initPlayerType, playerType(3));
  worldModel.setBody().setUniNum(5);
  worldModel.replaceBodyInPlayersList(5);
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 5)");
  EXPECT_EQ(worldModel.getBody().getType(), 0u);
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 5 3)");
  EXPECT_EQ(worldModel.getBody().getType(), 3u);
  EXPECT_FLOAT_EQ(worldModel.getBody().getKickableMargin(), 0.73f);
  feed(&WorldModel::parseChangePlayerType, "(change_player_type 2 3)");
  EXPECT_EQ(worldModel.getFullPlayer(TID_TEAMMATE, 1).getType(), 3u);
}

TEST_F(WorldModelParams, ChangePlayerTypeOutOfRangeIsSkipped) {
  feed(&WorldModel::initPlayerParam, "(player_param (player_types 18))");
  feed(&WorldModel::initPlayerType, playerType(3));
  for (const char* text :
       {"(change_player_type 12 3)", "(change_player_type 0 3)", "(change_player_type 2 4)",
        "(change_player_type 2 18)", "(change_player_type 2 -1)", "(change_player_type 2 3 1)",
        "(change_player_type two 3)", "(change_player_type)"}) {
    feed(&WorldModel::parseChangePlayerType, text);
  }
  for (unsigned int i = 0; i < WorldModel::FULL_PLAYERS_NUM; ++i) {
    EXPECT_EQ(worldModel.getFullPlayer(TID_TEAMMATE, i).getType(), 0u);
  }
  EXPECT_NE(log->str().find("Skipping change_player_type out of range: (change_player_type 12 3)"),
            std::string::npos);
}

TEST(WorldModelParamsDeathTest, TypeThatWasNeverAnnouncedIsACallerError) {
  support::setAgentConfig(true);
  WorldModel worldModel;
  EXPECT_DEATH(worldModel.getPlayerType(0), "id < playerTypes.size\\(\\)");
}

}  // namespace
}  // namespace tovren
