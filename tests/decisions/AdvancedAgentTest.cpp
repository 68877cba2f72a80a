#include "decisions/AdvancedAgent.h"

#include "connection/Command.h"
#include "support/AgentScene.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

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
  for (const auto* slot : {&agent->bodyCycleCommand, &agent->sayCommand, &agent->attentionToCommand,
                           &agent->pointToCommand}) {
    EXPECT_TRUE(isEmpty(*slot));
  }
}

TEST(AdvancedAgent, StandInHeadDecisionAsksForTheNormalViewsSyncedWidthInHighQuality) {
  ScratchDirectory directory;
  auto agent = makeAgent(directory, {"--offline-player"});
  // Cycle 100 ms, normal see period 150 ms; a see from 35 ms to before 48 ms turns the
  // normal view narrow (and 48 would already turn a narrow synced view narrow too).
  const std::pair<int, const char*> cases[] = {{34, "(change_view normal high)"},
                                               {35, "(change_view narrow high)"},
                                               {47, "(change_view narrow high)"},
                                               {48, "(change_view normal high)"}};
  for (const auto& [lastSee, expected] : cases) {
    SCOPED_TRACE(lastSee);
    agent->setSeeReceiveMS(lastSee + 150);
    agent->headDecide();
    EXPECT_TRUE(isEmpty(agent->headCycleCommand));
    EXPECT_EQ(agent->changeViewCommand->toString(), expected);
  }
}

}  // namespace
}  // namespace tovren
