#pragma once

#include "foundation/Types.h"
#include "worldmodel/Player.h"

#include <algorithm>

namespace tovren {

class Command;
class ConfigGroup;
class FieldFlag;
class FieldGoal;
class FieldLine;

// What the server lets the agent's own dash, tackle and catch do beyond the parameters
// every server sends. The defaults are the servers the player was first written for;
// today's server ignores a dash or a tackle of negative power and narrows the catch.
struct CommandLimits {
  float minDashPower = -100.0f;       // server power units
  float backDashRate = 1.0f;          // a dash at 180 degrees against one straight ahead
  float maxBackTacklePower = 100.0f;  // server power units
  float minCatchAngle = -180.0f;      // degrees, relative to the body, server frame
  float maxCatchAngle = 180.0f;

  // A server that clamps negative dash powers away runs backward only by a dash at 180
  // degrees.
  bool isBackDashByDirection() const { return minDashPower >= 0.0f; }
  // Whether a tackle of negative power does anything.
  bool isBackTackleAble() const { return maxBackTacklePower > 0.0f; }
  // The direction nearest to this one at which a catch may be aimed (degrees, relative
  // to the body, in the agent's frame; the command negates it): the server turns a catch
  // beyond its angles to the limit.
  float getCatchDirection(float direction) const {
    return std::max(-maxCatchAngle, std::min(direction, -minCatchAngle));
  }
  // Takes the limits a group gives under its keys (the configuration's "MinDashPower"
  // ... or the server's "min_dash_power" ...); the others keep their values.
  void setByConfig(const ConfigGroup& group);
  void setByServerParam(const ConfigGroup& serverParam);

  // Each limit: its key in group [Server] of the configuration, its server parameter, its
  // field, and the range a user may give it (the server's own).
  struct Key {
    const char* configKey;
    const char* serverKey;
    float CommandLimits::*field;
    float low;
    float high;
  };
  static const Key KEYS[5];
};

// The agent itself: a full teammate with the state its sense_body reports.
class Body : public Player {
 public:
  Body();
  Body(const Body&) = default;
  Body& operator=(const Body&) = default;
  ~Body() override = default;

  // Player's parameters, then "visible_distance" and the command limits it gives.
  void setServerParamVars(const ConfigGroup& serverParam) override;

  // Reads a sense_body message; false, with nothing changed, when it is malformed.
  bool parseSenseBody(const SExpression& message, Side ownSide);
  // After the motion model ran: takes the sensed velocity and judges the collision.
  void completeParseSenseBody();

  // Localises the agent from the landmarks of this see (flags on the grid, the
  // direction from the farthest line).
  void update(const FieldFlag* const* flags, const FieldGoal* const* goals,
              const FieldLine* const* lines, unsigned int flagsNum, unsigned int goalsNum,
              unsigned int linesNum);

  // One command applied to the body (dash, turn, move); noStamina leaves the stamina.
  void simulateByAction(const Command* command, bool noStamina);
  // One cycle of motion; noStamina leaves the stamina without recovery.
  void simulateByDynamics(bool noStamina);

  static float viewWidthToViewAngle(ViewModeWidth width);

  bool isKickCountChanged() const { return kickCount != lastKickCount; }
  bool isDashCountChanged() const { return dashCount != lastDashCount; }
  bool isTurnCountChanged() const { return turnCount != lastTurnCount; }
  bool isSayCountChanged() const { return sayCount != lastSayCount; }
  bool isTurnNeckCountChanged() const { return turnNeckCount != lastTurnNeckCount; }
  bool isCatchCountChanged() const { return catchCount != lastCatchCount; }
  bool isMoveCountChanged() const { return moveCount != lastMoveCount; }
  bool isChangeViewCountChanged() const { return changeViewCount != lastChangeViewCount; }
  bool isArmExpiresChanged() const { return armExpires != lastArmExpires; }
  bool isArmCountChanged() const { return armCount != lastArmCount; }
  bool isFocusCountChanged() const { return focusCount != lastFocusCount; }
  bool isTackleExpiresChanged() const { return tackleExpires != lastTackleExpires; }
  bool isTackleCountChanged() const { return tackleCount != lastTackleCount; }

