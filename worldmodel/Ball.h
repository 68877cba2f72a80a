#pragma once

#include "foundation/Types.h"
#include "worldmodel/Object.h"

namespace tovren {

class Body;
class Command;

// How a dynamics step tests whether the ball met the agent's body.
enum BallCollisionMode : unsigned int {
  BCM_NONE = 0,     // never: plain look-ahead
  BCM_OVERLAP = 1,  // only a ball clearly inside the body
  BCM_SENSED = 2    // as far as the body's sensed collision status allows
};

class Ball : public Object {
 public:
  Ball();

  // Object's parameters, then the ball's ("ball_accel_max" ... "stopped_ball_vel").
  void setServerParamVars(const ConfigGroup& serverParam);

  // ((b) x y vx vy) of the coach's global view, in the server's frame.
  bool parseFullState(const SExpression& entry, unsigned int time);

  // Localises the seen ball relative to the body (already localised this see).
  void update(const Body& body);
  // Keeps the unseen ball in step with the body.
  void virtualUpdate(const Body& body);
  // Takes the ball as exactly known from a heard message.
  void updateByHear(float x, float y, float velMagnitude, float velDirection, const Body& body);
  // Velocity from two close sightings in consecutive sees.
  void executeABVR(const Body& body);

  // The share of a kick's power that reaches the ball where it lies relative to the body:
  // 1 touching the body straight ahead, a quarter less at the edge of the kickable area
  // and a quarter less straight behind; 0 or less out of reach. A body without kickable
  // margin reaches nothing: 0.
  float getKickEffectiveness(const Body& body) const;

  // The agent's command of this cycle applied to the ball's velocity; with carry a
  // move takes the ball along.
  void simulateByAction(const Body& body, const Command* command, bool carry);
  // One cycle of motion; time LOOK_AHEAD_TIME (with BCM_NONE and BS_NONE) for look-ahead.
  void simulateByDynamics(const Body& body, BallCollisionMode collisionMode, BallStatus ballStatus,
                          unsigned int time);

  bool isCollision() const { return collision; }
  void setCollision(bool value) { collision = value; }
  bool isAbsoluteUpdate() const { return absoluteUpdate; }
  void setAbsoluteUpdate(bool value) { absoluteUpdate = value; }
  bool isUpdateByHearPermitted() const { return updateByHearPermitted; }
  void setUpdateByHearPermitted(bool value) { updateByHearPermitted = value; }
  float getSeePosDeviation() const { return seePosDeviation; }
  void setSeePosDeviation(float value) { seePosDeviation = value; }
  unsigned int getLastAbsSeeTime() const { return lastAbsSeeTime; }
  const Vector& getLastAbsVec() const { return lastAbsVec; }

  float getKickPowerRate() const { return kickPowerRate; }
  float getKickRandFactorL() const { return kickRandFactorL; }
  float getKickRandFactorR() const { return kickRandFactorR; }
  float getStoppedBallVel() const { return stoppedBallVel; }

 private:
  bool collision = false;       // the last dynamics step met the body
  bool absoluteUpdate = false;  // pos is the authority (heard), not the offset to the body
  bool updateByHearPermitted = true;
  float seePosDeviation = MAX_POS_DEVIATION;  // metres
  unsigned int lastAbsSeeTime = 0;            // seeTime of the last sighting closer than 7.5
  Vector lastAbsVec;                          // absVec at that sighting
  // The server's defaults until server_param arrives.
  float kickPowerRate = 0.027f;
  float kickRandFactorL = 1.0f;
  float kickRandFactorR = 1.0f;
  float stoppedBallVel = 0.01f;
};

}  // namespace tovren
