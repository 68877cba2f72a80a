#include "worldmodel/WorldModel.h"

#include "support/WorldModelScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Player.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

struct AgentConfig {
  AgentConfig() { support::setAgentConfig(true); }
};

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
