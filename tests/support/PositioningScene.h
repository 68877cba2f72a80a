#pragma once

// A world model for the without-ball actions: the recorded parameters, the agent on a
// uniform number, the ball, teammates and opponents where a test wants them, and the
// referee's play mode.

#include "foundation/Types.h"
#include "geometry/Vector.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace support {

class PositioningScene : public ::testing::Test {
 protected:
  void SetUp() override;

  // The agent with a uniform number (its post follows), valid, standing still.
  void placeAgent(unsigned int uniNum, const Point& pos, float bodyDir = 0.0f,
                  float stamina = 8000.0f);
  void placeBall(const Point& pos);
  // A valid full player of either team; the own slot of the agent must not be given.
  void placePlayer(TeamId team, unsigned int uniNum, const Point& pos, bool goalie = false);
  // The play mode the referee's word sets ("play_on", "goal_kick_r", ...).
  void referee(const char* word);

  std::unique_ptr<WorldModel> worldModel;
};

}  // namespace support
}  // namespace tovren
