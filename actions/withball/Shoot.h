#pragma once

// The shot at the opponents' goal: 21 targets along the goal mouth, each with the
// strongest kick toward it and a prediction of who reaches that kick, scored by seven
// partial weights against the goalie.

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"

#include <memory>

namespace tovren {

class Command;

class Shoot : public AdvancedAction {
 public:
  static constexpr unsigned int SHOOT_POINTS_NUM = 60;  // room in the arrays
  static constexpr unsigned int TARGETS_NUM = 21;       // entries in use
  static constexpr unsigned int MIDDLE_TARGET = 10;
  static constexpr unsigned int NO_SHOOT = 65278;  // a best target not set

  explicit Shoot(const WorldModel* worldModel);
  ~Shoot() override;

  // Publishes a copy of the kick of the latest valuing; none after a valuing that stopped
  // at the gate.
  void execute(SayDecisionFlags& sayFlags) override;
  // 1000 when the best smoothed target score reaches 5000, else AD_MIN_VALUE.
  float getValue() override;
  DecideType getType() const override { return DT_SHOOT; }

  void giveLastDecide(DecideType decide) { lastDecide = decide; }
  void setShootRates();

  // The strongest kick toward target shootNum that can be given this cycle, kept in
  // shootCommands; true when it is possible at a speed above 0.05.
  bool kickMaxPower(int shootNum);
  // Prepares the kick and runs the session for target shootNum; false when there is
  // nothing to score.
  bool getFastest(int shootNum);

  // The partial weights, 0 to 100. The catch weight reads the latest session run.
  float getCatchWeight(int shootNum) const;
  float getNoiseWeight(int shootNum) const;
  float getGoaliePosDeviationWeight() const;
  float getFarToGoalieWeight(int shootNum) const;
  float getGoalSeenWeight(int shootNum) const;
  float getGoalieMistakeWeight() const;
  float getBallFastMovingWeight() const;

 protected:
  // Each score gains a tenth of each neighbour's score; an end target's single neighbour
  // counts twice.
  void smoothShootWeights();
  // Picks the best smoothed score, keeps a copy of its kick in shootCommand and returns
  // the shot's value.
  float chooseShoot();

  DecideType lastDecide = DT_NONE;
  InterceptCalculate interCalculate;
  // The goalie as a player of our side: the session keeps a pointer to what it is given.
  Player oppGoalieCopy;
  int logLevel = 0;
  Point shootPoints[SHOOT_POINTS_NUM];
  float shootWeights[SHOOT_POINTS_NUM] = {};
  std::unique_ptr<Command> shootCommands[SHOOT_POINTS_NUM];
  std::unique_ptr<Command> shootCommand;  // a copy of the chosen kick; null when none
  float catchRate = 0.0f;
  float noiseRate = 0.0f;
  float goaliePosDeviationRate = 0.0f;
  float farToGoalieRate = 0.0f;
  float goalSeenRate = 0.0f;
  float goalieMistakeRate = 0.0f;
  float ballFastMovingRate = 0.0f;

 private:
  // The session's tuning for a shot, in penalty modes or in every other mode.
  void tuneSession(bool penalty);
  // Sums the seven weighted parts of a target's score and zeroes what cannot score.
  float scoreTarget(int shootNum) const;
};

}  // namespace tovren
