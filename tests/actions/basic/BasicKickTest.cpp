#include "actions/basic/BasicKick.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <memory>

namespace tovren {
namespace {

using support::kickableDistance;
using support::makeBall;
using support::makeBallNearBody;
using support::makeBody;
using support::polar;
using support::touchingDistance;

constexpr float kTolerance = 1e-3f;
constexpr float kVelocityTolerance = 1e-4f;

const KickCommand& kickOf(const BasicKick& skill) {
  const auto* kick = commandAs<KickCommand>(skill.getCommand());
  EXPECT_NE(kick, nullptr);
  static const KickCommand none(0.0f, 0.0f);
  return kick != nullptr ? *kick : none;
}

// The ball at rest touching the body at the direction relative to it; effectiveness 1
// straight ahead.
Ball touching(const Body& body, float relativeDir = 0.0f, const Vector& vel = Vector()) {
  return makeBallNearBody(body, touchingDistance(body, makeBall(body, Point(0, 0))), relativeDir,
                          vel);
}

// The point dx, dy from the ball.
Point beside(const Ball& ball, float dx, float dy) {
  return Point(ball.getPos().getX() + dx, ball.getPos().getY() + dy);
}

Ball atKickableEdge(const Body& body, float relativeDir, const Vector& vel = Vector()) {
  return makeBallNearBody(body, kickableDistance(body, makeBall(body, Point(0, 0))), relativeDir,
                          vel);
}

TEST(KickToDirectionVelocity, PowerAndDirectionInTheBodysFrame) {
  // Kick power rate 0.027: full effectiveness gives 0.027 per unit of power; at the edge
  // of the kickable area behind the body it halves.
  const Body turned = makeBody(Point(10, -5), 30.0f);
  const Body straight = makeBody(Point(0, 0), 0.0f);
  const struct {
    const char* name;
    const Body& body;
    Ball ball;
    float direction;
    float speed;
    float power;
    float kickDir;
  } cases[] = {
      {"full effectiveness", turned, touching(turned), -170.0f, 1.35f, 50.0f, 160.0f},
      {"edge behind", straight, atKickableEdge(straight, 180.0f), 90.0f, 0.54f, 40.0f, 90.0f},
      {"moving as wanted", straight, makeBallNearBody(straight, 0.7f, 30.0f, polar(1.2f, 75.0f)),
       75.0f, 1.2f, 0.0f, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KickToDirectionVelocity kick(c.direction, c.speed, c.ball, c.body, 0.0f);
    EXPECT_TRUE(kick.isPossible());
    EXPECT_NEAR(kickOf(kick).getPower(), c.power, 1e-2f);
    if (c.power > 0.0f) {
      EXPECT_NEAR(kickOf(kick).getDirection(), c.kickDir, kTolerance);
    }
  }
  // The travel vector: the change over (1 - ball decay 0.94), along the wanted direction.
  KickToDirectionVelocity kick(-170.0f, 1.35f, touching(turned), turned, 0.0f);
  EXPECT_NEAR(kick.getTrajVec().getMagnitude(), 22.5f, 1e-3f);
  EXPECT_NEAR(kick.getTrajVec().getDirection(), -170.0f, kTolerance);
  EXPECT_NEAR(BasicKick::needKick(1.0f, straight, atKickableEdge(straight, 180.0f)), 2.0f, 1e-4f);
}

TEST(KickToDirectionVelocity, PowerExactlyAtTheLimitIsPossible) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ball = makeBallNearBody(body, 0.6f, 40.0f);
  KickToDirectionVelocity probe(10.0f, 2.9f, ball, body, 0.0f);
  const float power = kickOf(probe).getPower();
  ASSERT_GT(power, 100.0f);
  EXPECT_FALSE(probe.isPossible());
  EXPECT_TRUE(KickToDirectionVelocity(10.0f, 2.9f, ball, body, power - 100.0f).isPossible());
  KickToDirectionVelocity beyond(10.0f, 2.9f, ball, body, std::nextafter(power, 0.0f) - 100.0f);
  EXPECT_FALSE(beyond.isPossible());
  // Built all the same, with the power as computed.
  EXPECT_EQ(kickOf(beyond).getPower(), power);
}

// Ball places inside the kickable area, ball velocities and wanted velocities: every kick
// that needs at most 100 without extra power and stays within the server's acceleration
// and speed caps gives the ball exactly the wanted velocity under the motion model.
TEST(KickToDirectionVelocity, ReachableKickGivesTheWantedVelocityInTheMotionModel) {
  const Body body = makeBody(Point(-20, 7), 65.0f, polar(0.3f, 10.0f));
  const float touchingDist = touchingDistance(body, makeBall(body, Point(0, 0)));
  const float kickableDist = kickableDistance(body, makeBall(body, Point(0, 0)));
  int checked = 0;
  for (float place : {0.0f, 0.3f, 0.6f, 0.95f}) {
    for (float relativeDir : {-150.0f, -60.0f, 0.0f, 45.0f, 170.0f}) {
      for (const Vector& ballVel : {Vector(), polar(0.8f, -30.0f), polar(1.6f, 120.0f)}) {
        const Ball ball = makeBallNearBody(
            body, touchingDist + place * (kickableDist - touchingDist), relativeDir, ballVel);
        for (float direction : {-135.0f, -10.0f, 65.0f, 100.0f}) {
          for (float speed : {0.5f, 1.2f, 2.2f}) {
            KickToDirectionVelocity kick(direction, speed, ball, body, 0.0f);
            const Vector wanted = polar(speed, direction);
            const float change = (wanted - ball.getVel()).getMagnitude();
            if (!kick.isPossible() || change > ball.getAccelMax() || speed > ball.getSpeedMax()) {
              continue;
            }
            EXPECT_LE(kickOf(kick).getPower(), 100.0f);
            Ball kicked = ball;
            kicked.simulateByAction(body, kick.getCommand(), false);
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

using MakeKick = std::function<std::unique_ptr<BasicKick>(const Ball&, const Body&)>;

template <typename Kick, typename... Args>
MakeKick kickOfType(Args... args) {
  return [=](const Ball& ball, const Body& body) -> std::unique_ptr<BasicKick> {
    if constexpr (sizeof...(Args) == 0) {
      return std::make_unique<Kick>(ball, body, 0.0f);
    } else {
      return std::make_unique<Kick>(args..., ball, body, 0.0f);
    }
  };
}

MakeKick fastKickToDir(float direction) {
  return [=](const Ball& ball, const Body& body) {
    return std::make_unique<FastKickToDir>(direction, ball, body);
  };
}

TEST(BasicKick, BallMovesAsTheKickMeansUnderTheMotionModel) {
  // The body at the origin facing +x.
  const Body body = makeBody(Point(0, 0), 0.0f);
  const Ball ahead = touching(body);
  Ball endless = ahead;
  endless.setDecay(1.0f);
  const float kNoSpeed = std::nanf("");  // the direction alone is checked
  const struct {
    const char* name;
    MakeKick make;
    Ball ball;
    bool possible;
    float speed;
    float direction;
  } cases[] = {
      {"to a point aims from the ball", kickOfType<KickToPointVelocity>(Point(10.0f, 0.6f), 2.0f),
       makeBallNearBody(body, 0.6f, 90.0f), true, 2.0f, 0.0f},
      // 0.94 × (0.5 - (1 - 1/0.94) × 10) for 10 m ahead.
      {"arrive velocity follows the decay",
       kickOfType<KickToPointArriveVelocity>(beside(ahead, 10.0f, 0.0f), 0.5f), ahead, true, 1.07f,
       0.0f},
      {"arrive at its own place with 0 stops it",
       kickOfType<KickToPointArriveVelocity>(Point(0.8f, 0.0f), 0.0f),
       makeBallNearBody(body, 0.8f, 0.0f, polar(0.9f, 160.0f)), true, 0.0f, 0.0f},
      {"cycles with no decay: equal steps",
       kickOfType<KickToPointCycles>(beside(ahead, 3.0f, 0.0f), 2.0f), endless, true, 1.5f, 0.0f},
      {"stop ball keeps the velocity with no power", kickOfType<StopBall>(),
       makeBallNearBody(body, 0.6f, 45.0f, polar(1.1f, -100.0f)), true, 1.1f, -100.0f},
      {"fast along the motion spends all along it", fastKickToDir(30.0f),
       touching(body, 0.0f, polar(0.2f, 30.0f)), true, 2.9f, 30.0f},
      {"fast cancels moderate sideways motion", fastKickToDir(0.0f),
       makeBallNearBody(body, 0.7f, 20.0f, polar(0.9f, 90.0f)), true, kNoSpeed, 0.0f},
      {"fast cancels sideways motion downwards", fastKickToDir(0.0f),
       makeBallNearBody(body, 0.7f, -20.0f, polar(0.9f, -90.0f)), true, kNoSpeed, 0.0f},
      // At the edge behind the body a kick reaches 1.35: straight across against 2.0.
      {"fast beyond reach goes straight across", fastKickToDir(0.0f),
       atKickableEdge(body, 180.0f, polar(2.0f, 90.0f)), false, 0.65f, 90.0f},
      // From the body 80.54 degrees; from the ball it would be 90.
      {"fast to a point aims from the player",
       [](const Ball& ball, const Body& b) -> std::unique_ptr<BasicKick> {
         return std::make_unique<FastKickToPoint>(Point(0.5f, 3.0f), ball, b);
       },
       makeBallNearBody(body, 0.5f, 0.0f), true, kNoSpeed, Degree::arcTan2(3.0f, 0.5f)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<BasicKick> kick = c.make(c.ball, body);
    EXPECT_EQ(kick->isPossible(), c.possible);
    Ball kicked = c.ball;
    kicked.simulateByAction(body, kick->getCommand(), false);
    if (!std::isnan(c.speed)) {
      EXPECT_NEAR(kicked.getVel().getMagnitude(), c.speed, 1e-3f);
    }
    if (c.speed != 0.0f) {
      EXPECT_NEAR(kicked.getVel().getDirection(), c.direction, 1e-2f);
    }
  }
}

TEST(KickToPointCycles, BallCoversTheDistanceInTheCycles) {
  for (int cycles : {1, 3}) {
    SCOPED_TRACE(cycles);
    Body body = makeBody(Point(0, 0), 0.0f);
    Ball ball = touching(body);
    const Point target = beside(ball, 1.8f, 1.0f);
    KickToPointCycles kick(target, static_cast<float>(cycles), ball, body, 0.0f);
    ASSERT_TRUE(kick.isPossible());
    support::simulateCycle(body, ball, kick.getCommand());
    for (int i = 1; i < cycles; ++i) support::simulateCycle(body, ball, nullptr);
    EXPECT_NEAR(Point(ball.getPos()).getDistance(target), 0.0f, 1e-3f);
  }
}

TEST(BasicKick, ImpossibleScenesGiveFiniteCommandsFlaggedNotPossible) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  // 4 m away the effectiveness is below zero (it reaches zero at 3.185 m straight ahead).
  const Ball far = makeBallNearBody(body, 4.0f, 0.0f, polar(1.0f, 90.0f));
  Ball unkickable = touching(body);
  unkickable.setServerParamVars(support::recordedServerParamWith({{"kick_power_rate", "0"}}));
  const Ball near = touching(body);
  const Point ahead = beside(near, 1.0f, 0.0f);
  const struct {
    const char* name;
    MakeKick make;
    const Ball& ball;
  } cases[] = {
      {"ball out of reach", kickOfType<KickToDirectionVelocity>(0.0f, 1.0f), far},
      {"no kick power rate", kickOfType<KickToDirectionVelocity>(0.0f, 1.0f), unkickable},
      {"no cycles", kickOfType<KickToPointCycles>(ahead, 0.0f), near},
      {"negative cycles", kickOfType<KickToPointCycles>(ahead, -2.0f), near},
      {"fast kick out of reach", fastKickToDir(45.0f), far},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<BasicKick> kick = c.make(c.ball, body);
    EXPECT_FALSE(kick->isPossible());
    EXPECT_TRUE(support::hasFiniteText(*kick->getCommand()));
  }
  EXPECT_EQ(BasicKick::needKick(1.0f, body, far), FLT_MAX);
  EXPECT_TRUE(std::isfinite(BasicKick::directionOfMaxPowerKick(0.0f, body, far, 100.0f)));
  // A ball that never slows down still has a finite travel vector.
  Ball endless = touching(body);
  endless.setDecay(1.0f);
  EXPECT_TRUE(std::isfinite(
      KickToDirectionVelocity(0.0f, 1.0f, endless, body, 0.0f).getTrajVec().getMagnitude()));
}

TEST(BasicKick, DirectionOfMaxPowerKickCorrectsForSidewaysMotion) {
  const Body body = makeBody(Point(0, 0), 0.0f);
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(40.0f, body, touching(body), 100.0f), 40.0f,
              1e-3f);
  // Moving up at 1.35 with a reach of 2.7: aimed 30 degrees below the direction 0.
  const Ball moving = touching(body, 0.0f, polar(1.35f, 90.0f));
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(0.0f, body, moving, 100.0f), -30.0f, 1e-2f);
  // Beyond reach the aim goes straight across.
  EXPECT_NEAR(BasicKick::directionOfMaxPowerKick(0.0f, body, moving, 10.0f), -90.0f, 1e-3f);
}

}  // namespace
}  // namespace tovren
