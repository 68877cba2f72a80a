#pragma once

#include "actions/withoutball/Positioning.h"
#include "decisions/BodyDecision.h"
#include "decisions/WithoutBallPlayOnDecision.h"

// The body decision of the penalty shoot-out: the player with uniform number 3 kicks, the
// goalie keeps the goal, everybody else waits on a small circle about the centre spot.

namespace tovren {

class NonPlayOnGotoKick;
class WorldModel;

class PenaltyDecision : public BodyDecision {
 public:
  // The uniform number of our kicker.
  static constexpr unsigned int KICKER_UNI_NUM = 3;

  // Keeps its own copy of the positioning, which the kicker's without-ball decision
  // refers to for as long as it lives.
  PenaltyDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                  TurnNeckMode& turnNeckMode, Positioning positioning);
  ~PenaltyDecision() override;

  using BodyDecision::decide;
  // The decision of the penalty play modes (24 to 27); DT_NONE with a go-to, an empty
  // command or the goalie's action in every case but the kicker's own.
  virtual DecideType decide(int quickLevel, DecideType lastDecideType);

  // From the referee's latest call: 1 when the shoot-out is on our half, 2 when on the
  // opponents', else 0; a miss or a goal called in our penalty_ready ends our kick.
  int checkPlayMode();
  // 2 for our kicker, else 1.
  int selectBallKicker() const;

 private:
  // Our penalty_ready: the kicker plays the ball or goes for it; the others stand.
  DecideType decideOurReady(int quickLevel, DecideType lastDecideType);
  // Their penalty_ready: the goalie catches, goes for the ball or keeps the goal.
  DecideType decideTheirReady(int quickLevel);
  // A go-to the place within 1 m; an empty command once there.
  void goTo(const Point& place);
  void setEmptyCommand();
  TurnNeckMode getNeckMode() const;

  Positioning positioning;  // before the decision that refers to it
  WithoutBallPlayOnDecision withoutBallDecision;
  bool kickFinished = false;
  NonPlayOnGotoKick* gotoKick = nullptr;  // owned by the lists
};

}  // namespace tovren
