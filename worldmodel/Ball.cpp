#include "worldmodel/Ball.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/PossiblePoints.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// Sightings closer than this give a velocity from two consecutive positions.
constexpr float CLOSE_SIGHTING_DIST = 7.5f;
// A ball not seen for more than this many cycles may have been taken by anyone: it is
// kept where it was last placed.
constexpr unsigned int UNSEEN_HELD_CYCLES = 5;
// Growth per cycle of the deviations (metres, metres per cycle) of a ball that moves
// unwatched or at another player's feet: it may be kicked at any moment, so it is taken
// to spread at half the ball's top speed.
constexpr float UNWATCHED_POS_DEVIATION_STEP = 1.5f;
constexpr float UNWATCHED_VEL_DEVIATION_STEP = 0.03f;
// A ball free or at the agent's feet only drifts: its position grows uncertain with its
// speed, by a floor at least; what a see will show of it, less so.
constexpr float TRACKED_POS_DEVIATION_RATE = 0.3f;
constexpr float TRACKED_POS_DEVIATION_MIN = 0.3f;
constexpr float TRACKED_SEE_DEVIATION_RATE = 0.5f;
constexpr float TRACKED_SEE_DEVIATION_STEP = 0.1f;
constexpr float TRACKED_VEL_DEVIATION_STEP = 0.01f;
// Overlap mode: how deep inside the body (metres) the ball must be, so that a ball the
// sizes only graze is left to roll.
constexpr float OVERLAP_COLLISION_DEPTH = 0.075f;
// Sensed mode: when the body felt a collision, a ball this much beyond touching (metres)
// is still the one it met; the see places the ball only to about that.
constexpr float SENSED_COLLISION_REACH = 0.2f;
// A ball that meets the body bounces back with this share of its velocity, as the
// server's collision does.
constexpr float COLLISION_BOUNCE = -0.1f;

void capDeviation(float& deviation, float cap) {
  if (deviation > cap) deviation = cap;
}

void capSpeed(Vector& vel, float speedMax) {
  if (vel.getMagnitude() > speedMax) vel.setAsPolar(speedMax, vel.getDirection());
}

}  // namespace

Ball::Ball() {
  // The server's defaults until server_param arrives.
  accelMax = 2.7f;
  decay = 0.94f;
  rand = 0.05f;
  size = 0.085f;
  speedMax = 3.0f;
}

void Ball::setServerParamVars(const ConfigGroup& serverParam) {
  Object::setServerParamVars(serverParam);
  accelMax = serverParam["ball_accel_max"].asFloat();
  decay = serverParam["ball_decay"].asFloat();
  rand = serverParam["ball_rand"].asFloat();
  size = serverParam["ball_size"].asFloat();
  speedMax = serverParam["ball_speed_max"].asFloat();
  kickPowerRate = serverParam["kick_power_rate"].asFloat();
  kickRandFactorL = serverParam["kick_rand_factor_l"].asFloat();
  kickRandFactorR = serverParam["kick_rand_factor_r"].asFloat();
  stoppedBallVel = serverParam["stopped_ball_vel"].asFloat();
}

bool Ball::parseFullState(const SExpression& entry, unsigned int time) {
  float x = 0.0f;
  float y = 0.0f;
  float velX = 0.0f;
  float velY = 0.0f;
  if (!MessageFields::readFloat(entry, 1, x) || !MessageFields::readFloat(entry, 2, y) ||
      !MessageFields::readFloat(entry, 3, velX) || !MessageFields::readFloat(entry, 4, velY))
    return false;
  seeDistChange = NOT_MEASURED;
  seeDirection = -NOT_MEASURED;
  seeDirChange = -NOT_MEASURED;
  pos.setAsCartesian(x, -y);
  vel.setAsCartesian(velX, -velY);
  posDeviation = 0.0f;
  validPosDeviation = 0.0f;
  seeTime = time;
  return true;
}

void Ball::update(const Body& body) {
  // A distance without a direction cannot place the ball.
  if (seeDirection == NOT_MEASURED) {
    virtualUpdate(body);
    return;
  }
  pos = possiblePoints.calculateBallPosition(*this, body, posDeviation, quantizeStep);
  seePosDeviation = posDeviation;
  validPosDeviation = posDeviation;
  updateRelativeVecs(body);
  absoluteUpdate = false;

  if (seeDistChange != NOT_MEASURED && headVec.getMagnitude() > 0.0f) {
    vel.setByDistDirChange(headVec, seeDistChange, seeDirChange);
    vel.rotate(body.getHeadDir());
    vel += body.getVel();
  }
  executeABVR(body);
}

void Ball::virtualUpdate(const Body& body) {
  if (!absoluteUpdate) {
    pos = body.getPos() + absVec;
  } else {
    updateRelativeVecs(body);
  }
}

void Ball::updateByHear(float x, float y, float velMagnitude, float velDirection,
                        const Body& body) {
  pos.setAsCartesian(x, y);
  vel.setAsPolar(velMagnitude, velDirection);
  posDeviation = 0.0f;
  validPosDeviation = 0.0f;
  velDeviation = 0.0f;
  absoluteUpdate = true;
  updateRelativeVecs(body);
}

