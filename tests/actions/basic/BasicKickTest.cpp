#include "actions/basic/BasicKick.h"

#include "connection/Command.h"
#include "support/ActionScene.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>
#include <string>

namespace tovren {
namespace {

using support::kickableDistance;
using support::makeBall;
using support::makeBallNearBody;
using support::makeBody;
using support::polar;
using support::touchingDistance;

constexpr float kTolerance = 1e-4f;
constexpr float kVelocityTolerance = 1e-4f;

std::unique_ptr<KickCommand> take(const BasicAction& skill) {
  const auto* kick = commandAs<KickCommand>(skill.getCommand());
  EXPECT_NE(kick, nullptr);
  return kick != nullptr ? std::make_unique<KickCommand>(*kick) : nullptr;
}

bool isFiniteText(const Command& command) {
  const std::string text = command.toString();
  return text.find("nan") == std::string::npos && text.find("inf") == std::string::npos;
}

// A ball at rest touching the body straight ahead: effectiveness 1.
Ball touchingAhead(const Body& body, const Vector& vel = Vector()) {
  return makeBallNearBody(body, touchingDistance(body, makeBall(body, Point(0, 0))), 0.0f, vel);
}

TEST(KickToDirectionVelocity, FullEffectivenessNeedsSpeedOverPowerRate) {
  const Body body = makeBody(Point(10, -5), 30.0f);
  const Ball ball = touchingAhead(body);
  ASSERT_NEAR(ball.getKickPowerRate(), 0.027f, 1e-7f);
  KickToDirectionVelocity kick(-170.0f, 1.35f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_NEAR(command->getPower(), 50.0f, 1e-3f);
  EXPECT_NEAR(command->getDirection(), 160.0f, kTolerance);
  EXPECT_TRUE(kick.isPossible());
  EXPECT_NEAR(kick.getKickVec().getMagnitude(), 50.0f, 1e-3f);
  EXPECT_NEAR(kick.getKickVec().getDirection(), 160.0f, kTolerance);
  // The travel vector: the change over (1 - ball decay), along the wanted direction.
  EXPECT_NEAR(kick.getTrajVec().getMagnitude(), 1.35f / (1.0f - 0.94f), 1e-3f);
  EXPECT_NEAR(kick.getTrajVec().getDirection(), -170.0f, kTolerance);
}

TEST(KickToDirectionVelocity, EdgeOfKickableAreaBehindHalvesTheEffect) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball =
      makeBallNearBody(body, kickableDistance(body, makeBall(body, Point(0, 0))), 180.0f);
  KickToDirectionVelocity kick(90.0f, 0.54f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_NEAR(command->getPower(), 2.0f * 0.54f / 0.027f, 1e-2f);
  EXPECT_NEAR(BasicKick::needKick(1.0f, body, ball), 2.0f, 1e-4f);
}

TEST(KickToDirectionVelocity, PowerExactlyAtTheLimitIsPossible) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.6f, 40.0f);
  KickToDirectionVelocity probe(10.0f, 2.9f, ball, body, 0.0f);
  const auto probeCommand = take(probe);
  const float power = probeCommand->getPower();
  ASSERT_GT(power, 100.0f);
  KickToDirectionVelocity atLimit(10.0f, 2.9f, ball, body, power - 100.0f);
  const auto atLimitCommand = take(atLimit);
  EXPECT_TRUE(atLimit.isPossible());
  KickToDirectionVelocity beyond(10.0f, 2.9f, ball, body, std::nextafter(power, 0.0f) - 100.0f);
  const auto beyondCommand = take(beyond);
  EXPECT_FALSE(beyond.isPossible());
  // Built all the same, with the power as computed.
  EXPECT_FALSE(probe.isPossible());
  EXPECT_EQ(beyondCommand->getPower(), power);
}

TEST(KickToDirectionVelocity, BallAlreadyMovingAsWantedNeedsNoPower) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.7f, 30.0f, polar(1.2f, 75.0f));
  KickToDirectionVelocity kick(75.0f, 1.2f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_NEAR(command->getPower(), 0.0f, 1e-3f);
  EXPECT_TRUE(kick.isPossible());
}

