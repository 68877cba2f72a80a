#include "actions/withball/Dribble.h"

#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-3f;

// The ball, and the path's begin point, at (x, y); the target is then straight along +x.
DribblePath pathFrom(WorldModel& worldModel, float x, float y) {
  support::placeAgentWithBall(worldModel, x - 0.5f, y, 0.0f, 0.5f);
  DribblePath path(&worldModel);
  path.setBeginPoint(Point(x, y));
  path.setDefaultParams();
  return path;
}

// Straight on weighs 0.9 × 1.6, every 10 degrees off it 0.08 less; leaving the field 1000 less.
TEST(DribblePath, DirectionsLeavingTheFieldLoseTheirWeight) {
  support::setAgentConfig(true);
  WorldModel worldModel;
  // Begin x, y, best direction, its weight; index of another direction (10 degrees per
  // index, from straight on counter-clockwise) and its weight.
  const float cases[][6] = {
      {0, 0, 0, 1.44f, 1, 1.36f},       {0, 31.5f, 0, 1.44f, 1, -998.64f},
      {0, 32, -10, 1.36f, 35, 1.36f},   {0, -31.5f, 0, 1.44f, 35, -998.64f},
      {0, -32, 10, 1.36f, 1, 1.36f},    {50.5f, 0, 90, 0.72f, 8, -999.2f},
      {51, 0, 100, 0.64f, 9, -999.28f},
  };
  for (const auto& [x, y, bestDir, bestWeight, other, otherWeight] : cases) {
    SCOPED_TRACE(::testing::Message() << "from " << x << "," << y);
    DribblePath path = pathFrom(worldModel, x, y);
    EXPECT_NEAR(path.getBestTargetWeight(), bestWeight, TOLERANCE);
    EXPECT_NEAR(path.getBestTargetDir(), bestDir, TOLERANCE);
    path.setDefaultParams();
    EXPECT_NEAR(path.getTargetWeight(static_cast<int>(other)), otherWeight, TOLERANCE);
  }
  // An opponent 3 m along straight on and 1 m across crowds by (3 - 1) × 1 / 3, times
  // 5 - 3.162 for being that close, times 8: 1.44 - 9.80.
  DribblePath path = pathFrom(worldModel, 0, 0);
  support::placeFullPlayer(worldModel, TID_OPPONENT, 5, 3, 1);
  EXPECT_NEAR(path.getTargetWeight(0), -8.361f, TOLERANCE);
}

}  // namespace
}  // namespace tovren
