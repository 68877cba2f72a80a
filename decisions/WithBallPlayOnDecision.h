#pragma once

#include "decisions/BodyDecision.h"

#include <string>

// The body decision of a field player who can kick the ball in play_on: clearance, pass,
// shot, close dribble and safe-reach-point dribble, weighed with the deciding weights.

namespace tovren {

class WorldModel;

class WithBallPlayOnDecision : public BodyDecision {
 public:
  // Reads the weights file and checks every group and key of it: a file that is missing,
  // or lacks one, or holds a value that is no number, throws the UserError that names it,
  // at start-up rather than at the first decision that would read it. The pass scores the
  // world model's own kick fan, refreshed in place every cycle.
  WithBallPlayOnDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                         TurnNeckMode& turnNeckMode);
  ~WithBallPlayOnDecision() override;

  using BodyDecision::decide;
  // Weighs the five actions at this quick level (the pass and the safe-reach-point dribble
  // keep their earlier values late in the cycle) and has the head look carefully. The
  // previous cycle's decision is not used.
  virtual DecideType decide(int quickLevel, DecideType lastDecideType);
  // What the last decide() chose; DT_NONE before the first and after one that chose nothing.
  DecideType getLastWithBallDecide() const { return lastWithBallDecide; }

  // Registers "Deciding", reads the file into it and checks every key.
  void initWeights();
  // The weights of this quick level from the store: the quick groups for the pass and the
  // safe-reach-point dribble above level 0. The clearance keeps neutral weights.
  void loadWeights(int quickLevel);

 private:
  // The three keys of a group of the store.
  static AdvancedActionWeights readWeights(const std::string& group);

  DecideType lastWithBallDecide = DT_NONE;
};

}  // namespace tovren
