#pragma once

// A without-ball action on a post: the agent, the ball and the referee's mode where a test
// wants them, the formation's home points for that ball, and the action built on them.

#include "actions/withoutball/Positioning.h"
#include "support/PositioningScene.h"
#include "worldmodel/Player.h"

#include <memory>

namespace tovren {
namespace support {

template <typename Action>
class DefenseScene : public PositioningScene {
 protected:
  Action& scene(unsigned int post, const Point& pos, const Point& ball, const char* mode) {
    SetUp();
    referee(mode);
    placeAgent(Player::postNumToUniNum(post), pos);
    placeBall(ball);
    positioning = std::make_unique<Positioning>(worldModel.get());
    positioning->setHomePoints();
    action = std::make_unique<Action>(worldModel.get(), *positioning);
    return *action;
  }
  // The agent's formation home point.
  Point home() const { return positioning->getHomePoint(worldModel->getBody().getUniNum()); }

  std::unique_ptr<Positioning> positioning;
  std::unique_ptr<Action> action;
};

}  // namespace support
}  // namespace tovren
