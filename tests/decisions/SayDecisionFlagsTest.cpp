#include "decisions/SayDecisionFlags.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

TEST(SayDecisionFlags, ResetsClearTheRequestsAndKeepWhatTheyMust) {
  struct Case {
    const char* name;
    void (SayDecisionFlags::*reset)();
    bool keepsAttention;
  };
  const Case cases[] = {{"reset", &SayDecisionFlags::reset, false},
                        {"second decision of a cycle", &SayDecisionFlags::decideReset, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SayDecisionFlags flags;
    flags.beforePass = flags.suggestPass = flags.freeKick = true;
    flags.passDir = -35.5f;
    flags.sayInterceptNum = 18;
    flags.attentionNum = 9;
    flags.suggestedReceiver = 10;
    flags.requestPassNum = 6;
    flags.freeKickAdviceNum = 4;
    (flags.*c.reset)();
    EXPECT_FALSE(flags.beforePass || flags.suggestPass || flags.freeKick);
    EXPECT_EQ(flags.sayInterceptNum, 0u);
    EXPECT_EQ(flags.requestPassNum, 0u);
    EXPECT_EQ(flags.attentionNum, c.keepsAttention ? 9u : 0u);
    // The values that go with a request stay for the next one.
    EXPECT_EQ(flags.passDir, -35.5f);
    EXPECT_EQ(flags.suggestedReceiver, 10u);
    EXPECT_EQ(flags.freeKickAdviceNum, 4u);
  }
}

}  // namespace
}  // namespace tovren
