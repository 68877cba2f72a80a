#pragma once

#include "actions/basic/AdvancedAction.h"
#include "geometry/Vector.h"
#include "worldmodel/InterceptCalculate.h"

#include <memory>

// The block: stand in the path of the player who wins the ball, found by letting him
// dribble towards our goal line in a session of our own and seeing where the agent
// catches up with the ball.

namespace tovren {

class Positioning;

// Decide type 6; 1000 with a precise go-to towards the block point, or AD_MIN_VALUE when
// nobody wins the ball, the agent never catches up, or his post keeps him elsewhere.
class Block : public AdvancedAction {
 public:
  // The longest speed search: from 1.1 down in steps of 0.05 to a hair below 0.
  static constexpr unsigned int MAX_SEARCH_RUNS = 23;

  // The positioning is read, not owned, and must outlive the action.
  Block(const WorldModel* worldModel, const Positioning& positioning);
  ~Block() override;

  // Publishes a copy of the command of the last getValue(); none after a refusal.
  void execute(SayDecisionFlags& sayFlags) override;
  float getValue() override;
  DecideType getType() const override { return DT_BLOCK; }

  // The decision of the previous cycle; a block then widens the back line's limits.
  void giveLastDecide(DecideType type) { lastDecide = type; }

 protected:
  // Runs the session with the winner dribbling at speed along direction (degrees), then
  // at speeds 0.05 lower, until the agent catches the ball or the speed has gone below 0.
  // Returns the number of runs; the session holds the last one.
  unsigned int searchBlock(float speed, float direction);
  // The limits by the agent's post on blockPoint; false when the post refuses the block.
  bool limitByPost();
  // The home-point limits of the back line (posts 1 to 5) and the central midfielder.
  bool isWithinHomeLimits() const;

  InterceptCalculate interCalculate;
  const Positioning& positioning;
  DecideType lastDecide = DT_NONE;
  Point blockPoint;
  std::unique_ptr<Command> preparedCommand;  // none after a refusal; published as a copy
};

}  // namespace tovren