// Ball places inside the kickable area, ball velocities and wanted velocities: every kick
// that needs at most 100 without extra power and stays within the server's acceleration
// and speed caps gives the ball exactly the wanted velocity under the motion model.
TEST(KickToDirectionVelocity, ReachableKickGivesTheWantedVelocityInTheMotionModel) {
  const Body body = makeBody(Point(-20, 7), 65.0f, polar(0.3f, 10.0f));
  const float touching = touchingDistance(body, makeBall(body, Point(0, 0)));
  const float kickable = kickableDistance(body, makeBall(body, Point(0, 0)));
  int checked = 0;
  for (float place : {0.0f, 0.3f, 0.6f, 0.95f}) {
    for (float relativeDir : {-150.0f, -60.0f, 0.0f, 45.0f, 170.0f}) {
      for (const Vector& ballVel : {Vector(), polar(0.8f, -30.0f), polar(1.6f, 120.0f)}) {
        const Ball ball =
            makeBallNearBody(body, touching + place * (kickable - touching), relativeDir, ballVel);
        for (float direction : {-135.0f, -10.0f, 65.0f, 100.0f}) {
          for (float speed : {0.5f, 1.2f, 2.2f}) {
            KickToDirectionVelocity kick(direction, speed, ball, body, 0.0f);
            const auto command = take(kick);
            const Vector wanted = polar(speed, direction);
            const float change = (wanted - ball.getVel()).getMagnitude();
            if (!kick.isPossible() || change > ball.getAccelMax() || speed > ball.getSpeedMax()) {
              continue;
            }
            EXPECT_LE(command->getPower(), 100.0f);
            Ball kicked = ball;
            kicked.simulateByAction(body, command.get(), false);
            EXPECT_NEAR(kicked.getVel().getX(), wanted.getX(), kVelocityTolerance);
            EXPECT_NEAR(kicked.getVel().getY(), wanted.getY(), kVelocityTolerance);
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 150);
}

TEST(KickToDirectionVelocity, BallOutOfReachIsNotPossibleAndStaysFinite) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  // 4 m away the effectiveness is below zero (it reaches zero at 3.185 m straight ahead).
  const Ball far = makeBallNearBody(body, 4.0f, 0.0f);
  KickToDirectionVelocity kick(0.0f, 1.0f, far, body, 1000.0f);
  const auto command = take(kick);
  EXPECT_FALSE(kick.isPossible());
  EXPECT_TRUE(std::isfinite(command->getPower()));
  EXPECT_TRUE(std::isfinite(command->getDirection()));
  EXPECT_TRUE(isFiniteText(*command));
  EXPECT_EQ(BasicKick::needKick(1.0f, body, far), FLT_MAX);
}

TEST(KickToDirectionVelocity, NoKickPowerRateIsNotPossibleAndStaysFinite) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  ConfigGroup serverParam = support::RecordedParams::get().getServerParam();
  serverParam.add("kick_power_rate", "0");
  Ball ball = touchingAhead(body);
  ball.setServerParamVars(serverParam);
  KickToDirectionVelocity kick(0.0f, 1.0f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_FALSE(kick.isPossible());
  EXPECT_TRUE(isFiniteText(*command));
}

TEST(KickToDirectionVelocity, BallThatNeverSlowsKeepsAFiniteTravelVector) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  Ball ball = touchingAhead(body);
  ball.setDecay(1.0f);
  KickToDirectionVelocity kick(0.0f, 1.0f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_TRUE(std::isfinite(kick.getTrajVec().getMagnitude()));
  EXPECT_TRUE(kick.isPossible());
}

TEST(KickToPointVelocity, AimsFromTheBallAtTheTarget) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.6f, 90.0f);
  const Point target(10.0f, 0.6f);
  KickToPointVelocity kick(target, 2.0f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_TRUE(kick.isPossible());
  EXPECT_NEAR(kick.getTrajVec().getDirection(), 0.0f, 1e-3f);
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getDirection(), 0.0f, 1e-3f);
  EXPECT_NEAR(kicked.getVel().getMagnitude(), 2.0f, kVelocityTolerance);
}

TEST(KickToPointArriveVelocity, FirstSpeedFollowsTheDecay) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = touchingAhead(body);
  const Point target(Point(ball.getPos()).x + 10.0f, Point(ball.getPos()).y);
  KickToPointArriveVelocity kick(target, 0.5f, ball, body, 0.0f);
  const auto command = take(kick);
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  // 0.94 × (0.5 - (1 - 1/0.94) × 10)
  EXPECT_NEAR(kicked.getVel().getMagnitude(), 0.94f * 0.5f + 0.06f * 10.0f, 1e-4f);
  EXPECT_NEAR(kicked.getVel().getDirection(), 0.0f, 1e-3f);
}

