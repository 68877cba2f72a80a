#pragma once

// A world model for the goalkeeper's actions: the agent is our goalkeeper, the switch
// "LatestTrick" is registered as the player frame registers it, and the ball goes where
// a test wants it.

#include "decisions/SayDecisionFlags.h"
#include "foundation/Config.h"
#include "support/PositioningScene.h"

namespace tovren {
namespace support {

class GoalieScene : public PositioningScene {
 protected:
  void SetUp() override {
    PositioningScene::SetUp();
    setLatestTrick(false);
    referee("play_on");
  }
  static void setLatestTrick(bool on) {
    config["Agent"]["Public"].add("LatestTrick", on ? "True" : "False");
  }
  void placeGoalie(const Point& pos, float bodyDir = 0.0f, const Vector& vel = Vector()) {
    placeAgent(1, pos, bodyDir);
    worldModel->setBody().setVel() = vel;
  }
  void placeBall(const Point& pos, const Vector& vel = Vector()) {
    PositioningScene::placeBall(pos);
    worldModel->setBall().setVel() = vel;
  }

  SayDecisionFlags flags;
};

}  // namespace support
}  // namespace tovren
