#pragma once

#include "connection/Command.h"

#include <memory>
#include <string>

namespace tovren {

class CoachWorldModel;
class CoachWorldModelHistory;

// A piece of the coach's per-cycle work. The scheduler calls execute() on every due task
// once a cycle and, after a true return, takes what the task has ready: a freeform text
// and one change_player_type command. Subclasses produce them by writing the fields.
class Task {
 public:
  // Both are the coach's and outlive the task.
  Task(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history);
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  // Frees a command still pending.
  virtual ~Task();

  // The base does nothing and returns true.
  virtual bool execute();
  // An opponent (1..11) changed its player type; the base does nothing.
  virtual void informOppChangePlayerType(unsigned int uniformNum);

  bool isFreeFormReady() const { return freeFormReady; }
  std::string getFreeFormString() const { return freeFormString; }
  void setFreeFormSent();

  bool hasChangePlayerCommand() const { return changePlayerCommandReady; }
  // The pending command, still the task's; null when none.
  const ChangePlayerCommand* getChangePlayerCommand() const { return changePlayerCommand.get(); }
  // Hands the pending command (or null) to the caller and leaves none pending.
  std::unique_ptr<ChangePlayerCommand> setChangePlayerCommandSent();

 protected:
  const CoachWorldModel* worldModel;
  const CoachWorldModelHistory& history;
  std::string freeFormString;
  bool freeFormReady = false;
  std::unique_ptr<ChangePlayerCommand> changePlayerCommand;
  bool changePlayerCommandReady = false;
};

}  // namespace tovren