  float getViewAngle() const { return viewAngle; }
  void setViewAngle(float value) { viewAngle = value; }
  TriAnswer getCollisionStatus() const { return collisionStatus; }
  void setCollisionStatus(TriAnswer value) { collisionStatus = value; }
  float getEffort() const { return effort; }
  float getSpeedAmount() const { return speedAmount; }
  float getSpeedDir() const { return speedDir; }
  float getArmTargetDist() const { return armTargetDist; }
  float getArmTargetDir() const { return armTargetDir; }
  unsigned int getKickCount() const { return kickCount; }
  unsigned int getDashCount() const { return dashCount; }
  unsigned int getTurnCount() const { return turnCount; }
  unsigned int getSayCount() const { return sayCount; }
  unsigned int getTurnNeckCount() const { return turnNeckCount; }
  unsigned int getCatchCount() const { return catchCount; }
  unsigned int getMoveCount() const { return moveCount; }
  unsigned int getSenseBodyCycle() const { return senseBodyCycle; }
  unsigned int getChangeViewCount() const { return changeViewCount; }
  unsigned int getArmMovable() const { return armMovable; }
  unsigned int getArmExpires() const { return armExpires; }
  unsigned int getArmCount() const { return armCount; }
  unsigned int getTackleExpires() const { return tackleExpires; }
  unsigned int getTackleCount() const { return tackleCount; }
  unsigned int getFocusTargetUniNum() const { return focusTargetUniNum; }
  unsigned int getFocusCount() const { return focusCount; }
  TeamId getFocusTargetTeamId() const { return focusTargetTeamId; }
  ViewModeWidth getVMWidth() const { return vmWidth; }
  ViewModeQuality getVMQuality() const { return vmQuality; }
  float getVisibleDistance() const { return visibleDistance; }
  const CommandLimits& getCommandLimits() const { return commandLimits; }
  CommandLimits& setCommandLimits() { return commandLimits; }

 private:
  float viewAngle = 45.0f;  // degrees, half the view cone (normal width)
  TriAnswer collisionStatus = TA_DONT_KNOW;
  float effort = 1.0f;
  float speedAmount = 0.0f;  // metres per cycle
  float speedDir = 0.0f;     // degrees, relative to the head
  float armTargetDist = 0.0f;
  float armTargetDir = 0.0f;  // degrees, relative to the head
  unsigned int kickCount = 0;
  unsigned int dashCount = 0;
  unsigned int turnCount = 0;
  unsigned int sayCount = 0;
  unsigned int turnNeckCount = 0;
  unsigned int catchCount = 0;
  unsigned int moveCount = 0;
  unsigned int senseBodyCycle = 0;
  unsigned int changeViewCount = 0;
  unsigned int armMovable = 0;
  unsigned int armExpires = 0;
  unsigned int armCount = 0;
  unsigned int tackleExpires = 0;
  unsigned int tackleCount = 0;
  unsigned int focusTargetUniNum = 0;  // 0 for none
  unsigned int focusCount = 0;
  TeamId focusTargetTeamId = TID_TEAMMATE;
  ViewModeWidth vmWidth = VMW_NORMAL;
  ViewModeQuality vmQuality = VMQ_HIGH;
  // The counters of the previous sense_body.
  unsigned int lastKickCount = 0;
  unsigned int lastDashCount = 0;
  unsigned int lastTurnCount = 0;
  unsigned int lastSayCount = 0;
  unsigned int lastTurnNeckCount = 0;
  unsigned int lastCatchCount = 0;
  unsigned int lastMoveCount = 0;
  unsigned int lastChangeViewCount = 0;
  unsigned int lastArmExpires = 0;
  unsigned int lastArmCount = 0;
  unsigned int lastFocusCount = 0;
  unsigned int lastTackleExpires = 0;
  unsigned int lastTackleCount = 0;
  float visibleDistance = 3.0f;  // metres
  CommandLimits commandLimits;
};

}  // namespace tovren