TEST(KickToPointArriveVelocity, OwnPositionAndSpeedZeroStopsTheBall) {
  const Body body = makeBody(Point(0, 0), 20.0f);
  const Ball ball = makeBallNearBody(body, 0.8f, -30.0f, polar(0.9f, 160.0f));
  KickToPointArriveVelocity kick(Point(ball.getPos()), 0.0f, ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_TRUE(kick.isPossible());
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getMagnitude(), 0.0f, kVelocityTolerance);
}

TEST(KickToPointCycles, BallCoversTheDistanceInTheCycles) {
  for (float cycles : {1.0f, 3.0f}) {
    Body body = makeBody(Point(0, 0), 0.0f);
    Ball ball = touchingAhead(body);
    const Point target(Point(ball.getPos()).x + 1.8f, Point(ball.getPos()).y + 1.0f);
    KickToPointCycles kick(target, cycles, ball, body, 0.0f);
    const auto command = take(kick);
    ASSERT_TRUE(kick.isPossible());
    if (cycles == 1.0f) {
      EXPECT_NEAR(kick.getTrajVec().getMagnitude() * (1.0f - ball.getDecay()),
                  Point(ball.getPos()).getDistance(target), kVelocityTolerance);
    }
    support::simulateCycle(body, ball, command.get());
    for (int i = 1; i < static_cast<int>(cycles); ++i) {
      support::simulateCycle(body, ball, nullptr);
    }
    EXPECT_NEAR(Point(ball.getPos()).getDistance(target), 0.0f, 1e-3f) << cycles;
  }
}

TEST(KickToPointCycles, NoPositiveCyclesIsNotPossibleAndStaysFinite) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = touchingAhead(body);
  const Point target(Point(ball.getPos()).x + 1.0f, Point(ball.getPos()).y);
  for (float cycles : {0.0f, -2.0f}) {
    KickToPointCycles kick(target, cycles, ball, body, 0.0f);
    const auto command = take(kick);
    EXPECT_FALSE(kick.isPossible());
    EXPECT_TRUE(isFiniteText(*command));
  }
}

TEST(KickToPointCycles, BallThatNeverSlowsCoversEqualSteps) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  Ball ball = touchingAhead(body);
  ball.setDecay(1.0f);
  const Point target(Point(ball.getPos()).x + 3.0f, Point(ball.getPos()).y);
  KickToPointCycles kick(target, 2.0f, ball, body, 0.0f);
  const auto command = take(kick);
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getMagnitude(), 1.5f, kVelocityTolerance);
}

