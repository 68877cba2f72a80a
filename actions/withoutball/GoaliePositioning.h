#pragma once

// Where the goalkeeper stands while the ball is away from it, and the command that keeps
// it there with its body across its line.

#include "actions/basic/AdvancedAction.h"
#include "foundation/Types.h"
#include "geometry/Vector.h"

#include <memory>

namespace tovren {

// Decide type 15, value always 10. In the penalty modes the home point lies on the
// bisector of the goal seen from the ball (the angle mode); in every other mode on a line
// parallel to the goal line (the line mode), which hands over to the angle mode for a
// ball at a sharp angle near the goal. Away from the point the goalie goes there; on it,
// it turns across the reference direction.
class GoaliePositioning : public AdvancedAction {
 public:
  // The world model is read, not owned.
  explicit GoaliePositioning(const WorldModel* worldModel);
  ~GoaliePositioning() override;

  // Publishes a copy of the command of the last getValue(); none when the go-to arrived.
  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_GOALIE_POSITIONING; }

  // The angle mode: the home point on the bisector at the chosen depth, refined for a
  // ball at a sharp angle by a simulated shot at the near post.
  void setGoalieParams();
  // The line mode.
  void setGoalieParamsLineMode();
  // Where a goalie placed at the target (moved by the start offset along the run
  // direction, turned to face larger x) ends up running along it while a shot from the
  // ball at the target passes the target's x, or once it has run the run limit; the
  // goalie's own position when that lies within the snap distance of it. Degrees, metres.
  Point shootToTirSimulate(const Point& target, float runDir, float startOffset, float runLimit,
                           float snapDist) const;

  // How near the home point counts as there, by the ball's distance (metres), the
  // goalie's stamina and the play mode.
  static float getArrivalTolerance(float ballDist, float stamina, PlayMode playMode);

  const Point& getGoalieHomePoint() const { return goalieHomePoint; }
  // Degrees.
  float getMidAngleLineDir() const { return midAngleLineDir; }

 private:
  std::unique_ptr<Command> preparedCommand;  // built by getValue(); published as a copy
  Point goalieHomePoint;
  float midAngleLineDir = 0.0f;
};

}  // namespace tovren
