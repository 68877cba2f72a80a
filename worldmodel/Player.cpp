#include "worldmodel/Player.h"

#include "foundation/Basics.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "geometry/Degree.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/PossiblePoints.h"

#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// Sightings closer than this give a velocity from two consecutive positions.
constexpr float CLOSE_SIGHTING_DIST = 7.5f;
// An acceleration above this between two sightings shows where the body faces.
constexpr float MIN_DASH_ACCEL = 0.15f;
// A seen player faster than this is assumed to keep dashing for two cycles.
constexpr float MIN_DASH_SPEED = 0.2f;
constexpr unsigned int ASSUMED_DASH_CYCLES = 2;
constexpr float ASSUMED_DASH_ACCEL = 0.6f;
// The pointing arm encodes stamina: 0..270 degrees onto 1000..the mode's maximum.
constexpr float POINTED_STAMINA_MIN = 1000.0f;
constexpr float POINTED_STAMINA_MAX_PLAY_ON = 2500.0f;
constexpr float POINTED_STAMINA_MAX_OTHERWISE = 3850.0f;
// Beyond these the server no longer tells the number, or the team, of a player.
constexpr float FULL_IDENTIFY_DIST = 20.0f;
constexpr float HALF_IDENTIFY_DIST = 40.0f;
constexpr float QUARTER_IDENTIFY_DIST = 65535.0f;
// A player is taken to lie within this share of his position deviation from where he is
// believed to be when judging whether the agent would see him.
constexpr float SEEN_DEVIATION_SHARE = 0.75f;
// Growth per cycle of the deviations of a player the model moves on its own: his position
// by about a player's top speed (metres), his velocity a little.
constexpr float UNSEEN_POS_DEVIATION_STEP = 1.0f;
constexpr float UNSEEN_VEL_DEVIATION_STEP = 0.02f;

const unsigned int POST_OF_UNIFORM[12] = {0, 1, 11, 9, 10, 8, 5, 4, 3, 2, 6, 7};

void capDeviation(float& deviation, float cap) {
  if (deviation > cap) deviation = cap;
}

}  // namespace

Player::Player(PlayerModel model) : model(model) {
  // The server's defaults until server_param arrives.
  accelMax = 1.0f;
  decay = 0.4f;
  rand = 0.1f;
  size = 0.3f;
  speedMax = 1.05f;
}

void Player::setServerParamVars(const ConfigGroup& serverParam) {
  Object::setServerParamVars(serverParam);
  accelMax = serverParam["player_accel_max"].asFloat();
  decay = serverParam["player_decay"].asFloat();
  rand = serverParam["player_rand"].asFloat();
  size = serverParam["player_size"].asFloat();
  speedMax = serverParam["player_speed_max"].asFloat();
  staminaMax = serverParam["stamina_max"].asFloat();
  effortDecThr = serverParam["effort_dec_thr"].asFloat();
  recoverDecThr = serverParam["recover_dec_thr"].asFloat();
  maxNeckAng = serverParam["maxneckang"].asFloat();
  minNeckAng = serverParam["minneckang"].asFloat();
  maxNeckMoment = serverParam["maxneckmoment"].asFloat();
  minNeckMoment = serverParam["minneckmoment"].asFloat();
  catchableAreaL = serverParam["catchable_area_l"].asFloat();
  catchableAreaW = serverParam["catchable_area_w"].asFloat();
}

void Player::setType(int id, const ConfigGroup& typeGroup) {
  type = static_cast<unsigned int>(id);
  staminaIncMax = typeGroup["stamina_inc_max"].asFloat();
  inertiaMoment = typeGroup["inertia_moment"].asFloat();
  dashPowerRate = typeGroup["dash_power_rate"].asFloat();
  kickableMargin = typeGroup["kickable_margin"].asFloat();
  kickRand = typeGroup["kick_rand"].asFloat();
  extraStamina = typeGroup["extra_stamina"].asFloat();
  effortMax = typeGroup["effort_max"].asFloat();
  effortMin = typeGroup["effort_min"].asFloat();
  speedMax = typeGroup["player_speed_max"].asFloat();
  decay = typeGroup["player_decay"].asFloat();
  size = typeGroup["player_size"].asFloat();
}

unsigned int Player::uniNumToPostNum(unsigned int uniNum) {
  if (uniNum < 2 || uniNum > 11) return uniNum;
  return POST_OF_UNIFORM[uniNum];
}

unsigned int Player::postNumToUniNum(unsigned int postNum) {
  if (postNum < 2 || postNum > 11) return postNum;
  for (unsigned int uniNum = 2; uniNum <= 11; ++uniNum)
    if (POST_OF_UNIFORM[uniNum] == postNum) return uniNum;
  return postNum;
}

bool Player::isBody() const { return dynamic_cast<const Body*>(this) != nullptr; }

