#include "coach/Task.h"

#include "coach/CoachWorldModel.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

struct ProducingTask : Task {
  using Task::Task;
  bool execute() override {
    changePlayerCommand = std::make_unique<ChangePlayerCommand>(7, 3);
    changePlayerCommandReady = true;
    freeFormString = "(T 00000000000)";
    freeFormReady = true;
    return true;
  }
};

// Taking the command moves it to the caller once; a command left pending dies with the
// task (the leak checker sees the second one).
TEST(Task, HandsItsOutputsOverOnceAndFreesAPendingCommand) {
  CoachWorldModelHistory history;
  ProducingTask task(nullptr, history);
  task.execute();
  std::unique_ptr<ChangePlayerCommand> taken = task.setChangePlayerCommandSent();
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->toString(), "(change_player_type 7 3)");
  EXPECT_FALSE(task.hasChangePlayerCommand());
  EXPECT_EQ(task.setChangePlayerCommandSent(), nullptr);

  EXPECT_EQ(task.getFreeFormString(), "(T 00000000000)");
  task.setFreeFormSent();
  EXPECT_FALSE(task.isFreeFormReady());
  EXPECT_EQ(task.getFreeFormString(), "");
  task.execute();
}

}  // namespace
}  // namespace tovren
