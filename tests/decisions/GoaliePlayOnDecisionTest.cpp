#include "decisions/GoaliePlayOnDecision.h"

#include "connection/Command.h"
#include "support/DecisionScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tovren {
namespace {

constexpr float DIR_TOLERANCE = 0.01f;  // degrees

class GoalieDecisionScene : public support::DecisionScene {
 protected:
  // The goalie, the ball and, where x is not 0, opponent 9 and teammate 2.
  GoaliePlayOnDecision& goalie(Point at, Point ball, float ballVelX = 0, Point opp = {},
                               Point tmm = {}) {
    scene(1, at, ball, Vector(Point(ballVelX, 0)));
    if (opp.x != 0) placePlayer(TID_OPPONENT, 9, opp);
    if (tmm.x != 0) placePlayer(TID_TEAMMATE, 2, tmm);
    predict();
    decision = std::make_unique<GoaliePlayOnDecision>(worldModel.get(), flags, mode);
    valued();
    return *decision;
  }

  std::unique_ptr<GoaliePlayOnDecision> decision;
};

TEST_F(GoalieDecisionScene, OutOfItsBoxTheGoalieKicksTheBallAtItsFeetTowardsTheNearerTouchLine) {
  // Goalie x, y, ball x, y, direction of the kick-out (0: none, the catch comes first).
  const float cases[][5] = {{-30, 4.5f, -30, 5, 90},          {-30, -0.5f, -30, 0, -90},
                            {-36.4f, 0.5f, -36.9f, 0.5f, 90}, {-37, -18.8f, -37, -19.6f, -90},
                            {-37, -18.8f, -37, -19.5f, 0},    {-30, 0, -27, 0, 0}};
  for (const auto& [gx, gy, bx, by, dir] : cases) {
    SCOPED_TRACE(::testing::Message() << gx << "," << gy << " ball " << bx << "," << by);
    GoaliePlayOnDecision& goalie = this->goalie({gx, gy}, {bx, by});
    flags.beforePass = true;
    mode = TNM_LOOK_CAREFULLY;
    const DecideType type = goalie.decide(0, DT_NONE);
    const std::vector<int> actions = valued();
    if (dir == 0) {
      EXPECT_EQ(actions.at(0), 0);
      continue;
    }
    // Nothing valued, nothing decided; the neck and the say requests stay.
    EXPECT_TRUE(actions.empty());
    EXPECT_EQ(type, DT_NONE);
    EXPECT_EQ(mode, TNM_LOOK_CAREFULLY);
    EXPECT_TRUE(flags.beforePass);
    const auto* kick = commandAs<KickCommand>(goalie.getCommand());
    ASSERT_NE(kick, nullptr);
    EXPECT_EQ(kick->getPower(), 100.0f);
    Body body = worldModel->getBody();
    Ball ball = worldModel->getBall();
    support::simulateCycle(body, ball, kick);
    EXPECT_NEAR(ball.getVel().getDirection(), dir, DIR_TOLERANCE);
  }
}

TEST_F(GoalieDecisionScene, GoesForTheBallWhenFirstAtItOrAgainstAShotNoOpponentCanKick) {
  const std::vector<int> intercept = {0, 1, 2, 3};  // catch, clear, both intercepts
  const std::vector<int> positioning = {0, 1, 4};   // catch, clear, positioning
  // Goalie, ball, its speed along x, opponent, teammate; goes for it; looks normally.
  const float cases[][11] = {
      {-50, 0, -30, 0, 2, -20, 0, 0, 0, 0, 1},            // the ball runs away, 20 m
      {-49.9f, 0, -30, 0, 2, -20, 0, 0, 0, 0, 0},         // 19.9 m
      {-45, 0, -40, 0, 0, 0, 0, 0, 0, 1, 0},              // the goalie first
      {-45, 10, -40, 10, -1, -38.6f, 10.5f, 0, 0, 0, 0},  // and an opponent near
      {-45, 0, -40, 0, -2, -38.3f, 0, 0, 0, 1, 0},        // and an opponent near a shot
      {-50, 0, -35, 10, 0, 0, 0, -35, 11, 0, 0},          // a teammate first
      {-51, 0, -35, 0, -2, 0, 0, -37, 0.3f, 1, 0},        // and a shot
      {-51, 0, -35, 0, -2, -34, 0, -37, 0.3f, 0, 0},      // and a shot an opponent kicks
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c[0] << "," << c[1] << " ball " << c[2] << "," << c[3]);
    goalie({c[0], c[1]}, {c[2], c[3]}, c[4], {c[5], c[6]}, {c[7], c[8]}).decide(0, DT_NONE);
    EXPECT_EQ(valued(), c[9] != 0 ? intercept : positioning);
    EXPECT_EQ(mode, c[10] != 0 ? TNM_LOOK_NORMALLY_TO_BALL : TNM_LOOK_CAREFULLY_TO_BALL);
  }
}

TEST_F(GoalieDecisionScene, AnOpponentHasTheBallWithinReachAndAnAllowanceByHisDistance) {
  // Reach 0.085 + 0.7 + 0.3 + margin 0.2; allowance 0.08 per metre from the goalie, capped.
  // Goalie x, ball x, opponent x, y, cap; unnumbered; not valid; kickable.
  const float cases[][8] = {
      {-45, -40, -38.17f, 0, 1.5f, 0, 0, 1},  {-45, -40, -38.16f, 0, 1.5f, 0, 0, 0},
      {-50, -30, -27.22f, 0, 1.5f, 0, 0, 1},  {-50, -30, -27.21f, 0, 1.5f, 0, 0, 0},
      {-45, -36.685f, -35, 0, 0.8f, 0, 0, 1}, {-45, -36.685f, -35, 0, 0.3f, 0, 0, 0},
      {-45, -40, -38.17f, 0, 1.5f, 1, 0, 1},  {-45, -40, -40, 0.5f, 1.5f, 0, 1, 0},
  };
  for (const auto& [gx, bx, ox, oy, cap, half, invalid, kickable] : cases) {
    SCOPED_TRACE(::testing::Message() << gx << " ball " << bx << " opponent " << ox << "," << oy);
    GoaliePlayOnDecision& goalie = this->goalie({gx, 0}, {bx, 0});
    Player& opponent = half != 0 ? worldModel->setHalfPlayer(TID_OPPONENT, 19)
                                 : worldModel->setFullPlayer(TID_OPPONENT, 10);
    opponent = support::makeScenePlayer(TID_OPPONENT, half != 0 ? 0 : 11, {ox, oy});
    if (invalid != 0) opponent.setValidPosDeviation(8.0f);
    EXPECT_EQ(goalie.isBallOppKickable(0.2f, cap), kickable != 0);
  }
}

}  // namespace
}  // namespace tovren
