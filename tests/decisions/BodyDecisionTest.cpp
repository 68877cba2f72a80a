#include "decisions/BodyDecision.h"

#include "connection/Command.h"
#include "support/Scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tovren {
namespace {

// An action whose value the test sets; its command is a turn by ten degrees per place in
// the list (from 10), so the command tells which action won.
class StandInAction : public AdvancedAction {
 public:
  StandInAction(float value, int index) : AdvancedAction(nullptr), value(value), index(index) {}
  float getValue() override {
    ++asked;
    return value;
  }
  void execute(SayDecisionFlags& flags) override {
    ++executed;
    flags.beforePass = true;
    TurnCommand turn(10.0f * static_cast<float>(index + 1));
    publish(&turn);
  }
  DecideType getType() const override { return static_cast<DecideType>(DT_PASS + index); }

  float value;
  int index;
  int asked = 0;
  int executed = 0;
};

class TestDecision : public BodyDecision {
 public:
  TestDecision() : BodyDecision(nullptr, flags, mode) {}
  StandInAction& add(float value, int quickLevel, AdvancedActionWeights actionWeights = {}) {
    auto* action = new StandInAction(value, static_cast<int>(advancedActions.size()));
    addAdvancedAction(action, actionWeights, quickLevel);
    return *action;
  }

  SayDecisionFlags flags;
  TurnNeckMode mode = TNM_LOOK_NORMALLY;
};

// The index of the winner from its command, or -1 when nothing was chosen.
int winner(const BodyDecision& decision) {
  const Command* command = decision.getCommand();
  if (command == nullptr) return -1;
  return static_cast<int>(std::lround(commandAs<TurnCommand>(command)->getDirection() / 10)) - 1;
}

TEST(BodyDecision, ChoosesTheStrictlyBestWeightedValueAmongTheEnabledActions) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Row {
    float value;
    int level;
    AdvancedActionWeights weights;
  };
  struct Case {
    const char* name;
    std::vector<Row> rows;
    int expected;  // index of the winner, -1 none
  } cases[] = {
      {"empty list", {}, -1},
      {"all disabled", {{5, -1, {}}, {7, -1, {}}}, -1},
      {"tie keeps the earlier", {{5, 0, {}}, {5, 0, {}}}, 0},
      {"the larger", {{5, 0, {}}, {6, 0, {}}}, 1},
      {"rate 2 and alpha -10 make 30 into 50", {{45, 0, {}}, {30, 0, {-10, 1, 2}}}, 1},
      {"impossible under neutral weights", {{-65535, 0, {}}}, -1},
      {"impossible under an alpha", {{-65535, 0, {100000, 1, 1}}}, -1},
      {"impossible under an even power", {{-65535, 0, {0, 2, 1}}, {-100, 0, {}}}, 1},
      {"impossible under a negative rate", {{-65535, 0, {0, 1, -1}}}, -1},
      {"negative value under a fractional power", {{-4, 0, {0, 0.5, 1}}, {-1000, 0, {}}}, 1},
      {"not a number", {{nan, 0, {}}, {-60000, 0, {}}}, 1},
      {"level 2 at 1000 wins at once", {{5000, 0, {}}, {1000, 2, {}}, {9000, 0, {}}}, 1},
      {"level 2 below 1000 is compared", {{5000, 0, {}}, {999.9f, 2, {}}}, 0},
      {"level 1 at 5000 is only compared", {{6000, 0, {}}, {5000, 1, {}}}, 0},
      {"take-at-once looks at the raw value", {{2000, 0, {}}, {1000, 2, {0, 1, 0.001f}}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDecision decision;
    std::vector<StandInAction*> actions;
    for (const Row& row : c.rows)
      actions.push_back(&decision.add(row.value, row.level, row.weights));
    const int type = decision.decide(0);
    EXPECT_EQ(winner(decision), c.expected);
    EXPECT_EQ(type, c.expected < 0 ? DT_NONE : DT_PASS + c.expected);
    for (unsigned int i = 0; i < actions.size(); ++i) {
      EXPECT_EQ(actions[i]->executed, static_cast<int>(i) == c.expected ? 1 : 0) << i;
    }
    EXPECT_EQ(decision.flags.beforePass, c.expected >= 0);
  }
  // A win at once ends the weighing: the actions after it are not even valued.
  TestDecision decision;
  decision.add(1000, 2);
  const StandInAction& later = decision.add(9000, 0);
  decision.decide(0);
  EXPECT_EQ(later.asked, 0);
}

TEST(BodyDecision, ALaterQuickDecisionReusesTheValuesMeasuredInTheCycle) {
  std::ostringstream& log = support::captureMainLog();
  TestDecision decision;
  StandInAction& costly = decision.add(40, 0);
  StandInAction& cheap = decision.add(30, 1);
  decision.flags.attentionNum = 7;

  // Quick level 1 before anything was measured: the level-0 action drops out.
  decision.decide(1);
  EXPECT_EQ(winner(decision), 1);
  EXPECT_EQ(costly.asked, 0);

  decision.updateAfterSenseBody();
  decision.decide(0);
  EXPECT_EQ(winner(decision), 0);
  // Its value changed since, but the cached one competes and wins again.
  costly.value = 10;
  decision.decide(1);
  EXPECT_EQ(winner(decision), 0);
  EXPECT_EQ(costly.asked, 1);
  EXPECT_EQ(cheap.asked, 3);
  EXPECT_EQ(costly.executed, 2);
  // A second decision keeps whom the hear handler asked to listen to.
  EXPECT_EQ(decision.flags.attentionNum, 7u);

  decision.resetQuickLevels();
  log.str("");
  EXPECT_EQ(decision.decide(0), DT_NONE);
  EXPECT_EQ(decision.getCommand(), nullptr);
  EXPECT_EQ(log.str().find("AdvancedAction["), std::string::npos);

  decision.updateAfterSenseBody();
  log.str("");
  TestDecision logged;
  logged.add(30, 0, {-10, 1, 2});
  // An impossible action shows its raw value as its weight, whatever the weights make of it.
  logged.add(-65535, 0, {-10, 1, 2});
  logged.add(-65534, 0, {-10, 1, 2});
  logged.decide(0);
  EXPECT_NE(log.str().find("Decide weighting:\n"), std::string::npos);
  EXPECT_NE(log.str().find("\tAdvancedAction[0]: Value:30.00 Weight:50.00\n"), std::string::npos);
  EXPECT_NE(log.str().find("\tAdvancedAction[1]: Value:-65535.00 Weight:-65535.00\n"),
            std::string::npos);
  EXPECT_NE(log.str().find("\tAdvancedAction[2]: Value:-65534.00 Weight:-131078.00\n"),
            std::string::npos);
}

TEST(BodyDecision, TheTakenCommandIsTheAgentsAndAResetRestoresNeutralWeights) {
  TestDecision decision;
  decision.add(30, 0, {-10, 1, 2});
  decision.add(45, 0);
  decision.decide(0);
  std::unique_ptr<Command> taken = decision.takeCommand();
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(decision.getCommand(), nullptr);
  EXPECT_EQ(taken->toString(), "(turn -10.00)");
  decision.resetWeights();
  decision.decide(0);
  EXPECT_EQ(winner(decision), 1);
}

}  // namespace
}  // namespace tovren
