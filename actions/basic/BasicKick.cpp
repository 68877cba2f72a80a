#include "actions/basic/BasicKick.h"

#include "connection/Command.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <cfloat>
#include <cmath>
#include <memory>

namespace tovren {

namespace {

// The nominal power limit; callers allow extra power above it.
constexpr float NOMINAL_MAX_POWER = 100.0f;

// The length of the travel vector: the change divided by (1 - decay), the whole distance
// a ball given that much speed covers. A ball that never slows down has no finite
// distance; the change itself stands for it then.
float travelLength(float change, float decay) {
  const float rest = 1.0f - decay;
  return rest > 0.0f ? change / rest : change;
}

}  // namespace

float BasicKick::needKick(float acceleration, const Body& body, const Ball& ball) {
  const float effectiveness = ball.getKickEffectiveness(body);
  if (!(effectiveness > 0.0f)) {
    return FLT_MAX;
  }
  return acceleration / effectiveness;
}

float BasicKick::directionOfMaxPowerKick(float direction, const Body& body, const Ball& ball,
                                         float power) {
  const float maxAccel = ball.getKickPowerRate() * power * ball.getKickEffectiveness(body);
  const Vector& vel = ball.getVel();
  const float across = vel.getX() * Degree::sin(direction) - vel.getY() * Degree::cos(direction);
  float s;
  if (maxAccel > 0.0f) {
    s = across / maxAccel;
  } else {
    s = across > 0.0f ? 1.0f : (across < 0.0f ? -1.0f : 0.0f);
  }
  // Beyond the kick's reach the arcsine has no value: kick straight across instead.
  if (s > 1.0f) {
    s = 1.0f;
  } else if (s < -1.0f) {
    s = -1.0f;
  }
  return Degree::normalizeAngle(Degree::arcSin(s) + direction);
}

void BasicKick::takeOver(BasicKick& inner) {
  possible = inner.possible;
  trajVec = inner.trajVec;
  command = inner.takeCommand();
}

KickToDirectionVelocity::KickToDirectionVelocity(float direction, float speed, const Ball& ball,
                                                 const Body& body, float extraPower)
    : direction(direction), speed(speed), ball(&ball), body(&body), extraPower(extraPower) {
  Vector wanted;
  wanted.setAsPolar(speed, direction);
  trajVec = wanted;
  Vector change = wanted - ball.getVel();
  change.rotate(-body.getBodyDir());
  const float length = change.getMagnitude();

  float power = 0.0f;
  possible = false;
  const float effectiveness = ball.getKickEffectiveness(body);
  const float powerRate = ball.getKickPowerRate();
  if (effectiveness > 0.0f && powerRate > 0.0f) {
    power = needKick(length, body, ball) / powerRate;
    possible = power <= NOMINAL_MAX_POWER + extraPower;
  }
  // A ball out of reach, or a change no finite power gives, gets a kick that changes
  // nothing, flagged not possible.
  if (!std::isfinite(power)) {
    power = 0.0f;
    possible = false;
  }
  kickVec.setAsPolar(power, change.getDirection());
  trajVec.setAsPolar(travelLength(length, ball.getDecay()), wanted.getDirection());
  command = std::make_unique<KickCommand>(kickVec.getMagnitude(),
                                          Degree::normalizeAngle(kickVec.getDirection()));
}

KickToPointVelocity::KickToPointVelocity(const Point& target, float speed, const Ball& ball,
                                         const Body& body, float extraPower)
    : target(target), speed(speed), ball(&ball), body(&body), extraPower(extraPower) {
  Vector toTarget;
  toTarget.setByPoints(ball.getPos(), target);
  KickToDirectionVelocity inner(toTarget.getDirection(), speed, ball, body, extraPower);
  takeOver(inner);
}

KickToPointArriveVelocity::KickToPointArriveVelocity(const Point& target, float endSpeed,
                                                     const Ball& ball, const Body& body,
                                                     float extraPower)
    : target(target), endSpeed(endSpeed), ball(&ball), body(&body), extraPower(extraPower) {
  Vector toTarget;
  toTarget.setByPoints(ball.getPos(), target);
  const float decay = ball.getDecay();
  // decay × (endSpeed - (1 - 1/decay) × D), multiplied out so a decay of 0 divides nothing.
  const float speed = decay * endSpeed + (1.0f - decay) * toTarget.getMagnitude();
  KickToDirectionVelocity inner(toTarget.getDirection(), speed, ball, body, extraPower);
  takeOver(inner);
}

KickToPointCycles::KickToPointCycles(const Point& target, float cycles, const Ball& ball,
                                     const Body& body, float extraPower)
    : target(target), cycles(cycles), ball(&ball), body(&body), extraPower(extraPower) {
  Vector toTarget;
  toTarget.setByPoints(ball.getPos(), target);
  const float distance = toTarget.getMagnitude();
  const float decay = ball.getDecay();
  const bool cyclesValid = cycles > 0.0f;
  float speed = distance;
  if (cyclesValid) {
    const double denominator =
        std::pow(static_cast<double>(decay), static_cast<double>(cycles)) - 1.0;
    // A ball that keeps its speed covers the distance in equal steps.
    speed = denominator != 0.0
                ? static_cast<float>(distance * (static_cast<double>(decay) - 1.0) / denominator)
                : distance / cycles;
  }
  KickToDirectionVelocity inner(toTarget.getDirection(), speed, ball, body, extraPower);
  takeOver(inner);
  if (!cyclesValid) {
    possible = false;
  }
}

namespace {

// The maximum-power kick along an absolute direction: cancel the ball's sideways motion
// and put the rest of the acceleration along the direction. Returns whether the
// sideways motion could be cancelled.
bool buildFastKick(float direction, const Ball& ball, const Body& body,
                   std::unique_ptr<Command>& command) {
  const float maxAccel =
      ball.getKickPowerRate() * body.getMaxPower() * ball.getKickEffectiveness(body);
  Vector vel = ball.getVel();
  vel.rotate(-direction);
  const float cross = -vel.getY();
  Vector accel;
  bool possible = false;
  if (maxAccel > 0.0f && std::fabs(cross) <= maxAccel) {
    possible = true;
    accel.setAsCartesian(std::sqrt(maxAccel * maxAccel - cross * cross), cross);
  } else if (maxAccel > 0.0f) {
    accel.setAsCartesian(0.0f, std::copysign(maxAccel, cross));
  } else {
    // Out of reach: no kick does anything; aim along the direction.
    accel.setAsCartesian(1.0f, 0.0f);
  }
  accel.rotate(direction);
  command = std::make_unique<KickCommand>(
      body.getMaxPower(), Degree::normalizeAngle(accel.getDirection() - body.getBodyDir()));
  return possible;
}

}  // namespace

FastKickToDir::FastKickToDir(float direction, const Ball& ball, const Body& body)
    : direction(direction), ball(&ball), body(&body) {
  possible = buildFastKick(direction, ball, body, command);
}

FastKickToPoint::FastKickToPoint(const Point& target, const Ball& ball, const Body& body)
    : target(target), ball(&ball), body(&body) {
  Vector toTarget;
  toTarget.setByPoints(body.getPos(), target);
  possible = buildFastKick(toTarget.getDirection(), ball, body, command);
}

StopBall::StopBall(const Ball& ball, const Body& body, float extraPower)
    : ball(&ball), body(&body), extraPower(extraPower) {
  const Vector& vel = ball.getVel();
  KickToDirectionVelocity inner(vel.getDirection(), vel.getMagnitude(), ball, body, extraPower);
  takeOver(inner);
}

}  // namespace tovren
