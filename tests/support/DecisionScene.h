#pragma once

// A world model for the body decisions: the goalie's scene (any uniform number may be
// placed) with the neck mode a decision writes, the predictions the agent refreshes
// before it decides, and the actions a decision valued, read from its "MainLog" lines.

#include "decisions/SayDecisionFlags.h"
#include "support/GoalieScene.h"

#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace support {

class DecisionScene : public GoalieScene {
 protected:
  void SetUp() override {
    GoalieScene::SetUp();
    log = &captureMainLog();
  }
  // A fresh world model: the agent on a uniform number (1 is the goalie) and the ball.
  void scene(unsigned int uniNum, const Point& agent, const Point& ball,
             const Vector& ballVel = Vector()) {
    SetUp();
    placeAgent(uniNum, agent);
    worldModel->setBody().setGoalie(uniNum == 1);
    placeBall(ball, ballVel);
  }
  // The interception prediction and the ball status of the scene, as the agent refreshes
  // them before a decision.
  void predict() {
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
  }
  // The indexes of the actions valued (or weighed from the cache) since the last call.
  std::vector<int> valued() {
    std::vector<int> indexes;
    for (const std::string& line : linesWith(log->str(), "\tAdvancedAction[")) {
      indexes.push_back(std::stoi(line.substr(line.find('[') + 1)));
    }
    log->str("");
    return indexes;
  }

  std::ostringstream* log = nullptr;
  TurnNeckMode mode = TNM_LOOK_NORMALLY;
};

}  // namespace support
}  // namespace tovren
