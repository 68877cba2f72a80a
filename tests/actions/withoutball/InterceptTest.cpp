#include "actions/withoutball/Intercept.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "support/ActionScene.h"
#include "support/PositioningScene.h"
#include "worldmodel/InterceptCalculate.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tovren {
namespace {

constexpr float TOLERANCE = 1e-3f;

class ProbeIntercept : public Intercept {
 public:
  using Intercept::chosenPlan;
  using Intercept::Intercept;
  using Intercept::planCommand;
  using Intercept::planCount;
  using Intercept::planKind;
  using Intercept::planScore;
  // The first plan of a kind; planCount when there is none.
  int firstOf(int kind) const {
    return int(std::find(planKind, planKind + planCount, kind) - planKind);
  }
};

class InterceptScene : public support::PositioningScene {
 protected:
  // The agent at the centre facing bodyDir, a resting ball at a distance and a direction
  // relative to his body, and the cycle's prediction.
  void scene(float ballDist, float ballDir, float bodyDir = 0, float stamina = 8000) {
    SetUp();
    referee("play_on");
    placeAgent(6, {0, 0}, bodyDir, stamina);
    const Vector offset = support::polar(ballDist, bodyDir + ballDir);
    placeBall({offset.getX(), offset.getY()});
    worldModel->updateCurInterCalculate();
  }
  SayDecisionFlags flags;
};

TEST_F(InterceptScene, WaitPlansWinInReachAndGainFivePerCycleOfLeadOverTheFirstOpponent) {
  scene(0.5f, 0, 30);
  ProbeIntercept alone(worldModel.get());
  alone.getValue();
  EXPECT_EQ(alone.getValue(), 10.0f) << "twice in a cycle";
  ASSERT_EQ(alone.firstOf(Intercept::PK_DASH), 4) << "four wait plans, 0 to 3 cycles";
  EXPECT_NEAR(alone.planScore[0], 3.0f, TOLERANCE) << "depth cap 0.3";
  alone.execute(flags);
  const auto* turn = commandAs<TurnCommand>(alone.getCommand());
  ASSERT_NE(turn, nullptr);
  EXPECT_NEAR(turn->getDirection(), -30.0f, TOLERANCE) << "towards (50, 0)";
  EXPECT_NE(alone.getCommand(), alone.planCommand[0].get()) << "a copy";
  EXPECT_EQ(alone.planCommand[alone.planCount], nullptr);
  EXPECT_NE(alone.takeCommand(), nullptr);
  // An opponent reaching the ball in cycle 1: the wait plans of 0 to 3 cycles shift by
  // 5 per cycle of lead or lag; the first dash plan keeps its score.
  const Point ball = worldModel->getBall().getPos();
  placePlayer(TID_OPPONENT, 5, {ball.x, ball.y + 1.2f});
  worldModel->updateCurInterCalculate();
  const InterceptCalculate& prediction = worldModel->getCurInterCalculate();
  ASSERT_TRUE(prediction.existFastestOppPlayer());
  ASSERT_EQ(prediction.getFastestOppInterPlayer().getInterTime(), 1u);
  ProbeIntercept intercept(worldModel.get());
  intercept.getValue();
  const float shifts[] = {5, 0, -5, -10, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(intercept.planScore[i] - alone.planScore[i], shifts[i], TOLERANCE) << i;
  }
  intercept.planCount = 0;  // no plan at all: the agent faces the opponents' goal
  intercept.execute(flags);
  EXPECT_NE(commandAs<TurnCommand>(intercept.getCommand()), nullptr);
}

// The kickable distance is 1.085 and a dash from rest moves 0.6, then 0.24 coasting.
TEST_F(InterceptScene, WaitingDashingAndTurningSearchesAtTheirEdges) {
  // Waiting needs the ball 0.15 inside it; the 4 plans wait 0 to 3 cycles.
  for (const auto& [ballDist, waits] : {std::pair{0.93f, 4}, {0.94f, 0}}) {
    scene(ballDist, 0);
    ProbeIntercept intercept(worldModel.get());
    intercept.getValue();
    EXPECT_EQ(std::count(intercept.planKind, intercept.planKind + intercept.planCount,
                         Intercept::PK_WAIT),
              waits)
        << ballDist;
  }
  // A resting ball 1.76 m ahead lies on the dash's own line, so the reach widens by half of
  // 7 % of 1.76 only: 1.146. The first plan dashes once and coasts a cycle to 0.92 from the
  // ball, scoring 10 × (1.085 - 0.92) less 1 + 0.5 cycles.
  scene(1.76f, 0);
  ProbeIntercept dashing(worldModel.get());
  dashing.getValue();
  EXPECT_NEAR(dashing.planScore[dashing.firstOf(Intercept::PK_DASH)], -0.85f, TOLERANCE);
  // Running at 1 m a cycle the agent turns at most 179 / 6 degrees: a ball 3 m behind has
  // plans that turn twice, none that turn once.
  scene(3.0f, 180);
  worldModel->setBody().setVel() = support::polar(1.0f, 0);
  ProbeIntercept turning(worldModel.get());
  turning.getValue();
  EXPECT_EQ(turning.firstOf(Intercept::PK_TURN_DASH), turning.planCount);
  EXPECT_LT(turning.firstOf(Intercept::PK_TURN2_DASH), turning.planCount);
}

TEST_F(InterceptScene, BelowStamina1400TheDashesTakeStaminaIncMaxForwardAndHalfOfItBackward) {
  // Stamina, ball direction, plan kind (1 forward, 2 backward), full power, share of
  // stamina_inc_max.
  const float cases[][5] = {{1400, 0, 1, 100, 0},
                            {1399.9f, 0, 1, 0, 1},
                            {1400, 180, 2, -100, 0},
                            {1399.9f, 180, 2, 0, -0.5f}};
  for (const auto& [stamina, ballDir, kind, full, share] : cases) {
    SCOPED_TRACE(::testing::Message() << stamina << " " << ballDir);
    scene(1.6f, ballDir, 0, stamina);
    ProbeIntercept intercept(worldModel.get());
    intercept.getValue();
    const int plan = intercept.firstOf(int(kind));  // a missing plan has no command
    const auto* dash = commandAs<DashCommand>(intercept.planCommand[plan].get());
    ASSERT_NE(dash, nullptr);
    EXPECT_NEAR(dash->getPower(), full + share * worldModel->getBody().getStaminaIncMax(),
                TOLERANCE);
  }
}

TEST_F(InterceptScene, AfterADribbleDashingOnLosesToEveryOtherPlanAndTheTypeIsDribbleInterception) {
  const DecideType cases[] = {DT_DRIBBLE, DT_SRP_DRIBBLE, DT_DRIBBLE_INTERCEPT,
                              DT_TACKLE,  DT_INTERCEPT,   DT_NONE};
  for (const DecideType& lastDecide : cases) {
    const bool afterDribble = &lastDecide < cases + 3;
    SCOPED_TRACE(lastDecide);
    scene(3.0f, 0);
    ProbeIntercept intercept(worldModel.get());
    intercept.giveLastDecide(lastDecide);
    intercept.getValue();
    EXPECT_EQ(intercept.getType(), afterDribble ? DT_DRIBBLE_INTERCEPT : DT_INTERCEPT);
    EXPECT_EQ(intercept.planKind[intercept.chosenPlan] == Intercept::PK_DASH, !afterDribble);
    EXPECT_EQ(intercept.planScore[intercept.firstOf(Intercept::PK_DASH)] < -9000, afterDribble);
    intercept.execute(flags);
    EXPECT_EQ(intercept.getType(), DT_INTERCEPT) << "execute forgets the dribble";
    EXPECT_NE(commandAs<DashCommand>(intercept.getCommand()), nullptr)
        << "a turn under 8 degrees dashes";
  }
}

TEST_F(InterceptScene, DribbleInterceptionNeedsTheBallInReachOrWithin20cmMoreOnBothTracksBy31) {
  scene(0, 0);
  const float k = support::kickableDistance(worldModel->getBody(), worldModel->getBall());
  Body body = worldModel->getBody();
  const DashCommand dash(100);
  for (int n = 0; n < 31; ++n) support::simulateCycle(body, &dash);
  const float last = body.getPos().getX() + k + 0.2f;  // at k2 from the agent of cycle 31
  // Ball x and y, stamina, dash power (-1: stamina_inc_max, 0: failure). The bound is
  // stamina_max 8000 × 0.3 (effort_dec_thr and recover_dec_thr) + 150. Beside the way and
  // 5 cm beyond reach, a ball is passed while the agent goes from x 0 to 0.6.
  const float cases[][4] = {{0.5f, 0, 2550, 100},         {0.5f, 0, 2549.9f, -1},
                            {0.3f, k + 0.05f, 8000, 100}, {-0.3f, k + 0.05f, 8000, 0},
                            {last - 0.02f, 0, 8000, 100}, {last + 0.02f, 0, 8000, 0}};
  for (const auto& [x, y, stamina, power] : cases) {
    SCOPED_TRACE(::testing::Message() << x << " " << y << " " << stamina);
    worldModel->setBody().setStamina(stamina);
    placeBall({x, y});
    DribbleIntercept intercept(worldModel.get());
    EXPECT_EQ(intercept.getValue(), power != 0 ? 1000.0f : AD_MIN_VALUE);
    intercept.execute(flags);
    const auto* sent = commandAs<DashCommand>(intercept.getCommand());
    EXPECT_EQ(sent != nullptr ? sent->getPower() : 0.0f,
              power < 0 ? body.getStaminaIncMax() : power);
  }
}

}  // namespace
}  // namespace tovren
