#include "decisions/AdvancedAgent.h"

#include "connection/Command.h"

#include <memory>

namespace tovren {

AdvancedAgent::AdvancedAgent(int argc, char** argv) : SyncedAgent(argc, argv) {}

AdvancedAgent::~AdvancedAgent() = default;

bool AdvancedAgent::bodyDecide(int) {
  bodyCycleCommand = std::make_unique<EmptyCommand>();
  return false;
}

void AdvancedAgent::headDecide() {
  headCycleCommand = std::make_unique<EmptyCommand>();
  changeViewCommand = std::make_unique<ChangeViewCommand>(VMQ_HIGH, getSyncedNormal());
}

void AdvancedAgent::sayDecide() {
  sayCommand = std::make_unique<EmptyCommand>();
  attentionToCommand = std::make_unique<EmptyCommand>();
}

void AdvancedAgent::pointToDecide() { pointToCommand = std::make_unique<EmptyCommand>(); }

}  // namespace tovren