void Ball::executeABVR(const Body& body) {
  // lastAbsSeeTime 0 means no earlier close sighting: a first sighting has nothing to
  // difference against.
  if (seeDistChange == NOT_MEASURED && absVec.getMagnitude() < CLOSE_SIGHTING_DIST && !collision &&
      body.getCollisionStatus() != TA_YES && lastAbsSeeTime != 0 && lastAbsSeeTime == seeTime - 1 &&
      body.getDecay() > 0.0f) {
    Vector bodyMove = body.getVel();
    bodyMove /= body.getDecay();
    vel = ((absVec - lastAbsVec) + bodyMove) * decay;
    velSeeTime = seeTime;
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) log << "ABVR: executed for the ball." << std::endl;
  }
  if (absVec.getMagnitude() >= CLOSE_SIGHTING_DIST) {
    lastAbsSeeTime = 0;
  } else {
    lastAbsVec = absVec;
    lastAbsSeeTime = seeTime;
  }
}

float Ball::getKickEffectiveness(const Body& body) const {
  const float margin = body.getKickableMargin();
  if (!(margin > 0.0f)) return 0.0f;
  const float gap = bodyVec.getMagnitude() - body.getSize() - size;
  return 1.0f - 0.25f * gap / margin - 0.25f * std::abs(bodyVec.getDirection()) / 180.0f;
}

void Ball::simulateByAction(const Body& body, const Command* command, bool carry) {
  if (command == nullptr) return;
  switch (command->getKind()) {
    case CK_KICK: {
      const auto& kick = static_cast<const KickCommand&>(*command);
      float direction = kick.getDirection();
      TOVREN_CHECK(direction >= body.getMinMoment() && direction <= body.getMaxMoment());
      float power = std::min(kick.getPower(), body.getMaxPower());
      Vector accel;
      accel.setAsPolar(power * kickPowerRate * getKickEffectiveness(body),
                       body.getBodyDir() + direction);
      if (accel.getMagnitude() > accelMax) accel.setAsPolar(accelMax, accel.getDirection());
      vel += accel;
      capSpeed(vel, speedMax);
      break;
    }
    case CK_MOVE: {
      if (!carry) break;
      const auto& move = static_cast<const MoveCommand&>(*command);
      pos.setAsCartesian(move.getX() + absVec.getX(), move.getY() + absVec.getY());
      vel.setAsCartesian(0.0f, 0.0f);
      break;
    }
    default:
      break;
  }
}

void Ball::simulateByDynamics(const Body& body, BallCollisionMode collisionMode,
                              BallStatus ballStatus, unsigned int time) {
  enum Case { PLAIN, HELD, TRACKED, NONE };
  Case motion = PLAIN;
  if (time == LOOK_AHEAD_TIME) {
    motion = PLAIN;
  } else if (time - seeTime > UNSEEN_HELD_CYCLES) {
    motion = HELD;
  } else if (ballStatus == BS_NONE) {
    motion = PLAIN;
  } else if (ballStatus == BS_KICKABLE_TMM || ballStatus == BS_KICKABLE_OPP ||
             ballStatus == BS_KICKABLE_TMM_OPP) {
    motion = HELD;
  } else if (ballStatus <= BS_FREE_BALL_BODY_OPP) {
    motion = TRACKED;
  } else {
    motion = NONE;
  }

  switch (motion) {
    case PLAIN:
    case HELD:
      if (motion == PLAIN) pos += vel;
      vel *= decay;
      posDeviation += UNWATCHED_POS_DEVIATION_STEP;
      validPosDeviation += UNWATCHED_POS_DEVIATION_STEP;
      seePosDeviation += UNWATCHED_POS_DEVIATION_STEP;
      velDeviation += UNWATCHED_VEL_DEVIATION_STEP;
      break;
    case TRACKED: {
      pos += vel;
      vel *= decay;
      float speed = vel.getMagnitude();
      float growth = std::max(TRACKED_POS_DEVIATION_RATE * speed, TRACKED_POS_DEVIATION_MIN);
      posDeviation += growth;
      validPosDeviation += growth;
      seePosDeviation += TRACKED_SEE_DEVIATION_RATE * speed + TRACKED_SEE_DEVIATION_STEP;
      velDeviation += TRACKED_VEL_DEVIATION_STEP;
      break;
    }
    case NONE:
      break;
  }

  capDeviation(posDeviation, MAX_POS_DEVIATION);
  capDeviation(validPosDeviation, MAX_POS_DEVIATION);
  capDeviation(seePosDeviation, MAX_POS_DEVIATION);
  capDeviation(velDeviation, MAX_VEL_DEVIATION);
  updateRelativeVecs(body);

  float d = absVec.getMagnitude();
  float s = body.getSize() + size;
  bool hit = false;
  switch (collisionMode) {
    case BCM_OVERLAP:
      hit = d <= s - OVERLAP_COLLISION_DEPTH;
      break;
    case BCM_SENSED:
      hit = (body.getCollisionStatus() == TA_YES && d <= s + SENSED_COLLISION_REACH) ||
            (body.getCollisionStatus() == TA_DONT_KNOW && d <= s);
      break;
    case BCM_NONE:
      break;
  }
  if (!hit) {
    collision = false;
    return;
  }
  collision = true;
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "*** Ball Collision ***" << std::endl;
  Vector back;
  back.setAsPolar(s - d, vel.getDirection());
  pos -= back;
  vel *= COLLISION_BOUNCE;
  updateRelativeVecs(body);
}

}  // namespace tovren
