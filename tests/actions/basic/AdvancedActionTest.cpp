#include "actions/basic/AdvancedAction.h"

#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace tovren {
namespace {

constexpr float kTolerance = 1e-5f;
const AdvancedActionWeights kNeutral{};

TEST(ActionChoice, WeighingAppliesRatePowerAndAlphaInDoublePrecision) {
  const struct {
    float value;
    AdvancedActionWeights weights;
    float weighted;  // NaN where a negative value meets a non-integral power
  } cases[] = {
      {30.0f, kNeutral, 30.0f},
      {30.0f, {-10.0f, 1.0f, 2.0f}, 50.0f},
      {3.0f, {1.0f, 2.0f, 0.5f}, 5.5f},
      {-4.0f, {0.0f, 0.5f, 1.0f}, std::nanf("")},
      // 3e20 squared overflows a float but not a double; the rate brings it back.
      {3e20f, {0.0f, 2.0f, 1e-36f}, 90000.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const float weighted = ActionChoice::weigh(c.value, c.weights);
    if (std::isnan(c.weighted)) {
      EXPECT_TRUE(std::isnan(weighted));
    } else {
      EXPECT_NEAR(weighted, c.weighted, 1e-6f * c.weighted + kTolerance);
    }
  }
}

TEST(ActionChoice, ChoosesByTheRules) {
  struct Candidate {
    float value;
    AdvancedActionWeights weights;
    int quickLevel;
  };
  const struct {
    const char* name;
    std::vector<Candidate> candidates;
    int chosen;  // -1: none
    int wonAt;   // the offer that won at once, -1: none
  } cases[] = {
      {"best weighted value", {{10, kNeutral, 0}, {35, kNeutral, 0}, {20, kNeutral, 0}}, 1, -1},
      {"tie goes to the first", {{35, kNeutral, 0}, {35, kNeutral, 0}}, 0, -1},
      // 30 × 2 - 10 equals 50 only after weighting.
      {"tie after weighting", {{30, {-10, 1, 2}, 0}, {50, kNeutral, 0}}, 0, -1},
      {"impossible value", {{AD_MIN_VALUE, {100000, 1, 1}, 0}}, -1, -1},
      {"impossible value, negative rate", {{AD_MIN_VALUE, {0, 1, -1}, 0}}, -1, -1},
      {"weighted exactly the start value", {{0, {AD_MIN_VALUE, 1, 1}, 0}}, -1, -1},
      {"below impossible", {{-70000, {0, 2, 1}, 0}, {1, kNeutral, 0}}, 1, -1},
      {"weighted NaN", {{-4, {0, 0.5f, 1}, 0}, {-100, kNeutral, 0}}, 1, -1},
      {"raw NaN", {{std::nanf(""), kNeutral, 2}}, -1, -1},
      {"immediate at level 2, later offers ignored",
       {{5000, kNeutral, 0}, {1000, {0, 1, 0.001f}, 2}, {9000, kNeutral, 2}},
       1,
       1},
      {"level 1 competes by weight", {{5000, kNeutral, 0}, {1000, kNeutral, 1}}, 0, -1},
      {"just below the immediate value", {{5000, kNeutral, 0}, {999.99f, kNeutral, 2}}, 0, -1},
      {"weighted 1000 is not immediate", {{5000, kNeutral, 0}, {10, {0, 1, 100}, 2}}, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ActionChoice choice;
    int wonAt = -1;
    for (unsigned int i = 0; i < c.candidates.size(); ++i) {
      const Candidate& candidate = c.candidates[i];
      const float weighted = ActionChoice::weigh(candidate.value, candidate.weights);
      if (choice.offer(i, candidate.value, weighted, candidate.quickLevel) && wonAt < 0) {
        wonAt = static_cast<int>(i);
      }
    }
    EXPECT_EQ(choice.hasChoice() ? static_cast<int>(choice.getChoice()) : -1, c.chosen);
    EXPECT_EQ(wonAt, c.wonAt);
  }
}

TEST(ActionChoice, QuickLevelDecidesWhoIsAskedAfresh) {
  const struct {
    int quickLevel;
    int level;
    bool asked;
  } cases[] = {{AD_DISABLED_QUICK_LEVEL, 0, false},
               {AD_DISABLED_QUICK_LEVEL, -1, false},
               {0, 0, true},
               {0, 1, false},
               {1, 1, true},
               {2, 1, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(ActionChoice::isAskedAt(c.quickLevel, c.level), c.asked)
        << c.quickLevel << " at " << c.level;
  }
}

// An action whose value is set by the test; it prepares a dash and publishes it.
class FixedAction : public AdvancedAction {
 public:
  explicit FixedAction(float value) : AdvancedAction(nullptr), value(value) {}

  void execute(SayDecisionFlags& sayFlags) override {
    sayFlags.beforePass = true;
    publish(prepared.get());
  }
  float getValue() override {
    prepared = std::make_unique<DashCommand>(value);
    return value;
  }
  DecideType getType() const override { return DT_PASS; }
  const Command* getPrepared() const { return prepared.get(); }

 private:
  float value;
  std::unique_ptr<Command> prepared;
};

TEST(AdvancedAction, ExecutePublishesACopyTheCallerOwns) {
  std::unique_ptr<AdvancedAction> action = std::make_unique<FixedAction>(42.0f);
  SayDecisionFlags flags;
  EXPECT_NEAR(action->getValue(), 42.0f, kTolerance);
  EXPECT_EQ(action->getCommand(), nullptr);
  action->execute(flags);
  const Command* seen = action->getCommand();
  std::unique_ptr<Command> published = action->takeCommand();
  ASSERT_NE(published, nullptr);
  EXPECT_EQ(published.get(), seen);
  EXPECT_EQ(action->getCommand(), nullptr);
  EXPECT_NE(published.get(), static_cast<FixedAction&>(*action).getPrepared());
  // The action is freed through its base with its prepared command and a published one
  // not taken; the one taken outlives it.
  action->execute(flags);
  action.reset();
  EXPECT_EQ(published->toString(), "(dash 42.00)");
}

}  // namespace
}  // namespace tovren
