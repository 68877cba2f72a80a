#include "worldmodel/Body.h"

#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "geometry/Degree.h"
#include "worldmodel/MessageFields.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// Below this speed, predicted and sensed alike, no collision can be told (metres per cycle).
constexpr float STILL_SPEED = 0.02f;
// The sensed velocity may differ from the prediction by a fifth of its length, at least
// by this much, without a collision (metres per cycle).
constexpr float MIN_VEL_TOLERANCE = 0.05f;
constexpr float MAX_DIR_TOLERANCE = 45.0f;  // degrees

// Sub-list index of the message headed by key, or null.
const SExpression* keyedList(const SExpression& message, unsigned int index, const char* key) {
  const SExpression* list = MessageFields::listAt(message, index);
  if (list == nullptr || !MessageFields::isAtom(*list, 0, key)) return nullptr;
  return list;
}

// A counter: a non-negative integer atom.
bool readCount(const SExpression& list, unsigned int index, unsigned int& out) {
  int value = 0;
  if (!MessageFields::readInt(list, index, value) || value < 0) return false;
  out = static_cast<unsigned int>(value);
  return true;
}

// (key n) at index of the message.
bool readKeyedCount(const SExpression& message, unsigned int index, const char* key,
                    unsigned int& out) {
  const SExpression* list = keyedList(message, index, key);
  return list != nullptr && readCount(*list, 1, out);
}

// The values of one sense_body, read in full before any of them is stored.
struct SenseBodyValues {
  unsigned int cycle = 0;
  ViewModeQuality quality = VMQ_HIGH;
  ViewModeWidth width = VMW_NORMAL;
  float stamina = 0.0f;
  float effort = 0.0f;
  float speedAmount = 0.0f;
  float speedDir = 0.0f;
  float headAngle = 0.0f;
  unsigned int counts[8] = {};  // kick, dash, turn, say, turn_neck, catch, move, change_view
  unsigned int armMovable = 0;
  unsigned int armExpires = 0;
  float armTargetDist = 0.0f;
  float armTargetDir = 0.0f;
  unsigned int armCount = 0;
  bool focusNone = true;
  TeamId focusTeamId = TID_TEAMMATE;
  unsigned int focusUniNum = 0;
  unsigned int focusCount = 0;
  unsigned int tackleExpires = 0;
  unsigned int tackleCount = 0;
};

bool readViewMode(const SExpression& message, SenseBodyValues& values) {
  const SExpression* list = keyedList(message, 2, "view_mode");
  if (list == nullptr) return false;
  const SExpAtomic* quality = MessageFields::atomAt(*list, 1);
  const SExpAtomic* width = MessageFields::atomAt(*list, 2);
  if (quality == nullptr || width == nullptr) return false;
  const std::string& q = quality->asString();
  const std::string& w = width->asString();
  if (q.empty() || w.empty()) return false;
  if (q[0] == 'l') {
    values.quality = VMQ_LOW;
  } else if (q[0] == 'h') {
    values.quality = VMQ_HIGH;
  } else {
    return false;
  }
  if (w[0] == 'w') {
    values.width = VMW_WIDE;
  } else if (w[0] == 'n' && w.size() > 1 && w[1] == 'a') {
    values.width = VMW_NARROW;
  } else if (w[0] == 'n' && w.size() > 1 && w[1] == 'o') {
    values.width = VMW_NORMAL;
  } else {
    return false;
  }
  return true;
}

bool readArm(const SExpression& message, SenseBodyValues& values) {
  const SExpression* arm = keyedList(message, 14, "arm");
  if (arm == nullptr) return false;
  const SExpression* target = keyedList(*arm, 3, "target");
  return readKeyedCount(*arm, 1, "movable", values.armMovable) &&
         readKeyedCount(*arm, 2, "expires", values.armExpires) && target != nullptr &&
         MessageFields::readFloat(*target, 1, values.armTargetDist) &&
         MessageFields::readFloat(*target, 2, values.armTargetDir) &&
         readKeyedCount(*arm, 4, "count", values.armCount);
}

bool readFocus(const SExpression& message, Side ownSide, SenseBodyValues& values) {
  const SExpression* focus = keyedList(message, 15, "focus");
  if (focus == nullptr) return false;
  const SExpression* target = keyedList(*focus, 1, "target");
  if (target == nullptr) return false;
  const SExpAtomic* first = MessageFields::atomAt(*target, 1);
  if (first == nullptr || first->asString().empty()) return false;
  if (first->asString() == "none") {
    values.focusNone = true;
  } else {
    char side = first->asString()[0];
    if (side != 'l' && side != 'r') return false;
    bool teammate = (side == 'l' && ownSide == SI_LEFT) || (side == 'r' && ownSide == SI_RIGHT);
    values.focusNone = false;
    values.focusTeamId = teammate ? TID_TEAMMATE : TID_OPPONENT;
    if (!readCount(*target, 2, values.focusUniNum)) return false;
  }
  return readKeyedCount(*focus, 2, "count", values.focusCount);
}

