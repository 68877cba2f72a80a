#pragma once

#include "coach/SyncedCoach.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tovren {

class Task;

// The online coach: a scheduler of coach tasks on the cycle of SyncedCoach. Once a
// cycle it decides whether a freeform message may be said, runs every due task, and
// fills the cycle's slots with the last change command a task handed over and with the
// freeform texts of the tasks joined into one message. Its tasks are the opponent type
// inference and then the own type assignment.
class AdvancedCoach : public SyncedCoach {
 public:
  AdvancedCoach(int argc, char** argv);
  // Frees the tasks.
  ~AdvancedCoach() override;

  // After the base: an opponent's change (the message without a type) is told to
  // every task.
  void changePlayerType(const SExpression& message) override;
  // One pass of the scheduler; always true.
  bool processTasks() override;

  // Appends the task, run at most `limit` times (-1: without limit), due in the first
  // pass and again `period` passes after each run that counted.
  void addTask(std::unique_ptr<Task> task, int limit, int period);
  // Tells every task, in order, of an opponent's change (uniform 1..11 alone); the
  // form with a type is the own team's and tells none; a malformed one is logged.
  void informChangePlayerType(const SExpression& message);

  int getNumSentFreeForm() const { return numSentFreeForm; }

 protected:
  // The play-mode and quota rules of the pass.
  bool isFreeFormAllowed() const;

  int taskCount = 0;
  std::vector<std::unique_ptr<Task>> tasks;
  std::vector<int> remaining;  // runs left; -1 without limit
  std::vector<int> period;     // passes skipped after a run
  std::vector<int> countdown;  // passes still to skip
  int numSentFreeForm = 0;
};

}  // namespace tovren
