#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"

#include <memory>

// Defence without the ball: keep the formation's home point, or mark an opponent found in
// a rectangle around it, as the agent's post says.

namespace tovren {

class Positioning;

// Decide type 11, value always 10. The target is the home point, or a mark point near it;
// the command is the formation's go-to towards that target.
class Defense : public AdvancedAction {
 public:
  // The positioning is read, not owned, and must outlive the action.
  Defense(const WorldModel* worldModel, const Positioning& positioning);
  ~Defense() override;

  // Publishes a copy of the command of the last getValue().
  void execute(SayDecisionFlags& sayFlags) override;
  // Settles the target and prepares the go-to towards it; always 10.
  float getValue() override;
  DecideType getType() const override { return DT_DEFENSE; }

  // The target of the last getValue(); the argument is not read.
  Point getHomePoint(int) const { return homePoint; }

  // Replaces point by the cheapest mark point of the players strictly inside the rectangle
  // of these half sizes around it (for the agent's run plus the step away from point);
  // the first in walking order wins ties. Leaves point when there is none.
  void checkMarkPlayer(Point& point, float halfLength, float halfWidth) const;
  // Where to stand to mark a player at opponent: 2 to 3 m behind him, or 3 m from him
  // towards the ball for a midfielder or forward at an opponents' restart.
  Point makeMarkPoint(Point opponent) const;

  // Close to our goal: pulls point within half the ball's distance of the post's anchor
  // when the ball is near it or deep.
  void checkGoalDist(Point& point) const;
  // Posts 2 and 5 whose home point lies by their goal post: point becomes the place on
  // the goal line between the post and the ball, and the command goes there.
  void checkForGoal(Point& point);
  // Prepares the command that brings the agent onto target facing direction (degrees).
  void gotoTir(Point target, float direction);

 protected:
  // Whether the referee's mode is one of the opponents' restarts.
  bool isOppRestart() const;

  Point homePoint;
  std::unique_ptr<Command> preparedCommand;  // published as a copy by execute()
  const Positioning& positioning;
  // Only an opponents' restart lets makeMarkPoint() face the ball; true until valued.
  bool markBehind = true;
};

}  // namespace tovren
