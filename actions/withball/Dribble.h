#pragma once

// Dribbling: the close dribble of the agent with the ball at its foot (Dribble), and how
// good the best direction is in which a player could dribble on from a point (DribblePath,
// which the pass valuing asks about the receiver).

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"

#include <memory>

namespace tovren {

class Command;
class Player;
class WorldModel;

// Fans directions out from the way towards the opponents' goal, weighs each by how
// straight it stays and how crowded a corridor along it is, and forbids those that leave
// the field. Directions are absolute, in degrees; lengths in metres.
class DribblePath {
 public:
  static constexpr int MAX_DIRS_NUM = 40;

  // The world model is read, not owned. Starts with the default parameters, a target at
  // (0, 0) and direction 0 as the best.
  explicit DribblePath(const WorldModel* worldModel);

  // Target from the ball; 36 directions, 12 m corridors, the default factors.
  void setDefaultParams();
  // Target from the ball; count directions (1 to MAX_DIRS_NUM), a corridor of the length
  // (above 0) and half-width widthRate × length (above 0).
  void setPathParams(int count, float length, float angleFactor, float crowdFactor,
                     float widthRate);
  void setBeginPoint(const Point& point) { beginPoint = point; }

  // Weighs every direction from the begin point towards the target, picks the best and
  // moves the target 10 m out along it.
  void setDribbleTarget();
  // Each adds one part of direction i's weight (i below the direction count).
  void setCraudWeight(int i);
  void setAngleWeight(int i);
  void setTargetWeight(int i);

  // Compute, then the weight of the best direction, or of direction i.
  float getBestTargetWeight();
  float getTargetWeight(int i);
  // The best direction of the last computation.
  float getBestTargetDir() const { return targetDirs[bestIndex]; }

 private:
  void setTargetByBall();
  void checkIndex(int i) const;

  int bestIndex = 0;
  Point beginPoint;
  Point target;
  int dirCount;
  float targetDirs[MAX_DIRS_NUM] = {};
  float targetWeights[MAX_DIRS_NUM] = {};
  float pathLength;
  float angleFactor;
  float widthRate;  // the corridor's half-width as a share of its length
  float crowdFactor;
  const WorldModel* worldModel;  // not owned
};

// Keeps the ball within the kickable area and carries it with short kicks and dashes
// towards one of twelve points around the body, chosen by how crowded each is, and turns or
// kicks first when the body does not face the dribble target. Directions are in degrees,
// lengths in metres.
class Dribble : public AdvancedAction {
 public:
  static constexpr int POINTS_NUM = 12;
  static constexpr int MAX_DIRS_NUM = 40;

  // The world model is read, not owned.
  explicit Dribble(const WorldModel* worldModel);
  ~Dribble() override;

  // Publishes the command the last getValue() prepared; the say flags stay as they are.
  void execute(SayDecisionFlags& sayFlags) override;
  // Chooses a dribble point, prepares a dash, kick or turn, and scores it; never
  // AD_MIN_VALUE.
  float getValue() override;
  DecideType getType() const override { return DT_DRIBBLE; }

  // A point k - margin from the body's next position, at the angle from its direction.
  Point setByPointInformation(float angle, float margin) const;
  // Target, tables (normal or, around opponents, the opponent set) and points of the cycle,
  // point weights 0.
  void setDribblePoints();
  void setDribbleArgumentsByOpponent();
  // Lowers each point's weight by how far the players come inside the radius of it.
  void setOpponentInWeight(float radius);
  // The chosen point, 0 to 11; a crowded field switches to the opponent tables.
  int bestDribblePoint();

  // Parts of the weight of target direction i (below dirCount).
  void setCraudWeight(int i);
  void setAngleWeight(int i);
  void setTargetWeight(int i);
  // Weighs the target directions from the body and moves the target 10 m along the best.
  void setDribbleTarget(int unused);
  // True when the body faces the new target closely enough; otherwise prepares a kick or
  // a turn towards it and returns false.
  bool checkDribbleTarget(int i);
  // 0 or less: how far opponents and players of unknown team come inside the radius of
  // point i.
  float getInlineDribbleWeight(int i, float radius);
  // An opponent or a player of unknown team within reach of the ball predicted last.
  bool ballInOppKickable() const;

  // The value terms: the shooting angle from the body, the least block weight of the
  // players around, and that of one player (-35 to 25).
  float getBodyCrossWeight() const;
  float getBlockedWeight() const;
  float getPlayerBlockWeight(const Player& player) const;

 protected:
  // Loads one of the two table sets and what every cycle starts from.
  void startCycle(bool byOpponent);
  // Ball size, body size and kickable margin.
  float getKickableDistance() const;

  float oppNear = 0.0f;   // 1 once a direction's crowd met a player close to the agent
  int pointsCrowded = 0;  // 1 once a player stood inside a point's radius
  int dirCount;
  float targetDirs[MAX_DIRS_NUM] = {};
  float targetWeights[MAX_DIRS_NUM] = {};
  float pathLength;
  float angleFactor;
  float crowdFactor;
  std::unique_ptr<Command> preparedCommand;  // not yet published, or kept after publishing
  Point dribblePoints[POINTS_NUM];
  // One cycle ahead without a command, as the last getValue() predicted them.
  Ball simBall;
  Body simBody;
  Point target;
  Point firstTarget;  // the target before setDribbleTarget moved it
  float pointWeights[POINTS_NUM] = {};
  float kickRates[POINTS_NUM] = {};
  int pointPriorities[POINTS_NUM] = {};
  float pointAngles[POINTS_NUM] = {};
  float pointMargins[POINTS_NUM] = {};
  float kickMargins[POINTS_NUM] = {};
  float dashPowers[POINTS_NUM] = {};
  float dashRates[POINTS_NUM] = {};
  int kickCycles[POINTS_NUM] = {};
  float keepMargins[POINTS_NUM] = {};
  float turnLimits[POINTS_NUM] = {};
};

}  // namespace tovren
