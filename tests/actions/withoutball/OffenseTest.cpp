#include "actions/withoutball/Offense.h"

#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/PositioningScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tovren {
namespace {

class ProbeOffense : public Offense {
 public:
  using Offense::applyInterceptCalcWeights;
  using Offense::applyOneInterceptCalcWeight;
  using Offense::getMaxWeight;
  using Offense::maxWeightIndex;
  using Offense::Offense;
  using Offense::offenseDecision;
  using Offense::resetWeights;
  using Offense::target;
  using Offense::validPoints;
  using Offense::weights;
};

class OffenseScene : public support::PositioningScene {
 protected:
  // play_on, the agent at (40, 10), two players of frontTeam at x 45 and 46 (the offside
  // line), a teammate at the ball or far from it, and the cycle's prediction.
  void scene(unsigned int uniNum, float ballX, bool mateOnBall, TeamId frontTeam = TID_OPPONENT) {
    SetUp();
    referee("play_on");
    placeAgent(uniNum, {40, 10});
    placeBall({ballX, 0});
    placePlayer(frontTeam, 2, {45, -5});
    placePlayer(frontTeam, 3, {46, 5});
    placePlayer(TID_TEAMMATE, 9, {mateOnBall ? ballX - 0.5f : 0, 0});
    worldModel->updateCurInterCalculate();
    worldModel->updateBallStatus();
    positioning = std::make_unique<Positioning>(worldModel.get());
    positioning->setHomePoints();
    offense = std::make_unique<ProbeOffense>(worldModel.get(), *positioning);
  }

  std::unique_ptr<Positioning> positioning;
  std::unique_ptr<ProbeOffense> offense;
};

TEST_F(OffenseScene, WeighsTheGridOnlyForTheFrontLineBehindATeammatesBallBeyond30AndGoesThere) {
  // Uniform, ball x, teammate on the ball, grid weighed.
  const float cases[][4] = {
      {4, 30.5f, 1, 1}, {4, 30, 1, 0}, {4, 35, 0, 0}, {5, 35, 1, 0}, {1, 35, 1, 0}};
  for (const auto& [uniNum, ballX, mateOnBall, decision] : cases) {
    SCOPED_TRACE(::testing::Message() << uniNum << " " << ballX << " " << mateOnBall);
    scene(unsigned(uniNum), ballX, mateOnBall != 0);
    EXPECT_EQ(offense->getValue(), 10.0f);
    EXPECT_EQ(offense->offenseDecision, decision);
    const Point home = positioning->getHomePoint(unsigned(uniNum));
    EXPECT_EQ(offense->maxWeightIndex == Offense::NO_INDEX, decision == 0);
    EXPECT_EQ(offense->target.getDistance(home) == 0, decision == 0);
    EXPECT_LE(offense->target.x, 43.0f) << "2 m short of the offside line";
  }
  const unsigned int chosen = offense->maxWeightIndex = 5;
  referee("kick_in_l");
  EXPECT_EQ(offense->getValue(), 10.0f);
  EXPECT_EQ(offense->maxWeightIndex, chosen);
  EXPECT_EQ(offense->target.getDistance(positioning->getHomePoint(1)), 0.0f);

  // execute: a dash from 2 m on, the turn to the ball nearer.
  for (const auto& [distance, kind] : {std::pair(1.99f, CK_TURN), std::pair(2.0f, CK_DASH)}) {
    offense->target = Point(40 + distance, 10);
    SayDecisionFlags flags;
    offense->execute(flags);
    ASSERT_NE(offense->getCommand(), nullptr);
    EXPECT_EQ(offense->getCommand()->getKind(), kind) << distance;
  }
}

TEST_F(OffenseScene, ValidColumnsEndShortOfTheOffsideLineAndTiesKeepTheLowerIndex) {
  for (const auto& [line, lastX] : {std::pair<float, float>(40, 38), {33.9f, 0}}) {
    scene(4, 30, true);
    placePlayer(TID_OPPONENT, 2, {line, 0});
    placePlayer(TID_OPPONENT, 3, {line + 1, 0});
    offense->resetWeights();
    for (unsigned int i = 0; i < Offense::WEIGHT_POINTS_NUM; ++i) {
      EXPECT_EQ(offense->validPoints[i], Offense::getWeightPoint(i).x <= lastX) << i;
    }
    EXPECT_EQ(offense->getMaxWeight() == Offense::NO_INDEX, lastX == 0);
  }
  EXPECT_EQ(Offense::getWeightPoint(799).getDistance({51, 19}), 0.0f);
  EXPECT_EQ(Offense::getWeightPoint(20).getDistance({32, -19}), 0.0f);
  std::fill(offense->validPoints + 5, offense->validPoints + Offense::WEIGHT_POINTS_NUM, true);
  EXPECT_EQ(offense->getMaxWeight(), 5u) << "all weights 0";
  offense->weights[300] = offense->weights[301] = offense->weights[3] = 7.0f;
  EXPECT_EQ(offense->getMaxWeight(), 300u);
}

TEST_F(OffenseScene, OnlyOpponentsWinningAKickAddWeightStrictlyInsideTheirReach) {
  for (TeamId team : {TID_OPPONENT, TID_TEAMMATE}) {
    scene(4, 35, true, team);
    std::fill(std::begin(offense->validPoints), std::end(offense->validPoints), true);
    offense->applyInterceptCalcWeights();
    const float* weights = offense->weights;
    EXPECT_EQ(*std::max_element(weights, weights + 800) > 0, team == TID_OPPONENT) << team;
  }
  // An opponent 10 m from a resting ball at (40, 10); the offside line at 46.
  placePlayer(TID_OPPONENT, 2, {40, 0});
  placePlayer(TID_OPPONENT, 3, {46, 0});
  placePlayer(TID_OPPONENT, 4, {47, 0});
  InterceptCalculate session;
  session.startSession(0, nullptr, nullptr);
  session.addPlayer(worldModel->getFullPlayer(TID_OPPONENT, 1), false, false, false);
  Ball resting = worldModel->getBall();
  resting.setPos().setAsCartesian(40, 10);
  session.setVirtualBall(resting);
  session.run();
  ASSERT_TRUE(session.existFastestPlayer());
  offense->resetWeights();
  offense->applyOneInterceptCalcWeight(session.getFastestInterPlayer());
  EXPECT_EQ(offense->weights[21 * 20 + 8], 0.0f) << "(40, 1) lies exactly 9 m away";
  EXPECT_EQ(offense->weights[22 * 20 + 8], 10.0f) << "(40, 2)";
  EXPECT_EQ(offense->weights[22 * 20 + 19], 0.0f) << "(51, 2) lies beyond the offside line";
}

}  // namespace
}  // namespace tovren
