#include "actions/basic/AdvancedAction.h"

#include "connection/Command.h"

#include <cmath>
#include <utility>

namespace tovren {

float ActionChoice::weigh(float value, const AdvancedActionWeights& weights) {
  const double powered = std::pow(static_cast<double>(value), static_cast<double>(weights.power));
  return static_cast<float>(static_cast<double>(weights.rate) * powered +
                            static_cast<double>(weights.alpha));
}

bool ActionChoice::isAskedAt(int quickLevel, int level) {
  return quickLevel != AD_DISABLED_QUICK_LEVEL && quickLevel >= level;
}

bool ActionChoice::offer(unsigned int index, float value, float weighted, int quickLevel) {
  if (immediate) {
    return true;
  }
  if (quickLevel > 1 && value >= AD_IMMEDIATE_VALUE) {
    choice = index;
    chosen = true;
    immediate = true;
    best = weighted;
    return true;
  }
  // An impossible raw value must not win through generous weights; NaN fails both tests.
  if (value > AD_MIN_VALUE && weighted > best) {
    best = weighted;
    choice = index;
    chosen = true;
  }
  return false;
}

AdvancedAction::AdvancedAction(const WorldModel* worldModel) : worldModel(worldModel) {}

AdvancedAction::~AdvancedAction() = default;

std::unique_ptr<Command> AdvancedAction::takeCommand() { return std::move(command); }

void AdvancedAction::publish(const Command* prepared) {
  command = prepared != nullptr ? prepared->clone() : nullptr;
}

BasicAction::BasicAction() = default;

BasicAction::~BasicAction() = default;

std::unique_ptr<Command> BasicAction::takeCommand() { return std::move(command); }

}  // namespace tovren
