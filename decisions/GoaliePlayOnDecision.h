#pragma once

#include "decisions/BodyDecision.h"

// The body decision of the goalie in play_on: out of its box it kicks a ball at its feet
// out towards the nearer touch line; otherwise it catches or clears, and goes for the
// ball or keeps its position between ball and goal.

namespace tovren {

class GoalieCatch;
class WorldModel;

class GoaliePlayOnDecision : public BodyDecision {
 public:
  GoaliePlayOnDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                       TurnNeckMode& turnNeckMode);
  ~GoaliePlayOnDecision() override;

  using BodyDecision::decide;
  // DT_NONE with a kick as the command for the kick-out, which values no action and
  // leaves the neck mode and the say flags as they are; otherwise the weighed choice.
  virtual DecideType decide(int quickLevel, DecideType lastDecideType);

  // Whether some valid opponent stands within the agent's kickable distance plus the
  // margin of the ball, plus 0.08 m for every metre between him and the agent, that
  // allowance capped at reachLimit (metres).
  bool isBallOppKickable(float margin, float reachLimit) const;

 private:
  // Whether the goalie goes for the ball rather than keeping its position.
  bool goesForBall() const;

  GoalieCatch* goalieCatch = nullptr;  // owned by the lists
};

}  // namespace tovren
