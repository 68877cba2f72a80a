#include "actions/basic/BasicDash.h"

#include "actions/basic/BasicTurn.h"
#include "connection/Command.h"
#include "geometry/Degree.h"
#include "geometry/Line.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace tovren {

namespace {

// Dash cone and turn margin of the exact go-to, degrees.
constexpr float EXACT_DASH_CONE = 20.0f;
constexpr float EXACT_TURN_MARGIN = 10.0f;
// The moment whose turn tells how far one turn gets the body; clamped to the server's range.
constexpr float REFERENCE_TURN_MOMENT = 179.0f;
// Below these stamina levels a dash costs no more than one cycle's recovery (forward) or
// half of it (backward, which costs double).
constexpr float FORWARD_STAMINA_GUARD = 1350.0f;
constexpr float BACKWARD_STAMINA_GUARD = 1400.0f;
// The body counts as at rest below this speed when it coasts.
constexpr float COASTING_STOP_SPEED = 0.01f;
// Coasting ends by the player's decay; this cap holds should the decay not be below 1.
constexpr int MAX_COASTING_CYCLES = 200;
// The power steps of the precise search: 0 to 100 in steps of 5.
constexpr int PRECISE_POWER_STEPS = 20;
constexpr float PRECISE_POWER_STEP = 5.0f;
constexpr float PRECISE_START_DISTANCE = 1000.0f;
// The stamina ladder of the normal go-to.
constexpr float NORMAL_FULL_POWER = 100.0f;
constexpr float NORMAL_STAMINA_HIGH = 2500.0f;
constexpr float NORMAL_POWER_HIGH = 80.0f;
constexpr float NORMAL_STAMINA_MIDDLE = 2000.0f;
constexpr float NORMAL_POWER_MIDDLE = 60.0f;
constexpr float NORMAL_STAMINA_LOW = 1500.0f;
// The normal go-to dashes when the heading is off by at most this much (degrees).
constexpr float NORMAL_DASH_CONE = 6.0f;
constexpr float NORMAL_MIN_TOLERANCE = 0.0001f;
// The set-play approach: the point behind the ball keeps this gap beyond the two sizes and
// the distance asked for; the ball blocks the way when it lies within the sizes plus
// this margin of the line to that point; the way round keeps this much more room.
constexpr float FREE_KICK_BEHIND_GAP = 0.1f;
constexpr float FREE_KICK_BLOCK_MARGIN = 0.01f;
constexpr float FREE_KICK_DETOUR_GAP = 2.0f;
constexpr float FREE_KICK_TOLERANCE = 0.2f;
// The dribble catch-up: the reach keeps this safety factor on the kickable distance, and
// the look-ahead gives up after this many cycles.
constexpr float DRIBBLE_REACH_FACTOR = 1.1f;
constexpr int DRIBBLE_MAX_CYCLES = 30;
// Full dashes only this far above the stamina level at which recovery or effort fall.
constexpr float DRIBBLE_STAMINA_RESERVE = 150.0f;
constexpr float DRIBBLE_FULL_POWER = 100.0f;

void applyStaminaGuard(const Body& body, bool backward, float& power) {
  const float incMax = body.getStaminaIncMax();
  if (!backward) {
    if (power > incMax && body.getStamina() < FORWARD_STAMINA_GUARD) {
      power = incMax;
    }
  } else if (std::fabs(power) > 0.5f * incMax && body.getStamina() < BACKWARD_STAMINA_GUARD) {
    power = -0.5f * incMax;
  }
}

using PowerSetter = void (*)(const Body&, Point, float, float&);

// The shared road of the exact and the precise go-to: arrived, dash forward, dash
// backward, or turn by the error that one turn covers better.
void gotoByDashOrTurn(Point target, float distTolerance, const Body& body, bool canBackward,
                      float dashCone, float turnMargin, PowerSetter setPower,
                      std::unique_ptr<Command>& command, int& mode) {
  command.reset();
  mode = GOTO_MODE_ARRIVED;
  const Point position = body.getPos();
  if (position.getDistance(target) < distTolerance) {
    return;
  }
  Vector toTarget;
  toTarget.setByPoints(position, target);
  const float forwardError = Degree::normalizeAngle(toTarget.getDirection() - body.getBodyDir());
  const float backwardError = Degree::normalizeAngle(
      toTarget.getDirection() - Degree::normalizeAngle(body.getBodyDir() - 180.0f));
  float power = 0.0f;
  if (std::fabs(forwardError) < dashCone) {
    setPower(body, target, 100.0f, power);
    command = std::make_unique<DashCommand>(power);
    mode = GOTO_MODE_DASH;
    return;
  }
  if (canBackward && std::fabs(backwardError) < dashCone) {
    setPower(body, target, -100.0f, power);
    command = std::make_unique<DashCommand>(power);
    mode = GOTO_MODE_DASH;
    return;
  }
  const float oneTurn =
      BasicTurn::getTurnAngle(BasicTurn::clampMoment(REFERENCE_TURN_MOMENT, body), body);
  const bool turnBackward = canBackward && std::fabs(forwardError) - oneTurn >= turnMargin &&
                            std::fabs(backwardError) - oneTurn < turnMargin;
  TurnAngle turn(turnBackward ? backwardError : forwardError, body, 0.0f);
  command = turn.takeCommand();
  mode = GOTO_MODE_TURN;
}

}  // namespace

