#pragma once

#include "decisions/SayDecisionFlags.h"
#include "foundation/Types.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/WorldModel.h"

#include <memory>

namespace tovren {

class Command;
class SyncedAgent;

// Where the agent turns its neck and how wide it looks, once per cycle after the body
// decision. It aims from the body and at the ball as they will be after this cycle's
// body command. The neck mode, written by the body decisions before it runs, says how:
// search the view parts that most need a look (normally or carefully), keep the ball
// at the edge of the view, or look straight at the ball or the opponent goalie.
class HeadDecision {
 public:
  // The agent outlives the decision; it gives the world model and the view widths that
  // keep the see in step with the cycle.
  explicit HeadDecision(const SyncedAgent* agent);
  ~HeadDecision();

  HeadDecision(const HeadDecision&) = delete;
  HeadDecision& operator=(const HeadDecision&) = delete;

  // Builds a turn_neck and a high-quality change_view command. The body command of the
  // cycle may be null (none decided yet when the head group goes out in an emergency):
  // it then counts as no command. Stops on the mode TNM_NONE, which no writer sets.
  void decide(const Command* bodyCommand);

  // The commands of the last decide, to look at; null before the first one and once
  // taken.
  const Command* getTurnNeckCommand() const { return turnNeckCommand.get(); }
  const Command* getChangeViewCommand() const { return changeViewCommand.get(); }
  // Hand the commands over to the agent's turn_neck and change_view slots.
  std::unique_ptr<Command> takeTurnNeckCommand();
  std::unique_ptr<Command> takeChangeViewCommand();

  // The neck mode that the body decisions and team coordination write through; decide
  // may change it for the cycle (1 to 2 or 3, 4 to 2 or 3, 5 and 6 to 3), and the change
  // stays until the next writer.
  TurnNeckMode& getModeRef() { return mode; }
  TurnNeckMode getMode() const { return mode; }
  void setMode(TurnNeckMode value) { mode = value; }

 private:
  static constexpr unsigned int VIEW_PARTS_NUM = WorldModel::VIEW_PARTS_NUM;

  void setWeightsForLookNormally();
  void setWeightsForLookCarefully();
  void updateViewPartObjectsNum();
  float getViewPartWeight(unsigned int part) const;
  // The view-part search: the neck angle whose view covers the heaviest parts.
  void decideForTurnNeckCommand(float viewAngle);
  void decideForLookNormallyToBall(float viewAngle);
  void decideForLookCarefullyToBall();
  void decideForLookCarefullyToOppGoalie();
  void logVariables() const;
  void setTurnNeck(float angle);

  float viewPartWeights[VIEW_PARTS_NUM] = {};
  unsigned int viewPartObjectsNum[VIEW_PARTS_NUM] = {};
  Body body;  // the agent after this cycle's body command
  Ball ball;  // the ball after this cycle's body command
  TurnNeckMode mode = TNM_LOOK_NORMALLY;
  std::unique_ptr<Command> turnNeckCommand;
  std::unique_ptr<Command> changeViewCommand;
  // Factors of the view-part weight, set for the mode at each search.
  float ballWeight = 0.0f;
  float objectsWeight = 0.0f;
  float goalWeight = 0.0f;
  float objectsNumWeight = 0.0f;
  const SyncedAgent* agent;      // not owned
  const WorldModel* worldModel;  // the agent's, not owned
};

}  // namespace tovren
