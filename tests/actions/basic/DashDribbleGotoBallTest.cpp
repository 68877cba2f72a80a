#include "actions/basic/BasicDash.h"

#include "connection/Command.h"
#include "support/ActionScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <memory>

namespace tovren {
namespace {

using support::makeBall;
using support::makeBallNearBody;
using support::makeBody;
using support::polar;

constexpr float kTolerance = 1e-3f;
// 1.1 × (kickable_margin 0.7 + player_size 0.3 + ball_size 0.085) of the recorded match.
constexpr float kReach = 1.1935f;
// stamina_max 8000 × the greater of the two thresholds (0.3) + 150.
constexpr float kStaminaThreshold = 2550.0f;

// The power of the dash the skill gives, or -1 when it gives none.
float dashPowerOf(const Ball& ball, const Body& body) {
  DashDribbleGotoBall skill(ball, body);
  std::unique_ptr<Command> command = skill.takeCommand();
  if (command == nullptr) {
    return -1.0f;
  }
  const auto* dash = dynamic_cast<const DashCommand*>(command.get());
  EXPECT_NE(dash, nullptr);
  return dash != nullptr ? dash->getPower() : -1.0f;
}

TEST(DashDribbleGotoBall, BallWithinReachGetsTheDashAtOnce) {
  const Body body = makeBody(Point(0.0f, 0.0f), 0.0f);
  // Behind the body: any dash would carry it away, so only the reach at the start counts.
  EXPECT_NEAR(dashPowerOf(makeBallNearBody(body, kReach - 0.01f, 180.0f), body), 100.0f,
              kTolerance);
  EXPECT_NEAR(dashPowerOf(makeBallNearBody(body, kReach + 0.05f, 180.0f), body), -1.0f, kTolerance);
}

TEST(DashDribbleGotoBall, DashesOnlyWhenTheRunCatchesTheBall) {
  const Body body = makeBody(Point(0.0f, 0.0f), 0.0f);
  // Resting ahead: the dashes get there.
  EXPECT_NEAR(dashPowerOf(makeBallNearBody(body, 5.0f, 0.0f), body), 100.0f, kTolerance);
  // Rolling towards the body from ahead.
  EXPECT_NEAR(dashPowerOf(makeBallNearBody(body, 8.0f, 0.0f, polar(1.0f, 180.0f)), body), 100.0f,
              kTolerance);
  // Running away at the ball's top speed: 30 dashes never close the gap.
  EXPECT_NEAR(dashPowerOf(makeBallNearBody(body, 2.0f, 0.0f, polar(3.0f, 0.0f)), body), -1.0f,
              kTolerance);
  // Off to the side: dashing straight on passes it by.
  EXPECT_NEAR(dashPowerOf(makeBall(body, Point(3.0f, 4.0f)), body), -1.0f, kTolerance);
}

TEST(DashDribbleGotoBall, LowStaminaDashesOnlyWhatOneCycleRecovers) {
  const Body rested = makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), kStaminaThreshold);
  const Ball ball = makeBallNearBody(rested, 3.0f, 0.0f);
  EXPECT_NEAR(dashPowerOf(ball, rested), 100.0f, kTolerance);
  const Body tired = makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), kStaminaThreshold - 1.0f);
  EXPECT_NEAR(dashPowerOf(ball, tired), tired.getStaminaIncMax(), kTolerance);
}

TEST(DashDribbleGotoBall, ThresholdFollowsTheStaminaMaximumAndTheHigherDecThreshold) {
  // stamina_max 4000 and both thresholds 0.3: 1350; the higher of 0.3 and 0.5 then 2150.
  ConfigGroup params = support::RecordedParams::get().getServerParam();
  params.add("stamina_max", "4000");
  Body body = makeBody(Point(0.0f, 0.0f), 0.0f, Vector(), 1350.0f);
  body.setServerParamVars(params);
  const Ball ball = makeBallNearBody(body, 1.0f, 0.0f);
  EXPECT_NEAR(dashPowerOf(ball, body), 100.0f, kTolerance);
  body.setStamina(1349.0f);
  EXPECT_NEAR(dashPowerOf(ball, body), body.getStaminaIncMax(), kTolerance);

  params.add("effort_dec_thr", "0.5");
  body.setServerParamVars(params);
  body.setStamina(2149.0f);
  EXPECT_NEAR(dashPowerOf(ball, body), body.getStaminaIncMax(), kTolerance);
  body.setStamina(2150.0f);
  EXPECT_NEAR(dashPowerOf(ball, body), 100.0f, kTolerance);
}

}  // namespace
}  // namespace tovren