ExactGotoPoint::ExactGotoPoint(Point target, float distTolerance, const Body& body,
                               bool canBackward) {
  gotoByDashOrTurn(target, distTolerance, body, canBackward, EXACT_DASH_CONE, EXACT_TURN_MARGIN,
                   &ExactGotoPoint::setDashPower, command, mode);
}

void ExactGotoPoint::setDashPower(const Body& body, Point target, float direction, float& power) {
  Body copy = body;
  for (int cycle = 0;
       cycle < MAX_COASTING_CYCLES && copy.getVel().getMagnitude() > COASTING_STOP_SPEED; ++cycle) {
    copy.simulateByDynamics(false);
  }
  const float distance = Point(copy.getPos()).getDistance(target);
  const bool backward = direction < 0.0f;
  const CommandLimits& limits = body.getCommandLimits();
  // A backward dash that goes out by its direction accelerates by the back dash rate.
  const float backRate = backward && limits.isBackDashByDirection() ? limits.backDashRate : 1.0f;
  const float rate = body.getDashPowerRate() * body.getEffort() * backRate;
  if (rate > 0.0f) {
    power =
        distance * (1.0f - body.getDecay()) / body.getDashPowerRate() / body.getEffort() / backRate;
    if (backward) {
      power = -power;
    }
  } else {
    // A dash that accelerates nothing needs, in the limit, all the power there is.
    power = backward ? body.getMinPower() : body.getMaxPower();
  }
  if (!backward && power > body.getMaxPower()) {
    power = body.getMaxPower();
  }
  if (backward && power < body.getMinPower()) {
    power = body.getMinPower();
  }
  applyStaminaGuard(body, backward, power);
}

PreciseGotoPoint::PreciseGotoPoint(Point target, float distTolerance, const Body& body,
                                   bool canBackward, float angleTolerance) {
  gotoByDashOrTurn(target, distTolerance, body, canBackward, angleTolerance, 0.5f * angleTolerance,
                   &PreciseGotoPoint::setDashPower, command, mode);
}

void PreciseGotoPoint::setDashPower(const Body& body, Point target, float direction, float& power) {
  const bool backward = direction < 0.0f;
  const float sign = backward ? -1.0f : 1.0f;
  float bestPower = 0.0f;
  float bestDistance = PRECISE_START_DISTANCE;
  for (int step = 0; step <= PRECISE_POWER_STEPS; ++step) {
    const float candidate = sign * PRECISE_POWER_STEP * static_cast<float>(step);
    Body copy = body;
    const DashCommand dash(candidate);
    copy.simulateByAction(&dash, false);
    copy.simulateByDynamics(false);
    const float distance = Point(copy.getPos()).getDistance(target);
    if (distance < bestDistance) {
      bestDistance = distance;
      bestPower = candidate;
    }
  }
  power = bestPower;
  applyStaminaGuard(body, backward, power);
}

DashNormalGotoPoint::DashNormalGotoPoint(const Point& target, float distTolerance, const Body& body,
                                         float maxPower) {
  build(target, distTolerance, body, maxPower, nullptr);
}

DashNormalGotoPoint::DashNormalGotoPoint(const Point& target, float distTolerance, const Body& body,
                                         float maxPower, float finalBodyDir) {
  build(target, distTolerance, body, maxPower, &finalBodyDir);
}

