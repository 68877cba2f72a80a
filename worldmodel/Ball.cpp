#include "worldmodel/Ball.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Body.h"
#include "worldmodel/PossiblePoints.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// Sightings closer than this give a velocity from two consecutive positions.
constexpr float CLOSE_SIGHTING_DIST = 7.5f;

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
  if (!readNumber(entry, 1, x) || !readNumber(entry, 2, y) || !readNumber(entry, 3, velX) ||
      !readNumber(entry, 4, velY))
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

void Ball::simulateByDynamics(const Body& body, unsigned int collisionMode, BallStatus ballStatus,
                              unsigned int time) {
  enum Case { PLAIN, HELD, TRACKED, NONE };
  Case motion = PLAIN;
  if (time == LOOK_AHEAD_TIME) {
    motion = PLAIN;
  } else if (time - seeTime > 5) {
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
      posDeviation += 1.5f;
      validPosDeviation += 1.5f;
      seePosDeviation += 1.5f;
      velDeviation += 0.03f;
      break;
    case TRACKED: {
      pos += vel;
      vel *= decay;
      float speed = vel.getMagnitude();
      float growth = std::max(0.3f * speed, 0.3f);
      posDeviation += growth;
      validPosDeviation += growth;
      seePosDeviation += 0.5f * speed + 0.1f;
      velDeviation += 0.01f;
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
  if (collisionMode == 1) {
    hit = d <= s - 0.075f;
  } else if (collisionMode == 2) {
    hit = (body.getCollisionStatus() == TA_YES && d <= s + 0.2f) ||
          (body.getCollisionStatus() == TA_DONT_KNOW && d <= s);
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
  vel *= -0.1f;
  updateRelativeVecs(body);
}

}  // namespace tovren
