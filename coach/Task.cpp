#include "coach/Task.h"

#include <utility>

namespace tovren {

Task::Task(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history)
    : worldModel(worldModel), history(history) {}

Task::~Task() = default;

bool Task::execute() { return true; }

void Task::informOppChangePlayerType(unsigned int) {}

void Task::setFreeFormSent() {
  freeFormReady = false;
  freeFormString.clear();
}

std::unique_ptr<ChangePlayerCommand> Task::setChangePlayerCommandSent() {
  changePlayerCommandReady = false;
  return std::move(changePlayerCommand);
}

}  // namespace tovren
