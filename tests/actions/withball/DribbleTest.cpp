#include "actions/withball/Dribble.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/KickScene.h"
#include "support/WorldModelScene.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace {

constexpr float WEIGHT_TOLERANCE = 0.01f;

class DribbleScene : public ::testing::Test {
 protected:
  void SetUp() override {
    support::setAgentConfig(true);
    worldModel = std::make_unique<WorldModel>();
  }
  // The agent at (x, 0), facing bodyDir, the ball resting ballDist in front of it.
  void placeAgent(float x, float bodyDir, float ballDist) {
    support::placeAgentWithBall(*worldModel, x, 0.0f, bodyDir, ballDist);
  }
  Player& placeOpponent(unsigned int uniNum, float x, float y, const Vector& vel = Vector()) {
    Player& player = support::placeFullPlayer(*worldModel, TID_OPPONENT, uniNum, x, y);
    player.setVel() = vel;
    return player;
  }

  std::unique_ptr<WorldModel> worldModel;
};

TEST_F(DribbleScene, BlockWeightFallsAsAPlayerComesCloseOrRunsAtTheBody) {
  placeAgent(0.0f, 0.0f, 0.5f);
  struct Case {
    const char* name;
    float x, y, vx, vy, weight;
  };
  const Case cases[] = {
      {"beyond 5 m", 5.1f, 0, -1, 0, 25},
      {"at 5 m running at the body", 5, 0, -0.5f, 0, 10},
      {"at 5 m standing", 5, 0, 0, 0, 25},
      {"2 m ahead standing", 2, 0, 0.1f, 0, -20},
      {"2 m ahead running at it", 2, 0, -0.5f, 0, -35},
      {"2 m behind running away", -2, 0, -0.5f, 0, -35},
      {"3.5 m running across", 3.5f, 0, 0, 0.5f, 2.5f},
      {"3.5 m running 50 degrees off", 3.5f, 0, -0.5f * 0.6428f, 0.5f * 0.7660f, -5},
  };
  Dribble dribble(worldModel.get());
  EXPECT_FLOAT_EQ(dribble.getBlockedWeight(), 60.0f) << "nobody around";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Player& player = placeOpponent(2, c.x, c.y, Vector(Point(c.vx, c.vy)));
    EXPECT_NEAR(dribble.getPlayerBlockWeight(player), c.weight, WEIGHT_TOLERANCE);
  }
  placeOpponent(3, 4.0f, 0.0f);  // 10, above the -5 of the last case
  EXPECT_NEAR(dribble.getBlockedWeight(), -5.0f, WEIGHT_TOLERANCE) << "the least of all";
}

// With nobody about the two front points tie, and a ball straight ahead counts as on the
// -30 side. The target (straight on, 52.5 0) may lie 30 degrees off the body.
TEST_F(DribbleScene, FrontPointByTheBallsSideAndTargetWithinTheFacingLimit) {
  // Body direction, ball direction from the body, front point chosen.
  const float sides[][3] = {{0, 0, 1}, {0, 5, 0}, {0, -5, 1}};
  // Body direction with the ball at (0.5, 0), and whether the target needs no turn.
  const float facings[][2] = {{-30, 1}, {30, 1}, {-31, 0}};
  Dribble dribble(worldModel.get());
  for (const auto& [bodyDir, ballDir, best] : sides) {
    SCOPED_TRACE(ballDir);
    placeAgent(-30.0f, bodyDir + ballDir, 0.5f);
    worldModel->setBody().setBodyDir(bodyDir);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
    dribble.setDribblePoints();
    EXPECT_EQ(dribble.bestDribblePoint(), static_cast<int>(best));
  }
  for (const auto& [bodyDir, straight] : facings) {
    SCOPED_TRACE(bodyDir);
    placeAgent(0.0f, bodyDir, 0.5f);
    worldModel->setBall().setPos().setAsCartesian(0.5f, 0.0f);
    worldModel->setBall().updateRelativeVecs(worldModel->getBody());
    dribble.setDribblePoints();
    EXPECT_EQ(dribble.checkDribbleTarget(0), straight != 0);
  }
}

// Twice the open goal angle, discounted by 1.15 per metre beyond 10 m from (52.5, 4).
TEST_F(DribbleScene, ShootingWeightIsTheOpenAngleLessTheDistanceBeyondTenMetres) {
  const float xAndWeight[][2] = {{45.0f, 172.10f}, {30.0f, 39.56f}, {0.0f, 0.0f}};
  Dribble dribble(worldModel.get());
  for (const auto& [x, weight] : xAndWeight) {
    SCOPED_TRACE(x);
    placeAgent(x, 0.0f, 0.5f);
    EXPECT_NEAR(dribble.getBodyCrossWeight(), weight, WEIGHT_TOLERANCE);
  }
}

// An opponent 1.5 m behind crowds every point: the opponent tables apply, the +15 degree
// point (order weight -7) lies farthest from him, 2.4646 m, and pays 3 × (3.6 × 0.3354)²;
// the target stays straight ahead (+40), the opponent blocks from behind (-35).
TEST_F(DribbleScene, ValueSumsOrderWeightAgreementCrowdPenaltyAndBlock) {
  placeAgent(-30.0f, 0.0f, 0.5f);
  placeOpponent(5, -31.5f, 0.0f);
  Dribble dribble(worldModel.get());
  EXPECT_NEAR(dribble.getValue(), -7.0f + 40.0f - 4.372f - 35.0f, WEIGHT_TOLERANCE);
}

TEST_F(DribbleScene, PreparesADashKickOrTurnByWhereTheBallWillBe) {
  struct Case {
    const char* name;
    float bodyDir, ballDist, stamina;
    CommandKind kind;
    float dashPower;
  };
  const Case cases[] = {
      {"ball close: a dash would run into it", 0, 0.5f, 8000, CK_KICK, 0},
      {"ball at the edge: dash after it", 0, 1.0f, 8000, CK_DASH, 100},
      {"tired: dash with the recovery", 0, 1.0f, 1000, CK_DASH, 45},
      {"facing away from the target: turn", 180, 0.5f, 8000, CK_TURN, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    placeAgent(-30.0f, c.bodyDir, c.ballDist);
    worldModel->setBody().setStamina(c.stamina);
    // Near the centre spot, where a prediction never made would have put the ball.
    placeOpponent(9, 0.5f, 0.8f);
    Dribble dribble(worldModel.get());
    // Published once, not at all, and twice (the second frees the first, never taken).
    for (const int publishes : {1, 0, 2}) {
      dribble.getValue();
      SayDecisionFlags flags;
      for (int n = 0; n < publishes; ++n) dribble.execute(flags);
      std::unique_ptr<Command> command = dribble.takeCommand();
      EXPECT_EQ(dribble.takeCommand(), nullptr);
      if (publishes == 0) {
        EXPECT_EQ(command, nullptr);
        continue;
      }
      ASSERT_NE(command, nullptr);
      EXPECT_EQ(command->getKind(), c.kind);
      if (const DashCommand* dash = commandAs<DashCommand>(command.get())) {
        EXPECT_FLOAT_EQ(dash->getPower(), c.dashPower);
      }
    }
  }
}

}  // namespace
}  // namespace tovren
