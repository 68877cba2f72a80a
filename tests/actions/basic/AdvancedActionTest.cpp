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

// An action whose value is set by the test; it prepares a dash and publishes it.
class FixedAction : public AdvancedAction {
 public:
  FixedAction(float value, DecideType type) : AdvancedAction(nullptr), value(value), type(type) {}

  void execute(SayDecisionFlags& sayFlags) override {
    sayFlags.beforePass = true;
    publish(prepared.get());
  }
  float getValue() override {
    prepared = std::make_unique<DashCommand>(value);
    ++asked;
    return value;
  }
  DecideType getType() const override { return type; }

  const Command* getPrepared() const { return prepared.get(); }
  int asked = 0;

 private:
  float value;
  DecideType type;
  std::unique_ptr<Command> prepared;
};

struct Candidate {
  float value;
  AdvancedActionWeights weights;
  int quickLevel;
};

// Offers the candidates in order, as a decision offers its actions, and returns the index
// chosen (-1 for none) and how many were offered.
int choose(const std::vector<Candidate>& candidates, int* offered = nullptr) {
  ActionChoice choice;
  int count = 0;
  for (unsigned int i = 0; i < candidates.size(); ++i) {
    const Candidate& c = candidates[i];
    ++count;
    if (choice.offer(i, c.value, ActionChoice::weigh(c.value, c.weights), c.quickLevel)) {
      break;
    }
  }
  if (offered != nullptr) {
    *offered = count;
  }
  return choice.hasChoice() ? static_cast<int>(choice.getChoice()) : -1;
}

const AdvancedActionWeights kNeutral{};

TEST(ActionChoice, WeighingAppliesRatePowerAndAlpha) {
  EXPECT_NEAR(ActionChoice::weigh(30.0f, kNeutral), 30.0f, kTolerance);
  EXPECT_NEAR(ActionChoice::weigh(30.0f, AdvancedActionWeights{-10.0f, 1.0f, 2.0f}), 50.0f,
              kTolerance);
  EXPECT_NEAR(ActionChoice::weigh(3.0f, AdvancedActionWeights{1.0f, 2.0f, 0.5f}), 5.5f, kTolerance);
  EXPECT_TRUE(std::isnan(ActionChoice::weigh(-4.0f, AdvancedActionWeights{0.0f, 0.5f, 1.0f})));
}

TEST(ActionChoice, WeighingWorksInDoublePrecision) {
  // 3e20 squared overflows a float but not a double; the rate brings it back.
  const float weighted = ActionChoice::weigh(3e20f, AdvancedActionWeights{0.0f, 2.0f, 1e-36f});
  EXPECT_NEAR(weighted, 90000.0f, 0.1f);
}

TEST(ActionChoice, BestWeightedValueWinsAndTiesGoToTheFirst) {
  EXPECT_EQ(choose({{10.0f, kNeutral, 0}, {35.0f, kNeutral, 0}, {20.0f, kNeutral, 0}}), 1);
  EXPECT_EQ(choose({{35.0f, kNeutral, 0}, {35.0f, kNeutral, 0}}), 0);
  // Equal only after weighting: 30 × 2 - 10 against 50.
  EXPECT_EQ(choose({{50.0f, kNeutral, 0}, {30.0f, {-10.0f, 1.0f, 2.0f}, 0}}), 0);
  EXPECT_EQ(choose({{30.0f, {-10.0f, 1.0f, 2.0f}, 0}, {50.0f, kNeutral, 0}}), 0);
}

TEST(ActionChoice, ImpossibleValueNeverWinsWhateverTheWeights) {
  EXPECT_EQ(choose({{AD_MIN_VALUE, kNeutral, 0}}), -1);
  EXPECT_EQ(choose({{AD_MIN_VALUE, {100000.0f, 1.0f, 1.0f}, 0}}), -1);
  // A negative rate would turn it into a large positive value.
  EXPECT_EQ(choose({{AD_MIN_VALUE, {0.0f, 1.0f, -1.0f}, 0}}), -1);
  EXPECT_EQ(choose({{-70000.0f, {0.0f, 2.0f, 1.0f}, 0}, {1.0f, kNeutral, 0}}), 1);
  // A weighted value of exactly the start value does not beat it.
  EXPECT_EQ(choose({{0.0f, {AD_MIN_VALUE, 1.0f, 1.0f}, 0}}), -1);
}

