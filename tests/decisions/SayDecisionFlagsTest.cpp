#include "decisions/SayDecisionFlags.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-6f;

// Raises every request and fills every value.
void fillAll(SayDecisionFlags& flags) {
  flags.beforePass = true;
  flags.suggestPass = true;
  flags.passDir = -35.5f;
  flags.passSpeed = 2.1f;
  flags.passWeight = 120.0f;
  flags.sayInterceptNum = 18;
  flags.attentionNum = 9;
  flags.suggestedReceiver = 10;
  flags.requestPassNum = 6;
  flags.freeKick = true;
  flags.freeKickAdviceNum = 4;
}

TEST(SayDecisionFlags, StartsWithNoRequest) {
  const SayDecisionFlags flags;
  EXPECT_FALSE(flags.beforePass);
  EXPECT_FALSE(flags.suggestPass);
  EXPECT_FALSE(flags.freeKick);
  EXPECT_EQ(flags.sayInterceptNum, 0u);
  EXPECT_EQ(flags.attentionNum, 0u);
  EXPECT_EQ(flags.requestPassNum, 0u);
  EXPECT_EQ(flags.suggestedReceiver, 0u);
  EXPECT_EQ(flags.freeKickAdviceNum, 0u);
}

TEST(SayDecisionFlags, ResetClearsRequestsAndKeepsTheirValues) {
  SayDecisionFlags flags;
  fillAll(flags);
  flags.reset();
  EXPECT_FALSE(flags.beforePass);
  EXPECT_FALSE(flags.suggestPass);
  EXPECT_FALSE(flags.freeKick);
  EXPECT_EQ(flags.sayInterceptNum, 0u);
  EXPECT_EQ(flags.attentionNum, 0u);
  EXPECT_EQ(flags.requestPassNum, 0u);
  EXPECT_NEAR(flags.passDir, -35.5f, kTolerance);
  EXPECT_NEAR(flags.passSpeed, 2.1f, kTolerance);
  EXPECT_NEAR(flags.passWeight, 120.0f, kTolerance);
  EXPECT_EQ(flags.suggestedReceiver, 10u);
  EXPECT_EQ(flags.freeKickAdviceNum, 4u);
}

TEST(SayDecisionFlags, SecondDecisionOfACycleKeepsTheAttentionNumber) {
  SayDecisionFlags flags;
  fillAll(flags);
  flags.decideReset();
  EXPECT_FALSE(flags.beforePass);
  EXPECT_FALSE(flags.suggestPass);
  EXPECT_FALSE(flags.freeKick);
  EXPECT_EQ(flags.sayInterceptNum, 0u);
  EXPECT_EQ(flags.requestPassNum, 0u);
  EXPECT_EQ(flags.attentionNum, 9u);
  EXPECT_EQ(flags.suggestedReceiver, 10u);
}

}  // namespace
}  // namespace tovren
