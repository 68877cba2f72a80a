#pragma once

#include "foundation/Types.h"
#include "worldmodel/Object.h"

namespace tovren {

class Body;

// Another player on the field, or (as the base of Body) the agent itself.
class Player : public Object {
 public:
  explicit Player(PlayerModel model = PLM_FULL);
  Player(const Player&) = default;
  Player& operator=(const Player&) = default;
  ~Player() override = default;

  // Object's parameters, then the player's ("player_accel_max" ... "catchable_area_w").
  virtual void setServerParamVars(const ConfigGroup& serverParam);
  // Applies a heterogeneous player type from its parameter group.
  void setType(int id, const ConfigGroup& typeGroup);
  void setType(unsigned int value) { type = value; }

  // Reads a see entry; team, number and goalie mark come from the name list.
  bool parse(TeamId teamId, unsigned int uniNum, bool goalie, const SExpression& entry,
             unsigned int time);
  // (name x y vx vy body head [point or t] [t]) of the coach's global view.
  bool parseFullState(TeamId teamId, unsigned int uniNum, bool goalie, const SExpression& entry,
                      unsigned int time);

  // Localises the seen player relative to the body and estimates its motion.
  void update(const Body& body, PlayMode playMode);
  // Keeps the unseen player in step with the body.
  void virtualUpdate(const Body& body);
  // Takes over the see of a less identified record of the same player.
  void setByAnotherPlayer(const Player& other, const Body& body);
  // Whether the agent would see this player now; the vector is not used.
  bool canBodySee(const Vector& unused, float viewHalfAngle, float visibleDistance) const;
  // Velocity from two close sightings, for full players.
  void executeAPVR(const Body& body);
  // Body direction from the acceleration between two sightings, for full players.
  void executeAPDR(const Body& body);

  // One cycle of motion, with an assumed dash while dashExpires runs.
  void simulateByDynamics(const Body& body);

  // Deliberately not virtual: through an Object& the Object rule answers.
  bool isValid() const { return validPosDeviation < 8.0f; }
  bool isAlive() const { return validPosDeviation < (model == PLM_FULL ? 15.0f : 8.0f); }
  bool isBody() const;

  static unsigned int uniNumToPostNum(unsigned int uniNum);
  static unsigned int postNumToUniNum(unsigned int postNum);

  bool isGoalie() const { return goalie; }
  void setGoalie(bool value) { goalie = value; }
  bool isTackling() const { return tackling; }
  void setTackling(bool value) { tackling = value; }
  float getStamina() const { return stamina; }
  void setStamina(float value) { stamina = value; }
  float getBodyDir() const { return bodyDir; }
  void setBodyDir(float value) { bodyDir = value; }
  float getHeadDir() const { return headDir; }
  void setHeadDir(float value) { headDir = value; }
  float getPointingDir() const { return pointingDir; }
  void setPointingDir(float value) { pointingDir = value; }
  float getRelativeBodyDir() const { return relativeBodyDir; }
  void setRelativeBodyDir(float value) { relativeBodyDir = value; }
  float getRelativeHeadDir() const { return relativeHeadDir; }
  void setRelativeHeadDir(float value) { relativeHeadDir = value; }
  float getRelativePointingDir() const { return relativePointingDir; }
  void setRelativePointingDir(float value) { relativePointingDir = value; }
  unsigned int getType() const { return type; }
  unsigned int getUniNum() const { return uniNum; }
  void setUniNum(unsigned int value) {
    uniNum = value;
    postNum = uniNumToPostNum(value);
  }
  unsigned int getPostNum() const { return postNum; }
  TeamId getTeamId() const { return teamId; }
  void setTeamId(TeamId value) { teamId = value; }
  PlayerModel getModel() const { return model; }
  void setModel(PlayerModel value) { model = value; }
  unsigned int getLastAbsSeeTime() const { return lastAbsSeeTime; }
  unsigned int getLastVelSeeTime() const { return lastVelSeeTime; }
  const Vector& getLastAbsVec() const { return lastAbsVec; }
  const Vector& getLastVel() const { return lastVel; }
  unsigned int getDashExpires() const { return dashExpires; }
  void setDashExpires(unsigned int value) { dashExpires = value; }

  float getStaminaIncMax() const { return staminaIncMax; }
  float getInertiaMoment() const { return inertiaMoment; }
  float getDashPowerRate() const { return dashPowerRate; }
  float getKickableMargin() const { return kickableMargin; }
  float getKickRand() const { return kickRand; }
  float getExtraStamina() const { return extraStamina; }
  float getEffortMax() const { return effortMax; }
  float getEffortMin() const { return effortMin; }
  float getStaminaMax() const { return staminaMax; }
  float getEffortDecThr() const { return effortDecThr; }
  float getRecoverDecThr() const { return recoverDecThr; }
  float getMaxNeckAng() const { return maxNeckAng; }
  float getMinNeckAng() const { return minNeckAng; }
  float getMaxNeckMoment() const { return maxNeckMoment; }
  float getMinNeckMoment() const { return minNeckMoment; }
  float getCatchableAreaL() const { return catchableAreaL; }
  float getCatchableAreaW() const { return catchableAreaW; }

 protected:
  // Writes one of the estimate lines ("APVR: executed for player 1 7.") to "MainLog".
  void logPlayerLine(const char* text) const;

  bool goalie = false;
  bool tackling = false;
  float stamina = 8000.0f;
  float bodyDir = 0.0f;              // degrees, global
  float headDir = 0.0f;              // degrees, global
  float pointingDir = 0.0f;          // degrees, global; NOT_MEASURED when not pointing
  float relativeBodyDir = 0.0f;      // degrees, as seen from the observer's head
  float relativeHeadDir = 0.0f;      // degrees; for the body the neck angle
  float relativePointingDir = 0.0f;  // degrees
  unsigned int type = 0;
  unsigned int uniNum = 0;  // 0 when unknown
  unsigned int postNum = 0;
  TeamId teamId = TID_TEAMMATE;
  PlayerModel model;
  unsigned int lastAbsSeeTime = 0;
  unsigned int lastVelSeeTime = 0;
  Vector lastAbsVec;
  Vector lastVel;
  unsigned int dashExpires = 0;  // cycles of assumed dashing left
  // The default player type and the server's defaults until the messages arrive.
  float staminaIncMax = 45.0f;
  float inertiaMoment = 5.0f;
  float dashPowerRate = 0.006f;
  float kickableMargin = 0.7f;
  float kickRand = 0.1f;
  float extraStamina = 50.0f;
  float effortMax = 1.0f;
  float effortMin = 0.6f;
  float staminaMax = 8000.0f;
  float effortDecThr = 0.3f;
  float recoverDecThr = 0.3f;
  float maxNeckAng = 90.0f;
  float minNeckAng = -90.0f;
  float maxNeckMoment = 180.0f;
  float minNeckMoment = -180.0f;
  float catchableAreaL = 1.2f;
  float catchableAreaW = 1.0f;
};

}  // namespace tovren
