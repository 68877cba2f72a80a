#pragma once

#include "actions/basic/AdvancedAction.h"
#include "decisions/SayDecisionFlags.h"

#include <memory>
#include <vector>

namespace tovren {

class Command;
class WorldModel;

// What a player without the ball does this cycle, from who goes for the ball.
enum WithoutBallSelection { WBS_BLOCK = 0, WBS_INTERCEPT = 1, WBS_POSITIONING = 2 };

// Base of the body decisions: a fixed list of candidate actions, each with its weights,
// its quick level and its value cached within the cycle. decide() values the enabled
// actions, weighs them, executes the best and keeps its command for the agent.
class BodyDecision {
 public:
  // The world model is read only; the say flags and the neck mode belong to the say and
  // head decisions and outlive this one.
  BodyDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
               TurnNeckMode& turnNeckMode);
  virtual ~BodyDecision();

  BodyDecision(const BodyDecision&) = delete;
  BodyDecision& operator=(const BodyDecision&) = delete;

  // Chooses and executes one action at this quick level; returns its DecideType, or
  // DT_NONE (and no command) when nothing was chosen.
  virtual int decide(int quickLevel);

  // The winner's command, to look at: null before the first decision and after one that
  // chose nothing. The decision holds it until the agent takes it.
  const Command* getCommand() const { return command.get(); }
  // Hands the command over to the agent's body slot, which owns it from then on.
  std::unique_ptr<Command> takeCommand();

  void resetQuickLevels();
  void resetValues();
  // A new cycle: no value measured yet.
  void updateAfterSenseBody() { resetValues(); }
  void resetWeights();

 protected:
  // Takes the action over for the decision's lifetime; it is valued in the order added.
  void addAdvancedAction(AdvancedAction* action, AdvancedActionWeights weights, int quickLevel);
  // For a subclass that decides by itself without weighing.
  void setCommand(std::unique_ptr<Command> decided);

  std::unique_ptr<Command> command;
  std::vector<std::unique_ptr<AdvancedAction>> advancedActions;
  std::vector<AdvancedActionWeights> weights;
  std::vector<int> quickLevels;
  std::vector<float> values;
  const WorldModel* worldModel;  // not owned
  SayDecisionFlags& sayFlags;
  TurnNeckMode& turnNeckMode;
};

}  // namespace tovren
