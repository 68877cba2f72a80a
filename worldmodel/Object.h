#pragma once

#include "foundation/Types.h"
#include "geometry/Vector.h"

namespace tovren {

class Body;
class ConfigGroup;
class FieldData;
class SExpression;

// A seen quantity the see entry did not carry; tested by exact equality.
constexpr float NOT_MEASURED = 65278.0f;
// A position deviation at this cap means the object is forgotten.
constexpr float MAX_POS_DEVIATION = 20.0f;
constexpr float MAX_VEL_DEVIATION = 5.0f;
// The time argument of Ball::simulateByDynamics that asks for the plain look-ahead step.
constexpr unsigned int LOOK_AHEAD_TIME = 65535;

// Anything the agent tracks on the field. A plain value: copying copies every field,
// nothing is owned. Times are the world model's curTime; 0 means "never".
class Object {
 public:
  Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;
  virtual ~Object() = default;

  // Reads the numbers of a see entry. False, with nothing changed, when an element the
  // count promises is not a finite number or the distance is negative.
  bool parse(const SExpression& entry, unsigned int time);

  // Reads the server parameters every object caches ("maxmoment" ... "quantize_step_l").
  void setServerParamVars(const ConfigGroup& serverParam);

  // Recomputes absVec, bodyVec and headVec from the body's position and directions.
  void updateRelativeVecs(const Body& body);

  float getDistance(const Object& other) const { return Point(pos).getDistance(other.pos); }
  float getDistance(const Point& point) const { return Point(pos).getDistance(point); }

  // Forgets the object at once.
  void kill();
  bool isValid() const { return validPosDeviation < MAX_POS_DEVIATION; }

  bool isReadyToUpdate() const { return readyToUpdate; }
  void setReadyToUpdate(bool value) { readyToUpdate = value; }
  float getPosDeviation() const { return posDeviation; }
  void setPosDeviation(float value) { posDeviation = value; }
  float getValidPosDeviation() const { return validPosDeviation; }
  void setValidPosDeviation(float value) { validPosDeviation = value; }
  float getVelDeviation() const { return velDeviation; }
  void setVelDeviation(float value) { velDeviation = value; }

  float getSeeDistance() const { return seeDistance; }
  void setSeeDistance(float value) { seeDistance = value; }
  float getSeeDirection() const { return seeDirection; }
  void setSeeDirection(float value) { seeDirection = value; }
  float getSeeDistChange() const { return seeDistChange; }
  void setSeeDistChange(float value) { seeDistChange = value; }
  float getSeeDirChange() const { return seeDirChange; }
  void setSeeDirChange(float value) { seeDirChange = value; }
  unsigned int getSeeTime() const { return seeTime; }
  void setSeeTime(unsigned int value) { seeTime = value; }
  unsigned int getVelSeeTime() const { return velSeeTime; }
  void setVelSeeTime(unsigned int value) { velSeeTime = value; }

  const Vector& getPos() const { return pos; }
  Vector& setPos() { return pos; }
  const Vector& getVel() const { return vel; }
  Vector& setVel() { return vel; }
  const Vector& getAbsVec() const { return absVec; }
  Vector& setAbsVec() { return absVec; }
  const Vector& getBodyVec() const { return bodyVec; }
  Vector& setBodyVec() { return bodyVec; }
  const Vector& getHeadVec() const { return headVec; }
  Vector& setHeadVec() { return headVec; }

  float getAccelMax() const { return accelMax; }
  float getDecay() const { return decay; }
  void setDecay(float value) { decay = value; }
  float getRand() const { return rand; }
  float getSize() const { return size; }
  float getSpeedMax() const { return speedMax; }
  float getMaxMoment() const { return maxMoment; }
  float getMinMoment() const { return minMoment; }
  float getMaxPower() const { return maxPower; }
  float getMinPower() const { return minPower; }
  float getQuantizeStep() const { return quantizeStep; }
  float getQuantizeStepL() const { return quantizeStepL; }

 protected:
  bool readyToUpdate = false;                   // the current see carried this object
  float posDeviation = MAX_POS_DEVIATION;       // metres
  float validPosDeviation = MAX_POS_DEVIATION;  // metres; decides validity
  float velDeviation = MAX_VEL_DEVIATION;
  float seeDistance = 0.0f;           // metres
  float seeDirection = NOT_MEASURED;  // degrees, relative to the head
  float seeDistChange = NOT_MEASURED;
  float seeDirChange = NOT_MEASURED;  // degrees
  unsigned int seeTime = 0;
  unsigned int velSeeTime = 0;
  Vector pos;      // global position
  Vector vel;      // global velocity, metres per cycle
  Vector absVec;   // body position to pos, global axes
  Vector bodyVec;  // absVec in the body's frame
  Vector headVec;  // absVec in the head's frame
  // The kind's motion parameters (ball_... or player_...), set by the derived classes.
  float accelMax = 0.0f;
  float decay = 0.0f;
  float rand = 0.0f;
  float size = 0.0f;
  float speedMax = 0.0f;
  // The server's defaults until server_param arrives.
  float maxMoment = 180.0f;
  float minMoment = -180.0f;
  float maxPower = 100.0f;
  float minPower = -100.0f;
  float quantizeStep = 0.1f;
  float quantizeStepL = 0.01f;
};

// A landmark of the current view; the slot carries whichever flag was seen.
class FieldFlag : public Object {
 public:
  bool parse(int id, const SExpression& entry, unsigned int time);
  // Completes the seen flag from the landmark table.
  void update(const FieldData& fieldData);
  int getId() const { return id; }

 private:
  int id = 0;
};

class FieldGoal : public Object {
 public:
  bool parse(int id, const SExpression& entry, unsigned int time);
  // A goal of the coach's global view: ((g s) x y) in the server's frame.
  bool parseFullState(int id, const SExpression& entry, unsigned int time);
  void update(const FieldData& fieldData);
  int getId() const { return id; }

 private:
  int id = 0;
};

class FieldLine : public Object {
 public:
  bool parse(int id, const SExpression& entry, unsigned int time);
  void update(const FieldData& fieldData);
  int getId() const { return id; }
  float getPrependOrient() const { return prependOrient; }

 private:
  int id = 0;
  float prependOrient = 0.0f;  // degrees: the line's normal pointing out of the field
};

}  // namespace tovren
