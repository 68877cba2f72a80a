#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"
#include "worldmodel/InterceptCalculate.h"

#include <memory>

// Attack positioning: where a forward without the ball stands while a teammate has it
// near the opponents' goal, chosen from a grid of points in front of that goal.

namespace tovren {

class Positioning;

// Decide type 10, value always 10. In play_on, with a teammate on a ball beyond x 30 and
// the agent on a front-line post, it weighs 800 points (x 32 to 51, y -20 to 19, 1 m
// apart) by where opponents would win kicks fanned towards (45, 0), by the distance to
// the home point and by the open shooting angle, and goes to the best; otherwise to its
// home point.
class Offense : public AdvancedAction {
 public:
  static constexpr unsigned int WEIGHT_POINTS_NUM = 800;
  static constexpr unsigned int NO_INDEX = 65278;

  // The positioning is read, not owned, and must outlive the action.
  Offense(const WorldModel* worldModel, const Positioning& positioning);
  ~Offense() override;

  // Publishes the go-to towards the target of the last getValue(), or the turn to the
  // ball when the agent is near it.
  void execute(SayDecisionFlags& sayFlags) override;
  // Chooses the target; always 10.
  float getValue() override;
  DecideType getType() const override { return DT_OFFENSE; }

  Point getHomePoint(unsigned int uniNum) const;
  // Index i is (32 + i mod 20, i / 20 - 20).
  static Point getWeightPoint(unsigned int index);
  // The target becomes the agent's own home point.
  void nonPlayOnOffense();
  // The whole grid, one row of 20 points per line, on "MainLog".
  void logWeights() const;

 protected:
  // Weights to 0; a column is valid up to 2 m short of the opponents' offside line.
  void resetWeights();
  // 1 when the grid is weighed, 0 otherwise.
  int getOffenseDecision() const;
  void applyInterceptCalcWeights();
  void applyOneInterceptCalcWeight(const InterceptPlayer& interPlayer);
  void applyHomeWeights();
  void applyShootWeights();
  // The best valid index (the lower on ties), NO_INDEX when no point is valid.
  unsigned int getMaxWeight() const;

  bool validPoints[WEIGHT_POINTS_NUM] = {};
  float weights[WEIGHT_POINTS_NUM] = {};
  unsigned int maxWeightIndex = NO_INDEX;
  Point target;
  // Our own session, so that the fanned kicks leave the cycle's prediction untouched.
  InterceptCalculate interceptCalculate;
  int offenseDecision = 0;
  const Positioning& positioning;
  std::unique_ptr<Command> preparedCommand;  // built by execute(), published as a copy

 private:
  Point getOwnHomePoint() const;
};

}  // namespace tovren
