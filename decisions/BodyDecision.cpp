#include "decisions/BodyDecision.h"

#include "connection/Command.h"
#include "foundation/Logger.h"

#include <algorithm>

namespace tovren {

BodyDecision::BodyDecision(const WorldModel* worldModel, SayDecisionFlags& sayFlags,
                           TurnNeckMode& turnNeckMode)
    : worldModel(worldModel), sayFlags(sayFlags), turnNeckMode(turnNeckMode) {}

BodyDecision::~BodyDecision() = default;

void BodyDecision::addAdvancedAction(AdvancedAction* action, AdvancedActionWeights actionWeights,
                                     int quickLevel) {
  advancedActions.emplace_back(action);
  weights.push_back(actionWeights);
  quickLevels.push_back(quickLevel);
  values.push_back(AD_UNMEASURED_VALUE);
}

int BodyDecision::decide(int quickLevel) {
  sayFlags.decideReset();
  LogStream& log = logger["MainLog"];
  log << "Decide weighting:" << std::endl;

  ActionChoice choice;
  for (unsigned int i = 0; i < advancedActions.size(); ++i) {
    const int level = quickLevels[i];
    if (level == AD_DISABLED_QUICK_LEVEL) continue;
    if (ActionChoice::isAskedAt(level, quickLevel)) {
      values[i] = advancedActions[i]->getValue();
    } else if (values[i] == AD_UNMEASURED_VALUE) {
      continue;
    }
    const float value = values[i];
    const float weighted = ActionChoice::weigh(value, weights[i]);
    // An impossible action is never chosen; its line shows the raw value as its weight.
    log << "\tAdvancedAction[" << i << "]:"
        << " Value:" << value << " Weight:" << (value > AD_MIN_VALUE ? weighted : value)
        << std::endl;
    if (choice.offer(i, value, weighted, level)) break;
  }

  if (!choice.hasChoice()) {
    command.reset();
    return DT_NONE;
  }
  AdvancedAction& winner = *advancedActions[choice.getChoice()];
  winner.execute(sayFlags);
  command = winner.takeCommand();
  return winner.getType();
}

std::unique_ptr<Command> BodyDecision::takeCommand() { return std::move(command); }

void BodyDecision::setCommand(std::unique_ptr<Command> decided) { command = std::move(decided); }

void BodyDecision::resetQuickLevels() {
  std::fill(quickLevels.begin(), quickLevels.end(), AD_DISABLED_QUICK_LEVEL);
}

void BodyDecision::resetValues() { std::fill(values.begin(), values.end(), AD_UNMEASURED_VALUE); }

void BodyDecision::resetWeights() {
  std::fill(weights.begin(), weights.end(), AdvancedActionWeights());
}

}  // namespace tovren
