#pragma once

#include "actions/withoutball/Positioning.h"
#include "agent/SyncedAgent.h"
#include "decisions/GoaliePlayOnDecision.h"
#include "decisions/GroupWorks.h"
#include "decisions/HeadDecision.h"
#include "decisions/NonPlayOnDecision.h"
#include "decisions/PenaltyDecision.h"
#include "decisions/PointToDecision.h"
#include "decisions/SayDecision.h"
#include "decisions/WithBallPlayOnDecision.h"
#include "decisions/WithoutBallPlayOnDecision.h"

namespace tovren {

// The concrete player: it keeps the decision layer in step with the server's messages
// and, when the frame asks, fills the cycle's command slots: the body command chosen by
// play mode, goalie role and ball, then the neck and view, the say and attention, and
// the arm.
class AdvancedAgent : public SyncedAgent {
 public:
  AdvancedAgent(int argc, char** argv);
  ~AdvancedAgent() override;

  // After the frame: clears the value caches of the decisions that are fresh every
  // cycle, moves this cycle's decide type to the last one and clears the say request.
  void senseBody(const SExpression& message) override;
  // After the frame: the interception prediction and the ball status of the new view.
  void see(const SExpression& message) override;
  // After the world model decoded it: referee calls reset the coordination (and mirror
  // the field for a penalty shoot-out); teammates' messages update who goes for the ball,
  // the pass request, the goal kick taken by our goalie and whom to listen to.
  void hear(const SExpression& message) override;

  void sayDecide() override;
  void headDecide() override;
  void pointToDecide() override;
  // Fills the body slot, never leaving it empty; true when the ball is nearer than 7.5 m.
  bool bodyDecide(int quickLevel) override;

  int getDecideType() const { return decideType; }

 private:
  // Whether the server's init answer has named the agent's uniform number.
  bool hasUniNum() const;
  // The turn that looks for a lost ball.
  void lookForBall();
  // Takes the chosen decision's command into the body slot.
  void takeBodyCommand(int type, BodyDecision& decision);

 protected:
  Positioning positioning;
  HeadDecision headDecision;
  SayDecision sayDecision;
  PointToDecision pointToDecision;
  GroupWorks groupWorks;
  NonPlayOnDecision nonPlayOnDecision;
  PenaltyDecision penaltyDecision;
  GoaliePlayOnDecision goaliePlayOnDecision;
  WithBallPlayOnDecision withBallPlayOnDecision;
  WithoutBallPlayOnDecision withoutBallPlayOnDecision;
  int decideType = DT_NONE;
  int lastDecideType = DT_NONE;
};

}  // namespace tovren