void DashNormalGotoPoint::build(const Point& target, float distTolerance, const Body& body,
                                float maxPower, const float* finalBodyDir) {
  const float tolerance =
      distTolerance > NORMAL_MIN_TOLERANCE ? distTolerance : NORMAL_MIN_TOLERANCE;
  Vector toTarget;
  toTarget.setByPoints(body.getPos(), target);
  const float distance = toTarget.getMagnitude();
  const float delta = Degree::getDeltaAngle(toTarget.getDirection(), body.getBodyDir());
  const float cone = Degree::arcTan2(tolerance, distance);

  float power = NORMAL_FULL_POWER;
  const float stamina = body.getStamina();
  if (stamina < NORMAL_STAMINA_HIGH) {
    power = NORMAL_POWER_HIGH;
  }
  if (stamina < NORMAL_STAMINA_MIDDLE) {
    power = NORMAL_POWER_MIDDLE;
  }
  if (stamina < NORMAL_STAMINA_LOW) {
    power = body.getStaminaIncMax();
  }
  if (maxPower < power) {
    power = maxPower;
  }

  const bool aligned = std::fabs(delta) <= NORMAL_DASH_CONE || std::fabs(delta) <= cone;
  const bool arrived = distance <= tolerance;
  // Arrival is reported whatever command is built: callers that hand the command on
  // still have one, callers that test for arrival drop it.
  mode = arrived ? GOTO_MODE_ARRIVED : GOTO_MODE_TURN;
  if (aligned && !arrived) {
    command = std::make_unique<DashCommand>(power);
    mode = GOTO_MODE_DASH;
  } else if (aligned && finalBodyDir != nullptr) {
    TurnToAngle turn(*finalBodyDir, body, 0.0f);
    command = turn.takeCommand();
  } else {
    TurnToPoint turn(target, body, 0.0f);
    command = turn.takeCommand();
  }
  if (finalBodyDir != nullptr && maxPower == 0.0f) {
    TurnToAngle turn(*finalBodyDir, body, 0.0f);
    command = turn.takeCommand();
  }
}

FreeKickGotoPoint::FreeKickGotoPoint(const Point& ballPos, float kickDir, float behindDist,
                                     const Body& body) {
  const float behindLength = body.getSize() + behindDist + FREE_KICK_BEHIND_GAP;
  const float behindDir = kickDir + 180.0f;
  Vector behindOffset;
  behindOffset.setAsPolar(behindLength, behindDir);
  const Point behindPoint = Point(Vector(ballPos) + behindOffset);

  const Point position = body.getPos();
  Vector toBall;
  toBall.setByPoints(position, ballPos);
  Vector toBehind;
  toBehind.setByPoints(position, behindPoint);
  Line way;
  way.setByPoints(position, behindPoint);
  const bool blocked =
      way.getPointDist(ballPos) < body.getSize() + behindDist + FREE_KICK_BLOCK_MARGIN &&
      toBehind.getMagnitude() > behindLength && toBall.getMagnitude() < toBehind.getMagnitude();

  Point target = behindPoint;
  if (blocked) {
    // Halfway round the ball, from the body's side towards the side behind it.
    const float alpha = Degree::absoluteAngle(behindDir);
    const float beta = Degree::absoluteAngle(toBall.getDirection() + 180.0f);
    const float delta = Degree::normalizeAngle(alpha - beta);
    Vector detourOffset;
    detourOffset.setAsPolar(body.getSize() + behindDist + FREE_KICK_DETOUR_GAP,
                            toBall.getDirection() + 180.0f + 0.5f * delta);
    target = Point(Vector(ballPos) + detourOffset);
  }

  ExactGotoPoint inner(target, FREE_KICK_TOLERANCE, body, false);
  command = inner.takeCommand();
  status =
      !blocked && inner.getMode() == GOTO_MODE_ARRIVED ? GOTO_STATUS_ARRIVED : GOTO_STATUS_MOVING;
}

DashDribbleGotoBall::DashDribbleGotoBall(const Ball& ball, const Body& body) {
  Ball ballCopy = ball;
  Body bodyCopy = body;
  const float reach =
      DRIBBLE_REACH_FACTOR * (body.getKickableMargin() + body.getSize() + ball.getSize());
  const float staminaThreshold =
      body.getStaminaMax() * std::max(body.getRecoverDecThr(), body.getEffortDecThr()) +
      DRIBBLE_STAMINA_RESERVE;
  const float power =
      body.getStamina() < staminaThreshold ? body.getStaminaIncMax() : DRIBBLE_FULL_POWER;
  auto dash = std::make_unique<DashCommand>(power);
  for (int cycle = 0; cycle < DRIBBLE_MAX_CYCLES && ballCopy.getDistance(bodyCopy) >= reach;
       ++cycle) {
    bodyCopy.simulateByAction(dash.get(), false);
    bodyCopy.simulateByDynamics(false);
    ballCopy.simulateByDynamics(bodyCopy, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  }
  if (ballCopy.getDistance(bodyCopy) < reach) {
    command = std::move(dash);
  }
}

}  // namespace tovren
