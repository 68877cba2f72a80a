#include "decisions/AdvancedAgent.h"

#include "connection/Command.h"
#include "support/AgentScene.h"

#include <gtest/gtest.h>

#include <string>

namespace tovren {
namespace {

using support::firstMessage;
using support::makeAgent;
using support::ScratchDirectory;

bool isEmpty(const std::unique_ptr<Command>& command) {
  return dynamic_cast<const EmptyCommand*>(command.get()) != nullptr;
}

TEST(AdvancedAgent, StandInDecisionsFillEverySlotWithEmptyCommands) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  EXPECT_FALSE(agent->bodyDecide(0));
  EXPECT_FALSE(agent->bodyDecide(1));  // replaces, and so frees, the first
  agent->sayDecide();
  agent->pointToDecide();
  EXPECT_TRUE(isEmpty(agent->bodyCycleCommand));
  EXPECT_TRUE(isEmpty(agent->sayCommand));
  EXPECT_TRUE(isEmpty(agent->attentionToCommand));
  EXPECT_TRUE(isEmpty(agent->pointToCommand));
}

TEST(AdvancedAgent, StandInHeadDecisionAsksForTheSyncedWidthInHighQuality) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  agent->queue(firstMessage("left", "Tovren-2.txt", "server_param"));
  agent->sigIOHandler();

  for (const int lastSee : {20, 40}) {
    agent->setSeeReceiveMS(lastSee + 150);  // normal width: one period of 150 ms
    agent->headDecide();
    EXPECT_TRUE(isEmpty(agent->headCycleCommand));
    const auto* view = dynamic_cast<const ChangeViewCommand*>(agent->changeViewCommand.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->getQuality(), VMQ_HIGH);
    EXPECT_EQ(view->getWidth(), agent->getSyncedNormal());
  }
  EXPECT_EQ(agent->changeViewCommand->toString(), "(change_view narrow high)");
}

}  // namespace
}  // namespace tovren
