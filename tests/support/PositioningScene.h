#pragma once

// A world model for the without-ball actions: the recorded parameters, the agent on a
// uniform number, the ball and players where a test wants them, and the referee's mode.

#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tovren {
namespace support {

class PositioningScene : public ::testing::Test {
 protected:
  void SetUp() override {
    setAgentConfig(true);
    worldModel = std::make_unique<WorldModel>();
    feedRecordedParameters(*worldModel);
  }
  // The agent on a uniform number (its post follows), valid and standing still.
  void placeAgent(unsigned int uniNum, const Point& pos, float bodyDir = 0, float stamina = 8000) {
    worldModel->setBody().setUniNum(uniNum);
    worldModel->replaceBodyInPlayersList(uniNum);
    worldModel->setBody().setStamina(stamina);
    placeAgentWithBall(*worldModel, pos.x, pos.y, bodyDir, 0.0f);
  }
  void placeBall(const Point& pos) {
    worldModel->setBall().setPos().setAsCartesian(pos.x, pos.y);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
  }
  // A valid full player; uniform 1 is the goalkeeper. Not the agent's own slot.
  void placePlayer(TeamId team, unsigned int uniNum, const Point& pos) {
    placeFullPlayer(*worldModel, team, uniNum, pos.x, pos.y).setGoalie(uniNum == 1);
  }
  // The play mode of a referee's word ("play_on", "goal_kick_r", ...).
  void referee(const char* word) {
    worldModel->parseHear(*parseMessage(std::string("(hear 0 referee ") + word + ")"));
  }

  std::unique_ptr<WorldModel> worldModel;
};

}  // namespace support
}  // namespace tovren