bool readSenseBody(const SExpression& message, Side ownSide, SenseBodyValues& values) {
  static const char* const counterKeys[8] = {"kick",      "dash",  "turn", "say",
                                             "turn_neck", "catch", "move", "change_view"};
  if (!MessageFields::isAtom(message, 0, "sense_body") || !readCount(message, 1, values.cycle) ||
      !readViewMode(message, values)) {
    return false;
  }
  const SExpression* stamina = keyedList(message, 3, "stamina");
  const SExpression* speed = keyedList(message, 4, "speed");
  const SExpression* head = keyedList(message, 5, "head_angle");
  if (stamina == nullptr || speed == nullptr || head == nullptr ||
      !MessageFields::readFloat(*stamina, 1, values.stamina) ||
      !MessageFields::readFloat(*stamina, 2, values.effort) ||
      !MessageFields::readFloat(*speed, 1, values.speedAmount) ||
      !MessageFields::readFloat(*speed, 2, values.speedDir) ||
      !MessageFields::readFloat(*head, 1, values.headAngle)) {
    return false;
  }
  for (unsigned int i = 0; i < 8; ++i) {
    if (!readKeyedCount(message, 6 + i, counterKeys[i], values.counts[i])) return false;
  }
  if (!readArm(message, values) || !readFocus(message, ownSide, values)) return false;
  const SExpression* tackle = keyedList(message, 16, "tackle");
  return tackle != nullptr && readKeyedCount(*tackle, 1, "expires", values.tackleExpires) &&
         readKeyedCount(*tackle, 2, "count", values.tackleCount);
}

}  // namespace

bool Body::parseSenseBody(const SExpression& message, Side ownSide) {
  SenseBodyValues values;
  if (!readSenseBody(message, ownSide, values)) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid())
      log << "Skipping malformed sense_body: " << message.toString() << std::endl;
    return false;
  }

  lastKickCount = kickCount;
  lastDashCount = dashCount;
  lastTurnCount = turnCount;
  lastSayCount = sayCount;
  lastTurnNeckCount = turnNeckCount;
  lastCatchCount = catchCount;
  lastMoveCount = moveCount;
  lastChangeViewCount = changeViewCount;
  lastArmExpires = armExpires;
  lastArmCount = armCount;
  lastFocusCount = focusCount;
  lastTackleExpires = tackleExpires;
  lastTackleCount = tackleCount;

  senseBodyCycle = values.cycle;
  vmQuality = values.quality;
  vmWidth = values.width;
  stamina = values.stamina;
  effort = values.effort;
  speedAmount = values.speedAmount;
  kickCount = values.counts[0];
  dashCount = values.counts[1];
  turnCount = values.counts[2];
  sayCount = values.counts[3];
  turnNeckCount = values.counts[4];
  catchCount = values.counts[5];
  moveCount = values.counts[6];
  changeViewCount = values.counts[7];
  armMovable = values.armMovable;
  armExpires = values.armExpires;
  armTargetDist = values.armTargetDist;
  armCount = values.armCount;
  if (values.focusNone) {
    focusTargetUniNum = 0;
  } else {
    focusTargetTeamId = values.focusTeamId;
    focusTargetUniNum = values.focusUniNum;
  }
  focusCount = values.focusCount;
  tackleExpires = values.tackleExpires;
  tackleCount = values.tackleCount;

  // The server's directions are clockwise; the model's are counter-clockwise.
  relativeHeadDir = -values.headAngle;
  speedDir = -values.speedDir;
  armTargetDir = -values.armTargetDir;
  headDir = Degree::normalizeAngle(relativeHeadDir + bodyDir);
  viewAngle = viewWidthToViewAngle(vmWidth);
  return true;
}

void Body::completeParseSenseBody() {
  Vector predicted = vel;
  vel.setAsPolar(speedAmount, speedDir + headDir);

  float predictedSpeed = std::fabs(predicted.getMagnitude());
  float sensedSpeed = std::fabs(vel.getMagnitude());
  if (predictedSpeed <= STILL_SPEED && sensedSpeed <= STILL_SPEED) {
    collisionStatus = TA_DONT_KNOW;
  } else if ((predicted - vel).getMagnitude() <= std::max(sensedSpeed / 5.0f, MIN_VEL_TOLERANCE) &&
             std::fabs(Degree::getDeltaAngle(predicted.getDirection(), vel.getDirection())) <=
                 MAX_DIR_TOLERANCE) {
    collisionStatus = TA_NO;
  } else {
    collisionStatus = TA_YES;
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) log << "*** Body Collision ***" << std::endl;
  }
  pointingDir = Degree::normalizeAngle(armTargetDir + headDir);
}

}  // namespace tovren
