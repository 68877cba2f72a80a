#pragma once

#include "decisions/BodyDecision.h"

// The body decision of a field player in play_on who does not play the ball: tackle,
// block, defensive positioning or going for the ball, as the team's coordination selects.

namespace tovren {

class Block;
class Intercept;
class Positioning;
class Tackle;
class WorldModel;

class WithoutBallPlayOnDecision : public BodyDecision {
 public:
  // The positioning is read by the block and the positioning actions, not owned, and must
  // outlive the decision.
  WithoutBallPlayOnDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                            TurnNeckMode& turnNeckMode, const Positioning& positioning);
  ~WithoutBallPlayOnDecision() override;

  using BodyDecision::decide;
  // The tackle always, and beside it by the selection: block (with defence), intercept
  // (with the chase after the own dribble right after one) or defensive positioning. The
  // head looks by the ball's distance.
  virtual DecideType decide(int quickLevel, DecideType lastDecideType,
                            WithoutBallSelection selection);

 private:
  // The actions that are told the previous cycle's decision; owned by the lists.
  Tackle* tackle = nullptr;
  Block* block = nullptr;
  Intercept* intercept = nullptr;
};

}  // namespace tovren
