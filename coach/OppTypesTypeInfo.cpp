#include "coach/OppTypes.h"

#include "foundation/Config.h"

#include <cmath>

namespace tovren {

namespace {

// The server's noise on turns and dashes, plus a margin for the rounding of the view.
constexpr float TURN_NOISE_MARGIN = 0.02f;
constexpr float DASH_NOISE_MARGIN = 0.21f;
// More sideways acceleration than this (to the left) is not a dash the test can judge.
constexpr float DASH_SIDEWAYS_MAX = 0.2f;
// Below this share of the power the ball is out of a kick's reach.
constexpr float KICK_RATE_MIN = 0.5f;
// Widens the kick power range for the rounding of the view.
constexpr float KICK_POWER_MARGIN = 1.0145f;

bool within(float value, float low, float high) { return low <= value && value <= high; }

float param(const ConfigGroup& group, const char* key) { return group[key].asFloat(); }

}  // namespace

void TypeInfo::setByPlayerType(const ConfigGroup& playerType) {
  playerSpeedMax = param(playerType, "player_speed_max");
  staminaIncMax = param(playerType, "stamina_inc_max");
  playerDecay = param(playerType, "player_decay");
  inertiaMoment = param(playerType, "inertia_moment");
  dashPowerRate = param(playerType, "dash_power_rate");
  playerSize = param(playerType, "player_size");
  kickableMargin = param(playerType, "kickable_margin");
  kickRand = param(playerType, "kick_rand");
  extraStamina = param(playerType, "extra_stamina");
  effortMax = param(playerType, "effort_max");
  effortMin = param(playerType, "effort_min");
}

namespace {

// A command strength (a turn moment or a dash power) judged against the command's limits
// and the limits widened by a noise factor.
struct Strength {
  float value;
  float low;
  float high;
  float widen;

  bool isMax() const {
    return within(value, high / widen, high * widen) || within(value, low * widen, low / widen);
  }
  int isAble() const {
    if (within(value, low, high)) return 2;
    return within(value, low * widen, high * widen) ? 1 : 0;
  }
};

// A turn command turns by its moment divided by (1 + inertia moment x speed), so the
// moment behind the observed turn is the turn times that divisor.
Strength turnMoment(float inertiaMoment, const Vector& vel, float turn,
                    const ConfigGroup& serverParam) {
  return {turn * (1.0f + vel.getMagnitude() * inertiaMoment), param(serverParam, "minmoment"),
          param(serverParam, "maxmoment"),
          1.0f + param(serverParam, "player_rand") + TURN_NOISE_MARGIN};
}

// The acceleration of a dash in the body's frame (x along the body, y to its left),
// from velocity after = (velocity before + acceleration) x decay.
Vector dashAcceleration(const Vector& velAfter, const Vector& velBefore, float bodyDir,
                        float decay) {
  Vector accel = velAfter;
  accel /= decay;
  accel -= velBefore;
  accel.rotate(-bodyDir);
  return accel;
}

// The dash power behind the acceleration along the body; stamina effort is not counted.
Strength dashPower(float dashPowerRate, const Vector& accel, const ConfigGroup& serverParam) {
  return {accel.getX() / dashPowerRate, param(serverParam, "minpower"),
          param(serverParam, "maxpower"),
          1.0f + param(serverParam, "player_rand") + DASH_NOISE_MARGIN};
}

}  // namespace

bool TypeInfo::isMaxTurn(Vector vel, float turn, const ConfigGroup& serverParam) const {
  return turnMoment(inertiaMoment, vel, turn, serverParam).isMax();
}

int TypeInfo::isAbleToTurn(Vector vel, float turn, const ConfigGroup& serverParam) const {
  return turnMoment(inertiaMoment, vel, turn, serverParam).isAble();
}

bool TypeInfo::isMaxDash(Vector velAfter, Vector velBefore, float bodyDir,
                         const ConfigGroup& serverParam) const {
  if (velAfter.getMagnitude() > playerSpeedMax) return true;
  const Vector accel = dashAcceleration(velAfter, velBefore, bodyDir, playerDecay);
  if (accel.getY() > DASH_SIDEWAYS_MAX) return false;
  return dashPower(dashPowerRate, accel, serverParam).isMax();
}

int TypeInfo::isAbleToDash(Vector velAfter, Vector velBefore, float bodyDir,
                           const ConfigGroup& serverParam) const {
  if (velAfter.getMagnitude() > playerSpeedMax || velBefore.getMagnitude() > playerSpeedMax) {
    return 0;
  }
  const Vector accel = dashAcceleration(velAfter, velBefore, bodyDir, playerDecay);
  if (accel.getY() > DASH_SIDEWAYS_MAX) return 2;
  return dashPower(dashPowerRate, accel, serverParam).isAble();
}

int TypeInfo::isAbleToKick(Vector playerPos, Vector ballPos, float bodyDir, Vector kick, Side side,
                           const ConfigGroup& serverParam) const {
  Vector relative = ballPos - playerPos;
  relative.rotate(-bodyDir);
  const float dist = relative.getMagnitude() - playerSize - param(serverParam, "ball_size");
  // The share of a kick's power that reaches the ball from where it lay.
  const float rate =
      1.0f - 0.25f * dist / kickableMargin - 0.25f * std::fabs(relative.getDirection()) / 180.0f;
  if (rate < KICK_RATE_MIN) return 0;

  const float kickPowerRate = param(serverParam, "kick_power_rate");
  const float maxPower = param(serverParam, "maxpower");
  const float minPower = param(serverParam, "minpower");
  if (within(kick.getMagnitude() / rate / kickPowerRate, minPower, maxPower)) return 2;

  // Take off the largest noise the server may have added: both components at the noise.
  const float noise =
      kickRand * param(serverParam, side == SI_LEFT ? "kick_rand_factor_r" : "kick_rand_factor_l");
  const float length = kick.getMagnitude();
  float factor = length > 0.0f ? (length - std::sqrt(2.0f) * noise) / length : 1.0f;
  if (factor < 0.0f) factor = 1.0f;
  kick *= factor;
  const float power = kick.getMagnitude() / rate / kickPowerRate;
  return within(power, KICK_POWER_MARGIN * minPower, KICK_POWER_MARGIN * maxPower) ? 1 : 0;
}

}  // namespace tovren
