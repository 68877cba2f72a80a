#include "worldmodel/Object.h"

#include "foundation/Config.h"
#include "foundation/FieldData.h"
#include "foundation/SExpression.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"

#include <cmath>
#include <string>

namespace tovren {

bool Object::parse(const SExpression& entry, unsigned int time) {
  unsigned int n = entry.size();
  if (n > 0 && MessageFields::isAtom(entry, n - 1, "t")) --n;
  if (n < 2) return false;

  // Everything is read before anything is written, so a bad entry changes nothing.
  float distance = 0.0f;
  float direction = -NOT_MEASURED;
  float distChange = NOT_MEASURED;
  float dirChange = -NOT_MEASURED;
  if (!MessageFields::readFloat(entry, 1, distance) || distance < 0.0f) return false;
  if (n > 2 && !MessageFields::readFloat(entry, 2, direction)) return false;
  bool hasChanges = n > 4;
  if (hasChanges && (!MessageFields::readFloat(entry, 3, distChange) ||
                     !MessageFields::readFloat(entry, 4, dirChange)))
    return false;

  seeDistance = distance;
  seeDirection = -direction;
  seeDistChange = distChange;
  seeDirChange = -dirChange;
  if (hasChanges) velSeeTime = time;
  seeTime = time;
  readyToUpdate = true;
  return true;
}

void Object::setServerParamVars(const ConfigGroup& serverParam) {
  maxMoment = serverParam["maxmoment"].asFloat();
  minMoment = serverParam["minmoment"].asFloat();
  maxPower = serverParam["maxpower"].asFloat();
  minPower = serverParam["minpower"].asFloat();
  quantizeStep = serverParam["quantize_step"].asFloat();
  quantizeStepL = serverParam["quantize_step_l"].asFloat();
}

void Object::updateRelativeVecs(const Body& body) {
  absVec.setByPoints(body.getPos(), pos);
  bodyVec = absVec;
  bodyVec.rotate(-body.getBodyDir());
  headVec = absVec;
  headVec.rotate(-body.getHeadDir());
}

void Object::kill() {
  posDeviation = MAX_POS_DEVIATION;
  validPosDeviation = MAX_POS_DEVIATION;
  velDeviation = MAX_VEL_DEVIATION;
}

bool FieldFlag::parse(int id, const SExpression& entry, unsigned int time) {
  if (!Object::parse(entry, time)) return false;
  this->id = id;
  return true;
}

namespace {

// A seen landmark: fixed position, seen vector, and a deviation growing with distance.
void completeLandmark(Vector& pos, Vector& headVec, float& posDeviation, float& validPosDeviation,
                      const Point& fixed, float seeDistance, float seeDirection) {
  pos = Vector(fixed);
  headVec.setAsPolar(seeDistance, seeDirection);
  posDeviation = seeDistance / 20.0f;
  validPosDeviation = posDeviation;
}

}  // namespace

void FieldFlag::update(const FieldData& fieldData) {
  completeLandmark(pos, headVec, posDeviation, validPosDeviation, fieldData.getFlagPos(id),
                   seeDistance, seeDirection);
}

bool FieldGoal::parse(int id, const SExpression& entry, unsigned int time) {
  if (!Object::parse(entry, time)) return false;
  this->id = id;
  return true;
}

bool FieldGoal::parseFullState(int id, const SExpression& entry, unsigned int time) {
  float x = 0.0f;
  float y = 0.0f;
  if (!MessageFields::readFloat(entry, 1, x) || !MessageFields::readFloat(entry, 2, y))
    return false;
  seeDistChange = NOT_MEASURED;
  seeDirection = -NOT_MEASURED;
  seeDirChange = -NOT_MEASURED;
  pos.setAsCartesian(x, -y);
  seeTime = time;
  this->id = id;
  return true;
}

void FieldGoal::update(const FieldData& fieldData) {
  completeLandmark(pos, headVec, posDeviation, validPosDeviation, fieldData.getGoalPos(id),
                   seeDistance, seeDirection);
}

bool FieldLine::parse(int id, const SExpression& entry, unsigned int time) {
  if (!Object::parse(entry, time)) return false;
  this->id = id;
  return true;
}

void FieldLine::update(const FieldData& fieldData) {
  completeLandmark(pos, headVec, posDeviation, validPosDeviation, fieldData.getLinePos(id),
                   seeDistance, seeDirection);
  prependOrient = fieldData.getPrependOrient(id);
}

}  // namespace tovren
