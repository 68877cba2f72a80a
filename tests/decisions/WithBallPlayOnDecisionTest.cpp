#include "decisions/WithBallPlayOnDecision.h"

#include "foundation/Check.h"
#include "support/ChildProcess.h"
#include "support/DecisionScene.h"
#include "support/PassScene.h"
#include "worldmodel/WorldModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace tovren {
namespace {

// The weights of Shoot, Dribble, Pass, SRPDribble, QuickPass and QuickSRPDribble as
// "Alpha Power Rate"; a group without text is left out, a missing number leaves its key out.
std::string weightsText(const std::vector<std::string>& groups) {
  const char* const names[] = {"Shoot",      "Dribble",   "Pass",
                               "SRPDribble", "QuickPass", "QuickSRPDribble"};
  std::string text;
  for (unsigned int g = 0; g < groups.size(); ++g) {
    if (groups[g].empty()) continue;
    text += std::string("[") + names[g] + "]\n";
    std::istringstream numbers(groups[g]);
    std::string number;
    for (const char* key : {"Alpha", "Power", "Rate"}) {
      if (numbers >> number) text += std::string(key) + " = " + number + "\n";
    }
  }
  return text;
}

// Group g (from 1) weighs Alpha 10g+1, Power 10g+2, Rate 10g+3.
const std::vector<std::string> NUMBERED = {"11 12 13", "21 22 23", "31 32 33",
                                           "41 42 43", "51 52 53", "61 62 63"};
const char* const OFF = "-70000 1 0";

class WithBallScene : public support::DecisionScene {
 protected:
  void SetUp() override {
    DecisionScene::SetUp();
    directory.write("Configs/PassFactors.conf",
                    support::readFile(TOVREN_SOURCE_DIR "/Configs/PassFactors.conf"));
    worldModel->setCurTime(5);  // no pass suggestion heard in this cycle
    placeAgent(10, {0, 0});
    placeBall({0.5f, 0});
    placePlayer(TID_TEAMMATE, 9, {12, 5});
    predict();
    support::markAllViewPartsSeen(*worldModel);
    worldModel->updateCurKickCalculate();
  }
  void writeWeights(const std::vector<std::string>& groups) {
    directory.write("Configs/DecidingWeights.conf", weightsText(groups));
  }

  support::ScratchDirectory directory;
};

class OpenDecision : public WithBallPlayOnDecision {
 public:
  using WithBallPlayOnDecision::weights;
  using WithBallPlayOnDecision::WithBallPlayOnDecision;
};

TEST_F(WithBallScene, EveryMissingOrBadWeightStopsTheStartNamingFileGroupAndKey) {
  // The store is process-wide: each case starts a fresh process.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const struct Case {
    std::vector<std::string> groups;  // none: no file
    const char* error;
  } cases[] = {
      {{}, "^Cannot open configuration file: ./Configs/DecidingWeights.conf\n"},
      {{"1 1 1", "1 1 1", "1 1 1", "1 1 1", "1 1 1"},
       "^./Configs/DecidingWeights.conf: \\[QuickSRPDribble\\] Alpha is missing\n"},
      {{"1 1 1", "1 1 1", "1 1"}, "^./Configs/DecidingWeights.conf: \\[Pass\\] Rate is missing\n"},
      {{"1 1 fast"}, "DecidingWeights.conf line 4, \\[Shoot\\] Rate: \"fast\" is not a number\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    if (!c.groups.empty()) writeWeights(c.groups);
    support::WorkingDirectory inside(directory.path());
    EXPECT_EXIT(
        try {
          WithBallPlayOnDecision decision(worldModel.get(), flags, mode);
        } catch (const UserError& error) {
          std::fprintf(stderr, "%s\n", error.what());
          std::exit(1);
        },
        ::testing::ExitedWithCode(1), c.error);
  }
}

TEST_F(WithBallScene, ThePassAndTheSafeDribbleTakeTheQuickGroupsAfterLevelZero) {
  writeWeights(NUMBERED);
  support::WorkingDirectory inside(directory.path());
  OpenDecision decision(worldModel.get(), flags, mode);
  // Clear, pass, shoot, dribble, safe dribble: their group numbers at levels 0 and 1.
  const int groups[][5] = {{0, 3, 1, 2, 4}, {0, 5, 1, 2, 6}};
  for (int level : {0, 1}) {
    decision.loadWeights(level);
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(::testing::Message() << "level " << level << " action " << i);
      const float g = static_cast<float>(groups[level][i]);
      const AdvancedActionWeights& w = decision.weights[i];
      EXPECT_EQ(w.alpha, g == 0 ? 0 : 10 * g + 1);
      EXPECT_EQ(w.power, g == 0 ? 1 : 10 * g + 2);
      EXPECT_EQ(w.rate, g == 0 ? 1 : 10 * g + 3);
    }
  }
}

TEST_F(WithBallScene, LateDecisionsReuseThePassAndTheSafeDribbleOfTheCycle) {
  // Neutral weights: the dribble (135) beats the pass (41).
  const char* const neutral = "0 1 1";
  writeWeights({neutral, neutral, neutral, neutral, neutral, neutral});
  support::WorkingDirectory inside(directory.path());
  WithBallPlayOnDecision decision(worldModel.get(), flags, mode);
  EXPECT_EQ(decision.getLastWithBallDecide(), DT_NONE);
  // Quick level, a new cycle before it, the actions valued or weighed.
  const std::vector<std::vector<int>> steps = {
      {1, 0, 0, 2, 3}, {0, 0, 0, 1, 2, 3, 4}, {1, 0, 0, 1, 2, 3, 4}, {1, 1, 0, 2, 3}};
  for (const std::vector<int>& step : steps) {
    if (step[1] != 0) decision.updateAfterSenseBody();
    mode = TNM_LOOK_NORMALLY;
    valued();
    EXPECT_EQ(decision.decide(step[0], DT_PASS), DT_DRIBBLE);
    EXPECT_EQ(valued(), std::vector<int>(step.begin() + 2, step.end()));
    EXPECT_EQ(mode, TNM_LOOK_CAREFULLY);
    EXPECT_EQ(decision.getLastWithBallDecide(), DT_DRIBBLE);
  }
}

TEST_F(WithBallScene, ThePassScoresTheWorldModelsKicksAndNothingWinsBelowTheLeastValue) {
  writeWeights({OFF, OFF, "0 1 1", OFF, "0 1 1", "0 1 1"});
  support::WorkingDirectory inside(directory.path());
  WithBallPlayOnDecision decision(worldModel.get(), flags, mode);
  EXPECT_EQ(decision.decide(0, DT_NONE), DT_PASS);
  EXPECT_EQ(support::textOf(decision.getCommand()).substr(0, 6), "(kick ");
  EXPECT_TRUE(flags.beforePass);

  writeWeights({OFF, OFF, OFF, OFF, OFF, OFF});
  decision.initWeights();
  EXPECT_EQ(decision.decide(0, DT_NONE), DT_NONE);
  EXPECT_EQ(decision.getCommand(), nullptr);
  EXPECT_EQ(decision.getLastWithBallDecide(), DT_NONE);
}

}  // namespace
}  // namespace tovren
