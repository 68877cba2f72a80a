#pragma once

// Dribbling: how good the best direction is in which a player could dribble on from a
// point (DribblePath, which the pass valuing asks about the receiver).

#include "geometry/Vector.h"

namespace tovren {

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

}  // namespace tovren