TEST(ActionChoice, NotANumberNeverWins) {
  EXPECT_EQ(choose({{-4.0f, {0.0f, 0.5f, 1.0f}, 0}}), -1);
  EXPECT_EQ(choose({{-4.0f, {0.0f, 0.5f, 1.0f}, 0}, {-100.0f, kNeutral, 0}}), 1);
  EXPECT_EQ(choose({{std::nanf(""), kNeutral, 2}}), -1);
}

TEST(ActionChoice, ImmediateValueWinsAtOnceAboveQuickLevelOne) {
  int offered = 0;
  // The earlier action has the higher weighted value; the later ones are not offered.
  EXPECT_EQ(
      choose({{5000.0f, kNeutral, 0}, {1000.0f, {0.0f, 1.0f, 0.001f}, 2}, {9000.0f, kNeutral, 0}},
             &offered),
      1);
  EXPECT_EQ(offered, 2);
}

TEST(ActionChoice, ImmediateRuleNeedsQuickLevelAboveOneAndRawValue) {
  // Quick level 1: compared by weight only.
  EXPECT_EQ(choose({{5000.0f, kNeutral, 0}, {1000.0f, kNeutral, 1}}), 0);
  EXPECT_EQ(choose({{1500.0f, kNeutral, 0}, {5000.0f, kNeutral, 1}, {1200.0f, kNeutral, 0}}), 1);
  // Just below 1000 at level 2 competes by weight.
  EXPECT_EQ(choose({{5000.0f, kNeutral, 0}, {999.99f, kNeutral, 2}}), 0);
  // The raw value counts, not a weighted 1000.
  EXPECT_EQ(choose({{5000.0f, kNeutral, 0}, {10.0f, {0.0f, 1.0f, 100.0f}, 2}}), 0);
}

TEST(ActionChoice, OffersAfterAnImmediateWinChangeNothing) {
  ActionChoice choice;
  EXPECT_TRUE(choice.offer(0, 1000.0f, 1000.0f, 2));
  EXPECT_TRUE(choice.offer(1, 5000.0f, 5000.0f, 2));
  EXPECT_EQ(choice.getChoice(), 0u);
}

TEST(ActionChoice, QuickLevelDecidesWhoIsAskedAfresh) {
  EXPECT_FALSE(ActionChoice::isAskedAt(AD_DISABLED_QUICK_LEVEL, 0));
  EXPECT_FALSE(ActionChoice::isAskedAt(AD_DISABLED_QUICK_LEVEL, -1));
  EXPECT_TRUE(ActionChoice::isAskedAt(0, 0));
  EXPECT_FALSE(ActionChoice::isAskedAt(0, 1));
  EXPECT_TRUE(ActionChoice::isAskedAt(1, 1));
  EXPECT_TRUE(ActionChoice::isAskedAt(2, 1));
}

TEST(AdvancedAction, HasNoCommandBeforeItIsExecuted) {
  FixedAction action(12.0f, DT_OFFENSE);
  EXPECT_EQ(action.getCommand(), nullptr);
  action.getValue();
  EXPECT_EQ(action.getCommand(), nullptr);
}

TEST(AdvancedAction, ExecutePublishesACopyTheCallerOwns) {
  std::unique_ptr<AdvancedAction> action = std::make_unique<FixedAction>(42.0f, DT_PASS);
  SayDecisionFlags flags;
  EXPECT_NEAR(action->getValue(), 42.0f, kTolerance);
  action->execute(flags);
  const Command* seen = action->getCommand();
  std::unique_ptr<Command> published = action->takeCommand();
  ASSERT_NE(published, nullptr);
  EXPECT_EQ(published.get(), seen);
  EXPECT_EQ(action->getCommand(), nullptr);
  const Command* prepared = static_cast<FixedAction&>(*action).getPrepared();
  EXPECT_NE(published.get(), prepared);
  EXPECT_EQ(published->toString(), "(dash 42.00)");
  EXPECT_EQ(action->getType(), DT_PASS);
  EXPECT_TRUE(flags.beforePass);
  // The action is freed through its base with its prepared command and a published one
  // not taken; the one taken outlives it.
  action->execute(flags);
  action.reset();
  EXPECT_EQ(published->toString(), "(dash 42.00)");
}

}  // namespace
}  // namespace tovren