TEST(FastKickToDir, AlongTheBallsMotionSpendsEverythingAlongIt) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = touchingAhead(body, polar(0.2f, 30.0f));
  FastKickToDir kick(30.0f, ball, body);
  const auto command = take(kick);
  EXPECT_TRUE(kick.isPossible());
  EXPECT_NEAR(command->getPower(), 100.0f, kTolerance);
  EXPECT_NEAR(command->getDirection(), 30.0f, 1e-3f);
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getDirection(), 30.0f, 1e-3f);
  EXPECT_NEAR(kicked.getVel().getMagnitude(), 0.2f + 2.7f, 1e-4f);
}

TEST(FastKickToDir, CancelsModerateSidewaysMotion) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.7f, 20.0f, polar(0.9f, 90.0f));
  FastKickToDir kick(0.0f, ball, body);
  const auto command = take(kick);
  EXPECT_TRUE(kick.isPossible());
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getY(), 0.0f, 1e-4f);
  EXPECT_GT(kicked.getVel().getX(), 0.0f);
}

TEST(FastKickToDir, SidewaysMotionBeyondReachIsKickedStraightAcross) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  // At the edge of the kickable area behind the body a kick reaches 1.35.
  const Ball ball = makeBallNearBody(body, kickableDistance(body, makeBall(body, Point(0, 0))),
                                     180.0f, polar(2.0f, 90.0f));
  FastKickToDir kick(0.0f, ball, body);
  const auto command = take(kick);
  EXPECT_FALSE(kick.isPossible());
  EXPECT_NEAR(command->getDirection(), -90.0f, 1e-3f);
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  EXPECT_NEAR(kicked.getVel().getX(), 0.0f, 1e-4f);
  EXPECT_NEAR(kicked.getVel().getY(), 2.0f - 1.35f, 1e-3f);
}

TEST(FastKickToDir, BallOutOfReachIsNotPossibleAndStaysFinite) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball far = makeBallNearBody(body, 4.0f, 0.0f, polar(1.0f, 90.0f));
  FastKickToDir kick(45.0f, far, body);
  const auto command = take(kick);
  EXPECT_FALSE(kick.isPossible());
  EXPECT_TRUE(isFiniteText(*command));
}

TEST(FastKickToPoint, AimsFromThePlayersPosition) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.5f, 0.0f);
  Point target(0.5f, 3.0f);
  FastKickToPoint kick(target, ball, body);
  const auto command = take(kick);
  EXPECT_TRUE(kick.isPossible());
  Ball kicked = ball;
  kicked.simulateByAction(body, command.get(), false);
  // From the body 80.54 degrees; from the ball it would be 90.
  EXPECT_NEAR(kicked.getVel().getDirection(), Degree::arcTan2(3.0f, 0.5f), 1e-3f);
}

TEST(StopBall, KeepsTheBallsVelocityWithNoPower) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.6f, 45.0f, polar(1.1f, -100.0f));
  StopBall kick(ball, body, 0.0f);
  const auto command = take(kick);
  EXPECT_NEAR(command->getPower(), 0.0f, 1e-3f);
  EXPECT_TRUE(kick.isPossible());
  EXPECT_NEAR(kick.getTrajVec().getMagnitude(), 0.0f, 1e-3f);
}

TEST(BasicKick, DirectionOfMaxPowerKickCorrectsForSidewaysMotion) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball still = touchingAhead(body);
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(40.0f, body, still, 100.0f), 40.0f, 1e-3f);
  // Moving up at 1.35 with a reach of 2.7: aimed 30 degrees below the direction 0.
  const Ball moving = touchingAhead(body, polar(1.35f, 90.0f));
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(0.0f, body, moving, 100.0f), -30.0f, 1e-2f);
  // Beyond reach the aim goes straight across, never NaN.
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(0.0f, body, moving, 10.0f), -90.0f, 1e-3f);
  const Ball far = makeBallNearBody(body, 4.0f, 0.0f, polar(1.0f, 90.0f));
  EXPECT_TRUE(std::isfinite(BasicKick::directionOfMaxPowerKick(0.0f, body, far, 100.0f)));
}

}  // namespace
}  // namespace tovren