bool Player::parse(TeamId teamId, unsigned int uniNum, bool goalie, const SExpression& entry,
                   unsigned int time) {
  unsigned int count = entry.size();
  bool endsInT = count > 0 && MessageFields::isAtom(entry, count - 1, "t");
  unsigned int n = endsInT ? count - 1 : count;

  // The player's own numbers are checked before the common reading writes anything.
  float bodyDirection = -NOT_MEASURED;
  float headDirection = -NOT_MEASURED;
  float pointing = -NOT_MEASURED;
  if (n > 6 && (!MessageFields::readFloat(entry, 5, bodyDirection) ||
                !MessageFields::readFloat(entry, 6, headDirection)))
    return false;
  // An even count carries a pointing direction, except a lone distance, which has none.
  bool hasPointing = n % 2 == 0 && n > 2;
  if (hasPointing && !MessageFields::readFloat(entry, n - 1, pointing)) return false;

  if (!Object::parse(entry, time)) return false;

  tackling = false;
  this->goalie = goalie;
  setUniNum(uniNum);
  this->teamId = teamId;
  model = teamId == TID_UNKNOWN ? PLM_QUARTER : (uniNum == 0 ? PLM_HALF : PLM_FULL);
  relativeBodyDir = -bodyDirection;
  relativeHeadDir = -headDirection;
  relativePointingDir = -pointing;
  if (model != PLM_QUARTER && endsInT) tackling = true;
  return true;
}

bool Player::parseFullState(TeamId teamId, unsigned int uniNum, bool goalie,
                            const SExpression& entry, unsigned int time) {
  float numbers[7] = {};
  for (unsigned int i = 1; i <= 6; ++i)
    if (!MessageFields::readFloat(entry, i, numbers[i])) return false;
  bool tackle = false;
  float pointing = 0.0f;
  if (entry.size() > 7) {
    if (MessageFields::isAtom(entry, 7, "t")) {
      tackle = true;
    } else if (MessageFields::readFloat(entry, 7, pointing)) {
      pointing = -pointing;
    } else {
      return false;
    }
  }
  if (entry.size() > 8 && MessageFields::isAtom(entry, 8, "t")) tackle = true;

  seeDistChange = NOT_MEASURED;
  seeDirection = -NOT_MEASURED;
  seeDirChange = -NOT_MEASURED;
  this->teamId = teamId;
  this->uniNum = uniNum;
  pos.setAsCartesian(numbers[1], -numbers[2]);
  vel.setAsCartesian(numbers[3], -numbers[4]);
  bodyDir = -numbers[5];
  headDir = -numbers[6];
  tackling = tackle;
  pointingDir = pointing;
  this->goalie = goalie;
  posDeviation = 0.0f;
  validPosDeviation = 0.0f;
  model = PLM_FULL;
  seeTime = time;
  return true;
}

void Player::update(const Body& body, PlayMode playMode) {
  // A distance without a direction cannot place the player.
  if (seeDirection == NOT_MEASURED) {
    virtualUpdate(body);
    return;
  }
  pos = possiblePoints.calculatePlayerPosition(*this, body, posDeviation, quantizeStep);
  validPosDeviation = posDeviation;
  updateRelativeVecs(body);

  if (relativeBodyDir != NOT_MEASURED) {
    bodyDir = Degree::normalizeAngle(relativeBodyDir + body.getHeadDir());
    headDir = Degree::normalizeAngle(relativeHeadDir + body.getHeadDir());
  }
  if (seeDistChange != NOT_MEASURED && headVec.getMagnitude() > 0.0f) {
    vel.setByDistDirChange(headVec, seeDistChange, seeDirChange);
    vel.rotate(body.getHeadDir());
    vel += body.getVel();
  }
  if (relativePointingDir == NOT_MEASURED) {
    pointingDir = NOT_MEASURED;
    stamina = staminaMax;
  } else {
    pointingDir = Degree::normalizeAngle(relativePointingDir + body.getHeadDir());
    float maxStamina =
        playMode == PM_PLAY_ON ? POINTED_STAMINA_MAX_PLAY_ON : POINTED_STAMINA_MAX_OTHERWISE;
    stamina = Basics::reRate(Degree::absoluteAngle(pointingDir), 0.0f, 270.0f, POINTED_STAMINA_MIN,
                             maxStamina, RRM_DIRECT);
  }
  executeAPVR(body);
  executeAPDR(body);
  if (seeTime == velSeeTime && vel.getMagnitude() > MIN_DASH_SPEED) {
    logPlayerLine("APMR: started for player ");
    dashExpires = ASSUMED_DASH_CYCLES;
  }
}

void Player::virtualUpdate(const Body& body) { pos = body.getPos() + absVec; }

void Player::setByAnotherPlayer(const Player& other, const Body& body) {
  posDeviation = other.posDeviation;
  validPosDeviation = other.validPosDeviation;
  velDeviation = other.velDeviation;
  seeDistance = other.seeDistance;
  seeDirection = other.seeDirection;
  seeDistChange = other.seeDistChange;
  seeDirChange = other.seeDirChange;
  seeTime = other.seeTime;
  velSeeTime = other.velSeeTime;
  pos = other.pos;
  vel = other.vel;
  absVec = other.absVec;
  bodyVec = other.bodyVec;
  headVec = other.headVec;
  bodyDir = other.bodyDir;
  headDir = other.headDir;
  pointingDir = other.pointingDir;
  relativeBodyDir = other.relativeBodyDir;
  relativeHeadDir = other.relativeHeadDir;
  relativePointingDir = other.relativePointingDir;
  tackling = other.tackling;
  stamina = other.stamina;
  dashExpires = other.dashExpires;
  goalie = goalie || other.goalie;

  if (model == PLM_FULL && other.model == PLM_FULL) {
    setUniNum(other.uniNum);
    type = other.type;
    staminaIncMax = other.staminaIncMax;
    inertiaMoment = other.inertiaMoment;
    dashPowerRate = other.dashPowerRate;
    kickableMargin = other.kickableMargin;
    kickRand = other.kickRand;
    extraStamina = other.extraStamina;
    effortMax = other.effortMax;
    effortMin = other.effortMin;
  }
  if (model != PLM_QUARTER && other.model != PLM_QUARTER) teamId = other.teamId;

  executeAPVR(body);
  executeAPDR(body);
}

bool Player::canBodySee(const Vector&, float viewHalfAngle, float visibleDistance) const {
  float d = absVec.getMagnitude();
  float r = SEEN_DEVIATION_SHARE * posDeviation;
  if (visibleDistance > d + r) return true;
  float range = model == PLM_FULL   ? FULL_IDENTIFY_DIST
                : model == PLM_HALF ? HALF_IDENTIFY_DIST
                                    : QUARTER_IDENTIFY_DIST;
  // arcTan2 is arcTan(r / d) for d > 0 and stays defined at d = 0.
  return viewHalfAngle > std::abs(headVec.getDirection()) + Degree::arcTan2(r, d) && d + r < range;
}

void Player::executeAPVR(const Body& body) {
  if (model == PLM_FULL && seeDistChange == NOT_MEASURED &&
      absVec.getMagnitude() < CLOSE_SIGHTING_DIST && body.getCollisionStatus() != TA_YES &&
      lastAbsSeeTime != 0 && lastAbsSeeTime == seeTime - 1 && body.getDecay() > 0.0f) {
    Vector bodyMove = body.getVel();
    bodyMove /= body.getDecay();
    vel = ((absVec - lastAbsVec) + bodyMove) * decay;
    velSeeTime = seeTime;
    logPlayerLine("APVR: executed for player ");
  }
  if (absVec.getMagnitude() >= CLOSE_SIGHTING_DIST) {
    lastAbsSeeTime = 0;
  } else {
    lastAbsVec = absVec;
    lastAbsSeeTime = seeTime;
  }
}

void Player::executeAPDR(const Body&) {
  if (model != PLM_FULL) {
    lastVelSeeTime = 0;
    return;
  }
  // lastVelSeeTime 0 means no earlier velocity: a first sighting has nothing to
  // difference against.
  if (velSeeTime == seeTime && lastVelSeeTime != 0 && lastVelSeeTime == velSeeTime - 1 &&
      decay > 0.0f) {
    Vector accel = vel;
    accel /= decay;
    accel -= lastVel;
    if (accel.getMagnitude() > MIN_DASH_ACCEL) {
      bodyDir = accel.getDirection();
      logPlayerLine("APDR: executed for player ");
    }
  }
  if (velSeeTime == seeTime) {
    lastVel = vel;
    lastVelSeeTime = velSeeTime;
  } else {
    lastVelSeeTime = 0;
  }
}

void Player::simulateByDynamics(const Body& body) {
  if (dashExpires != 0 && bodyDir != NOT_MEASURED) {
    logPlayerLine("APMR: accelerated for player ");
    Vector dash;
    dash.setAsPolar(ASSUMED_DASH_ACCEL, bodyDir);
    vel += dash;
    if (vel.getMagnitude() > speedMax) vel.setAsPolar(speedMax, vel.getDirection());
  }
  pos += vel;
  vel *= decay;
  posDeviation += UNSEEN_POS_DEVIATION_STEP;
  validPosDeviation += UNSEEN_POS_DEVIATION_STEP;
  velDeviation += UNSEEN_VEL_DEVIATION_STEP;
  capDeviation(posDeviation, MAX_POS_DEVIATION);
  capDeviation(validPosDeviation, MAX_POS_DEVIATION);
  capDeviation(velDeviation, MAX_VEL_DEVIATION);
  updateRelativeVecs(body);
  if (dashExpires != 0) --dashExpires;
}

void Player::logPlayerLine(const char* text) const {
  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;
  log << text << static_cast<int>(teamId) << " " << uniNum << "." << std::endl;
}

}  // namespace tovren
